// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami
import ServiceHelper 1.0
import FailureScriptsHelper 1.0
import IntegrityControlScriptCaller 1.0

// The periodic check, the scripts run when a check fails, and the two
// maintenance scripts run on demand.
QQC2.ScrollView {
    id: view

    // "initialize" or "check" while a maintenance script runs.
    property string running: ""
    // The last run: its kind, whether it succeeded and the error it reported.
    property string lastRun: ""
    property bool lastRunSucceeded: false
    property string lastRunError: ""

    function runScript(which) {
        outcome.visible = false;
        running = which;
        lastRun = "";
        lastRunError = "";
        // The call blocks until the script ends; starting it from the timer
        // lets the busy indicator and the disabled buttons paint first.
        startScript.start();
    }

    QQC2.ScrollBar.horizontal.policy: QQC2.ScrollBar.AlwaysOff
    contentWidth: availableWidth

    ServiceHelper {
        id: service
    }

    FailureScriptsHelper {
        id: failureScripts
    }

    IntegrityControlScriptCaller {
        id: caller
        onInitializeError: view.lastRunError = error
        onIntegrityError: view.lastRunError = error
    }

    Timer {
        id: startScript
        interval: 50
        onTriggered: {
            const which = view.running;
            view.lastRunSucceeded = which === "initialize" ? caller.initializeAfickDatabase() : caller.checkIntegrity();
            view.lastRun = which;
            view.running = "";
            outcome.visible = true;
        }
    }

    // Messages stay above the form: wrapping text inside a form's grid
    // makes its height depend on itself.
    ColumnLayout {
        width: view.availableWidth
        spacing: Kirigami.Units.smallSpacing

        Kirigami.InlineMessage {
            id: serviceMessage
            objectName: "serviceMessage"
            Layout.fillWidth: true
            Layout.margins: Kirigami.Units.largeSpacing
            type: Kirigami.MessageType.Error
            showCloseButton: true
            visible: false
        }

        Kirigami.InlineMessage {
            id: scriptsMessage
            objectName: "scriptsMessage"
            Layout.fillWidth: true
            Layout.margins: Kirigami.Units.largeSpacing
            type: Kirigami.MessageType.Error
            showCloseButton: true
            visible: false
        }

        Kirigami.FormLayout {
            id: form
            Layout.fillWidth: true

            Kirigami.Separator {
                Kirigami.FormData.isSection: true
                Kirigami.FormData.label: i18nc("@title:group", "Periodic Check")
            }

            QQC2.Switch {
                id: serviceSwitch
                // Narrow windows cut the text short rather than overflow; the
                // whole text stays the name and shows on hover.
                Layout.fillWidth: true
                QQC2.ToolTip.text: text
                QQC2.ToolTip.visible: hovered && contentItem.truncated
                QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
                objectName: "serviceSwitch"
                Kirigami.FormData.label: i18nc("@label", "Service:")
                text: i18nc("@option:check", "Check file integrity regularly")
                Accessible.name: text
                checked: service.isEnable
                onToggled: {
                    const wanted = checked;
                    serviceMessage.visible = false;
                    service.isEnable = wanted;
                    checked = Qt.binding(() => service.isEnable);
                    if (checked !== wanted) {
                        serviceMessage.text = wanted ? i18n("The periodic check could not be switched on: the request was refused or failed.")
                                                     : i18n("The periodic check could not be switched off: the request was refused or failed.");
                        serviceMessage.visible = true;
                    }
                }
            }

            Kirigami.Separator {
                Kirigami.FormData.isSection: true
                Kirigami.FormData.label: i18nc("@title:group", "Failure Scripts")
            }

            // One item for the whole list: the form's grid relays itself out
            // badly when rows come and go.
            ColumnLayout {
                Kirigami.FormData.label: i18nc("@label", "Scripts:")
                Layout.fillWidth: true
                spacing: Kirigami.Units.smallSpacing

                QQC2.Label {
                    objectName: "noScriptsLabel"
                    Layout.fillWidth: true
                    Layout.maximumWidth: Kirigami.Units.gridUnit * 20
                    visible: failureScripts.scripts.length === 0
                    text: i18n("There are no scripts in %1.", failureScripts.scriptsPath())
                    wrapMode: Text.Wrap
                    // Fixed: the style aligns by line count, which wrapping changes.
                    verticalAlignment: Text.AlignTop
                }

                Repeater {
                    model: failureScripts.scripts
                    delegate: QQC2.Switch {
                        id: scriptSwitch
                        // Narrow windows cut the text short rather than overflow; the
                        // whole name stays the accessible name.
                        Layout.fillWidth: true
                        objectName: "script_" + modelData
                        readonly property bool isScript: modelData.endsWith(".sh") || modelData.endsWith(".sh.disabled")
                        text: failureScripts.readableName(modelData)
                        enabled: isScript
                        checked: modelData.endsWith(".sh")
                        Accessible.name: text
                        Accessible.description: isScript ? "" : i18nc("@info:accessible", "Not a script: only files named *.sh can be switched")
                        // The file's own name stays at hand, for the administrator who looks for it.
                        QQC2.ToolTip.text: isScript ? (checked ? i18nc("@info:tooltip file name", "%1: runs when a check fails", modelData)
                                                               : i18nc("@info:tooltip file name", "%1: does not run", modelData))
                                                    : i18nc("@info:tooltip", "Not a script: only files named *.sh can be switched")
                        QQC2.ToolTip.visible: hovered
                        QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
                        onToggled: {
                            scriptsMessage.visible = false;
                            failureScripts.enableScript(modelData, checked);
                        }

                        Connections {
                            target: failureScripts
                            // A request always asks for the opposite of what the name
                            // says, so a result that matches the name is a failure.
                            function onScriptEnableChanged(inName, inEnable) {
                                if (inName !== modelData || inEnable !== modelData.endsWith(".sh")) {
                                    return;
                                }
                                scriptSwitch.checked = Qt.binding(() => modelData.endsWith(".sh"));
                                const name = failureScripts.readableName(inName);
                                scriptsMessage.text = inEnable ? i18n("The script %1 could not be disabled: the request was refused or failed.", name)
                                                               : i18n("The script %1 could not be enabled: the request was refused or failed.", name);
                                scriptsMessage.visible = true;
                            }
                        }
                    }
                }
            }

            Kirigami.Separator {
                Kirigami.FormData.isSection: true
                Kirigami.FormData.label: i18nc("@title:group", "Run Now")
            }

            QQC2.Button {
                objectName: "initializeButton"
                Kirigami.FormData.label: i18nc("@label", "Database:")
                text: i18nc("@action:button", "Initialize Database")
                Accessible.name: text
                icon.name: "document-new"
                enabled: view.running === ""
                onClicked: view.runScript("initialize")
            }

            QQC2.Button {
                objectName: "checkButton"
                Kirigami.FormData.label: i18nc("@label", "Files:")
                text: i18nc("@action:button", "Check Now")
                Accessible.name: text
                icon.name: "security-high"
                enabled: view.running === ""
                onClicked: view.runScript("check")
            }

            RowLayout {
                objectName: "scriptRunning"
                visible: view.running !== ""
                spacing: Kirigami.Units.smallSpacing

                QQC2.BusyIndicator {
                    running: view.running !== ""
                    Accessible.name: i18nc("@info:accessible", "Running")
                    Layout.preferredWidth: Kirigami.Units.iconSizes.medium
                    Layout.preferredHeight: Kirigami.Units.iconSizes.medium
                }
                QQC2.Label {
                    text: view.running === "initialize" ? i18n("Initializing the integrity database…") : i18n("Checking the files…")
                }
            }
        }

        // One line however long the script's output: the output itself is
        // a click away. Below the form: rows coming and going in its grid
        // make it lay itself out again and again.
        RowLayout {
            id: outcome
            objectName: "scriptOutcomeRow"
            Layout.fillWidth: true
            Layout.margins: Kirigami.Units.largeSpacing
            visible: false
            spacing: Kirigami.Units.smallSpacing

            Kirigami.Icon {
                Layout.preferredWidth: Kirigami.Units.iconSizes.small
                Layout.preferredHeight: Kirigami.Units.iconSizes.small
                source: view.lastRunSucceeded ? "dialog-positive" : "dialog-error"
            }
            QQC2.Label {
                objectName: "scriptOutcome"
                Layout.fillWidth: true
                elide: Text.ElideRight
                color: view.lastRunSucceeded ? Kirigami.Theme.positiveTextColor : Kirigami.Theme.negativeTextColor
                text: {
                    if (view.lastRun === "initialize") {
                        return view.lastRunSucceeded ? i18n("The integrity database has been initialized.")
                                                     : i18n("Initializing the integrity database failed.");
                    }
                    return view.lastRunSucceeded ? i18n("The check is complete: no file differs from the database.")
                                                 : i18n("The check failed or found differences.");
                }
            }
            QQC2.Button {
                objectName: "scriptDetailsButton"
                visible: view.lastRunError !== ""
                text: i18nc("@action:button", "Details…")
                Accessible.name: text
                icon.name: "documentinfo"
                onClicked: scriptDetails.open()
            }
        }
    }

    DetailsDialog {
        id: scriptDetails
        objectName: "scriptDetailsDialog"
        title: view.lastRun === "initialize" ? i18nc("@title:window", "Initializing the Database") : i18nc("@title:window", "Checking the Files")
        details: view.lastRunError
    }
}

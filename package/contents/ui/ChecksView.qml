// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami
import org.kde.kitemmodels 1.0 as KItemModels
import ServiceHelper 1.0
import FailureScriptsHelper 1.0
import IntegrityControlScriptCaller 1.0

// The two maintenance scripts run on demand, with what the last run did and
// the report of the last check; below them the periodic check and the
// scripts run when a check fails, which make way while a report is shown.
QQC2.ScrollView {
    id: view

    // "initialize" or "check" while a maintenance script runs.
    property string running: ""
    // The last run: its kind, whether it succeeded and the error it reported.
    property string lastRun: ""
    property bool lastRunSucceeded: false
    property string lastRunError: ""
    // The report fills while the check runs and stays until the next run
    // starts; a check that never started (refused) leaves no report.
    readonly property bool reportShown: running === "check" || (lastRun === "check" && (lastRunSucceeded || caller.lastOutput !== ""))
    // The whole output of the last run, or why it did not run.
    readonly property string details: caller.lastOutput.trim() !== "" ? caller.lastOutput : lastRunError

    // How many entries of the report are made at once, and how many now.
    readonly property int entryPage: 200
    property int entryLimit: entryPage
    readonly property int entryCount: caller.report.newCount + caller.report.deletedCount + caller.report.changedCount

    // Asks for @p path to be shown in the Rules page.
    signal revealRequested(string path)

    function runScript(which) {
        outcome.visible = false;
        reportMessage.visible = false;
        entryLimit = entryPage;
        lastRun = "";
        lastRunError = "";
        // The run ends later, with the caller's finished signal.
        running = which;
        if (!(which === "initialize" ? caller.initializeAfickDatabase() : caller.checkIntegrity())) {
            running = "";
        }
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
        onFinished: succeeded => {
            view.lastRunSucceeded = succeeded;
            view.lastRun = view.running;
            view.running = "";
            outcome.visible = true;
        }
        // The entries tell which pending rule edit already covers them.
        Component.onCompleted: report.ruleModel = kcm.integrityFileSystemModel
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

        // What the page is for first: running the scripts, and what the last
        // run did. It stays at the top, above the settings and the report.
        RowLayout {
            objectName: "runRow"
            Layout.fillWidth: true
            Layout.leftMargin: Kirigami.Units.largeSpacing
            Layout.rightMargin: Kirigami.Units.largeSpacing
            Layout.topMargin: Kirigami.Units.largeSpacing
            spacing: Kirigami.Units.smallSpacing

            // On a narrow window the buttons go one under the other.
            Flow {
                Layout.fillWidth: true
                spacing: Kirigami.Units.smallSpacing

                QQC2.Button {
                    objectName: "checkButton"
                    text: i18nc("@action:button", "Check Now")
                    Accessible.name: text
                    icon.name: "security-high"
                    enabled: view.running === ""
                    onClicked: view.runScript("check")
                }

                QQC2.Button {
                    objectName: "initializeButton"
                    text: i18nc("@action:button", "Initialize Database")
                    Accessible.name: text
                    icon.name: "document-new"
                    enabled: view.running === ""
                    QQC2.ToolTip.text: i18nc("@info:tooltip", "Record the files as they are now; later checks compare against this record")
                    QQC2.ToolTip.visible: hovered
                    QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
                    onClicked: view.runScript("initialize")
                }

                RowLayout {
                    objectName: "scriptRunning"
                    visible: view.running !== ""
                    spacing: Kirigami.Units.smallSpacing

                    QQC2.BusyIndicator {
                        running: view.running !== ""
                        Accessible.name: i18nc("@info:accessible", "Running")
                        Layout.preferredWidth: Kirigami.Units.iconSizes.smallMedium
                        Layout.preferredHeight: Kirigami.Units.iconSizes.smallMedium
                    }
                    QQC2.Label {
                        text: view.running === "initialize" ? i18nc("@info:status", "Initializing the integrity database…") : i18nc("@info:status", "Checking the files…")
                    }
                }
            }

            QQC2.ToolButton {
                id: settingsButton
                Layout.alignment: Qt.AlignTop
                objectName: "settingsButton"
                visible: view.reportShown
                checkable: true
                text: i18nc("@action:button", "Settings")
                icon.name: "configure"
                display: QQC2.AbstractButton.IconOnly
                Accessible.name: checked ? i18nc("@action:button", "Hide the settings") : i18nc("@action:button", "Show the settings")
                QQC2.ToolTip.text: Accessible.name
                QQC2.ToolTip.visible: hovered
                QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
            }
        }

        // One line however long the script's output: the output itself is
        // a click away. Outside the form: rows coming and going in its grid
        // make it lay itself out again and again.
        RowLayout {
            id: outcome
            objectName: "scriptOutcomeRow"
            Layout.fillWidth: true
            Layout.leftMargin: Kirigami.Units.largeSpacing
            Layout.rightMargin: Kirigami.Units.largeSpacing
            visible: false
            spacing: Kirigami.Units.smallSpacing

            // afick's status is not zero when it found changes: a check's
            // outcome is what its report says.
            readonly property int checkOutcome: view.reportShown ? caller.report.outcome : CheckReportModel.Failed
            readonly property bool positive: view.lastRun === "check" ? checkOutcome === CheckReportModel.NoChanges : view.lastRunSucceeded
            readonly property bool negative: view.lastRun === "check" ? checkOutcome === CheckReportModel.Failed : !view.lastRunSucceeded

            Kirigami.Icon {
                Layout.preferredWidth: Kirigami.Units.iconSizes.small
                Layout.preferredHeight: Kirigami.Units.iconSizes.small
                source: outcome.positive ? "dialog-positive" : (outcome.negative ? "dialog-error" : "dialog-warning")
            }
            QQC2.Label {
                objectName: "scriptOutcome"
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                // Fixed: the style aligns by line count, which wrapping changes.
                verticalAlignment: Text.AlignTop
                color: outcome.positive ? Kirigami.Theme.positiveTextColor
                                        : (outcome.negative ? Kirigami.Theme.negativeTextColor : Kirigami.Theme.neutralTextColor)
                text: {
                    if (view.lastRun === "initialize") {
                        if (view.lastRunSucceeded) {
                            return i18nc("@info result of initializing the database", "The integrity database has been initialized.");
                        }
                        return caller.lastExitCode > 0
                            ? i18nc("@info result of initializing the database", "Initializing the integrity database failed with exit code %1.", caller.lastExitCode)
                            : i18nc("@info result of initializing the database", "Initializing the integrity database failed.");
                    }
                    return view.reportShown ? caller.report.summaryText : i18nc("@info result of an integrity check", "The check failed.");
                }
            }
            QQC2.Button {
                objectName: "scriptDetailsButton"
                visible: view.details !== ""
                text: i18nc("@action:button", "Details…")
                Accessible.name: text
                icon.name: "documentinfo"
                onClicked: scriptDetails.open()
            }
        }

        Kirigami.FormLayout {
            id: form
            objectName: "settingsForm"
            Layout.fillWidth: true
            // A report needs the room: the settings make way for it until asked for.
            visible: !view.reportShown || settingsButton.checked

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
                        serviceMessage.text = wanted ? i18nc("@info", "The periodic check could not be switched on: the request was refused or failed.")
                                                     : i18nc("@info", "The periodic check could not be switched off: the request was refused or failed.");
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
                    text: i18nc("@info %1 is a directory", "There are no scripts in %1.", failureScripts.scriptsPath())
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
                                scriptsMessage.text = inEnable ? i18nc("@info %1 is the name of a script", "The script %1 could not be disabled: the request was refused or failed.", name)
                                                               : i18nc("@info %1 is the name of a script", "The script %1 could not be enabled: the request was refused or failed.", name);
                                scriptsMessage.visible = true;
                            }
                        }
                    }
                }
            }

        }

        // What the run found, under a title like the settings' sections.
        Kirigami.FormLayout {
            id: reportForm
            objectName: "reportForm"
            Layout.fillWidth: true
            visible: view.reportShown

            Kirigami.Separator {
                Kirigami.FormData.isSection: true
                Kirigami.FormData.label: i18nc("@title:group", "Report")
            }
        }

        // A report cut short, or findings that differ from afick's own count.
        Kirigami.InlineMessage {
            objectName: "reportNote"
            Layout.fillWidth: true
            Layout.margins: Kirigami.Units.largeSpacing
            type: Kirigami.MessageType.Warning
            text: caller.reportNote
            visible: view.reportShown && caller.reportNote !== ""
        }

        // A rule edit asked for from the report that could not be made.
        Kirigami.InlineMessage {
            id: reportMessage
            objectName: "reportMessage"
            Layout.fillWidth: true
            Layout.margins: Kirigami.Units.largeSpacing
            type: Kirigami.MessageType.Warning
            showCloseButton: true
            visible: false
        }

        // Grouped by kind, each group under its name and count. A check after
        // an upgrade can report thousands of files: they come a page at a time.
        ColumnLayout {
            id: reportList
            objectName: "reportList"
            Layout.fillWidth: true
            Layout.leftMargin: Kirigami.Units.largeSpacing
            Layout.rightMargin: Kirigami.Units.largeSpacing
            visible: view.reportShown && view.entryCount > 0
            spacing: Kirigami.Units.smallSpacing

            Repeater {
                model: KItemModels.KSortFilterProxyModel {
                    id: shownEntries
                    sourceModel: caller.report
                    filterRowCallback: (row, parent) => row < view.entryLimit
                }
                delegate: ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 0

                    // Entries come ordered by kind: the first of each opens its group.
                    Kirigami.ListSectionHeader {
                        Layout.fillWidth: true
                        visible: index === (model.kind === "new" ? 0 : (model.kind === "deleted" ? caller.report.newCount : caller.report.newCount + caller.report.deletedCount))
                        label: i18nc("@title group of a check report; %1 is New, Deleted or Changed", "%1 (%2)", model.section,
                                     model.kind === "new" ? caller.report.newCount : (model.kind === "deleted" ? caller.report.deletedCount : caller.report.changedCount))
                    }

                    ReportEntry {
                        id: entry

                        // Whether a rule could still leave the path out under the edited
                        // rules; the model decides, so the button and the edit agree.
                        function readChecked() {
                            checked = kcm.integrityFileSystemModel.canStopChecking(path);
                        }

                        Layout.fillWidth: true
                        path: model.path
                        kind: model.kind
                        changes: model.changes
                        values: model.values
                        ruleEditable: model.ruleEditable
                        editNote: model.editNote
                        onPathChanged: readChecked()
                        Component.onCompleted: readChecked()
                        onRevealRequested: view.revealRequested(path)
                        onStopCheckingRequested: {
                            reportMessage.visible = false;
                            if (!kcm.integrityFileSystemModel.stopChecking(path)) {
                                reportMessage.text = i18nc("@info %1 is a path", "No rule was changed: afick does not check %1 under the edited rules.", path);
                                reportMessage.visible = true;
                            }
                        }
                        onStopComparingRequested: attribute => {
                            reportMessage.visible = false;
                            if (!kcm.integrityFileSystemModel.stopComparing(path, attribute)) {
                                reportMessage.text = i18nc("@info %1 is an attribute such as md5, %2 a path", "No rule was changed: %1 cannot be left out of the rule of %2.", attribute, path);
                                reportMessage.visible = true;
                            }
                        }

                        Connections {
                            target: kcm.integrityFileSystemModel
                            function onRulesChanged() {
                                entry.readChecked();
                            }
                        }
                    }
                }
            }

            QQC2.Button {
                objectName: "moreEntriesButton"
                visible: view.entryCount > view.entryLimit
                text: i18ncp("@action:button", "Show 1 More Entry", "Show %1 More Entries", Math.min(view.entryPage, view.entryCount - view.entryLimit))
                Accessible.name: text
                icon.name: "go-down"
                onClicked: {
                    view.entryLimit += view.entryPage;
                    shownEntries.invalidateFilter();
                }
            }
        }

        // afick's warnings and figures close its report, after the findings.
        ColumnLayout {
            objectName: "reportWarnings"
            Layout.fillWidth: true
            Layout.leftMargin: Kirigami.Units.largeSpacing
            Layout.rightMargin: Kirigami.Units.largeSpacing
            visible: view.reportShown && caller.report.warnings.length > 0
            spacing: 0

            Kirigami.ListSectionHeader {
                Layout.fillWidth: true
                label: i18nc("@title group of a check report", "Warnings (%1)", caller.report.warnings.length)
            }
            QQC2.Label {
                objectName: "reportWarningLines"
                Layout.fillWidth: true
                text: caller.report.warnings.join("\n")
                textFormat: Text.PlainText
                color: Kirigami.Theme.neutralTextColor
                wrapMode: Text.Wrap
                verticalAlignment: Text.AlignTop
            }
        }

        ColumnLayout {
            objectName: "reportFigures"
            Layout.fillWidth: true
            Layout.leftMargin: Kirigami.Units.largeSpacing
            Layout.rightMargin: Kirigami.Units.largeSpacing
            visible: view.reportShown && caller.report.figures.length > 0
            spacing: 0

            Kirigami.ListSectionHeader {
                Layout.fillWidth: true
                label: i18nc("@title group of a check report: the figures afick gives at its end", "Figures")
            }
            // Side by side as far as the width allows: they are many and short.
            Flow {
                Layout.fillWidth: true
                spacing: Kirigami.Units.largeSpacing

                Repeater {
                    model: caller.report.figures
                    delegate: QQC2.Label {
                        objectName: "reportFigure_" + modelData.name
                        text: i18nc("@info a figure of a check report and its value", "%1: %2", modelData.label, modelData.value)
                    }
                }
            }
        }

        // What the report could not read, kept in view rather than dropped.
        ColumnLayout {
            objectName: "reportOtherOutput"
            Layout.fillWidth: true
            Layout.leftMargin: Kirigami.Units.largeSpacing
            Layout.rightMargin: Kirigami.Units.largeSpacing
            Layout.bottomMargin: Kirigami.Units.largeSpacing
            visible: view.reportShown && caller.report.unknownLines.length > 0
            spacing: 0

            Kirigami.ListSectionHeader {
                Layout.fillWidth: true
                label: i18nc("@title group of a check report", "Other Output (%1)", caller.report.unknownLines.length)
            }
            QQC2.Label {
                objectName: "reportUnknownLines"
                Layout.fillWidth: true
                text: caller.report.unknownLines.join("\n")
                textFormat: Text.PlainText
                font: kcm.fixedWidthFont
                wrapMode: Text.WrapAnywhere
                verticalAlignment: Text.AlignTop
            }
        }
    }

    DetailsDialog {
        id: scriptDetails
        objectName: "scriptDetailsDialog"
        title: view.lastRun === "initialize" ? i18nc("@title:window", "Initializing the Database") : i18nc("@title:window", "Checking the Files")
        details: view.details
    }
}

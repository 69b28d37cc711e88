// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami
import org.kde.kcm 1.4 as KCM

KCM.AbstractKCM {
    id: root
    objectName: "integrityControl"

    implicitWidth: Kirigami.Units.gridUnit * 46
    implicitHeight: Kirigami.Units.gridUnit * 32
    framedView: false

    // Messages about the configuration file as a whole, newest last; a load
    // may report several malformed lines at once.
    property var configMessages: []

    function showConfigMessage(text) {
        configMessages = configMessages.concat([text]);
        configMessage.visible = true;
    }

    // What the module is busy with, if anything; the helper may take a
    // while, and a password prompt longer still.
    readonly property string busyText: {
        if (kcm.applying) {
            return i18nc("@info:status", "Applying…");
        }
        if (kcm.rollingBack) {
            return i18nc("@info:status", "Restoring the previous configuration…");
        }
        if (kcm.reading) {
            return i18nc("@info:status", "Reading the configuration…");
        }
        if (kcm.integrityFileSystemModel.listing) {
            return i18nc("@info:status", "Listing the folder…");
        }
        return "";
    }

    Connections {
        target: kcm
        function onReadConfigError(error) {
            root.showConfigMessage(error);
        }
        function onWriteConfigError(error) {
            root.showConfigMessage(error);
        }
        // What a read found wrong is over once a read succeeds.
        function onConfigStateChanged() {
            if (!kcm.readFailed) {
                configMessage.visible = false;
            }
        }
    }

    header: ColumnLayout {
        spacing: Kirigami.Units.smallSpacing

        Kirigami.InlineMessage {
            id: configMessage
            objectName: "configMessage"
            Layout.fillWidth: true
            type: Kirigami.MessageType.Error
            showCloseButton: true
            visible: false
            text: root.configMessages.join("\n")
            actions: [
                Kirigami.Action {
                    objectName: "tryAgainAction"
                    text: i18nc("@action:button", "Try Again")
                    icon.name: "view-refresh"
                    visible: kcm.readFailed
                    enabled: root.busyText === ""
                    onTriggered: {
                        configMessage.visible = false;
                        kcm.loadConfig();
                    }
                }
            ]
            onVisibleChanged: {
                if (!visible) {
                    root.configMessages = [];
                }
            }
        }

        // One line however many lines are not understood, so that the page
        // keeps its room; the lines themselves are a click away.
        Kirigami.InlineMessage {
            objectName: "configProblemsMessage"
            Layout.fillWidth: true
            type: Kirigami.MessageType.Warning
            visible: kcm.configProblems.length > 0
            text: i18ncp("@info", "1 line of /etc/afick.conf is not understood; it is kept as written.",
                         "%1 lines of /etc/afick.conf are not understood; they are kept as written.",
                         kcm.configProblems.length)
            actions: [
                Kirigami.Action {
                    objectName: "configProblemsDetailsAction"
                    text: i18nc("@action:button", "Details…")
                    icon.name: "documentinfo"
                    onTriggered: configProblemsDialog.open()
                }
            ]
        }

        RowLayout {
            id: tabRow
            Layout.fillWidth: true
            spacing: Kirigami.Units.smallSpacing

            QQC2.TabBar {
                id: tabs
                objectName: "tabs"
                // On a narrow window the tabs share the whole width.
                readonly property bool narrow: root.width < Kirigami.Units.gridUnit * 30
                Layout.fillWidth: narrow
                Accessible.name: i18nc("@title:tab group", "Sections")

                QQC2.TabButton {
                    objectName: "rulesTab"
                    text: i18nc("@title:tab", "Rules")
                    Accessible.name: text
                    width: tabs.narrow ? tabs.width / tabs.count : implicitWidth
                }
                QQC2.TabButton {
                    objectName: "aliasesTab"
                    text: i18nc("@title:tab", "Aliases")
                    Accessible.name: text
                    width: tabs.narrow ? tabs.width / tabs.count : implicitWidth
                }
                QQC2.TabButton {
                    objectName: "checksTab"
                    text: i18nc("@title:tab", "Checks")
                    Accessible.name: text
                    width: tabs.narrow ? tabs.width / tabs.count : implicitWidth
                }
            }

            QQC2.BusyIndicator {
                objectName: "busyIndicator"
                Layout.preferredWidth: Kirigami.Units.iconSizes.smallMedium
                Layout.preferredHeight: Kirigami.Units.iconSizes.smallMedium
                visible: running
                running: root.busyText !== ""
                Accessible.name: root.busyText
            }
            QQC2.Label {
                objectName: "busyLabel"
                // Only where the actions keep their room: they stay put while the page is busy.
                visible: root.busyText !== ""
                         && tabRow.width - tabs.width - Kirigami.Units.iconSizes.smallMedium - pageActions.fullWidth - tabRow.spacing * 3 >= implicitWidth
                text: root.busyText
                elide: Text.ElideRight
            }

            // Beside the tabs, as far as the width allows in the user's language.
            ActionRow {
                id: pageActions
                objectName: "pageActions"
                actions: [showChangesAction, restoreAction]
            }
        }
    }

    Kirigami.Action {
        id: showChangesAction
        objectName: "showChangesAction"
        text: i18nc("@action:button", "Show Changes…")
        icon.name: "document-preview"
        tooltip: i18nc("@info:tooltip", "Show the lines that Apply will remove from and add to the configuration file")
        enabled: kcm.needsSave
        onTriggered: changesDialog.openWith(kcm.pendingChanges())
    }

    Kirigami.Action {
        id: restoreAction
        objectName: "restoreAction"
        text: i18nc("@action:button", "Restore Previous Configuration…")
        icon.name: "document-revert"
        tooltip: i18nc("@info:tooltip", "Put back the configuration file as it was before the last Apply")
        onTriggered: restoreDialog.open()
    }

    StackLayout {
        anchors.fill: parent
        currentIndex: tabs.currentIndex

        RulesView {
            id: rulesView
            objectName: "rulesView"
        }
        AliasesView {
            objectName: "aliasesView"
        }
        ChecksView {
            objectName: "checksView"
            onRevealRequested: path => {
                tabs.currentIndex = 0;
                rulesView.reveal(path);
            }
        }
    }

    ChangesDialog {
        id: changesDialog
    }

    DetailsDialog {
        id: configProblemsDialog
        objectName: "configProblemsDialog"
        title: i18nc("@title:window", "Lines Not Understood")
        details: kcm.configProblems.map(problem => i18nc("@info line number and the line as read", "Line %1: %2", problem.line, problem.text)).join("\n")
    }

    Kirigami.PromptDialog {
        id: restoreDialog
        objectName: "restoreDialog"
        title: i18nc("@title:window", "Restore Previous Configuration")
        subtitle: i18nc("@info", "The configuration file will be replaced by the copy kept from before the last Apply, and unsaved changes here will be lost.")
        standardButtons: Kirigami.Dialog.NoButton
        customFooterActions: [
            Kirigami.Action {
                objectName: "confirmRestoreAction"
                text: i18nc("@action:button", "Restore")
                icon.name: "document-revert"
                onTriggered: {
                    restoreDialog.close();
                    if (kcm.rollbackConfig()) {
                        kcm.loadConfig();
                    } else {
                        root.showConfigMessage(i18nc("@info", "The previous configuration could not be restored: the request was refused, or there is no previous configuration."));
                    }
                }
            },
            Kirigami.Action {
                objectName: "cancelRestoreAction"
                text: i18nc("@action:button", "Cancel")
                icon.name: "dialog-cancel"
                onTriggered: restoreDialog.close()
            }
        ]
    }
}

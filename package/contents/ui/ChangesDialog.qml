// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// What Apply will write: the lines it removes from the configuration file
// and the lines it adds, as the module computes them with the save's own code.
Kirigami.PromptDialog {
    id: dialog
    objectName: "changesDialog"

    property var removedLines: []
    property var addedLines: []

    function openWith(changes) {
        removedLines = changes.removed;
        addedLines = changes.added;
        open();
    }

    title: i18nc("@title:window", "Changes Apply Will Make")
    preferredWidth: Kirigami.Units.gridUnit * 30
    standardButtons: Kirigami.Dialog.Close

    ColumnLayout {
        spacing: Kirigami.Units.largeSpacing

        QQC2.Label {
            objectName: "noChangesLabel"
            Layout.fillWidth: true
            visible: dialog.removedLines.length === 0 && dialog.addedLines.length === 0
            text: i18nc("@info", "Apply will not change any line of the configuration file.")
            wrapMode: Text.Wrap
            // Fixed: the style aligns by line count, which wrapping changes.
            verticalAlignment: Text.AlignTop
        }

        Kirigami.ListSectionHeader {
            Layout.fillWidth: true
            visible: dialog.removedLines.length > 0
            text: i18ncp("@title:group", "%1 line removed", "%1 lines removed", dialog.removedLines.length)
        }
        Repeater {
            objectName: "removedLines"
            model: dialog.removedLines
            delegate: ChangedLine {
                line: modelData
                added: false
            }
        }

        Kirigami.ListSectionHeader {
            Layout.fillWidth: true
            visible: dialog.addedLines.length > 0
            text: i18ncp("@title:group", "%1 line added", "%1 lines added", dialog.addedLines.length)
        }
        Repeater {
            objectName: "addedLines"
            model: dialog.addedLines
            delegate: ChangedLine {
                line: modelData
                added: true
            }
        }
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// What Apply will write: the lines it removes from the configuration file
// and the lines it adds, as the module computes them with the save's own code.
Kirigami.OverlaySheet {
    id: sheet
    objectName: "changesSheet"

    property var removedLines: []
    property var addedLines: []

    function openWith(changes) {
        removedLines = changes.removed;
        addedLines = changes.added;
        open();
    }

    header: Kirigami.Heading {
        text: i18nc("@title:window", "Changes Apply Will Make")
        wrapMode: Text.Wrap
        // Fixed: the style aligns by line count, which wrapping changes.
        verticalAlignment: Text.AlignTop
    }

    ColumnLayout {
        spacing: Kirigami.Units.largeSpacing
        Layout.preferredWidth: Kirigami.Units.gridUnit * 30

        QQC2.Label {
            objectName: "noChangesLabel"
            Layout.fillWidth: true
            visible: sheet.removedLines.length === 0 && sheet.addedLines.length === 0
            text: i18n("Apply will not change any line of the configuration file.")
            wrapMode: Text.Wrap
            // Fixed: the style aligns by line count, which wrapping changes.
            verticalAlignment: Text.AlignTop
        }

        Kirigami.ListSectionHeader {
            Layout.fillWidth: true
            visible: sheet.removedLines.length > 0
            text: i18ncp("@title:group", "%1 line removed", "%1 lines removed", sheet.removedLines.length)
        }
        Repeater {
            objectName: "removedLines"
            model: sheet.removedLines
            delegate: ChangedLine {
                line: modelData
                added: false
            }
        }

        Kirigami.ListSectionHeader {
            Layout.fillWidth: true
            visible: sheet.addedLines.length > 0
            text: i18ncp("@title:group", "%1 line added", "%1 lines added", sheet.addedLines.length)
        }
        Repeater {
            objectName: "addedLines"
            model: sheet.addedLines
            delegate: ChangedLine {
                line: modelData
                added: true
            }
        }
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// A long text shown in full: monospaced, so that columns of a script's output
// line up, selectable, so that it can be copied, and scrollable both ways.
// Its size is fixed by the window, never by the text, which may be long.
QQC2.Dialog {
    id: dialog

    property string details

    parent: QQC2.Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(parent ? parent.width - Kirigami.Units.gridUnit * 2 : 0, Kirigami.Units.gridUnit * 40)
    height: Math.min(parent ? parent.height - Kirigami.Units.gridUnit * 2 : 0, Kirigami.Units.gridUnit * 28)
    modal: true
    standardButtons: QQC2.Dialog.Close

    contentItem: QQC2.ScrollView {
        QQC2.TextArea {
            objectName: dialog.objectName + "Text"
            text: dialog.details
            readOnly: true
            selectByMouse: true
            selectByKeyboard: true
            wrapMode: TextEdit.NoWrap
            font: kcm.fixedWidthFont
            textFormat: TextEdit.PlainText
            Accessible.name: dialog.title
        }
    }
}

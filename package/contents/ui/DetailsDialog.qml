// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// A long text shown in full: monospaced, so that columns of a script's output
// line up, selectable, so that it can be copied, and scrollable both ways.
// Its size is bounded by the window, never by the text, which may be long.
Kirigami.PromptDialog {
    id: dialog

    property string details

    // Over the whole page, wherever it is declared.
    parent: QQC2.Overlay.overlay
    preferredWidth: Kirigami.Units.gridUnit * 40
    standardButtons: Kirigami.Dialog.Close

    // Scrolls by itself, both ways, at a height of its own: the dialog's
    // own scrolling wraps lines to its width, and a height that followed
    // the text would make its layout loop.
    QQC2.ScrollView {
        implicitHeight: Kirigami.Units.gridUnit * 18

        QQC2.TextArea {
            id: detailsText
            objectName: dialog.objectName + "Text"
            // Only while shown: a text changed while the dialog is hidden
            // makes its layout loop.
            text: dialog.visible ? dialog.details : ""
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

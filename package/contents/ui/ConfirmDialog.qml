// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// A question before an edit that reaches further than the control it came
// from: what will happen, then the action and Cancel. Its width is fixed by
// the window, so a long list in the text wraps and never widens it.
QQC2.Dialog {
    id: dialog

    property string subtitle
    // The action that confirms; Cancel only closes.
    property Kirigami.Action confirmAction
    property Kirigami.Action cancelAction

    parent: QQC2.Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(parent ? parent.width - Kirigami.Units.gridUnit * 2 : 0, Kirigami.Units.gridUnit * 24)
    modal: true

    contentItem: QQC2.Label {
        text: dialog.subtitle
        wrapMode: Text.Wrap
        textFormat: Text.PlainText
    }

    footer: QQC2.DialogButtonBox {
        QQC2.Button {
            action: dialog.confirmAction
            Accessible.name: text
            QQC2.DialogButtonBox.buttonRole: QQC2.DialogButtonBox.AcceptRole
        }
        QQC2.Button {
            action: dialog.cancelAction
            Accessible.name: text
            QQC2.DialogButtonBox.buttonRole: QQC2.DialogButtonBox.RejectRole
        }
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// Actions as buttons at the end of a row, as many as its width holds in the
// user's language; the rest go into an overflow menu, as in Kirigami's
// action toolbars. Every button, the overflow button too, has a name for
// assistive technology, which Kirigami's toolbar does not give its own.
Item {
    id: actionRow

    property list<QtObject> actions
    // How many actions show as buttons, from the first: those whose buttons
    // fit beside each other, with the overflow button when any does not.
    readonly property int shownCount: {
        let used = 0;
        for (let i = 0; i < actions.length; ++i) {
            const button = buttons.itemAt(i);
            used += (button ? button.Layout.preferredWidth : 0) + (i > 0 ? content.spacing : 0);
            const rest = i < actions.length - 1 ? content.spacing + moreButton.implicitWidth : 0;
            if (used + rest > width) {
                return i;
            }
        }
        return actions.length;
    }

    // The width all the actions take as buttons.
    readonly property real fullWidth: {
        let used = 0;
        for (let i = 0; i < actions.length; ++i) {
            const button = buttons.itemAt(i);
            used += (button ? button.Layout.preferredWidth : 0) + (i > 0 ? content.spacing : 0);
        }
        return used;
    }

    // Its width is what the row around it leaves, never what its buttons ask.
    Layout.fillWidth: true
    Layout.minimumWidth: moreButton.implicitWidth
    implicitHeight: content.implicitHeight

    RowLayout {
        id: content
        anchors {
            top: parent.top
            bottom: parent.bottom
            right: parent.right
        }
        spacing: Kirigami.Units.smallSpacing

        Repeater {
            id: buttons
            model: actionRow.actions
            delegate: QQC2.ToolButton {
                // What its icon and text take: the style's own measure
                // asks for more than they need.
                Layout.preferredWidth: implicitContentWidth + leftPadding + rightPadding
                action: modelData
                visible: index < actionRow.shownCount
                Accessible.name: modelData.text
                QQC2.ToolTip.text: modelData.tooltip
                QQC2.ToolTip.visible: hovered && modelData.tooltip !== ""
                QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
            }
        }

        QQC2.ToolButton {
            id: moreButton
            objectName: "moreActionsButton"
            visible: actionRow.shownCount < actionRow.actions.length
            icon.name: "overflow-menu"
            text: i18nc("@action:button", "More Actions")
            display: QQC2.AbstractButton.IconOnly
            Accessible.name: text
            Accessible.role: Accessible.ButtonMenu
            QQC2.ToolTip.text: text
            QQC2.ToolTip.visible: hovered
            QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
            onClicked: moreMenu.popup(moreButton, 0, moreButton.height)

            QQC2.Menu {
                id: moreMenu

                Instantiator {
                    model: actionRow.actions
                    delegate: QQC2.MenuItem {
                        action: modelData
                        visible: index >= actionRow.shownCount
                        height: visible ? implicitHeight : 0
                        Accessible.name: modelData.text
                    }
                    onObjectAdded: (index, object) => moreMenu.insertItem(index, object)
                    onObjectRemoved: (index, object) => moreMenu.removeItem(object)
                }
            }
        }
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// One attribute of a rule or alias, removable with its button or, once
// focused, with the Delete key. Kirigami.Chip's own remove button carries an
// untranslated name, hence a chip of our own on the same background.
Kirigami.AbstractChip {
    id: chip

    closable: true
    checkable: false
    focusPolicy: Qt.StrongFocus
    Accessible.name: text
    Accessible.description: i18nc("@info:accessible", "Press Delete to remove it")

    implicitWidth: layout.implicitWidth
    implicitHeight: removeButton.implicitHeight

    Keys.onDeletePressed: chip.removed()

    contentItem: RowLayout {
        id: layout
        spacing: 0

        QQC2.Label {
            Layout.fillWidth: true
            Layout.leftMargin: Kirigami.Units.largeSpacing
            Layout.rightMargin: Kirigami.Units.smallSpacing
            verticalAlignment: Text.AlignVCenter
            text: chip.text
            elide: Text.ElideRight
        }
        QQC2.ToolButton {
            id: removeButton
            objectName: "removeAttribute_" + chip.text
            text: i18nc("@action:button remove an attribute", "Remove %1", chip.text)
            Accessible.name: text
            icon.name: "edit-delete-remove"
            icon.width: Kirigami.Units.iconSizes.sizeForLabels
            icon.height: Kirigami.Units.iconSizes.sizeForLabels
            display: QQC2.AbstractButton.IconOnly
            focusPolicy: Qt.NoFocus
            QQC2.ToolTip.text: text
            QQC2.ToolTip.visible: hovered
            QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
            onClicked: chip.removed()
        }
    }
}

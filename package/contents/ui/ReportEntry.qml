// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// One entry of a check report: the path, for a changed one what differs, and
// the ways to turn a false alarm into a rule edit, as icons with tooltips so
// that a long report stays a list of paths.
ColumnLayout {
    id: entry

    property string path
    property string kind
    property var changes: []
    // Detail lines with one value, such as the date of a new or deleted file.
    property var values: []
    property bool ruleEditable: false
    property string editNote
    // Whether afick checks the path under the rules as edited now.
    property bool checked: false

    signal revealRequested()
    signal stopCheckingRequested()
    signal stopComparingRequested(string attribute)

    objectName: "reportEntry_" + path
    spacing: 0

    RowLayout {
        Layout.fillWidth: true
        spacing: Kirigami.Units.smallSpacing

        Kirigami.Icon {
            Layout.preferredWidth: Kirigami.Units.iconSizes.small
            Layout.preferredHeight: Kirigami.Units.iconSizes.small
            source: entry.kind === "new" ? "list-add" : (entry.kind === "deleted" ? "list-remove" : "document-edit")
        }
        QQC2.Label {
            objectName: "reportEntryPath"
            Layout.fillWidth: true
            text: entry.path
            elide: Text.ElideMiddle
            QQC2.ToolTip.text: text
            QQC2.ToolTip.visible: truncated && pathHover.hovered
            QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay

            HoverHandler {
                id: pathHover
            }
        }
        QQC2.ToolButton {
            objectName: "showInRulesButton"
            text: i18nc("@action:button", "Show in Rules")
            Accessible.name: i18nc("@action:button %1 is a path", "Show %1 in Rules", entry.path)
            icon.name: "go-jump"
            display: QQC2.AbstractButton.IconOnly
            QQC2.ToolTip.text: Accessible.name
            QQC2.ToolTip.visible: hovered
            QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
            onClicked: entry.revealRequested()
        }
        QQC2.ToolButton {
            objectName: "stopCheckingButton"
            visible: entry.ruleEditable && entry.checked
            text: i18nc("@action:button", "Stop Checking This Path")
            Accessible.name: i18nc("@action:button %1 is a path", "Stop checking %1", entry.path)
            icon.name: "list-remove"
            display: QQC2.AbstractButton.IconOnly
            QQC2.ToolTip.text: i18nc("@info:tooltip", "Stop checking this path: add a rule that leaves it out of every check; Apply writes it")
            QQC2.ToolTip.visible: hovered
            QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
            onClicked: entry.stopCheckingRequested()
        }
    }

    Repeater {
        model: entry.changes
        delegate: RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: Kirigami.Units.iconSizes.small + Kirigami.Units.smallSpacing
            spacing: Kirigami.Units.smallSpacing

            QQC2.Label {
                objectName: "reportChange_" + modelData.name
                Layout.fillWidth: true
                text: i18nc("@info an attribute of a file, its value in the database and its value now", "%1: %2 → %3", modelData.name, modelData.oldValue, modelData.newValue)
                font: kcm.fixedWidthFont
                wrapMode: Text.WrapAnywhere
                // Fixed: the style aligns by line count, which wrapping changes.
                verticalAlignment: Text.AlignTop
            }
            QQC2.ToolButton {
                objectName: "stopComparingButton_" + modelData.name
                visible: entry.ruleEditable && entry.checked
                text: i18nc("@action:button %1 is an attribute such as md5", "Stop Comparing %1 Here", modelData.name)
                Accessible.name: text
                icon.name: "edit-delete-remove"
                display: QQC2.AbstractButton.IconOnly
                QQC2.ToolTip.text: i18nc("@info:tooltip %1 is an attribute such as md5", "Stop comparing %1 here: give this path a rule of its own without it; Apply writes it", modelData.name)
                QQC2.ToolTip.visible: hovered
                QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
                onClicked: entry.stopComparingRequested(modelData.name)
            }
        }
    }

    Repeater {
        model: entry.values
        delegate: QQC2.Label {
            objectName: "reportValue_" + modelData.name
            Layout.fillWidth: true
            Layout.leftMargin: Kirigami.Units.iconSizes.small + Kirigami.Units.smallSpacing
            text: i18nc("@info an attribute of a file and its value", "%1: %2", modelData.name, modelData.value)
            font: kcm.fixedWidthFont
            wrapMode: Text.WrapAnywhere
            // Fixed: the style aligns by line count, which wrapping changes.
            verticalAlignment: Text.AlignTop
        }
    }

    QQC2.Label {
        objectName: "reportEntryNote"
        Layout.fillWidth: true
        Layout.leftMargin: Kirigami.Units.iconSizes.small + Kirigami.Units.smallSpacing
        visible: entry.editNote.length > 0
        text: entry.editNote
        font.italic: true
        wrapMode: Text.Wrap
        verticalAlignment: Text.AlignTop
        color: Kirigami.Theme.positiveTextColor
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// One row of the file tree: expander, icon, name, what afick applies to the
// path (its own rule, one inherited from a folder above, or why it is left
// out) and a mark when its own rule has been changed since the file was read.
QQC2.ItemDelegate {
    id: row

    readonly property string path: model.filePath
    readonly property bool isDirectory: model.fileIsDirectory
    readonly property bool expanded: model.kDescendantExpanded
    // As the file writes it: the prefix, then the attributes.
    readonly property string ruleText: [model.integrityPrefix, model.integrityAttributes].filter(part => part.length > 0).join(" ")
    readonly property bool changed: model.integrityElementChanged
    // Where the path has no line of its own: the rule it inherits, dimmed,
    // or that afick leaves it out; empty when it is not watched at all.
    // Short, so that it fits beside the name on any window; the reason
    // itself is the row's tooltip, whole.
    readonly property string effectiveText: {
        if (ruleText.length > 0) {
            return "";
        }
        if (model.effectiveState === "inherited") {
            return i18nc("@info:status the attributes of a rule and the path whose rule it is", "%1 · from %2", model.effectiveAttributes, model.effectiveSource);
        }
        if (model.effectiveState === "perhapsExcluded") {
            return i18nc("@info:status a path afick may leave out of its checks", "perhaps not checked");
        }
        return model.effectiveState === "excluded" ? i18nc("@info:status a path afick leaves out of its checks", "not checked") : "";
    }
    readonly property string scopeText: {
        if (ruleText.length > 0) {
            return "";
        }
        if (model.effectiveState === "inherited") {
            return i18nc("@info:tooltip the path whose rule applies and that rule's attributes", "Checked with the rule of %1: %2", model.effectiveSource, model.effectiveAttributes);
        }
        return model.excludedReason;
    }
    // Set once opening showed the directory to be empty, so the expander goes.
    property bool listedEmpty: false

    signal selected()
    signal activated()
    signal expandToggled(bool expanded)
    signal retryRequested()

    objectName: "fileRow_" + model.filePath
    highlighted: ListView.isCurrentItem
    focusPolicy: Qt.NoFocus
    Accessible.role: Accessible.TreeItem
    Accessible.name: {
        let text = i18nc("@info:accessible file name without a rule", "%1, no rule", model.fileName);
        if (ruleText.length > 0) {
            text = i18nc("@info:accessible file name and its rule", "%1, rule %2", model.fileName, ruleText);
        } else if (scopeText.length > 0) {
            text = i18nc("@info:accessible file name and the rule it inherits or why it is not checked", "%1, %2", model.fileName, scopeText);
        }
        if (changed) {
            text = i18nc("@info:accessible", "%1, changed", text);
        }
        return text;
    }

    QQC2.ToolTip.text: scopeText
    QQC2.ToolTip.visible: hovered && scopeText.length > 0
    QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay

    onClicked: row.selected()
    onDoubleClicked: row.activated()

    contentItem: RowLayout {
        spacing: Kirigami.Units.smallSpacing

        Item {
            Layout.preferredWidth: (model.kDescendantLevel - 1) * Kirigami.Units.gridUnit
        }

        QQC2.ToolButton {
            objectName: "expander"
            Layout.preferredWidth: Kirigami.Units.iconSizes.small + leftPadding + rightPadding
            Layout.preferredHeight: Layout.preferredWidth
            opacity: row.isDirectory && !row.listedEmpty && !model.fileListingFailed ? 1 : 0
            enabled: row.isDirectory && !row.listedEmpty && !model.fileListingFailed
            focusPolicy: Qt.NoFocus
            icon.name: row.expanded ? "go-down-symbolic" : (row.mirrored ? "go-previous-symbolic" : "go-next-symbolic")
            icon.width: Kirigami.Units.iconSizes.small
            icon.height: Kirigami.Units.iconSizes.small
            display: QQC2.AbstractButton.IconOnly
            text: row.expanded ? i18nc("@action:button", "Collapse %1", model.fileName) : i18nc("@action:button", "Expand %1", model.fileName)
            Accessible.name: text
            onClicked: {
                row.selected();
                row.expandToggled(!row.expanded);
                row.listedEmpty = !row.expanded && !model.kDescendantExpandable;
            }
        }

        Kirigami.Icon {
            Layout.preferredWidth: Kirigami.Units.iconSizes.smallMedium
            Layout.preferredHeight: Kirigami.Units.iconSizes.smallMedium
            source: model.fileIcon
            fallback: row.isDirectory ? "inode-directory" : "text-plain"
        }

        QQC2.Label {
            Layout.fillWidth: true
            Layout.minimumWidth: Kirigami.Units.gridUnit * 3
            text: model.fileName
            elide: Text.ElideRight
        }

        // A folder whose listing was refused is no empty folder.
        QQC2.Label {
            objectName: "listingFailedLabel"
            visible: model.fileListingFailed
            text: i18nc("@info:status", "Not listed")
            color: Kirigami.Theme.negativeTextColor
        }
        QQC2.ToolButton {
            objectName: "retryListingButton"
            visible: model.fileListingFailed
            focusPolicy: Qt.NoFocus
            icon.name: "view-refresh"
            display: QQC2.AbstractButton.IconOnly
            text: i18nc("@action:button", "List %1 Again", model.fileName)
            Accessible.name: text
            QQC2.ToolTip.text: text
            QQC2.ToolTip.visible: hovered
            QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
            onClicked: {
                row.selected();
                row.listedEmpty = false;
                row.retryRequested();
            }
        }

        QQC2.Label {
            objectName: "ruleLabel"
            Layout.maximumWidth: Math.round(row.width * 0.4)
            visible: row.ruleText.length > 0
            text: row.ruleText
            font: kcm.fixedWidthFont
            elide: Text.ElideRight
            color: row.highlighted ? Kirigami.Theme.highlightedTextColor : Kirigami.Theme.disabledTextColor
        }

        // Unlike an own rule: not the file's line, so dimmed further and slanted.
        QQC2.Label {
            objectName: "effectiveLabel"
            Layout.maximumWidth: Math.round(row.width * 0.4)
            visible: row.effectiveText.length > 0
            text: row.effectiveText
            font.italic: true
            elide: Text.ElideRight
            opacity: 0.7
            color: row.highlighted ? Kirigami.Theme.highlightedTextColor : Kirigami.Theme.disabledTextColor
        }

        Kirigami.Icon {
            objectName: "changedMark"
            Layout.preferredWidth: Kirigami.Units.iconSizes.small
            Layout.preferredHeight: Kirigami.Units.iconSizes.small
            visible: row.changed
            source: "document-edit"
            QQC2.ToolTip.text: i18nc("@info:tooltip", "Rule changed; Apply writes it to the configuration file")
            QQC2.ToolTip.visible: changedHover.hovered
            QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay

            HoverHandler {
                id: changedHover
            }
        }
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami
import AfickAliasEditor 1.0

// The selected alias: its name and its attributes.
FocusScope {
    id: editor

    property bool showBackButton: false
    // The page's questions before a rename or a deletion.
    property QtObject renameDialog
    property QtObject deleteDialog
    readonly property string currentAlias: AfickAliasEditor.currentAlias
    // Why the typed name cannot replace the current one; empty when it can.
    readonly property string renameProblem: {
        AfickAliasEditor.aliases;
        return nameField.text === currentAlias ? "" : kcm.aliasNameProblem(nameField.text);
    }

    signal backRequested()

    // The rules and aliases in @p users, one per line, ready to show.
    function usersText(users) {
        return users.rules.map(path => i18nc("@item a rule that names an alias", "The rule of %1", path))
            .concat(users.aliases.map(name => i18nc("@item an alias that names another alias", "The alias %1", name)))
            .join("\n");
    }

    // Renames at once when nothing names the alias; otherwise says first
    // which rules and aliases will follow the new name.
    function rename(newName) {
        const users = kcm.aliasUsers(currentAlias);
        if (users.rules.length === 0 && users.aliases.length === 0) {
            kcm.renameCurrentAlias(newName);
            return;
        }
        renameDialog.newName = newName;
        // Opened first: a text changed while the dialog is hidden makes its
        // layout loop.
        renameDialog.open();
        renameDialog.subtitle = i18nc("@info followed by the list of rules and aliases", "Renaming \"%1\" to \"%2\" renames it in these too:", currentAlias, newName) + "\n" + usersText(users);
    }

    function askToDelete() {
        const users = kcm.aliasUsers(currentAlias);
        deleteDialog.aliasName = currentAlias;
        deleteDialog.open();
        deleteDialog.subtitle = users.rules.length === 0 && users.aliases.length === 0
            ? i18nc("@info", "No rule or alias uses \"%1\".", currentAlias)
            : i18nc("@info followed by the list of rules and aliases", "These still name \"%1\"; until they are changed, Apply will refuse to write the file:", currentAlias) + "\n" + usersText(users);
    }

    implicitHeight: column.implicitHeight + Kirigami.Units.largeSpacing * 2
    Keys.onEscapePressed: {
        if (showBackButton) {
            backRequested();
        }
    }

    ColumnLayout {
        id: column
        anchors {
            fill: parent
            margins: Kirigami.Units.largeSpacing
        }
        spacing: Kirigami.Units.largeSpacing

        QQC2.Button {
            objectName: "backToAliasesButton"
            visible: editor.showBackButton
            text: i18nc("@action:button", "Back to Aliases")
            Accessible.name: text
            icon.name: editor.mirrored ? "go-next" : "go-previous"
            onClicked: editor.backRequested()
        }

        Kirigami.PlaceholderMessage {
            Layout.fillWidth: true
            Layout.topMargin: Kirigami.Units.gridUnit * 2
            visible: editor.currentAlias === ""
            icon.name: "format-list-unordered"
            text: i18nc("@info:placeholder", "Select an alias")
            explanation: i18nc("@info:placeholder", "Or create one with a name of its own.")
        }

        Kirigami.FormLayout {
            Layout.fillWidth: true
            visible: editor.currentAlias !== ""

            // The problem shares the name's cell: as a row of the form's own,
            // a wrapping text makes the form's layout depend on itself.
            ColumnLayout {
                Kirigami.FormData.label: i18nc("@label:textbox", "Name:")
                Layout.fillWidth: true
                spacing: Kirigami.Units.smallSpacing

                RowLayout {
                    Layout.fillWidth: true
                    spacing: Kirigami.Units.smallSpacing

                    QQC2.TextField {
                        id: nameField
                        objectName: "aliasNameField"
                        Layout.fillWidth: true
                        Layout.maximumWidth: Kirigami.Units.gridUnit * 14
                        text: editor.currentAlias
                        Accessible.name: i18nc("@info:accessible", "Alias name")
                        onAccepted: renameButton.clicked()
                    }
                    QQC2.Button {
                        id: renameButton
                        objectName: "renameAliasButton"
                        text: i18nc("@action:button", "Rename")
                        Accessible.name: i18nc("@action:button", "Rename alias")
                        icon.name: "edit-rename"
                        enabled: nameField.text !== editor.currentAlias && editor.renameProblem === ""
                        onClicked: editor.rename(nameField.text)
                    }
                    QQC2.Button {
                        objectName: "deleteAliasButton"
                        text: i18nc("@action:button", "Delete")
                        Accessible.name: i18nc("@action:button", "Delete alias")
                        icon.name: "edit-delete"
                        onClicked: editor.askToDelete()
                    }
                }

                QQC2.Label {
                    objectName: "renameProblem"
                    Layout.fillWidth: true
                    visible: text.length > 0
                    text: editor.renameProblem
                    wrapMode: Text.Wrap
                    // Fixed: the style aligns by line count, which wrapping changes.
                    verticalAlignment: Text.AlignTop
                    color: Kirigami.Theme.negativeTextColor
                }
            }

            AttributeEditor {
                objectName: "aliasAttributes"
                Kirigami.FormData.label: i18nc("@label", "Attributes:")
                Layout.fillWidth: true
                accessibleName: i18nc("@info:accessible", "Attributes of the alias %1", editor.currentAlias)
                attributes: AfickAliasEditor.aliasAttributes
                unusedAttributes: AfickAliasEditor.unusedAliasAttributes
                onAddRequested: AfickAliasEditor.addAliasAttribute(name)
                onRemoveRequested: AfickAliasEditor.removeAliasAttribute(name)
            }

            QQC2.Switch {
                objectName: "aliasFullNamesSwitch"
                // Narrow windows cut the text short rather than overflow; the
                // whole text stays the name and shows on hover.
                Layout.fillWidth: true
                QQC2.ToolTip.text: text
                QQC2.ToolTip.visible: hovered && contentItem.truncated
                QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
                Kirigami.FormData.label: i18nc("@label", "Names:")
                text: i18nc("@option:check", "Show full attribute names")
                Accessible.name: text
                checked: AfickAliasEditor.showFullNames
                onToggled: AfickAliasEditor.showFullNames = checked
            }
        }
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami
import AfickAliasEditor 1.0

// The named attribute sets of the configuration: a list to pick one from and
// the editor of the picked one, side by side or, when narrow, one after the other.
Item {
    id: view

    // Nothing to edit before a configuration has been read.
    enabled: kcm.configLoaded

    readonly property bool narrow: width < Kirigami.Units.gridUnit * 34
    property bool editing: false
    // Why the typed name cannot be a new alias; empty when it can. Read
    // again whenever the aliases change.
    readonly property string newNameProblem: {
        AfickAliasEditor.aliases;
        return newName.text.length > 0 ? kcm.aliasNameProblem(newName.text) : "";
    }

    function selectAlias(name) {
        AfickAliasEditor.currentAlias = name;
        editing = true;
    }

    ColumnLayout {
        id: listColumn
        anchors {
            top: parent.top
            bottom: parent.bottom
            left: parent.left
        }
        width: view.narrow ? parent.width : Math.round(parent.width * 0.35)
        visible: !view.narrow || !view.editing
        spacing: 0

        QQC2.ScrollView {
            Layout.fillWidth: true
            Layout.fillHeight: true

            ListView {
                id: aliasList
                objectName: "aliasList"
                model: AfickAliasEditor.aliases
                clip: true
                activeFocusOnTab: true
                keyNavigationEnabled: true
                currentIndex: model.indexOf(AfickAliasEditor.currentAlias)
                Accessible.role: Accessible.List
                Accessible.name: i18nc("@info:accessible", "Aliases")

                delegate: QQC2.ItemDelegate {
                    objectName: "alias_" + modelData
                    width: ListView.view.width
                    text: modelData
                    highlighted: modelData === AfickAliasEditor.currentAlias
                    focusPolicy: Qt.NoFocus
                    Accessible.name: modelData
                    onClicked: view.selectAlias(modelData)
                }

                Keys.onReturnPressed: {
                    if (currentIndex >= 0) {
                        view.selectAlias(model[currentIndex]);
                        aliasEditor.forceActiveFocus();
                    }
                }
                Keys.onSpacePressed: {
                    if (currentIndex >= 0) {
                        view.selectAlias(model[currentIndex]);
                    }
                }

                Kirigami.PlaceholderMessage {
                    anchors.centerIn: parent
                    width: parent.width - Kirigami.Units.largeSpacing * 4
                    visible: aliasList.count === 0
                    text: i18nc("@info:placeholder", "No aliases")
                    explanation: i18nc("@info:placeholder", "An alias names a set of attributes that rules can use.")
                }
            }
        }

        Kirigami.Separator {
            Layout.fillWidth: true
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: Kirigami.Units.smallSpacing
            spacing: Kirigami.Units.smallSpacing

            QQC2.TextField {
                id: newName
                objectName: "newAliasName"
                Layout.fillWidth: true
                placeholderText: i18nc("@info:placeholder", "New alias name")
                Accessible.name: i18nc("@info:accessible", "Name of a new alias")
                onAccepted: createButton.clicked()
            }
            QQC2.Button {
                id: createButton
                objectName: "createAliasButton"
                text: i18nc("@action:button", "Create")
                Accessible.name: i18nc("@action:button", "Create alias")
                icon.name: "list-add"
                enabled: newName.text.length > 0 && view.newNameProblem === ""
                onClicked: {
                    view.selectAlias(newName.text);
                    newName.clear();
                }
            }
        }
        QQC2.Label {
            objectName: "newAliasProblem"
            Layout.fillWidth: true
            Layout.margins: Kirigami.Units.smallSpacing
            visible: text.length > 0
            text: view.newNameProblem
            wrapMode: Text.Wrap
            // Fixed: the style aligns by line count, which wrapping changes.
            verticalAlignment: Text.AlignTop
            color: Kirigami.Theme.negativeTextColor
        }
    }

    Kirigami.Separator {
        id: separator
        anchors {
            top: parent.top
            bottom: parent.bottom
            left: listColumn.right
        }
        visible: !view.narrow
    }

    QQC2.ScrollView {
        id: editorScroll
        anchors {
            top: parent.top
            bottom: parent.bottom
            left: view.narrow ? parent.left : separator.right
            right: parent.right
        }
        visible: !view.narrow || view.editing
        QQC2.ScrollBar.horizontal.policy: QQC2.ScrollBar.AlwaysOff
        contentWidth: availableWidth

        AliasEditor {
            id: aliasEditor
            objectName: "aliasEditor"
            width: editorScroll.availableWidth
            showBackButton: view.narrow
            renameDialog: renameAliasDialog
            deleteDialog: deleteAliasDialog
            onBackRequested: {
                view.editing = false;
                aliasList.forceActiveFocus();
            }
        }
    }

    Kirigami.PromptDialog {
        id: renameAliasDialog
        objectName: "renameAliasDialog"
        property string newName
        title: i18nc("@title:window", "Rename Alias")
        standardButtons: Kirigami.Dialog.NoButton
        customFooterActions: [
            Kirigami.Action {
                objectName: "confirmRenameAliasAction"
                text: i18nc("@action:button", "Rename")
                icon.name: "edit-rename"
                onTriggered: {
                    renameAliasDialog.close();
                    kcm.renameCurrentAlias(renameAliasDialog.newName);
                }
            },
            Kirigami.Action {
                objectName: "cancelRenameAliasAction"
                text: i18nc("@action:button", "Cancel")
                icon.name: "dialog-cancel"
                onTriggered: renameAliasDialog.close()
            }
        ]
    }

    Kirigami.PromptDialog {
        id: deleteAliasDialog
        objectName: "deleteAliasDialog"
        property string aliasName
        title: i18nc("@title:window", "Delete Alias")
        standardButtons: Kirigami.Dialog.NoButton
        customFooterActions: [
            Kirigami.Action {
                objectName: "confirmDeleteAliasAction"
                text: i18nc("@action:button", "Delete")
                icon.name: "edit-delete"
                onTriggered: {
                    deleteAliasDialog.close();
                    kcm.deleteAlias(deleteAliasDialog.aliasName);
                }
            },
            Kirigami.Action {
                objectName: "cancelDeleteAliasAction"
                text: i18nc("@action:button", "Cancel")
                icon.name: "dialog-cancel"
                onTriggered: deleteAliasDialog.close()
            }
        ]
    }
}

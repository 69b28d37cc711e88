// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// The attributes of a rule or an alias as removable chips, and a menu of the
// attributes and aliases that can still be added.
ColumnLayout {
    id: editor

    property var attributes: []
    property var unusedAttributes: []
    // Names the list for assistive technology, e.g. "Attributes of /etc".
    property string accessibleName

    signal addRequested(string name)
    signal removeRequested(string name)

    spacing: Kirigami.Units.smallSpacing

    QQC2.Label {
        objectName: "noAttributesLabel"
        Layout.fillWidth: true
        visible: editor.attributes.length === 0
        text: i18nc("@info", "No attributes: nothing is compared.")
        // One line, cut short if need be: wrapped, its height would depend on
        // the width the form gives it, which loops while the page settles.
        elide: Text.ElideRight
        opacity: 0.7
    }

    Flow {
        objectName: "attributeChips"
        Layout.fillWidth: true
        spacing: Kirigami.Units.smallSpacing
        visible: editor.attributes.length > 0
        Accessible.role: Accessible.List
        Accessible.name: editor.accessibleName

        Repeater {
            model: editor.attributes
            delegate: AttributeChip {
                objectName: "attribute_" + modelData
                text: modelData
                // Removing changes the list this chip comes from, so it
                // happens after the chip's own handler; a keyboard user then
                // goes on from the add button.
                onRemoved: {
                    const name = modelData;
                    const list = editor;
                    const next = activeFocus ? addButton : null;
                    Qt.callLater(() => {
                        list.removeRequested(name);
                        if (next) {
                            next.forceActiveFocus();
                        }
                    });
                }
            }
        }
    }

    QQC2.Button {
        id: addButton
        objectName: "addAttributeButton"
        text: i18nc("@action:button", "Add Attribute…")
        Accessible.name: text
        icon.name: "list-add"
        enabled: editor.unusedAttributes.length > 0
        onClicked: addMenu.popup(addButton, 0, addButton.height)

        QQC2.Menu {
            id: addMenu
            objectName: "addAttributeMenu"
            // Keyboard users go on from where they were; a closing popup
            // hands the focus to the window's content item after this signal.
            onClosed: Qt.callLater(() => addButton.forceActiveFocus())

            Instantiator {
                model: editor.unusedAttributes
                delegate: QQC2.MenuItem {
                    objectName: "addAttribute_" + modelData
                    // Not the style's width of its parent: a menu taller
                    // than the window takes the items it scrolls out of
                    // view from their parent, which made that width loop.
                    width: addMenu.availableWidth
                    text: modelData
                    Accessible.name: text
                    // Adding changes the list this item comes from: the menu
                    // closes first, and the item is not destroyed in its own handler.
                    onTriggered: Qt.callLater(editor.addRequested, modelData)
                }
                onObjectAdded: addMenu.insertItem(index, object)
                onObjectRemoved: addMenu.removeItem(object)
            }
        }
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami
import AfickCurrentRule 1.0

// The rule of the selected path, edited through the AfickCurrentRule singleton.
FocusScope {
    id: editor

    property string path
    // What afick applies to the path while it has no rule of its own, whole.
    property string scopeText
    property bool showBackButton: false

    signal backRequested()

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
            objectName: "backToTreeButton"
            visible: editor.showBackButton
            text: i18nc("@action:button", "Back to Files")
            Accessible.name: text
            icon.name: editor.mirrored ? "go-next" : "go-previous"
            onClicked: editor.backRequested()
        }

        Kirigami.PlaceholderMessage {
            objectName: "noSelectionMessage"
            Layout.fillWidth: true
            Layout.topMargin: Kirigami.Units.gridUnit * 2
            visible: editor.path === ""
            icon.name: "document-properties"
            text: i18nc("@info:placeholder", "Select a file or folder")
            explanation: i18nc("@info:placeholder", "Its rule tells afick which of its attributes to compare.")
        }

        // Outside the form: wrapping text inside a form's grid makes its
        // height depend on itself.
        Kirigami.InlineMessage {
            objectName: "ruleScopeMessage"
            Layout.fillWidth: true
            visible: editor.path !== "" && editor.scopeText !== ""
            type: Kirigami.MessageType.Information
            text: editor.scopeText
        }

        Kirigami.FormLayout {
            Layout.fillWidth: true
            visible: editor.path !== ""

            QQC2.Label {
                objectName: "rulePath"
                Kirigami.FormData.label: i18nc("@label", "Path:")
                Layout.fillWidth: true
                text: editor.path
                font: kcm.fixedWidthFont
                // Cut short in the middle, where a path says least: a path
                // wrapped at any character makes the form's height depend on
                // its own width, which loops whenever the page is resized.
                elide: Text.ElideMiddle
                Accessible.name: i18nc("@info:accessible", "Path: %1", editor.path)
            }

            QQC2.ComboBox {
                id: prefixBox
                objectName: "prefixBox"
                Kirigami.FormData.label: i18nc("@label:listbox", "Applies to:")
                Layout.fillWidth: true
                Layout.maximumWidth: Kirigami.Units.gridUnit * 20
                Accessible.name: i18nc("@info:accessible", "What the rule applies to")
                textRole: "text"
                valueRole: "value"
                model: [
                    {
                        "value": "",
                        "text": i18nc("@item:inlistbox rule without prefix", "The path and everything below it")
                    },
                    {
                        "value": "=",
                        "text": i18nc("@item:inlistbox rule prefix =", "The path only, not what is below it (=)")
                    },
                    {
                        "value": "!",
                        "text": i18nc("@item:inlistbox rule prefix !", "Nothing: exclude the path from checks (!)")
                    }
                ]
                currentIndex: ["", "=", "!"].indexOf(AfickCurrentRule.prefix)
                onActivated: AfickCurrentRule.prefix = currentValue
            }

            AttributeEditor {
                objectName: "ruleAttributes"
                Kirigami.FormData.label: i18nc("@label", "Attributes:")
                Layout.fillWidth: true
                accessibleName: i18nc("@info:accessible", "Attributes of %1", editor.path)
                attributes: AfickCurrentRule.attributes
                unusedAttributes: AfickCurrentRule.unusedAttributes
                onAddRequested: AfickCurrentRule.addAttribute(name)
                onRemoveRequested: AfickCurrentRule.removeAttribute(name)
            }

            QQC2.Switch {
                objectName: "ruleFullNamesSwitch"
                // Narrow windows cut the text short rather than overflow; the
                // whole text stays the name and shows on hover.
                Layout.fillWidth: true
                QQC2.ToolTip.text: text
                QQC2.ToolTip.visible: hovered && contentItem.truncated
                QQC2.ToolTip.delay: Kirigami.Units.toolTipDelay
                Kirigami.FormData.label: i18nc("@label", "Names:")
                text: i18nc("@option:check", "Show full attribute names")
                Accessible.name: text
                checked: AfickCurrentRule.showFullNames
                onToggled: AfickCurrentRule.showFullNames = checked
            }
        }
    }
}

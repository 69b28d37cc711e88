// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

// One line of the configuration file that Apply removes or adds.
RowLayout {
    property string line
    property bool added

    Layout.fillWidth: true
    spacing: Kirigami.Units.smallSpacing

    Kirigami.Icon {
        Layout.preferredWidth: Kirigami.Units.iconSizes.small
        Layout.preferredHeight: Kirigami.Units.iconSizes.small
        Layout.alignment: Qt.AlignTop
        source: added ? "list-add" : "list-remove"
        color: added ? Kirigami.Theme.positiveTextColor : Kirigami.Theme.negativeTextColor
        isMask: true
    }
    Kirigami.SelectableLabel {
        Layout.fillWidth: true
        text: line.length > 0 ? line : i18nc("@item a line of the file that holds nothing", "(empty line)")
        font.family: kcm.fixedWidthFont.family
        font.italic: line.length === 0
        wrapMode: Text.WrapAnywhere
        Accessible.name: added ? i18nc("@info:accessible", "Added: %1", text) : i18nc("@info:accessible", "Removed: %1", text)
    }
}

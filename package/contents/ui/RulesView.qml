// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami
import org.kde.kitemmodels 1.0 as KItemModels
import AfickCurrentRule 1.0

// The file system as a tree with each path's rule, and the rule editor of the
// selected path: side by side on a wide window, one after the other on a
// narrow one.
Item {
    id: view

    readonly property bool narrow: width < Kirigami.Units.gridUnit * 34
    // On a narrow window the editor replaces the tree until the user goes back.
    property bool editing: false
    property string selectedPath

    function select(row) {
        tree.currentIndex = row;
        const path = treeModel.data(treeModel.index(row, 0), filePathRole);
        if (path === undefined || path === "") {
            return;
        }
        selectedPath = path;
        kcm.integrityFileSystemModel.setCurrentRule(path);
    }

    function setExpanded(row, expanded) {
        if (expanded) {
            // Listing a directory goes through the helper and waits for it.
            kcm.integrityFileSystemModel.loadDirectory(treeModel.data(treeModel.index(row, 0), filePathRole));
            treeModel.expandChildren(row);
        } else {
            treeModel.collapseChildren(row);
        }
    }

    // The row of @p path among the listed ones, or -1.
    function rowOf(path) {
        if (tree.count === 0) {
            return -1;
        }
        const found = treeModel.match(treeModel.index(0, 0), filePathRole, path, 1, Qt.MatchExactly);
        return found.length > 0 ? found[0].row : -1;
    }

    // Opens the folders down to @p path and selects it; a path that is gone
    // (a deleted file) selects the nearest folder that is still there.
    function reveal(path) {
        const names = path.split("/").filter(name => name.length > 0);
        let shown = -1;
        let current = "";
        for (let i = 0; i < names.length; ++i) {
            current += "/" + names[i];
            const row = rowOf(current);
            if (row < 0) {
                break;
            }
            shown = row;
            if (i < names.length - 1) {
                setExpanded(row, true);
            }
        }
        if (shown >= 0) {
            select(shown);
            tree.positionViewAtIndex(shown, ListView.Contain);
            tree.forceActiveFocus();
        }
    }

    // Typing a name's first letters selects the next row whose name starts
    // with them, as in a file manager.
    property string typedText
    function typeAhead(text) {
        typedText += text;
        typeAheadReset.restart();
        if (tree.count === 0) {
            return;
        }
        // A new search starts after the current row; a longer one may stay on it.
        const start = (tree.currentIndex + (typedText.length > 1 ? 0 : 1)) % tree.count;
        const found = treeModel.match(treeModel.index(Math.max(0, start), 0), Qt.DisplayRole, typedText, 1, Qt.MatchStartsWith | Qt.MatchWrap);
        if (found.length > 0) {
            select(found[0].row);
            tree.positionViewAtIndex(found[0].row, ListView.Contain);
        }
    }

    Timer {
        id: typeAheadReset
        interval: 1000
        onTriggered: view.typedText = ""
    }

    function openEditor() {
        if (selectedPath !== "") {
            editing = true;
            ruleEditor.forceActiveFocus();
        }
    }

    // The fixed role number of "filePath": the proxy answers data() by number.
    readonly property int filePathRole: 257

    KItemModels.KDescendantsProxyModel {
        id: treeModel
        model: kcm.integrityFileSystemModel
        // Directories are listed only when the user opens them.
        expandsByDefault: false
    }

    function showSelectedRule() {
        if (selectedPath !== "") {
            kcm.integrityFileSystemModel.setCurrentRule(selectedPath);
        }
    }

    function retryListing(row) {
        kcm.integrityFileSystemModel.retryListing(treeModel.data(treeModel.index(row, 0), filePathRole));
        treeModel.expandChildren(row);
    }

    Connections {
        target: kcm.integrityFileSystemModel
        // A read replaces the rules but keeps the tree as it stands: the
        // editor shows the selected path's rule as it is now.
        function onRulesReloaded() {
            view.showSelectedRule();
        }
        function onModelReset() {
            if (view.selectedPath !== "") {
                kcm.integrityFileSystemModel.setCurrentRule(view.selectedPath);
            }
            tree.currentIndex = -1;
        }
    }

    QQC2.ScrollView {
        id: treeScroll
        anchors {
            top: parent.top
            bottom: parent.bottom
            left: parent.left
        }
        width: view.narrow ? parent.width : Math.round(parent.width * 0.55)
        visible: !view.narrow || !view.editing
        QQC2.ScrollBar.horizontal.policy: QQC2.ScrollBar.AlwaysOff

        ListView {
            id: tree
            objectName: "fileTree"
            model: treeModel
            clip: true
            currentIndex: -1
            activeFocusOnTab: true
            keyNavigationEnabled: false
            reuseItems: false
            Accessible.role: Accessible.Tree
            Accessible.name: i18nc("@info:accessible", "Files and folders")

            delegate: FileTreeDelegate {
                width: ListView.view.width
                onSelected: {
                    view.select(index);
                    tree.forceActiveFocus();
                    // On a handset a tap on a row opens its rule, as in any list.
                    if (view.narrow) {
                        view.openEditor();
                    }
                }
                onActivated: {
                    view.select(index);
                    view.openEditor();
                }
                onExpandToggled: view.setExpanded(index, expanded)
                onRetryRequested: view.retryListing(index)
            }

            Keys.onUpPressed: {
                view.select(Math.max(0, currentIndex - 1));
                positionViewAtIndex(currentIndex, ListView.Contain);
            }
            Keys.onDownPressed: {
                view.select(Math.min(count - 1, currentIndex + 1));
                positionViewAtIndex(currentIndex, ListView.Contain);
            }
            Keys.onRightPressed: {
                if (currentItem && currentItem.isDirectory && !currentItem.expanded) {
                    view.setExpanded(currentIndex, true);
                }
            }
            Keys.onLeftPressed: {
                if (currentItem && currentItem.expanded) {
                    view.setExpanded(currentIndex, false);
                }
            }
            Keys.onPressed: event => {
                if (event.text.length === 1 && event.text.trim().length === 1
                        && !(event.modifiers & (Qt.ControlModifier | Qt.AltModifier | Qt.MetaModifier))) {
                    view.typeAhead(event.text);
                    event.accepted = true;
                }
            }
            Keys.onReturnPressed: view.openEditor()
            Keys.onEnterPressed: view.openEditor()
            onActiveFocusChanged: {
                if (activeFocus && currentIndex < 0 && count > 0) {
                    view.select(0);
                }
            }

            // "/" is listed in the background: the password it may need
            // must not hold up the rest of the page.
            QQC2.BusyIndicator {
                objectName: "treeBusyIndicator"
                anchors.centerIn: parent
                visible: running
                running: tree.count === 0 && kcm.integrityFileSystemModel.listing
                Accessible.name: i18nc("@info:status", "Listing the folder…")
            }

            Kirigami.PlaceholderMessage {
                objectName: "noFilesMessage"
                anchors.centerIn: parent
                width: parent.width - Kirigami.Units.largeSpacing * 4
                visible: tree.count === 0 && !kcm.integrityFileSystemModel.listing
                icon.name: "folder-locked"
                text: i18nc("@info:placeholder", "No files are listed")
                explanation: i18nc("@info:placeholder", "Listing the file system needs the administrator's permission.")
                helpfulAction: Kirigami.Action {
                    objectName: "retryRootListingAction"
                    text: i18nc("@action:button", "Try Again")
                    icon.name: "view-refresh"
                    enabled: kcm.integrityFileSystemModel.rootListingFailed
                    onTriggered: kcm.integrityFileSystemModel.retryListing("/")
                }
            }
        }
    }

    Kirigami.Separator {
        id: separator
        anchors {
            top: parent.top
            bottom: parent.bottom
            left: treeScroll.right
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

        RuleEditor {
            id: ruleEditor
            objectName: "ruleEditor"
            // Nothing to edit before a configuration has been read: an edit
            // made earlier would be replaced by the read.
            enabled: kcm.configLoaded
            width: editorScroll.availableWidth
            path: view.selectedPath
            scopeText: tree.currentItem && tree.currentItem.path === view.selectedPath ? tree.currentItem.scopeText : ""
            showBackButton: view.narrow
            onBackRequested: {
                view.editing = false;
                tree.forceActiveFocus();
            }
        }
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickconfigfileeditor.h"
#include "polkitfilesystemmodel.h"

/**
 * The file-system tree the user interface shows: every listed path with the
 * afick rule written for exactly that path.
 *
 * It owns the module's configuration editor and follows the current rule
 * editor: selecting a path loads its rule there, and every edit made there is
 * written back into the rule of that path.
 */
class IntegrityFileSystemModel : public PolkitFileSystemModel
{
    Q_OBJECT

public:
    enum IntegrityRoles {
        IntegrityPrefixRole = Qt::UserRole + 4,
        IntegrityAttributesRole,
        IntegrityElementChangedRole,
    };

    explicit IntegrityFileSystemModel(QObject *parent = nullptr);
    ~IntegrityFileSystemModel() override;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QHash<int, QByteArray> roleNames() const override;

    /// Lists @p path if its own item has been listed already.
    Q_INVOKABLE void loadDirectory(const QString &path);
    /// Loads the rule of @p path into the current rule editor, silently.
    Q_INVOKABLE void setCurrentRule(const QString &path);
    /// The module's configuration editor. The meta-object sees a reference
    /// result as void, so only the plug-in's own code receives it.
    Q_INVOKABLE AfickConfigFileEditor &afickConfigEditor();

    /// Reads the configuration again, blocking, and shows it.
    void reloadConfig();
    /// Lists the directories that hold ruled paths, where their parents are listed.
    void loadRuleDirectories();

Q_SIGNALS:
    /// The rules were replaced by a read; the tree kept its rows, so a view
    /// keeps its expanded folders, selection and scroll position, and
    /// should show the selected path's rule anew.
    void rulesReloaded();

private Q_SLOTS:
    void onCurrentAttributeChanged();
    void onAfickDataChanged();

private:
    void writeRuleField(const QString &path, const QVariant &value, int role);

    AfickConfigFileEditor m_configEditor;
};

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickconfigfileeditor.h"
#include "afickpathscope.h"
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
        // What afick applies to the path under its rules of scope, from the
        // rules as edited (263 and 264 belong to other roles).
        EffectiveAttributesRole = Qt::UserRole + 9, ///< the own or inherited rule's attributes as afick writes them ("ETC-md5-s")
        EffectiveSourceRole, ///< the path the inherited rule belongs to; empty otherwise
        ExcludedReasonRole, ///< ready to show why afick leaves the path out; empty otherwise
        EffectiveStateRole, ///< "own", "inherited", "excluded", "perhapsExcluded" or "unwatched"
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
    /// The effective roles of any @p path, listed or not, by their role names.
    Q_INVOKABLE QVariantMap effectiveRule(const QString &path) const;
    /**
     * Gives @p path a "!" rule of its own, as a pending edit; false, making
     * no edit, when afick certainly does not check the path anyway or a rule
     * line cannot name it.
     */
    Q_INVOKABLE bool stopChecking(const QString &path);
    /// Whether stopChecking() would make an edit for @p path.
    Q_INVOKABLE bool canStopChecking(const QString &path) const;
    /**
     * Gives @p path a rule of its own, as a pending edit: its effective rule
     * without the attribute that afick's compare output calls @p attribute
     * ("md5", "filesize"...). False, making no edit, when the path's rule
     * does not compare that attribute, the module has no code for it, or a
     * rule line cannot name the path.
     */
    Q_INVOKABLE bool stopComparing(const QString &path, const QString &attribute);

    /// Announces the rule roles of @p path and of its listed descendants,
    /// after rules were changed other than through setData.
    void announceRuleChanges(const QString &path);

    /// Reads the configuration again, blocking, and shows it.
    void reloadConfig();
    /// Lists the directories that hold ruled paths, where their parents are listed.
    void loadRuleDirectories();

Q_SIGNALS:
    /// The edited rules may differ from before: after any edit of a rule and after a reload.
    void rulesChanged();
    /// The rules were replaced by a read; the tree kept its rows, so a view
    /// keeps its expanded folders, selection and scroll position, and
    /// should show the selected path's rule anew.
    void rulesReloaded();

private Q_SLOTS:
    void onCurrentAttributeChanged();
    void onAfickDataChanged();

private:
    void writeRuleField(const QString &path, const QVariant &value, int role);
    void applyRuleEdit(const AfickRule &rule);

    const AfickPathScope &pathScope() const;
    QVariant scopeData(const QString &path, bool isDirectory, int role) const;
    /// Announces the effective roles of @p index (the invalid one is the root) and of every listed row below it.
    void announceScope(const QModelIndex &index);
    void announceBelow(const QModelIndex &parent, const QVector<int> &roles);

    AfickConfigFileEditor m_configEditor;
    // Follows the editor's rules and lines; refreshed when they are no
    // longer the same shared data, which every change to them makes.
    mutable AfickPathScope m_pathScope;
};

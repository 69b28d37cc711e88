// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "integrityfilesystemmodel.h"

#include <KQuickAddons/ManagedConfigModule>

/**
 * The "Integrity control" settings module: the object the settings host
 * creates and the user interface sees as `kcm`.
 *
 * It owns the rule-annotated file-system tree, whose editor holds the afick
 * configuration, registers the types the interface uses, and tells the host
 * whether there are unsaved edits. The host's Apply and Reset reach the
 * configuration through save() and load().
 */
class KCMIntegrity : public KQuickAddons::ManagedConfigModule
{
    Q_OBJECT
    Q_PROPERTY(IntegrityFileSystemModel *integrityFileSystemModel READ integrityFileSystemModel CONSTANT)

public:
    KCMIntegrity(QObject *parent, const QVariantList &args);

    IntegrityFileSystemModel *integrityFileSystemModel() const;

    /// Starts the first, asynchronous load of the configuration.
    Q_INVOKABLE void initAfickSync();
    /// Reads the configuration again, blocking, discarding unsaved edits.
    Q_INVOKABLE void loadConfig();
    /// Writes the edits, blocking, then reads the configuration back.
    Q_INVOKABLE void saveConfig();
    /// Puts the previous configuration file back; the caller decides when to reload.
    Q_INVOKABLE bool rollbackConfig();

    /**
     * What Apply would do to the configuration file: {"removed": lines it
     * would take out, "added": lines it would put in}, from the lines the
     * save would write. Nothing, before a configuration has been read.
     */
    Q_INVOKABLE QVariantMap pendingChanges() const;
    /// Why @p name cannot name a new alias, ready to show; empty when it can.
    Q_INVOKABLE QString aliasNameProblem(const QString &name) const;
    /**
     * What names the alias @p name, so the interface can say so before it
     * deletes or renames it: {"rules": paths of the rules, "aliases": names
     * of the other aliases}.
     */
    Q_INVOKABLE QVariantMap aliasUsers(const QString &name) const;
    /// Removes the alias @p name from the edited aliases; the rules that use it keep the name.
    Q_INVOKABLE void deleteAlias(const QString &name);
    /// Renames the current alias, and the rules and aliases that name it with it.
    Q_INVOKABLE void renameCurrentAlias(const QString &newName);

Q_SIGNALS:
    /// The configuration editor's messages for the interface; a refusal,
    /// for which the framework has no text, is named as such.
    void readConfigError(const QString &error);
    void writeConfigError(const QString &error);

public Q_SLOTS:
    void load() override;
    void save() override;

private:
    bool isSaveNeeded() const override;

    IntegrityFileSystemModel *const m_model;
    bool m_configRequested = false;
};

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "integrityfilesystemmodel.h"

#include <KQuickAddons/ManagedConfigModule>

#include <QFont>

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
    /// Whether the configuration is being read, written or put back right now.
    Q_PROPERTY(bool reading READ isReading NOTIFY activityChanged)
    Q_PROPERTY(bool applying READ isApplying NOTIFY activityChanged)
    Q_PROPERTY(bool rollingBack READ isRollingBack NOTIFY activityChanged)
    /// Whether a configuration that was read is at hand, so that it can be edited.
    Q_PROPERTY(bool configLoaded READ isConfigLoaded NOTIFY configStateChanged)
    /// Whether the last read was refused or failed.
    Q_PROPERTY(bool readFailed READ readFailed NOTIFY configStateChanged)
    /**
     * The lines of the file as last read that are not understood, each
     * {"line": its number from 1, "text": the line as read, "message": what
     * was wrong}, in file order. Replaced by every read that succeeds.
     */
    Q_PROPERTY(QVariantList configProblems READ configProblems NOTIFY configProblemsChanged)
    /// The fixed-width font the user chose for the desktop, for text whose
    /// columns must line up; Kirigami 5 offers none of its own.
    Q_PROPERTY(QFont fixedWidthFont READ fixedWidthFont NOTIFY fixedWidthFontChanged)

public:
    KCMIntegrity(QObject *parent, const QVariantList &args);

    IntegrityFileSystemModel *integrityFileSystemModel() const;
    bool isReading() const;
    bool isApplying() const;
    bool isRollingBack() const;
    bool isConfigLoaded() const;
    bool readFailed() const;
    QVariantList configProblems() const;
    QFont fixedWidthFont() const;

    /// Starts an asynchronous load of the configuration. The host's first
    /// load() does this already; the call is kept for older pages.
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
    void activityChanged();
    void configStateChanged();
    void configProblemsChanged();
    void fixedWidthFontChanged();

public Q_SLOTS:
    void load() override;
    void save() override;

private:
    bool isSaveNeeded() const override;
    void beginRead();
    void finishRead(bool succeeded);
    void showEditorReadError(const QString &error);
    void setApplying(bool applying);
    void setRollingBack(bool rollingBack);

    IntegrityFileSystemModel *const m_model;
    bool m_configRequested = false;
    // Reads started and not yet ended, asynchronous and blocking.
    int m_reads = 0;
    bool m_applying = false;
    bool m_rollingBack = false;
    bool m_readFailed = false;
    // The editor's messages during a read, sorted out when it ends.
    QStringList m_readMessages;
    QVariantList m_configProblems;
};

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QStringList>

class QFileSystemWatcher;

/**
 * The scripts run when an integrity check fails.
 *
 * A script is on when its name ends in ".sh" and off when it ends in
 * ".sh.disabled"; switching renames it through the privileged helper. The
 * directory is listed with the user's own rights and followed as it changes.
 */
class FailureScriptsHelper : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList scripts READ scripts NOTIFY filesChanged)

public:
    explicit FailureScriptsHelper(QObject *parent = nullptr);

    /// The files of the last listing: bare names, sorted by character code.
    QStringList scripts() const;

    Q_INVOKABLE void enableScript(const QString &name, bool enabled);
    Q_INVOKABLE QString scriptsPath() const;
    /// The name a user knows a script by: @p fileName without ".sh" or
    /// ".sh.disabled"; other files keep their whole name.
    Q_INVOKABLE static QString readableName(const QString &fileName);

Q_SIGNALS:
    void filesChanged();
    void scriptEnableChanged(const QString &inName, bool inEnable);

private Q_SLOTS:
    void onFileChanged(const QString &path);

private:
    QFileSystemWatcher *m_watcher;
    QStringList m_scripts;
};

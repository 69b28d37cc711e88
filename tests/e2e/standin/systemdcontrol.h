// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QStringList>

class SystemdManager;

/**
 * The test's handle on SystemdManager, served at "/systemd" under the
 * stand-in's own bus name so that any user may call it.
 */
class SystemdControl : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "local.trustwatch.e2e.Systemd")

public:
    explicit SystemdControl(SystemdManager *manager, QObject *parent = nullptr);

public Q_SLOTS:
    // An empty state forgets the unit, so systemd no longer knows its file.
    void SetUnitFileState(const QString &unit, const QString &state);
    QString UnitFileState(const QString &unit);
    // With a non-empty name every manager call is answered with this error.
    void SetFailure(const QString &errorName, const QString &errorMessage);
    // While silent the manager receives calls and never answers them.
    void SetSilent(bool silent);
    QStringList Calls();
    void Reset();

private:
    SystemdManager *m_manager;
};

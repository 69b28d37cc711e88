// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "systemdmanager.h"

namespace
{
const QString WantsDirectory = QStringLiteral("/etc/systemd/system/multi-user.target.wants/");
const QString UnitDirectory = QStringLiteral("/usr/lib/systemd/system/");

QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
}

SystemdManager::SystemdManager(QObject *parent)
    : QObject(parent)
{
    reset();
}

void SystemdManager::reset()
{
    const QMap<QString, QString> defaults = {{QStringLiteral("tirvane-int-check.service"), QStringLiteral("disabled")}};
    const bool changed = m_states != defaults;
    m_states = defaults;
    if (changed) {
        Q_EMIT UnitFilesChanged();
    }
    m_failureName.clear();
    m_failureMessage.clear();
    m_silent = false;
    m_calls.clear();
}

void SystemdManager::setUnitFileState(const QString &unit, const QString &state)
{
    if (m_states.value(unit) == state) {
        return;
    }
    if (state.isEmpty()) {
        m_states.remove(unit);
    } else {
        m_states.insert(unit, state);
    }
    Q_EMIT UnitFilesChanged();
}

QString SystemdManager::unitFileState(const QString &unit) const
{
    return m_states.value(unit);
}

void SystemdManager::setFailure(const QString &errorName, const QString &errorMessage)
{
    m_failureName = errorName;
    m_failureMessage = errorMessage;
}

void SystemdManager::setSilent(bool silent)
{
    m_silent = silent;
}

QStringList SystemdManager::calls() const
{
    return m_calls;
}

bool SystemdManager::admit(const QString &call)
{
    m_calls.append(call);
    if (m_silent) {
        // The caller's own timeout is the only answer it gets.
        setDelayedReply(true);
        return false;
    }
    if (!m_failureName.isEmpty()) {
        sendErrorReply(m_failureName, m_failureMessage);
        return false;
    }
    return true;
}

bool SystemdManager::allKnown(const QStringList &files)
{
    for (const QString &file : files) {
        if (!m_states.contains(file)) {
            sendErrorReply(QStringLiteral("org.freedesktop.systemd1.NoSuchUnit"), QStringLiteral("Unit file %1 does not exist.").arg(file));
            return false;
        }
    }
    return true;
}

void SystemdManager::Subscribe()
{
    admit(QStringLiteral("Subscribe()"));
}

QString SystemdManager::GetUnitFileState(const QString &file)
{
    if (!admit(QStringLiteral("GetUnitFileState(%1)").arg(file)) || !allKnown({file})) {
        return {};
    }
    return m_states.value(file);
}

bool SystemdManager::EnableUnitFiles(const QStringList &files, bool runtime, bool force, QList<UnitFileChange> &changes)
{
    if (!admit(QStringLiteral("EnableUnitFiles([%1], runtime=%2, force=%3)").arg(files.join(QLatin1Char(',')), flag(runtime), flag(force)))
        || !allKnown(files)) {
        return false;
    }
    for (const QString &file : files) {
        if (m_states.value(file) == QLatin1String("masked")) {
            sendErrorReply(QStringLiteral("org.freedesktop.systemd1.UnitMasked"), QStringLiteral("Unit file %1 is masked.").arg(file));
            return false;
        }
    }
    bool carriesInstallInfo = false;
    for (const QString &file : files) {
        const QString state = m_states.value(file);
        if (state == QLatin1String("static")) {
            continue;
        }
        carriesInstallInfo = true;
        if (state != QLatin1String("enabled")) {
            m_states.insert(file, QStringLiteral("enabled"));
            changes.append({QStringLiteral("symlink"), WantsDirectory + file, UnitDirectory + file});
        }
    }
    if (!changes.isEmpty()) {
        Q_EMIT UnitFilesChanged();
    }
    return carriesInstallInfo;
}

QList<UnitFileChange> SystemdManager::DisableUnitFiles(const QStringList &files, bool runtime)
{
    QList<UnitFileChange> changes;
    if (!admit(QStringLiteral("DisableUnitFiles([%1], runtime=%2)").arg(files.join(QLatin1Char(',')), flag(runtime))) || !allKnown(files)) {
        return changes;
    }
    for (const QString &file : files) {
        if (m_states.value(file) == QLatin1String("enabled")) {
            m_states.insert(file, QStringLiteral("disabled"));
            changes.append({QStringLiteral("unlink"), WantsDirectory + file, QString()});
        }
    }
    if (!changes.isEmpty()) {
        Q_EMIT UnitFilesChanged();
    }
    return changes;
}

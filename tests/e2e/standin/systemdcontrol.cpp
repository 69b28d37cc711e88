// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "systemdcontrol.h"

#include "systemdmanager.h"

SystemdControl::SystemdControl(SystemdManager *manager, QObject *parent)
    : QObject(parent)
    , m_manager(manager)
{
}

void SystemdControl::SetUnitFileState(const QString &unit, const QString &state)
{
    m_manager->setUnitFileState(unit, state);
}

QString SystemdControl::UnitFileState(const QString &unit)
{
    return m_manager->unitFileState(unit);
}

void SystemdControl::SetFailure(const QString &errorName, const QString &errorMessage)
{
    m_manager->setFailure(errorName, errorMessage);
}

void SystemdControl::SetSilent(bool silent)
{
    m_manager->setSilent(silent);
}

QStringList SystemdControl::Calls()
{
    return m_manager->calls();
}

void SystemdControl::Reset()
{
    m_manager->reset();
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QLatin1String>
#include <QString>

/**
 * Every name that crosses between the plug-in and the helper, or that names
 * a system file, unit or bus object either of them acts on. Both sides and
 * the tests take the names from here, so they cannot drift apart.
 */
namespace Protocol
{
/// The name KAuth registers the helper under; also the prefix of every action ID.
constexpr QLatin1String HelperId("ru.vantorix.integritysecurityhelper");

/// The helper's actions, by the names of the slots that answer them.
namespace Action
{
constexpr QLatin1String ReadConfig("readafickconfig");
constexpr QLatin1String WriteConfig("writeafickconfig");
constexpr QLatin1String RollbackConfig("rollbackconfig");
constexpr QLatin1String ListEntries("entryinfolist");
constexpr QLatin1String InitializeDatabase("initializeafickdatabasemethod");
constexpr QLatin1String CheckIntegrity("checkintegritymethod");
constexpr QLatin1String EnableService("enableservicemethod");
constexpr QLatin1String EnableFailureScript("enablefailurescriptmethod");
}

/// The full ID polkit authorises: the helper ID, a dot, the action name.
inline QString actionId(const QString &action)
{
    return HelperId + QLatin1Char('.') + action;
}

/// Keys of the argument maps sent to the helper.
namespace Argument
{
constexpr QLatin1String Path("path");
constexpr QLatin1String Config("config");
/// The whole file as bytes, written verbatim; takes precedence over Config.
constexpr QLatin1String RawConfig("rawConfig");
constexpr QLatin1String NameFilters("nameFilters");
constexpr QLatin1String Filters("filters");
constexpr QLatin1String Sort("sort");
constexpr QLatin1String IsEnabled("isEnabled");
constexpr QLatin1String OldName("oldName");
constexpr QLatin1String NewName("newName");
}

/// Keys of the data maps the helper answers with.
namespace Reply
{
constexpr QLatin1String Config("config");
/// The file's bytes as read, beside the decoded lines under Config.
constexpr QLatin1String RawConfig("rawConfig");
constexpr QLatin1String EntryInfoList("entryinfolist");
constexpr QLatin1String OmittedEntries("omittedEntries");
constexpr QLatin1String Notice("notice");
/// What a script that succeeded wrote: standard output, a line break, standard error.
constexpr QLatin1String Output("output");
}

/// The files the helper acts on.
namespace Path
{
constexpr QLatin1String AfickConfig("/etc/afick.conf");
constexpr QLatin1String FailureScripts("/etc/tirvane-integrity/failure.d");
constexpr QLatin1String DatabaseScript("/usr/sbin/tirvane-create-int-db");
constexpr QLatin1String CheckScript("/usr/sbin/tirvane-int-check");
constexpr QLatin1String ListingRoot("/");
}

/// The periodic check and the systemd manager that switches it.
namespace Systemd
{
constexpr QLatin1String CheckUnit("tirvane-int-check.service");
constexpr QLatin1String Service("org.freedesktop.systemd1");
constexpr QLatin1String ObjectPath("/org/freedesktop/systemd1");
constexpr QLatin1String ManagerInterface("org.freedesktop.systemd1.Manager");
constexpr QLatin1String Subscribe("Subscribe");
constexpr QLatin1String GetUnitFileState("GetUnitFileState");
constexpr QLatin1String EnableUnitFiles("EnableUnitFiles");
constexpr QLatin1String DisableUnitFiles("DisableUnitFiles");
constexpr QLatin1String UnitFilesChanged("UnitFilesChanged");
constexpr QLatin1String EnabledState("enabled");
}

/**
 * Whether @p name names an entry directly inside a directory: not empty, not
 * "." or "..", no "/", and no NUL, which would cut the name short on its way
 * to the kernel.
 */
inline bool isBareName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(QLatin1Char('/')) && !name.contains(QChar());
}
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QLatin1String>
#include <QString>

#include <cstddef>

/**
 * Every name that crosses between the plug-in and the helper, or that names
 * a system file, unit or bus object either of them acts on. Both sides and
 * the tests take the names from here, so they cannot drift apart.
 */
namespace Protocol
{
/**
 * A QLatin1String of a string literal whose length the compiler takes from
 * the literal itself. QLatin1String's own one-argument constructor calls
 * strlen(), which only GCC evaluates in a constant expression.
 */
template<std::size_t N>
constexpr QLatin1String latin1(const char (&text)[N])
{
    return QLatin1String(text, int(N - 1));
}

/// The name KAuth registers the helper under; also the prefix of every action ID.
constexpr QLatin1String HelperId = latin1("ru.vantorix.integritysecurityhelper");

/// The helper's actions, by the names of the slots that answer them.
namespace Action
{
constexpr QLatin1String ReadConfig = latin1("readafickconfig");
constexpr QLatin1String WriteConfig = latin1("writeafickconfig");
constexpr QLatin1String RollbackConfig = latin1("rollbackconfig");
constexpr QLatin1String ListEntries = latin1("entryinfolist");
constexpr QLatin1String InitializeDatabase = latin1("initializeafickdatabasemethod");
constexpr QLatin1String CheckIntegrity = latin1("checkintegritymethod");
constexpr QLatin1String EnableService = latin1("enableservicemethod");
constexpr QLatin1String EnableFailureScript = latin1("enablefailurescriptmethod");
}

/// The full ID polkit authorises: the helper ID, a dot, the action name.
inline QString actionId(const QString &action)
{
    return HelperId + QLatin1Char('.') + action;
}

/// Keys of the argument maps sent to the helper.
namespace Argument
{
constexpr QLatin1String Path = latin1("path");
constexpr QLatin1String Config = latin1("config");
/// The whole file as bytes, written verbatim; takes precedence over Config.
constexpr QLatin1String RawConfig = latin1("rawConfig");
constexpr QLatin1String NameFilters = latin1("nameFilters");
constexpr QLatin1String Filters = latin1("filters");
constexpr QLatin1String Sort = latin1("sort");
constexpr QLatin1String IsEnabled = latin1("isEnabled");
constexpr QLatin1String OldName = latin1("oldName");
constexpr QLatin1String NewName = latin1("newName");
/// Lowers, for one script run, how many bytes of output the helper streams.
constexpr QLatin1String OutputLimit = latin1("outputLimit");
}

/// Keys of the data maps the helper answers with.
namespace Reply
{
constexpr QLatin1String Config = latin1("config");
/// The file's bytes as read, beside the decoded lines under Config.
constexpr QLatin1String RawConfig = latin1("rawConfig");
constexpr QLatin1String EntryInfoList = latin1("entryinfolist");
constexpr QLatin1String OmittedEntries = latin1("omittedEntries");
constexpr QLatin1String Notice = latin1("notice");
/// What a script that succeeded wrote: standard output, a line break, standard error.
constexpr QLatin1String Output = latin1("output");
}

/**
 * Keys of the progress data a script action sends while its script runs:
 * the output in pieces of whole lines, in the order the script wrote them,
 * and at the end how much of it was held back past the run's bound.
 */
namespace Progress
{
constexpr QLatin1String StandardOutput = latin1("standardOutput");
constexpr QLatin1String StandardError = latin1("standardError");
/// Bytes not streamed, as a qint64; sent once, after the last piece, and only when some were.
constexpr QLatin1String OmittedBytes = latin1("omittedBytes");
/// Bytes streamed, as a qint64; sent with OmittedBytes.
constexpr QLatin1String SentBytes = latin1("sentBytes");
/**
 * The exit code of a script that ended by itself with one other than 0, as
 * an int; sent once, last. KAuth drops the data of an error reply, so the
 * code travels here, where the caller reads it without parsing a sentence.
 */
constexpr QLatin1String ExitCode = latin1("exitCode");
}

/// The files the helper acts on.
namespace Path
{
constexpr QLatin1String AfickConfig = latin1("/etc/afick.conf");
constexpr QLatin1String FailureScripts = latin1("/etc/tirvane-integrity/failure.d");
constexpr QLatin1String DatabaseScript = latin1("/usr/sbin/tirvane-create-int-db");
constexpr QLatin1String CheckScript = latin1("/usr/sbin/tirvane-int-check");
constexpr QLatin1String ListingRoot = latin1("/");
}

/// The periodic check and the systemd manager that switches it.
namespace Systemd
{
constexpr QLatin1String CheckUnit = latin1("tirvane-int-check.service");
constexpr QLatin1String Service = latin1("org.freedesktop.systemd1");
constexpr QLatin1String ObjectPath = latin1("/org/freedesktop/systemd1");
constexpr QLatin1String ManagerInterface = latin1("org.freedesktop.systemd1.Manager");
constexpr QLatin1String Subscribe = latin1("Subscribe");
constexpr QLatin1String GetUnitFileState = latin1("GetUnitFileState");
constexpr QLatin1String EnableUnitFiles = latin1("EnableUnitFiles");
constexpr QLatin1String DisableUnitFiles = latin1("DisableUnitFiles");
constexpr QLatin1String UnitFilesChanged = latin1("UnitFilesChanged");
constexpr QLatin1String EnabledState = latin1("enabled");
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

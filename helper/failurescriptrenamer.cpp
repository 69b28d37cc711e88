// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "failurescriptrenamer.h"

#include "errorreply.h"

#include <KLocalizedString>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const QLatin1String EnabledSuffix(".sh");

bool isScriptNameCharacter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') || c == QLatin1Char('_') || c == QLatin1Char('+') || c == QLatin1Char('-');
}

// NAME of "NAME.sh": nothing a shell, a glob or an option parser would read
// as more than a word, and no hidden file.
bool isScriptName(const QString &name)
{
    return !name.isEmpty() && name.front() != QLatin1Char('-') && name.front() != QLatin1Char('.')
        && std::all_of(name.cbegin(), name.cend(), isScriptNameCharacter);
}

KAuth::ActionReply untrustedReply(const QString &path)
{
    return errorReply(
        i18n("The helper refuses to switch \"%1\": it must be a regular file or directory that belongs to root and that only root may change.", path));
}
}

FailureScriptRenamer::FailureScriptRenamer(const QString &directory, uid_t trustedOwner)
    : m_directory(directory)
    , m_trustedOwner(trustedOwner)
{
}

bool FailureScriptRenamer::isSwitch(const QString &oldName, const QString &newName)
{
    const auto switchesOff = [](const QString &enabled, const QString &disabled) {
        return enabled.endsWith(EnabledSuffix) && disabled == enabled + QLatin1String(".disabled") && isScriptName(enabled.chopped(EnabledSuffix.size()));
    };
    return switchesOff(oldName, newName) || switchesOff(newName, oldName);
}

bool FailureScriptRenamer::isTrusted(const struct stat &status) const
{
    return status.st_uid == m_trustedOwner && !(status.st_mode & (S_IWGRP | S_IWOTH));
}

KAuth::ActionReply FailureScriptRenamer::rename(const QString &oldName, const QString &newName) const
{
    if (!isSwitch(oldName, newName)) {
        return errorReply(
            i18n("The helper refuses to rename \"%1\" to \"%2\": only a script NAME.sh can become NAME.sh.disabled or the reverse, NAME made "
                 "of letters, digits, \".\", \"_\", \"+\" and \"-\" and starting with neither \"-\" nor \".\".",
                 oldName,
                 newName));
    }
    const int directoryFd = ::open(QFile::encodeName(m_directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd < 0) {
        return KAuth::ActionReply::HelperErrorReply();
    }
    const QByteArray from = QFile::encodeName(oldName);
    struct stat status;
    if (::fstat(directoryFd, &status) != 0 || !isTrusted(status)) {
        ::close(directoryFd);
        return untrustedReply(m_directory);
    }
    if (::fstatat(directoryFd, from.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        ::close(directoryFd);
        return KAuth::ActionReply::HelperErrorReply();
    }
    if (!S_ISREG(status.st_mode) || !isTrusted(status)) {
        ::close(directoryFd);
        return untrustedReply(m_directory + QLatin1Char('/') + oldName);
    }
    // One system call that refuses to replace anything: a check ahead of it
    // could be outrun by a link put at the new name, and a copy in place of a
    // failed rename would write through such a link as root.
    const int renamed = ::renameat2(directoryFd, from.constData(), directoryFd, QFile::encodeName(newName).constData(), RENAME_NOREPLACE);
    ::close(directoryFd);
    if (renamed != 0) {
        return KAuth::ActionReply::HelperErrorReply();
    }
    return KAuth::ActionReply::SuccessReply();
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "failurescriptrenamer.h"

#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

FailureScriptRenamer::FailureScriptRenamer(const QString &directory)
    : m_directory(directory)
{
}

KAuth::ActionReply FailureScriptRenamer::rename(const QString &oldName, const QString &newName) const
{
    // One system call that refuses to replace anything: a check ahead of it
    // could be outrun by a link put at the new name, and a copy in place of a
    // failed rename would write through such a link as root.
    const int directoryFd = ::open(QFile::encodeName(m_directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd < 0) {
        return KAuth::ActionReply::HelperErrorReply();
    }
    const int renamed = ::renameat2(directoryFd, QFile::encodeName(oldName).constData(), directoryFd, QFile::encodeName(newName).constData(), RENAME_NOREPLACE);
    ::close(directoryFd);
    if (renamed != 0) {
        return KAuth::ActionReply::HelperErrorReply();
    }
    return KAuth::ActionReply::SuccessReply();
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "plainfile.h"

#include "pseudofilesystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int PlainFile::openToRead(int directoryFd, const QByteArray &name)
{
    // A link to a regular file elsewhere is still that file; O_PATH follows
    // it without opening whatever it points to.
    const int pathFd = ::openat(directoryFd, name.constData(), O_PATH | O_CLOEXEC);
    if (pathFd < 0) {
        return -1;
    }
    struct stat status;
    if (::fstat(pathFd, &status) != 0 || !S_ISREG(status.st_mode) || PseudoFileSystem::holds(pathFd)) {
        ::close(pathFd);
        return -1;
    }
    // Reopening through /proc reaches the inode the descriptor names,
    // whatever has become of the name since.
    QByteArray reopen("/proc/self/fd/");
    reopen += QByteArray::number(pathFd);
    const int fd = ::open(reopen.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    ::close(pathFd);
    return fd;
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "callerreadablefile.h"

#include "localfilesystem.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

CallerReadableFile::CallerReadableFile(int directoryFd, const LocalFileSystem &fileSystem, const QByteArray &name, const CallerAccess &caller)
    : m_directoryFd(directoryFd)
    , m_fileSystem(fileSystem)
    , m_name(name)
    , m_caller(caller)
{
    QIODevice::open(QIODevice::ReadOnly);
}

CallerReadableFile::~CallerReadableFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool CallerReadableFile::isSequential() const
{
    return true;
}

bool CallerReadableFile::wasRefused() const
{
    return m_refused;
}

qint64 CallerReadableFile::readData(char *data, qint64 maxSize)
{
    if (!m_tried) {
        m_tried = true;
        m_fd = openContent();
        m_refused = m_fd < 0;
    }
    if (m_fd < 0) {
        return -1;
    }
    ssize_t got = 0;
    do {
        got = ::read(m_fd, data, size_t(maxSize));
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        m_refused = true;
        return -1;
    }
    return got;
}

qint64 CallerReadableFile::writeData(const char *, qint64)
{
    return -1;
}

int CallerReadableFile::openContent() const
{
    const int pathFd = ::openat(m_directoryFd, m_name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (pathFd < 0) {
        return -1;
    }
    struct stat status;
    if (::fstat(pathFd, &status) != 0 || !S_ISREG(status.st_mode) || !m_caller.mayRead(status) || !m_fileSystem.holdsEntry(pathFd, status)) {
        ::close(pathFd);
        return -1;
    }
    QByteArray reopen("/proc/self/fd/");
    reopen += QByteArray::number(pathFd);
    constexpr int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    // Reading as root must not show up as an access in the integrity
    // database; only the owner or a privileged process may ask for that.
    int fd = ::open(reopen.constData(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM) {
        fd = ::open(reopen.constData(), flags);
    }
    ::close(pathFd);
    return fd;
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <sys/stat.h>

/**
 * File systems whose files live on a disk, in memory or in an image of this
 * machine, where a read comes back at once and has no side effect.
 *
 * Everything else (NFS, CIFS, 9p, virtiofs, FUSE, /proc, /sys, and whatever
 * the kernel adds next) can keep a reader waiting on a server or a process,
 * and a helper that waits keeps every other caller waiting too. The list
 * names what is known to be safe rather than what is known to be not.
 */
class LocalFileSystem
{
public:
    /// The file system of the directory open at @p directoryFd, examined
    /// once for all its entries.
    explicit LocalFileSystem(int directoryFd);

    /// Whether the entry open at @p fd, of @p status, lies on such a file
    /// system. An entry on the directory's device shares its file system; only
    /// one mounted elsewhere is examined on its own.
    bool holdsEntry(int fd, const struct stat &status) const;

    /// Whether the file open at @p fd lies on such a file system; a file
    /// whose file system cannot be examined does not.
    static bool holds(int fd);
    /// Whether a file system of this statfs() type is one of them.
    static bool isLocalType(unsigned long type);

private:
    bool m_known = false;
    dev_t m_device = 0;
    bool m_local = false;
};

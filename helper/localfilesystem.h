// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

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
    /// Whether the file open at @p fd lies on such a file system; a file
    /// whose file system cannot be examined does not.
    static bool holds(int fd);
    /// Whether a file system of this statfs() type is one of them.
    static bool isLocalType(unsigned long type);
};

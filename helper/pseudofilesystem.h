// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

/**
 * File systems whose files are generated on access, may block a reader until
 * something happens, or are answered by an unprivileged process (/proc,
 * /sys, FUSE and the like). Root must not read their content on a caller's
 * behalf: reading /proc/kmsg, for one, takes messages away from the system
 * log.
 */
class PseudoFileSystem
{
public:
    /// Whether the file open at @p fd lies on such a file system; a file
    /// whose file system cannot be examined counts as one.
    static bool holds(int fd);
    /// Whether a file system of this statfs() type is one of them.
    static bool isPseudoType(unsigned long type);
};

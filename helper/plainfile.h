// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>

/**
 * Opens for reading only what root may read on a caller's behalf: a regular
 * file on an ordinary file system.
 *
 * Opening a device can have side effects (a tape rewinds, a watchdog arms),
 * opening a FIFO without a writer or a file served by a FUSE process can wait
 * for ever, and whoever owns a directory can swap a file for a link between a
 * check by path and an open by path. So the entry is first only named, by an
 * O_PATH descriptor, its type and file system are checked on that
 * descriptor, and only then is that very file opened for reading.
 */
class PlainFile
{
public:
    /// A read-only, non-blocking descriptor of @p name, resolved against the
    /// directory open at @p directoryFd (AT_FDCWD for the working directory;
    /// an absolute name ignores it), or -1 when it is no such file.
    static int openToRead(int directoryFd, const QByteArray &name);
};

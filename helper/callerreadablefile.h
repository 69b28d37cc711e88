// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "calleraccess.h"

#include <QByteArray>
#include <QIODevice>

class LocalFileSystem;

/**
 * The beginning of one directory entry, for the MIME database to look at,
 * opened only when the database actually reads: a name that settles the
 * type costs no open at all.
 *
 * On the first read the entry is named by an O_PATH descriptor that does
 * not follow a link, and it is read only if that descriptor shows a regular
 * file that the caller could read, on a local file system. Only then is that
 * very file opened, through /proc, so that nothing swapped in under the name
 * meanwhile is read, and without touching its access time. Otherwise the
 * read fails and wasRefused() tells the lister to type the entry by name.
 */
class CallerReadableFile : public QIODevice
{
    Q_OBJECT

public:
    /// The entry @p name of the directory open at @p directoryFd, which lies
    /// on @p fileSystem.
    CallerReadableFile(int directoryFd, const LocalFileSystem &fileSystem, const QByteArray &name, const CallerAccess &caller);
    ~CallerReadableFile() override;

    bool isSequential() const override;
    /// Whether a read was asked for and refused, or failed.
    bool wasRefused() const;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    int openContent() const;

    int m_directoryFd;
    const LocalFileSystem &m_fileSystem;
    QByteArray m_name;
    const CallerAccess &m_caller;
    int m_fd = -1;
    bool m_tried = false;
    bool m_refused = false;
};

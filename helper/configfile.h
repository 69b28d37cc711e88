// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QString>
#include <QStringList>

/**
 * The afick configuration file as plain lines of text, or as its bytes, with
 * its single backup generation "<name>.old" in the same directory.
 *
 * Writes never leave the file missing or half-written: the new text goes to a
 * temporary file beside it, is synced, and then renamed over the path. The
 * first write that finds no backup keeps the previous file as the backup.
 * A temporary file left behind by a helper that was killed mid-write is
 * removed by the next write.
 *
 * Only regular files are read, without waiting on a FIFO or a device, and
 * only as much as fits in one reply on the system bus; writes refuse what
 * could not be read back for the same reason.
 */
class ConfigFile
{
public:
    /// What the lines and the bytes together may take in a reply: the bus
    /// refuses messages over 32 MiB, and the reply crosses it with its
    /// framing around it.
    static constexpr qint64 MaxEncodedBytes = 24 * 1024 * 1024;

    explicit ConfigFile(const QString &path);

    /// The file as decoded lines and as its bytes.
    KAuth::ActionReply read() const;
    /// Writes @p lines in the locale's encoding, each ended by a line feed.
    KAuth::ActionReply write(const QStringList &lines) const;
    /// Writes @p content verbatim.
    KAuth::ActionReply write(const QByteArray &content) const;
    /// Puts the backup, a regular file, in place of the file, replacing it if
    /// it exists.
    KAuth::ActionReply restoreBackup() const;

    /// The size of @p lines in a reply, as QDataStream encodes a QStringList.
    static qint64 encodedSize(const QStringList &lines);

private:
    void removeStaleTemporaries() const;

    QString m_path;
    bool m_usable = false;
    QByteArray m_target;
    QByteArray m_backup;
    QByteArray m_directory;
    QByteArray m_temporaryPrefix;
};

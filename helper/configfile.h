// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QString>
#include <QStringList>

/**
 * The afick configuration file as plain lines of text, with its single
 * backup generation "<name>.old" in the same directory.
 *
 * Writes never leave the file missing or half-written: the new text goes to a
 * temporary file beside it, is synced, and then renamed over the path. The
 * first write that finds no backup keeps the previous file as the backup.
 */
class ConfigFile
{
public:
    explicit ConfigFile(const QString &path);

    KAuth::ActionReply read() const;
    KAuth::ActionReply write(const QStringList &lines) const;
    /// Puts the backup in place of the file, replacing it if it exists.
    KAuth::ActionReply restoreBackup() const;

private:
    QString m_path;
    QByteArray m_target;
    QByteArray m_backup;
    QByteArray m_directory;
};

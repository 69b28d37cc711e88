// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

/**
 * One directory entry as root sees it (lstat: a link is reported, not
 * followed), with the whole content of a regular file.
 */
class E2eFileStatus
{
public:
    static E2eFileStatus fromMap(const QVariantMap &map);

    bool exists = false;
    QString type; // "file", "directory", "symlink" or "other"
    uint mode = 0; // permission bits with set-id and sticky bits, e.g. 0600
    uint uid = 0;
    uint gid = 0;
    qint64 size = 0;
    quint64 inode = 0;
    QString symlinkTarget;
    QByteArray content;
};

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2efilestatus.h"

E2eFileStatus E2eFileStatus::fromMap(const QVariantMap &map)
{
    E2eFileStatus status;
    status.exists = map.value(QStringLiteral("exists")).toBool();
    status.type = map.value(QStringLiteral("type")).toString();
    status.mode = map.value(QStringLiteral("mode")).toUInt();
    status.uid = map.value(QStringLiteral("uid")).toUInt();
    status.gid = map.value(QStringLiteral("gid")).toUInt();
    status.size = map.value(QStringLiteral("size")).toLongLong();
    status.inode = map.value(QStringLiteral("inode")).toULongLong();
    status.symlinkTarget = map.value(QStringLiteral("target")).toString();
    status.content = map.value(QStringLiteral("content")).toByteArray();
    return status;
}

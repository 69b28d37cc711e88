// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QDir>
#include <QString>
#include <QStringList>

class QFileInfo;

/**
 * Lists one directory as encoded EntryInfo records.
 *
 * The icon of an entry comes from its MIME type, and finding that type must
 * never block the helper: only regular files with content on ordinary file
 * systems are read. A read of /proc/kmsg, a FIFO or a file served by a FUSE
 * process can wait for ever, and opening a device may have side effects.
 */
class DirectoryLister
{
public:
    static KAuth::ActionReply list(const QString &path, const QStringList &nameFilters, QDir::Filters filters, QDir::SortFlags sort);
    static QString iconName(const QFileInfo &info);
};

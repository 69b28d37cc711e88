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
 * never block the helper: only regular files on ordinary file systems are
 * read (see PlainFile), and only through the directory's own descriptor. A
 * read of /proc/kmsg, a FIFO or a file served by a FUSE process can wait for
 * ever, and opening a device may have side effects.
 *
 * A reply larger than the bus accepts would cost the helper its connection
 * and leave the caller with an error it cannot explain. A listing therefore
 * stops at a budget of encoded bytes: the reply then holds the entries, in
 * listing order, that fit, "omittedEntries" with the number left out, and
 * "notice", a translated sentence that says so. Entries that cannot be in the
 * reply are only counted, never held.
 */
class DirectoryLister
{
public:
    /// What the entries may take in a reply: the bus refuses messages over
    /// 32 MiB, and the reply crosses it with its framing around it. About
    /// 200,000 entries of usual length fit.
    static constexpr qint64 DefaultBudgetBytes = 24 * 1024 * 1024;
    /// More name patterns than a person would ever type; the plug-in sends none.
    static constexpr int MaxNameFilters = 1000;
    /// Their length together: every entry is matched against each of them.
    static constexpr int MaxNameFilterCharacters = 64 * 1024;

    static KAuth::ActionReply
    list(const QString &path, const QStringList &nameFilters, QDir::Filters filters, QDir::SortFlags sort, qint64 budgetBytes = DefaultBudgetBytes);
    /// The icon of @p info, an entry of the directory open at @p directoryFd.
    static QString iconName(int directoryFd, const QFileInfo &info);
};

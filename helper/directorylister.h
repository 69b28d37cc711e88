// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QDir>
#include <QString>
#include <QStringList>

class CallerAccess;

/**
 * Lists one directory as encoded EntryInfo records.
 *
 * The icon of an entry comes from its MIME type. Finding that type must
 * neither block the helper nor tell the caller more than they could learn
 * themselves: content is read only where the name leaves the type open, and
 * only from a regular file the caller could read, on a local file system,
 * never through a link (see CallerReadableFile). A read of /proc/kmsg, a FIFO
 * or a file served by a network server or a FUSE process can wait for ever,
 * and opening a device may have side effects.
 *
 * A reply larger than the bus accepts would cost the helper its connection
 * and leave the caller with an error it cannot explain. A listing therefore
 * stops at a budget of encoded bytes: the reply then holds the entries, in
 * listing order, that fit, "omittedEntries" with the number left out, and
 * "notice", a translated sentence that says so. Entries that cannot be in the
 * reply are only counted, never held.
 *
 * A listing also has a time limit: a huge directory on a slow disk must not
 * hold up the helper, which serves one request at a time. Past the limit no
 * more entries are read and no more files looked into: the reply holds the
 * entries found so far, the later ones typed by name, and, when entries were
 * left unread, a "notice" that says so.
 */
class DirectoryLister
{
public:
    /// What the entries may take in a reply: the bus refuses messages over
    /// 32 MiB, and the reply crosses it with its framing around it. About
    /// 200,000 entries of usual length fit.
    static constexpr qint64 DefaultBudgetBytes = 24 * 1024 * 1024;
    /// Just within the 30 s the plug-in waits for a listing once authorized:
    /// past that nobody would receive the reply.
    static constexpr int DefaultTimeLimitMs = 25000;
    /// Every entry is matched against every pattern: as many as a file
    /// dialog's filter needs, and no more. The plug-in sends none.
    static constexpr int MaxNameFilters = 64;
    static constexpr int MaxNameFilterLength = 256;

    /// Lists @p path on behalf of @p caller, whose rights decide what may be
    /// read to find an entry's type.
    static KAuth::ActionReply list(const QString &path,
                                   const QStringList &nameFilters,
                                   QDir::Filters filters,
                                   QDir::SortFlags sort,
                                   const CallerAccess &caller,
                                   qint64 budgetBytes = DefaultBudgetBytes,
                                   int timeLimitMs = DefaultTimeLimitMs);
};

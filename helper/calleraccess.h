// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QVector>

#include <sys/stat.h>
#include <sys/types.h>

/**
 * What the user who sent a request could do with a file on their own.
 *
 * Root can read every file, but whatever it learns from a file's content
 * goes back to the caller in the reply (and over the bus to every listener).
 * Root therefore only looks into what the caller could have looked into
 * themselves, judged by owner, mode and groups as the kernel judges them:
 * the owner's bits for the owner, the group's bits for a member, the others'
 * bits for everyone else.
 */
class CallerAccess
{
public:
    /// A caller who may read nothing, as when KAuth cannot tell who called.
    CallerAccess() = default;
    /// The caller @p uid, member of @p groups (its own group among them).
    CallerAccess(uid_t uid, const QVector<gid_t> &groups);

    /// The caller of that uid with the groups the user database gives it;
    /// a negative uid is unknown and may read nothing.
    static CallerAccess forUid(int uid);

    /// Whether the caller may read the file @p status describes.
    bool mayRead(const struct stat &status) const;
    /// Whether the caller may pass through the directory @p status describes.
    bool maySearch(const struct stat &status) const;
    /// Whether the caller may reach the entries of @p directory, an
    /// absolute path without links: every directory on the way, itself
    /// included, must let them pass.
    bool mayReachEntriesOf(const QByteArray &directory) const;

private:
    bool permits(const struct stat &status, mode_t owner, mode_t group, mode_t others) const;

    bool m_known = false;
    uid_t m_uid = 0;
    QVector<gid_t> m_groups;
};

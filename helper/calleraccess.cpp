// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "calleraccess.h"

#include <QList>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace
{
// The size getpwuid_r() asks for when the system has no opinion.
constexpr long FallbackBufferSize = 16384;
}

CallerAccess::CallerAccess(uid_t uid, const QVector<gid_t> &groups)
    : m_known(true)
    , m_uid(uid)
    , m_groups(groups)
{
}

CallerAccess CallerAccess::forUid(int uid)
{
    if (uid < 0) {
        return CallerAccess();
    }
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    QByteArray buffer(int(suggested > 0 ? suggested : FallbackBufferSize), Qt::Uninitialized);
    struct passwd entry;
    struct passwd *found = nullptr;
    if (::getpwuid_r(uid_t(uid), &entry, buffer.data(), size_t(buffer.size()), &found) != 0 || !found) {
        // A uid without a user entry still owns its files and is one of the
        // others; it belongs to no group anybody could name.
        return CallerAccess(uid_t(uid), {});
    }
    QVector<gid_t> groups(32);
    int count = groups.size();
    if (::getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) < 0) {
        groups.resize(count);
        if (::getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) < 0) {
            // The group database changed in between: its own group at least.
            return CallerAccess(uid_t(uid), {entry.pw_gid});
        }
    }
    groups.resize(count);
    return CallerAccess(uid_t(uid), groups);
}

bool CallerAccess::mayRead(const struct stat &status) const
{
    return permits(status, S_IRUSR, S_IRGRP, S_IROTH);
}

bool CallerAccess::maySearch(const struct stat &status) const
{
    return permits(status, S_IXUSR, S_IXGRP, S_IXOTH);
}

bool CallerAccess::permits(const struct stat &status, mode_t owner, mode_t group, mode_t others) const
{
    if (!m_known) {
        return false;
    }
    if (m_uid == 0) {
        return true;
    }
    if (status.st_uid == m_uid) {
        return status.st_mode & owner;
    }
    if (m_groups.contains(status.st_gid)) {
        return status.st_mode & group;
    }
    return status.st_mode & others;
}

bool CallerAccess::mayReachEntriesOf(const QByteArray &directory) const
{
    if (!directory.startsWith('/')) {
        return false;
    }
    // The first component is the empty one before the leading "/".
    QByteArray step;
    const QList<QByteArray> components = directory.split('/');
    for (const QByteArray &component : components) {
        if (component.isEmpty() && !step.isEmpty()) {
            continue;
        }
        step = step.isEmpty() ? QByteArray("/") : step + (step.endsWith('/') ? "" : "/") + component;
        struct stat status;
        if (::stat(step.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || !maySearch(status)) {
            return false;
        }
    }
    return true;
}

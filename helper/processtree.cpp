// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "processtree.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QVector>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// A fork bomb can outrun a few rounds; it cannot outrun this many.
constexpr int MaxRounds = 1000;

// The parent of every process, from /proc/<pid>/stat: "pid (comm) state ppid ...".
// The command name may hold spaces and parentheses, so it ends at the last ')'.
QHash<pid_t, pid_t> parents()
{
    QHash<pid_t, pid_t> parentOf;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs);
    for (const QString &pid : pids) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1) {
            parentOf.insert(pid_t(pid.toInt()), pid_t(fields.at(1).toInt()));
        }
    }
    return parentOf;
}

QVector<pid_t> descendantsOf(pid_t ancestor)
{
    const QHash<pid_t, pid_t> parentOf = parents();
    QVector<pid_t> found;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        // Read at different moments, the parents could form a loop.
        int steps = 0;
        for (pid_t up = it.value(); up > 1 && steps < parentOf.size(); up = parentOf.value(up, 0), ++steps) {
            if (up == ancestor) {
                found.append(it.key());
                break;
            }
        }
    }
    return found;
}
}

ProcessTree::ProcessTree()
{
    ::prctl(PR_GET_CHILD_SUBREAPER, &m_previousSubreaper, 0, 0, 0);
    ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
}

ProcessTree::~ProcessTree()
{
    ::prctl(PR_SET_CHILD_SUBREAPER, m_previousSubreaper, 0, 0, 0);
}

void ProcessTree::killAll(long long managedChild) const
{
    const pid_t self = ::getpid();
    for (int round = 0; round < MaxRounds; ++round) {
        QVector<pid_t> descendants = descendantsOf(self);
        descendants.removeAll(pid_t(managedChild));
        if (descendants.isEmpty()) {
            return;
        }
        for (const pid_t pid : descendants) {
            ::kill(pid, SIGKILL);
        }
        // Killed children end at once; the grandchildren that become
        // children when their parents end are found in the next round.
        bool reaped = false;
        for (const pid_t pid : descendants) {
            reaped = ::waitpid(pid, nullptr, 0) == pid || reaped;
        }
        if (!reaped) {
            ::usleep(1000);
        }
    }
}

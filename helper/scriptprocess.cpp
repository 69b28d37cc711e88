// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "scriptprocess.h"

#include <QProcessEnvironment>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

ScriptProcess::ScriptProcess(QObject *parent)
    : QProcess(parent)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"));
    environment.insert(QStringLiteral("HOME"), QStringLiteral("/root"));
    setProcessEnvironment(environment);
    setWorkingDirectory(QStringLiteral("/"));
    setStandardInputFile(QProcess::nullDevice());
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    setChildProcessModifier(&ScriptProcess::prepareChild);
#endif
}

void ScriptProcess::killGroup()
{
    const qint64 pid = processId();
    if (pid > 0) {
        ::kill(static_cast<pid_t>(-pid), SIGKILL);
    }
    kill();
}

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
void ScriptProcess::setupChildProcess()
{
    prepareChild();
}
#endif

void ScriptProcess::prepareChild()
{
    ::setpgid(0, 0);
    ::umask(022);
}

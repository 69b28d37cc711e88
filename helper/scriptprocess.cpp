// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "scriptprocess.h"

#include <signal.h>
#include <unistd.h>

void ScriptProcess::killGroup()
{
    const qint64 pid = processId();
    if (pid > 0) {
        ::kill(static_cast<pid_t>(-pid), SIGKILL);
    }
    kill();
}

void ScriptProcess::setupChildProcess()
{
    ::setpgid(0, 0);
}

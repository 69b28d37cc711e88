// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "outputstream.h"

#include <KAuth/ActionReply>
#include <QString>

/**
 * Runs one program without arguments and turns its outcome into a reply.
 *
 * Only an exit code of 0 counts as success: a program that cannot be
 * started, dies from a signal or is still running at the time limit is a
 * failure, and in the last case it is killed together with everything it
 * started, including what left its process group.
 *
 * While the program runs its output goes to a sink as well, up to a bound
 * (see OutputStream); the reply keeps only the end of each channel.
 */
class ScriptRunner
{
public:
    ScriptRunner(const QString &program, int timeLimitMs, qint64 outputLimitBytes = OutputStream::DefaultLimitBytes);

    KAuth::ActionReply run(const OutputStream::Sink &sink = {}) const;

private:
    QString m_program;
    int m_timeLimitMs;
    qint64 m_outputLimitBytes;
};

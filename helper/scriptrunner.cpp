// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "scriptrunner.h"

#include "errorreply.h"
#include "outputtail.h"
#include "processtree.h"
#include "protocol.h"
#include "scriptprocess.h"

#include <KLocalizedString>
#include <QDeadlineTimer>

namespace
{
// SIGKILL cannot be ignored; this only bounds the wait for a process stuck
// in the kernel.
constexpr int KillGraceMs = 5000;

// What arrived after the last signal is still in the process's buffers.
QString capturedOutput(QProcess &process, OutputTail &standardOutput, OutputTail &standardError)
{
    standardOutput.append(process.readAllStandardOutput());
    standardError.append(process.readAllStandardError());
    return standardOutput.text() + QLatin1Char('\n') + standardError.text();
}
}

ScriptRunner::ScriptRunner(const QString &program, int timeLimitMs)
    : m_program(program)
    , m_timeLimitMs(timeLimitMs)
{
}

KAuth::ActionReply ScriptRunner::run() const
{
    const QDeadlineTimer deadline(m_timeLimitMs);
    const auto remainingMs = [&deadline] {
        return static_cast<int>(deadline.remainingTime());
    };
    // Declared before the process, so that it outlives it.
    const ProcessTree tree;
    ScriptProcess process;
    // The waits below deliver these signals, so the buffers never hold more
    // than one read's worth beyond the kept tails.
    OutputTail standardOutput;
    OutputTail standardError;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [&] {
        standardOutput.append(process.readAllStandardOutput());
    });
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, [&] {
        standardError.append(process.readAllStandardError());
    });
    process.start(m_program, QStringList(), QIODevice::ReadOnly);
    if (!process.waitForStarted(remainingMs()) && process.state() == QProcess::NotRunning) {
        return errorReply(i18n("Script %1 could not be started: %2", m_program, process.errorString()));
    }
    if (!process.waitForFinished(remainingMs()) && process.state() != QProcess::NotRunning) {
        const qint64 script = process.processId();
        process.killGroup();
        process.waitForFinished(KillGraceMs);
        // Whatever left the group, in a session of its own say, goes too.
        tree.killAll(process.state() == QProcess::NotRunning ? 0 : script);
        return errorReply(i18n("Script %1 did not finish within %2 seconds and was stopped.\nFullInformation:\n%3",
                               m_program,
                               m_timeLimitMs / 1000.0,
                               capturedOutput(process, standardOutput, standardError)));
    }
    if (process.exitStatus() == QProcess::CrashExit) {
        return errorReply(i18n("Script %1 was killed by a signal.\nFullInformation:\n%2", m_program, capturedOutput(process, standardOutput, standardError)));
    }
    if (process.exitCode() != 0) {
        return errorReply(i18n("Script %1 finished with code %2.\nFullInformation:\n%3",
                               m_program,
                               process.exitCode(),
                               capturedOutput(process, standardOutput, standardError)));
    }
    // A check's report is its output, so a successful run hands it over too,
    // bounded as a failure's is.
    KAuth::ActionReply reply = KAuth::ActionReply::SuccessReply();
    reply.addData(Protocol::Reply::Output, capturedOutput(process, standardOutput, standardError));
    return reply;
}

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

#include <algorithm>

namespace
{
// SIGKILL cannot be ignored; this only bounds the wait for a process stuck
// in the kernel.
constexpr int KillGraceMs = 5000;
// How long complete lines may wait before they are passed on.
constexpr int SendIntervalMs = 250;
}

ScriptRunner::ScriptRunner(const QString &program, int timeLimitMs, qint64 outputLimitBytes)
    : m_program(program)
    , m_timeLimitMs(timeLimitMs)
    , m_outputLimitBytes(outputLimitBytes)
{
}

KAuth::ActionReply ScriptRunner::run(const OutputStream::Sink &sink) const
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
    OutputStream stream(sink, m_outputLimitBytes);
    const auto readStandardOutput = [&] {
        const QByteArray data = process.readAllStandardOutput();
        standardOutput.append(data);
        stream.append(OutputStream::StandardOutput, data);
    };
    const auto readStandardError = [&] {
        const QByteArray data = process.readAllStandardError();
        standardError.append(data);
        stream.append(OutputStream::StandardError, data);
    };
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, readStandardOutput);
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, readStandardError);
    // What arrived after the last signal is still in the process's buffers.
    const auto capturedOutput = [&]() -> QString {
        readStandardOutput();
        readStandardError();
        stream.finish();
        return standardOutput.text() + QLatin1Char('\n') + standardError.text();
    };
    process.start(m_program, QStringList(), QIODevice::ReadOnly);
    if (!process.waitForStarted(remainingMs()) && process.state() == QProcess::NotRunning) {
        return errorReply(i18n("Script %1 could not be started: %2", m_program, process.errorString()));
    }
    bool finished = false;
    while (!finished && !deadline.hasExpired()) {
        finished = process.waitForFinished(std::min(remainingMs(), SendIntervalMs)) || process.state() == QProcess::NotRunning;
        stream.sendLines();
    }
    if (!finished) {
        const qint64 script = process.processId();
        process.killGroup();
        process.waitForFinished(KillGraceMs);
        // Whatever left the group, in a session of its own say, goes too.
        tree.killAll(process.state() == QProcess::NotRunning ? 0 : script);
        return errorReply(
            i18n("Script %1 did not finish within %2 seconds and was stopped.\nFullInformation:\n%3", m_program, m_timeLimitMs / 1000.0, capturedOutput()));
    }
    if (process.exitStatus() == QProcess::CrashExit) {
        return errorReply(i18n("Script %1 was killed by a signal.\nFullInformation:\n%2", m_program, capturedOutput()));
    }
    if (process.exitCode() != 0) {
        KAuth::ActionReply reply = errorReply(i18n("Script %1 finished with code %2.\nFullInformation:\n%3", m_program, process.exitCode(), capturedOutput()));
        if (sink) {
            sink({{Protocol::Progress::ExitCode, process.exitCode()}});
        }
        return reply;
    }
    // A check's report is its output, so a successful run hands it over too,
    // bounded as a failure's is.
    KAuth::ActionReply reply = KAuth::ActionReply::SuccessReply();
    reply.addData(Protocol::Reply::Output, capturedOutput());
    return reply;
}

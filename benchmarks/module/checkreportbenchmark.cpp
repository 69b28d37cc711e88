// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Reads afick reports of many changed files into the check report model as
// the module gets them from the helper: decoded text in pieces of 64 KiB,
// each piece appending its rows, then the end of the run. Prints the time and
// the peak memory for each size, and the time per finding, which stays flat
// while the cost is linear.
// Each size runs in a process of its own, so each peak is its own.
//
// Run: checkreportbenchmark [FINDINGS...]   (default 20000 100000)

#include "checkreportmodel.h"
#include "generatedafickreport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <sys/resource.h>

#include <cstdio>

namespace
{
// What the helper sends at most in one piece.
constexpr int PieceBytes = 64 * 1024;

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int measure(int findings)
{
    const QByteArray bytes = generatedAfickReport(0, 0, findings);
    const QString output = QString::fromUtf8(bytes);
    const long startKiB = peakKiB();
    CheckReportModel model;
    QElapsedTimer timer;
    timer.start();
    for (int at = 0; at < output.size(); at += PieceBytes) {
        model.addOutput(output.mid(at, PieceBytes));
    }
    model.finish(1);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (model.changedCount() != findings) {
        std::fprintf(stderr, "read %d findings of %d\n", model.changedCount(), findings);
        return 1;
    }
    std::printf("%7d findings, %5.1f MB of output: %8.1f ms (%5.2f us a finding), peak memory %6.1f MB more than before reading\n",
                findings,
                bytes.size() / 1e6,
                ms,
                ms * 1000 / findings,
                (peakKiB() - startKiB) / 1024.0);
    std::fflush(stdout);
    return 0;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList sizes = app.arguments().mid(1);
    if (sizes.size() == 1) {
        return measure(sizes.constFirst().toInt());
    }
    if (sizes.isEmpty()) {
        sizes = QStringList{QStringLiteral("20000"), QStringLiteral("100000")};
    }
    for (const QString &size : qAsConst(sizes)) {
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(app.applicationFilePath(), {size});
        if (!run.waitForFinished(-1) || run.exitCode() != 0) {
            return 1;
        }
    }
    return 0;
}

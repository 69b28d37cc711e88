// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Lists a generated directory of mixed files through the installed helper,
// over KAuth and the system bus, as an unprivileged client, and the same
// directory in-process with a bare QDir and QMimeDatabase, alternately, and
// prints the ratio of the two: the median over the pairs.
//
// It needs the helper installed and a system bus with polkitd that allows
// the request; the end-to-end harness provides both (as root, from the
// build directory, after the e2estage test has staged the install):
//     ../tests/e2e/e2e-run.sh --stage e2e-stage --standin bin/trustwatch-e2e-standin
//         -- bin/kauthlistingbenchmark [files] [pairs]
// (one command line).
// The figures mean something in a release build without sanitizers only.

#include "entryinfo.h"
#include "listingdirectory.h"
#include "protocol.h"

#include <KAuth/Action>
#include <KAuth/ExecuteJob>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace
{
constexpr int DefaultFileCount = 20000;
constexpr int DefaultPairs = 7;
constexpr int RequestTimeoutMs = 5 * 60 * 1000;
const QDir::Filters ModuleFilters = QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot;

// What the module would show: path, name, icon and permissions per entry.
int listInProcess(const QString &directory, const QMimeDatabase &database)
{
    const QFileInfoList infos = QDir(directory).entryInfoList(QStringList(), ModuleFilters);
    int listed = 0;
    for (const QFileInfo &info : infos) {
        const EntryInfo entry(info, database.mimeTypeForFile(info).iconName());
        listed += entry.filePath().isEmpty() ? 0 : 1;
    }
    return listed;
}

// The request as the module sends it, and the reply decoded as it decodes it.
int listThroughHelper(const QString &directory, QString *error)
{
    KAuth::Action action(Protocol::actionId(Protocol::Action::ListEntries));
    action.setHelperId(Protocol::HelperId);
    action.setArguments({{Protocol::Argument::Path, directory}, {Protocol::Argument::Filters, int(ModuleFilters)}});
    action.setTimeout(RequestTimeoutMs);
    std::unique_ptr<KAuth::ExecuteJob> job(action.execute());
    job->setAutoDelete(false);
    if (!job->exec()) {
        *error = QStringLiteral("error %1: %2").arg(job->error()).arg(job->errorString());
        return -1;
    }
    if (job->data().contains(Protocol::Reply::Notice)) {
        *error = job->data().value(Protocol::Reply::Notice).toString();
    }
    const QVector<EntryInfo> entries = EntryInfo::fromListing(directory, job->data().value(Protocol::Reply::EntryInfoList).toList());
    int listed = 0;
    for (const EntryInfo &entry : entries) {
        listed += entry.filePath().isEmpty() ? 0 : 1;
    }
    return listed;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    const int middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

double millisecondsOf(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int count = arguments.size() > 1 ? arguments.at(1).toInt() : DefaultFileCount;
    const int pairs = arguments.size() > 2 ? arguments.at(2).toInt() : DefaultPairs;
    QTextStream out(stdout);

    QTemporaryDir dir;
    if (count <= 0 || pairs <= 0 || !dir.isValid() || !populateListingDirectory(dir.path(), count)) {
        out << "Could not generate " << count << " files in a temporary directory\n";
        return 1;
    }
    // Root's helper lists the directory on behalf of this user, who may read it.
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);

    // Neither the helper's start and authorization nor the loading of the
    // MIME database is what is measured.
    const QMimeDatabase database;
    QString problem;
    if (listInProcess(dir.path(), database) != count || listThroughHelper(dir.path(), &problem) != count) {
        out << "The listings do not hold the " << count << " files: " << problem << '\n';
        return 1;
    }

    QVector<double> inProcessMs;
    QVector<double> helperMs;
    QVector<double> ratios;
    for (int pair = 0; pair < pairs; ++pair) {
        QElapsedTimer timer;
        timer.start();
        const int bare = listInProcess(dir.path(), database);
        inProcessMs.append(millisecondsOf(timer));
        timer.restart();
        const int helped = listThroughHelper(dir.path(), &problem);
        helperMs.append(millisecondsOf(timer));
        if (bare != count || helped != count) {
            out << "Pair " << pair + 1 << " listed " << bare << " and " << helped << " of " << count << " files: " << problem << '\n';
            return 1;
        }
        ratios.append(helperMs.last() / inProcessMs.last());
        out << "pair " << pair + 1 << ": in-process " << QString::number(inProcessMs.last(), 'f', 1) << " ms, helper "
            << QString::number(helperMs.last(), 'f', 1) << " ms, ratio " << QString::number(ratios.last(), 'f', 3) << '\n';
        out.flush();
    }
    out << "Files: " << count << ", pairs: " << pairs << '\n';
    out << "In-process QDir + QMimeDatabase, median: " << QString::number(median(inProcessMs), 'f', 1) << " ms\n";
    out << "Helper over KAuth, median:               " << QString::number(median(helperMs), 'f', 1) << " ms\n";
    out << "Ratio, median of the pairs:              " << QString::number(median(ratios), 'f', 3) << '\n';
    return 0;
}

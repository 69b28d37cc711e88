// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Lists a generated directory through the entryinfolist action and, for
// comparison, with a bare QDir listing doing the same MIME lookups, so that
// the cost of building and encoding the records can be seen.

#include "integritysecurityhelper.h"
#include "listingdirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <unistd.h>

namespace
{
constexpr int DefaultFileCount = 20000;
constexpr int Rounds = 3;
const QDir::Filters listingFilters = QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot;

qint64 bestOf(const std::function<int()> &listing, int *entries)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        *entries = listing();
        best = std::min(best, timer.nsecsElapsed());
    }
    return best;
}

QString figures(qint64 nanoseconds, int entries)
{
    const double seconds = nanoseconds / 1e9;
    return QStringLiteral("%1 ms, %2 entries/s").arg(seconds * 1000, 0, 'f', 1).arg(entries / seconds, 0, 'f', 0);
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = app.arguments().size() > 1 ? app.arguments().at(1).toInt() : DefaultFileCount;
    QTextStream out(stdout);

    QTemporaryDir dir;
    if (count <= 0 || !dir.isValid() || !populateListingDirectory(dir.path(), count)) {
        out << "Could not generate " << count << " files in a temporary directory\n";
        return 1;
    }

    // The MIME database is loaded on first use; that one-time cost is not
    // what is measured here.
    const QMimeDatabase database;
    database.mimeTypeForFile(dir.path());

    int bareEntries = 0;
    const qint64 bare = bestOf(
        [&dir, &database] {
            const QFileInfoList infos = QDir(dir.path()).entryInfoList(QStringList(), listingFilters);
            for (const QFileInfo &info : infos) {
                database.mimeTypeForFile(info).iconName();
            }
            return int(infos.size());
        },
        &bareEntries);

    // Content is read for a caller who could read it; the benchmark's user can.
    IntegritySecurityHelper helper([] {
        return int(::getuid());
    });
    const QVariantMap args{{QStringLiteral("path"), dir.path()}, {QStringLiteral("filters"), int(listingFilters)}};
    QVariantList records;
    int encodedEntries = 0;
    const qint64 slot = bestOf(
        [&] {
            records = helper.entryinfolist(args).data().value(QStringLiteral("entryinfolist")).toList();
            return int(records.size());
        },
        &encodedEntries);
    qint64 encodedBytes = 0;
    for (const QVariant &record : std::as_const(records)) {
        encodedBytes += record.toByteArray().size();
    }

    out << "Files generated:                   " << count << '\n';
    out << "Bare QDir listing + MIME lookups:  " << figures(bare, bareEntries) << '\n';
    out << "entryinfolist slot:                " << figures(slot, encodedEntries) << '\n';
    out << "Encoding overhead:                 " << QString::number((slot - bare) / 1e6, 'f', 1) << " ms ("
        << QString::number(100.0 * (slot - bare) / bare, 'f', 1) << " %)\n";
    out << "Encoded records:                   " << encodedBytes << " bytes\n";
    return bareEntries == count && encodedEntries == count ? 0 : 1;
}

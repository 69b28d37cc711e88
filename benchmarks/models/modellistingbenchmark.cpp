// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Times the listing of one directory of many files into the privileged
// file-system model: in-process (the helper's own lister called directly)
// and through KAuth, polkit and the helper over the system bus. The second
// needs the end-to-end environment; run as root:
//
//   tests/e2e/e2e-run.sh --stage <build>/e2e-stage --standin <build>/bin/trustwatch-e2e-standin
//       -- <build>/bin/modellistingbenchmark [ENTRIES]      (one line; ENTRIES defaults to 20000)
//
// Outside that environment only the in-process figures are printed.

#include "calleraccess.h"
#include "directorylister.h"
#include "helperrequest.h"
#include "polkitfilesystemmodel.h"
#include "polkitfilesystemtreeitem.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <optional>

namespace
{
constexpr int Repetitions = 3;
const int Filters = int(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);

// Lists every ancestor of @p path so that its own item exists, then times its listing.
std::optional<double> timeListing(const QString &path, int expectedRows)
{
    PolkitFileSystemModel model;
    model.setFilters(Filters);
    model.setRootPath(QStringLiteral("/"));
    QString ancestor;
    const QStringList components = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i + 1 < components.size(); ++i) {
        ancestor += QLatin1Char('/') + components.at(i);
        model.fetchMore(model.indexForPath(ancestor));
    }
    const QModelIndex directory = model.indexForPath(path);
    if (!directory.isValid()) {
        return std::nullopt;
    }
    QElapsedTimer timer;
    timer.start();
    model.fetchMore(directory);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (model.rowCount(directory) != expectedRows) {
        return std::nullopt;
    }
    return ms;
}

QString describe(const std::optional<double> &ms)
{
    return ms ? QString::number(*ms, 'f', 1) : QStringLiteral("failed");
}
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "minimal");
    }
    QGuiApplication app(argc, argv);
    const int count = app.arguments().size() > 1 ? app.arguments().at(1).toInt() : 20000;
    QTextStream out(stdout);

    QTemporaryDir temporary;
    const QString path = temporary.path() + QStringLiteral("/listing");
    if (!temporary.isValid() || !QDir().mkpath(path)) {
        qFatal("cannot create a directory below %s", qPrintable(QDir::tempPath()));
    }
    for (int i = 0; i < count; ++i) {
        QFile file(path + QStringLiteral("/file-%1.txt").arg(i, 6, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly) || file.write("text\n") != 5) {
            qFatal("cannot create %s", qPrintable(file.fileName()));
        }
    }
    out << "Listing " << count << " files of " << path << " into the model, ms per listing:\n";
    out.flush();

    PolkitFileSystemTreeItem::setListingRequest([](const QVariantMap &arguments) {
        const KAuth::ActionReply reply = DirectoryLister::list(arguments.value(QStringLiteral("path")).toString(),
                                                               {},
                                                               QDir::Filters(arguments.value(QStringLiteral("filters")).toInt()),
                                                               QDir::NoSort,
                                                               CallerAccess());
        return HelperReply{0, QString(), reply.data()};
    });
    for (int run = 1; run <= Repetitions; ++run) {
        out << "  in-process run " << run << ": " << describe(timeListing(path, count)) << '\n';
        out.flush();
    }

    PolkitFileSystemTreeItem::setListingRequest({});
    if (qEnvironmentVariableIsEmpty("TRUSTWATCH_E2E_CONTROL")) {
        out << "  through the helper: skipped, not inside the end-to-end environment (see the head of this file)\n";
        return 0;
    }
    for (int run = 1; run <= Repetitions; ++run) {
        out << "  through the helper run " << run << (run == 1 ? " (starts the helper)" : "") << ": " << describe(timeListing(path, count)) << '\n';
        out.flush();
    }
    return 0;
}

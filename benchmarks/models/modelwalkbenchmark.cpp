// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Lists one directory of many entries into the integrity file-system model and
// walks every row as a view does: index, parent and the data of each role,
// the effective rule of each path among them, wildcard rules included.
// The entries are handed to the tree in-process, encoded as the helper
// encodes them, so decoding is part of the listing time.
//
// Run: modelwalkbenchmark [ENTRIES...]   (default 25000 50000 100000)

#include "entryinfo.h"
#include "helperrequest.h"
#include "integrityfilesystemmodel.h"
#include "polkitfilesystemtreeitem.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

namespace
{
const QString bigDirectory = QStringLiteral("/big");

QVariantList encodedEntries(int count)
{
    QVariantList list;
    list.reserve(count);
    for (int i = 0; i < count; ++i) {
        EntryInfo entry;
        entry.setFileName(QStringLiteral("file-%1.conf").arg(i, 6, 10, QLatin1Char('0')));
        entry.setFilePath(bigDirectory + QLatin1Char('/') + entry.fileName());
        entry.setIconName(QStringLiteral("text-plain"));
        entry.setPermissions(0x6600);
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << entry;
        list.append(bytes);
    }
    return list;
}

struct Figures {
    double listMs;
    double walkMs;
};

Figures measure(int count)
{
    EntryInfo big;
    big.setFilePath(bigDirectory);
    big.setFileName(QStringLiteral("big"));
    big.setIconName(QStringLiteral("inode-directory"));
    QByteArray bigBytes;
    QDataStream bigStream(&bigBytes, QIODevice::WriteOnly);
    bigStream << big;

    const QVariantList entries = encodedEntries(count);
    PolkitFileSystemTreeItem::setListingRequest([&](const QVariantMap &arguments) {
        const QVariantList listing = arguments.value(QStringLiteral("path")).toString() == bigDirectory ? entries : QVariantList{bigBytes};
        return HelperReply{0, QString(), {{QStringLiteral("entryinfolist"), listing}}};
    });

    IntegrityFileSystemModel model;
    // "/" is listed in the background.
    QEventLoop rootListed;
    QObject::connect(&model, &PolkitFileSystemModel::rootPathChanged, &rootListed, &QEventLoop::quit);
    rootListed.exec();
    // Every row inherits /big's rule, or has its own, and is checked against
    // the exclude directives on the way: the effective roles' full work.
    QStringList lines{QStringLiteral("exclude_suffix := log gz ~"),
                      QStringLiteral("exclude_prefix := .#"),
                      QStringLiteral("exclude_re := .*/cache/.* \\.swp$"),
                      QStringLiteral("/ R"),
                      bigDirectory + QStringLiteral(" p+u+md5"),
                      bigDirectory + QStringLiteral("/file-*9.conf ETC-md5")};
    // Many rules elsewhere, wildcard ones among them: evaluating a row must
    // not scan them.
    for (int i = 0; i < count / 10; ++i) {
        lines.append(QStringLiteral("/elsewhere/rule-%1 p").arg(i));
        lines.append(QStringLiteral("/elsewhere/dir-%1/*.conf p").arg(i));
        lines.append(bigDirectory + QStringLiteral("/file-%1.conf u").arg(i * 10, 6, 10, QLatin1Char('0')));
    }
    model.afickConfigEditor().applyConfigLines(lines);
    const QModelIndex directory = model.index(0, 0);

    QElapsedTimer timer;
    timer.start();
    model.fetchMore(directory);
    const double listMs = timer.nsecsElapsed() / 1e6;

    const QList<int> roles = model.roleNames().keys() << Qt::DisplayRole;
    qint64 checksum = 0;
    timer.restart();
    const int rows = model.rowCount(directory);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = model.index(row, 0, directory);
        checksum += model.parent(index).row();
        for (const int role : roles) {
            checksum += model.data(index, role).isValid();
        }
    }
    const double walkMs = timer.nsecsElapsed() / 1e6;

    PolkitFileSystemTreeItem::setListingRequest({});
    if (rows != count || checksum != qint64(count) * roles.size()) {
        qFatal("walked %d rows of %d; checksum %lld", rows, count, checksum);
    }
    return {listMs, walkMs};
}
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "minimal");
    }
    QGuiApplication app(argc, argv);

    QList<int> counts;
    for (const QString &argument : app.arguments().mid(1)) {
        counts.append(argument.toInt());
    }
    if (counts.isEmpty()) {
        counts = {25000, 50000, 100000};
    }

    QTextStream out(stdout);
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("entries"), 9)
               .arg(QStringLiteral("list ms"), 10)
               .arg(QStringLiteral("walk ms"), 10)
               .arg(QStringLiteral("walk µs/row"), 12);
    for (const int count : std::as_const(counts)) {
        const Figures figures = measure(count);
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(count, 9)
                   .arg(figures.listMs, 10, 'f', 1)
                   .arg(figures.walkMs, 10, 'f', 1)
                   .arg(figures.walkMs * 1000 / count, 12, 'f', 2);
        out.flush();
    }
    return 0;
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// A directory whose listing would exceed the bus's 32 MiB message limit:
// without a limit the bus drops the helper's connection and the caller gets
// an error it cannot explain. The helper answers with the entries that fit
// and says how many it left out.

#include "e2eenvironment.h"
#include "entryinfo.h"

#include <QDataStream>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace
{
constexpr int EntryCount = 300000;
// Encoding 300,000 entries, twice across the bus, takes a while under the
// sanitizers; this only guards against a hang.
constexpr int TimeoutMs = 240000;
const int ModuleFilters = int(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);

QString nameOf(int index)
{
    return QStringLiteral("entry-%1").arg(index, 6, 10, QLatin1Char('0'));
}
}

class HardeningListingLimitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void oversizedListingIsCutAndSaysSo();
    void filteredListingOfTheSameDirectoryIsWhole();

private:
    E2eEnvironment m_env;
    QTemporaryDir m_dir;
};

void HardeningListingLimitTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    QVERIFY(m_env.reset());
    QVERIFY(m_dir.isValid());
    for (int i = 0; i < EntryCount; ++i) {
        const int fd = ::open(QFile::encodeName(m_dir.filePath(nameOf(i))).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        QVERIFY2(fd >= 0, qPrintable(nameOf(i)));
        ::close(fd);
    }
}

void HardeningListingLimitTest::oversizedListingIsCutAndSaysSo()
{
    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("entryinfolist"),
                                                             {{QStringLiteral("path"), m_dir.path()}, {QStringLiteral("filters"), ModuleFilters}},
                                                             TimeoutMs);
    QVERIFY2(result.succeeded(), qPrintable(result.errorString));

    // The plug-in reads "entryinfolist" as always: records it can decode, in
    // listing order, from the first entry on.
    const QVariantList records = result.data.value(QStringLiteral("entryinfolist")).toList();
    QVERIFY2(records.size() > 100000, qPrintable(QString::number(records.size())));
    QVERIFY(records.size() < EntryCount);
    for (int i = 0; i < records.size(); i += 997) {
        QDataStream stream(records.at(i).toByteArray());
        EntryInfo entry;
        stream >> entry;
        entry.restorePathIn(EntryInfo::listingDirectory(m_dir.path()));
        QCOMPARE(stream.status(), QDataStream::Ok);
        QCOMPARE(entry.fileName(), nameOf(i));
        QCOMPARE(entry.filePath(), m_dir.filePath(nameOf(i)));
    }
    const int omitted = EntryCount - records.size();
    QCOMPARE(result.data.value(QStringLiteral("omittedEntries")).toInt(), omitted);
    QCOMPARE(result.data.value(QStringLiteral("notice")).toString(),
             QStringLiteral("\"%1\" holds too many entries to list at once: %2 entries are not shown.")
                 .arg(m_dir.path(), QLocale(QLocale::English).toString(omitted)));
}

void HardeningListingLimitTest::filteredListingOfTheSameDirectoryIsWhole()
{
    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("entryinfolist"),
                                                             {{QStringLiteral("path"), m_dir.path()},
                                                              {QStringLiteral("filters"), ModuleFilters},
                                                              {QStringLiteral("nameFilters"), QStringList{QStringLiteral("entry-29999?")}}},
                                                             TimeoutMs);
    QVERIFY2(result.succeeded(), qPrintable(result.errorString));
    QCOMPARE(result.data.keys(), QStringList{QStringLiteral("entryinfolist")});
    QCOMPARE(result.data.value(QStringLiteral("entryinfolist")).toList().size(), 10);
}

QTEST_GUILESS_MAIN(HardeningListingLimitTest)

#include "hardeninglistinglimittest.moc"

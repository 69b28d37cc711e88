// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// entryinfolist requested through KAuth by an unprivileged client: the
// listing of directories the client cannot read, decoded as the module does.

#include "e2eenvironment.h"
#include "entryinfo.h"

#include <QDataStream>
#include <QDir>
#include <QTest>

namespace
{
const QString Directory = QStringLiteral("/etc/trustwatch-e2e-list");
constexpr int TimeoutMs = 20000;
const int ModuleFilters = int(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);

// Paths are put back only where a listing of @p directory is decoded.
QList<EntryInfo> decode(const QVariant &list, const QString &directory = QString())
{
    QList<EntryInfo> entries;
    const QVariantList encoded = list.toList();
    for (const QVariant &element : encoded) {
        const QByteArray bytes = element.toByteArray();
        QDataStream stream(bytes);
        EntryInfo entry;
        stream >> entry;
        if (stream.status() != QDataStream::Ok || !stream.atEnd()) {
            qWarning("entry %d does not decode", int(entries.size()));
            return {};
        }
        entry.restorePathIn(EntryInfo::listingDirectory(directory));
        entries.append(entry);
    }
    return entries;
}

QStringList namesOf(const QList<EntryInfo> &entries)
{
    QStringList names;
    for (const EntryInfo &entry : entries) {
        names.append(entry.fileName());
    }
    return names;
}

const EntryInfo *find(const QList<EntryInfo> &entries, const QString &name)
{
    for (const EntryInfo &entry : entries) {
        if (entry.fileName() == name) {
            return &entry;
        }
    }
    return nullptr;
}
}

class E2eHelperListingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void listsWithTheGivenArguments_data();
    void listsWithTheGivenArguments();
    void emptyArgumentsListTheRootDirectory();
    void entriesCarryPathIconAndPermissions();
    void contentTypeOnlyForWhatTheCallerCouldRead();
    void listingProcFinishes();

private:
    E2eEnvironment m_env;
};

void E2eHelperListingTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    QVERIFY(m_env.reset());
    // Root-only, so only the helper can list it.
    QVERIFY(m_env.makeDirectory(Directory, 0700));
    QVERIFY(m_env.writeFile(Directory + QStringLiteral("/afick.conf"), "# afick\n", 0600));
    QVERIFY(m_env.writeFile(Directory + QStringLiteral("/b.txt"), "text\n", 0644));
    QVERIFY(m_env.writeFile(Directory + QStringLiteral("/A.txt"), "text\n", 0644));
    QVERIFY(m_env.writeFile(Directory + QStringLiteral("/.hidden"), "", 0644));
    QVERIFY(m_env.makeDirectory(Directory + QStringLiteral("/sub"), 0700));
    QVERIFY(m_env.writeFile(Directory + QStringLiteral("/sub/inner"), "", 0600));
    QVERIFY(!QDir(Directory).isReadable());
}

void E2eHelperListingTest::listsWithTheGivenArguments_data()
{
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<QStringList>("names");

    const QString path = QStringLiteral("path");
    const QString filters = QStringLiteral("filters");
    QTest::newRow("module-filters-drop-dot-entries-and-hidden-sorted-ignoring-case")
        << QVariantMap{{path, Directory}, {filters, ModuleFilters}}
        << QStringList{QStringLiteral("A.txt"), QStringLiteral("afick.conf"), QStringLiteral("b.txt"), QStringLiteral("sub")};
    QTest::newRow("default-filters-include-dot-entries") << QVariantMap{{path, Directory}}
                                                         << QStringList{QStringLiteral("."),
                                                                        QStringLiteral(".."),
                                                                        QStringLiteral("A.txt"),
                                                                        QStringLiteral("afick.conf"),
                                                                        QStringLiteral("b.txt"),
                                                                        QStringLiteral("sub")};
    QTest::newRow("hidden-filter-adds-hidden-entries")
        << QVariantMap{{path, Directory}, {filters, int(QDir::Files | QDir::Hidden)}}
        << QStringList{QStringLiteral(".hidden"), QStringLiteral("A.txt"), QStringLiteral("afick.conf"), QStringLiteral("b.txt")};
    QTest::newRow("name-filters-select-names") << QVariantMap{{path, Directory},
                                                              {filters, ModuleFilters},
                                                              {QStringLiteral("nameFilters"), QStringList{QStringLiteral("*.txt")}}}
                                               << QStringList{QStringLiteral("A.txt"), QStringLiteral("b.txt")};
    QTest::newRow("sort-argument-orders-the-entries")
        << QVariantMap{{path, Directory}, {filters, ModuleFilters}, {QStringLiteral("sort"), int(QDir::Name | QDir::Reversed)}}
        << QStringList{QStringLiteral("sub"), QStringLiteral("b.txt"), QStringLiteral("afick.conf"), QStringLiteral("A.txt")};
    QTest::newRow("root-only-subdirectory") << QVariantMap{{path, QString(Directory + QStringLiteral("/sub"))}, {filters, ModuleFilters}}
                                            << QStringList{QStringLiteral("inner")};
    QTest::newRow("regular-file-gives-an-empty-list") << QVariantMap{{path, QString(Directory + QStringLiteral("/afick.conf"))}, {filters, ModuleFilters}}
                                                      << QStringList();
    QTest::newRow("missing-path-gives-an-empty-list") << QVariantMap{{path, QString(Directory + QStringLiteral("/none"))}} << QStringList();
}

void E2eHelperListingTest::listsWithTheGivenArguments()
{
    QFETCH(QVariantMap, arguments);
    QFETCH(QStringList, names);

    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("entryinfolist"), arguments, TimeoutMs);
    QVERIFY2(result.succeeded(), qPrintable(result.describe()));
    QCOMPARE(result.errorString, QString());
    QCOMPARE(result.data.keys(), QStringList{QStringLiteral("entryinfolist")});
    QCOMPARE(result.data.value(QStringLiteral("entryinfolist")).toList().size(), names.size());
    QCOMPARE(namesOf(decode(result.data.value(QStringLiteral("entryinfolist")))), names);
}

void E2eHelperListingTest::emptyArgumentsListTheRootDirectory()
{
    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("entryinfolist"), {}, TimeoutMs);
    QVERIFY2(result.succeeded(), qPrintable(result.describe()));
    const QList<EntryInfo> entries = decode(result.data.value(QStringLiteral("entryinfolist")), QStringLiteral("/"));
    const QStringList names = namesOf(entries);
    QCOMPARE(names.mid(0, 2), (QStringList{QStringLiteral("."), QStringLiteral("..")}));
    QVERIFY(names.contains(QStringLiteral("etc")));
    QVERIFY(names.contains(QStringLiteral("usr")));
    for (const QString &name : names.mid(2)) {
        QVERIFY2(!name.startsWith(QLatin1Char('.')), qPrintable(name));
    }
    const EntryInfo *etc = find(entries, QStringLiteral("etc"));
    QVERIFY(etc);
    QCOMPARE(etc->filePath(), QStringLiteral("/etc"));
}

void E2eHelperListingTest::entriesCarryPathIconAndPermissions()
{
    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("entryinfolist"),
                                                             {{QStringLiteral("path"), Directory}, {QStringLiteral("filters"), ModuleFilters}},
                                                             TimeoutMs);
    QVERIFY2(result.succeeded(), qPrintable(result.describe()));
    const QList<EntryInfo> entries = decode(result.data.value(QStringLiteral("entryinfolist")), Directory);

    const EntryInfo *conf = find(entries, QStringLiteral("afick.conf"));
    QVERIFY(conf);
    QCOMPARE(conf->filePath(), Directory + QStringLiteral("/afick.conf"));
    const int ownerReadWrite = int(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const int groupAndOthers = int(QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
                                   | QFileDevice::ExeOther);
    QCOMPARE(conf->permissions() & ownerReadWrite, ownerReadWrite);
    QCOMPARE(conf->permissions() & groupAndOthers, 0);
    QCOMPARE(conf->permissions() & int(QFileDevice::ExeOwner), 0);

    const EntryInfo *sub = find(entries, QStringLiteral("sub"));
    QVERIFY(sub);
    QCOMPARE(sub->iconName(), QStringLiteral("inode-directory"));
    QCOMPARE(sub->filePath(), Directory + QStringLiteral("/sub"));

    const EntryInfo *text = find(entries, QStringLiteral("b.txt"));
    QVERIFY(text);
    QCOMPARE(text->iconName(), QStringLiteral("text-plain"));
    QCOMPARE(text->permissions() & int(QFileDevice::ReadOther), int(QFileDevice::ReadOther));
}

// The helper judges by the uid that KAuth reports for the request: this
// client's, an unprivileged user's, not its own.
void E2eHelperListingTest::contentTypeOnlyForWhatTheCallerCouldRead()
{
    const QString open = QStringLiteral("/etc/trustwatch-e2e-open");
    QVERIFY(m_env.makeDirectory(open, 0755));
    QVERIFY(m_env.writeFile(open + QStringLiteral("/readable"), "#!/bin/sh\necho hi\n", 0644));
    QVERIFY(m_env.writeFile(open + QStringLiteral("/unreadable"), "#!/bin/sh\necho hi\n", 0600));
    const E2eActionResult result =
        E2eEnvironment::runAction(QStringLiteral("entryinfolist"), {{QStringLiteral("path"), open}, {QStringLiteral("filters"), ModuleFilters}}, TimeoutMs);
    QVERIFY2(result.succeeded(), qPrintable(result.describe()));
    const QList<EntryInfo> entries = decode(result.data.value(QStringLiteral("entryinfolist")));
    QCOMPARE(namesOf(entries), (QStringList{QStringLiteral("readable"), QStringLiteral("unreadable")}));
    QCOMPARE(entries.at(0).iconName(), QStringLiteral("application-x-shellscript"));
    QCOMPARE(entries.at(1).iconName(), QStringLiteral("application-octet-stream"));
}

void E2eHelperListingTest::listingProcFinishes()
{
    // Reading the content of /proc/kmsg to guess its type would block for ever;
    // the job's own limit turns such a hang into error 8.
    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("entryinfolist"),
                                                             {{QStringLiteral("path"), QStringLiteral("/proc")}, {QStringLiteral("filters"), ModuleFilters}},
                                                             TimeoutMs);
    QVERIFY2(result.succeeded(), qPrintable(result.describe()));
    const QStringList names = namesOf(decode(result.data.value(QStringLiteral("entryinfolist"))));
    QVERIFY(names.contains(QStringLiteral("self")));
    QVERIFY(names.contains(QStringLiteral("kmsg")));
}

QTEST_GUILESS_MAIN(E2eHelperListingTest)

#include "e2ehelperlistingtest.moc"

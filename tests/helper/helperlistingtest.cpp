// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "calleraccess.h"
#include "directorylister.h"
#include "entryinfo.h"
#include "fifowitness.h"
#include "integritysecurityhelper.h"

#include <QDataStream>
#include <QDirIterator>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
const int moduleFilters = int(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);

// Paths are put back only where a listing of @p directory is decoded.
QList<EntryInfo> decode(const KAuth::ActionReply &reply, const QString &directory = QString())
{
    QList<EntryInfo> entries;
    const QVariantList records = reply.data().value(QStringLiteral("entryinfolist")).toList();
    for (const QVariant &record : records) {
        QDataStream stream(record.toByteArray());
        EntryInfo entry;
        stream >> entry;
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

EntryInfo entryNamed(const QList<EntryInfo> &entries, const QString &name)
{
    for (const EntryInfo &entry : entries) {
        if (entry.fileName() == name) {
            return entry;
        }
    }
    return EntryInfo();
}
}

class HelperListingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QDir dir(m_dir.path());
        QVERIFY(dir.mkdir(QStringLiteral("sub")));
        const QList<QPair<QString, QByteArray>> files{
            {QStringLiteral("afick.conf"), "exclude_re := .*\\.bak\n"},
            {QStringLiteral(".hidden"), "hidden\n"},
            {QStringLiteral("empty"), ""},
            {QStringLiteral("notes.txt"), "plain words\n"},
            {QStringLiteral("script"), "#!/bin/sh\necho hi\n"},
            {QStringLiteral("picture"), QByteArray::fromHex("89504e470d0a1a0a0000000d49484452")},
            {QStringLiteral("Zeta"), "z\n"},
        };
        for (const auto &[name, content] : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("afick.conf")), QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600), 0);
    }

    void entries_data()
    {
        QTest::addColumn<QVariantMap>("args");
        QTest::addColumn<QStringList>("names");

        const QStringList all{QStringLiteral("afick.conf"),
                              QStringLiteral("empty"),
                              QStringLiteral("notes.txt"),
                              QStringLiteral("picture"),
                              QStringLiteral("script"),
                              QStringLiteral("sub"),
                              QStringLiteral("Zeta")};
        QTest::newRow("directory-defaults-add-dot-entries-skip-hidden-and-fifo")
            << QVariantMap() << QStringList{QStringLiteral("."), QStringLiteral("..")} + all;
        QTest::newRow("module-filters-drop-dot-entries") << QVariantMap{{QStringLiteral("filters"), moduleFilters}} << all;
        QTest::newRow("name-filters-select-by-wildcard")
            << QVariantMap{{QStringLiteral("filters"), moduleFilters},
                           {QStringLiteral("nameFilters"), QStringList{QStringLiteral("*.txt"), QStringLiteral("*.conf")}}}
            << QStringList{QStringLiteral("afick.conf"), QStringLiteral("notes.txt")};
        QTest::newRow("sort-flags-apply") << QVariantMap{{QStringLiteral("filters"), int(QDir::Files)},
                                                         {QStringLiteral("sort"), int(QDir::Name | QDir::Reversed)}}
                                          << QStringList{QStringLiteral("script"),
                                                         QStringLiteral("picture"),
                                                         QStringLiteral("notes.txt"),
                                                         QStringLiteral("empty"),
                                                         QStringLiteral("afick.conf"),
                                                         QStringLiteral("Zeta")};
        QTest::newRow("hidden-and-system-filters-add-them") << QVariantMap{{QStringLiteral("filters"), int(QDir::Files | QDir::Hidden | QDir::System)},
                                                                           {QStringLiteral("nameFilters"), QStringList{QStringLiteral("[.p]*")}}}
                                                            << QStringList{QStringLiteral(".hidden"), QStringLiteral("picture"), QStringLiteral("pipe")};
    }

    void entries()
    {
        QFETCH(QVariantMap, args);
        QFETCH(QStringList, names);
        args.insert(QStringLiteral("path"), m_dir.path());
        const KAuth::ActionReply reply = IntegritySecurityHelper().entryinfolist(args);
        QVERIFY(reply.succeeded());
        QCOMPARE(reply.data().keys(), QStringList{QStringLiteral("entryinfolist")});
        QCOMPARE(namesOf(decode(reply)), names);
    }

    void iconName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("icon");

        QTest::newRow("directory") << QStringLiteral("sub") << QStringLiteral("inode-directory");
        QTest::newRow("extension-decides") << QStringLiteral("notes.txt") << QStringLiteral("text-plain");
        QTest::newRow("script-content-sniffed") << QStringLiteral("script") << QStringLiteral("application-x-shellscript");
        QTest::newRow("png-signature-sniffed") << QStringLiteral("picture") << QStringLiteral("image-png");
        QTest::newRow("empty-file-is-zero-size") << QStringLiteral("empty") << QStringLiteral("application-x-zerosize");
        // Reading a FIFO without a writer would block the helper for ever.
        QTest::newRow("fifo-known-by-type-unread") << QStringLiteral("pipe") << QStringLiteral("inode-fifo");
    }

    void iconName()
    {
        QFETCH(QString, name);
        QFETCH(QString, icon);
        const KAuth::ActionReply reply =
            DirectoryLister::list(m_dir.path(), {}, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name, CallerAccess::forUid(int(::getuid())));
        QCOMPARE(entryNamed(decode(reply), name).iconName(), icon);
    }

    // Root reads a file's beginning only for a caller who could read it
    // themselves, judged as the kernel would; anyone else learns what the
    // name and the kind of entry tell.
    void contentOnlyForWhatTheCallerCouldRead_data()
    {
        QTest::addColumn<QString>("caller");
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("directoryMode");
        QTest::addColumn<bool>("sniffed");

        QTest::newRow("owner-with-read") << "owner" << 0600 << 0700 << true;
        QTest::newRow("owner-bits-decide-for-the-owner") << "owner" << 0044 << 0700 << false;
        QTest::newRow("group-member-with-group-read") << "member" << 0640 << 0755 << true;
        QTest::newRow("group-bits-decide-for-a-member") << "member" << 0604 << 0755 << false;
        QTest::newRow("stranger-with-other-read") << "stranger" << 0644 << 0755 << true;
        QTest::newRow("stranger-without-other-read") << "stranger" << 0640 << 0755 << false;
        QTest::newRow("stranger-cannot-enter-the-directory") << "stranger" << 0644 << 0700 << false;
        QTest::newRow("unknown-caller") << "unknown" << 0644 << 0755 << false;
        QTest::newRow("never-through-a-link") << "link" << 0644 << 0755 << false;
    }

    void contentOnlyForWhatTheCallerCouldRead()
    {
        QFETCH(QString, caller);
        QFETCH(int, fileMode);
        QFETCH(int, directoryMode);
        QFETCH(bool, sniffed);
        QTemporaryDir dir;
        const QString script = dir.filePath(QStringLiteral("script"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho hi\n");
        file.close();
        QVERIFY(QFile::link(script, dir.filePath(QStringLiteral("link"))));
        // Root may read anything, so as root the files go to an ordinary owner.
        const uid_t owner = ::getuid() == 0 ? 4242 : ::getuid();
        const gid_t group = ::getuid() == 0 ? 4343 : ::getgid();
        for (const QString &path : {script, dir.path()}) {
            QCOMPARE(::chown(QFile::encodeName(path).constData(), owner, group), 0);
        }
        QCOMPARE(::chmod(QFile::encodeName(script).constData(), mode_t(fileMode)), 0);
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), mode_t(directoryMode)), 0);
        const QHash<QString, CallerAccess> callers{
            {QStringLiteral("owner"), CallerAccess(owner, {group + 1})},
            {QStringLiteral("member"), CallerAccess(owner + 1, {group + 1, group})},
            {QStringLiteral("stranger"), CallerAccess(owner + 1, {group + 1})},
            {QStringLiteral("unknown"), CallerAccess()},
            {QStringLiteral("link"), CallerAccess(owner, {group})},
        };
        const QString name = caller == QLatin1String("link") ? QStringLiteral("link") : QStringLiteral("script");

        const KAuth::ActionReply reply = DirectoryLister::list(dir.path(), {}, QDir::Files | QDir::System, QDir::Name, callers.value(caller));

        QCOMPARE(entryNamed(decode(reply), name).iconName(),
                 sniffed ? QStringLiteral("application-x-shellscript") : QStringLiteral("application-octet-stream"));
    }

    // The helper serves one request at a time: past its time limit a
    // listing replies with what it has and says so.
    void timeLimitRepliesWithWhatItHas_data()
    {
        QTest::addColumn<int>("timeLimitMs");
        QTest::addColumn<int>("listed");

        QTest::newRow("within-the-limit") << DirectoryLister::DefaultTimeLimitMs << 7;
        QTest::newRow("past-the-limit") << 0 << 0;
    }

    void timeLimitRepliesWithWhatItHas()
    {
        QFETCH(int, timeLimitMs);
        QFETCH(int, listed);
        const KAuth::ActionReply reply = DirectoryLister::list(m_dir.path(),
                                                               {},
                                                               QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot,
                                                               QDir::Name,
                                                               CallerAccess(),
                                                               DirectoryLister::DefaultBudgetBytes,
                                                               timeLimitMs);
        QVERIFY(reply.succeeded());
        QCOMPARE(decode(reply).size(), listed);
        const QString notice = QStringLiteral("Listing \"%1\" took too long: only 0 entries are shown.").arg(m_dir.path());
        QCOMPARE(reply.data().value(QStringLiteral("notice")).toString(), listed == 0 ? notice : QString());
    }

    void entryFields()
    {
        const KAuth::ActionReply reply =
            IntegritySecurityHelper().entryinfolist({{QStringLiteral("path"), m_dir.path()}, {QStringLiteral("filters"), moduleFilters}});
        const EntryInfo entry = entryNamed(decode(reply, m_dir.path()), QStringLiteral("afick.conf"));
        QCOMPARE(entry.filePath(), QDir(m_dir.path()).filePath(QStringLiteral("afick.conf")));
        QCOMPARE(entry.fileName(), QStringLiteral("afick.conf"));
        const QFile::Permissions permissions(entry.permissions());
        QVERIFY(permissions.testFlag(QFile::ReadOwner));
        QVERIFY(permissions.testFlag(QFile::WriteOwner));
        QVERIFY(!permissions.testFlag(QFile::ExeOwner));
        QCOMPARE(entry.permissions() & 0x00ff, 0);
    }

    void nonDirectoryGivesEmptyList_data()
    {
        QTest::addColumn<QString>("name");

        QTest::newRow("regular-file") << QStringLiteral("notes.txt");
        QTest::newRow("missing-path") << QStringLiteral("missing");
    }

    void nonDirectoryGivesEmptyList()
    {
        QFETCH(QString, name);
        const KAuth::ActionReply reply = IntegritySecurityHelper().entryinfolist({{QStringLiteral("path"), QDir(m_dir.path()).filePath(name)}});
        QVERIFY(reply.succeeded());
        QVERIFY(reply.data().contains(QStringLiteral("entryinfolist")));
        QVERIFY(reply.data().value(QStringLiteral("entryinfolist")).toList().isEmpty());
    }

    void defaultPathIsRoot()
    {
        const QStringList names = namesOf(decode(IntegritySecurityHelper().entryinfolist({})));
        QVERIFY(names.contains(QStringLiteral(".")));
        QVERIFY(names.contains(QStringLiteral("..")));
        QVERIFY(names.contains(QStringLiteral("etc")));
        for (const QString &name : names) {
            QVERIFY2(!name.startsWith(QLatin1Char('.')) || name == QLatin1String(".") || name == QLatin1String(".."), qPrintable(name));
        }
    }

    // A listing that would not fit in one bus message stops at a budget of
    // encoded bytes: the entries that fit, in listing order, and the number
    // left out with a sentence that says so.
    void budgetCutsListing_data()
    {
        // The budget is entries whole records plus extraBytes.
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("extraBytes");
        QTest::addColumn<int>("listed");

        QTest::newRow("everything-fits-exactly") << 10 << 0 << 10;
        QTest::newRow("one-byte-short-drops-the-last") << 10 << -1 << 9;
        QTest::newRow("part-of-a-record-is-not-enough") << 3 << 20 << 3;
        QTest::newRow("no-room-at-all") << 0 << 0 << 0;
    }

    void budgetCutsListing()
    {
        QFETCH(int, entries);
        QFETCH(int, extraBytes);
        QFETCH(int, listed);
        QTemporaryDir dir;
        QStringList names;
        for (int i = 0; i < 10; ++i) {
            names.append(QStringLiteral("entry-%1").arg(i));
            QFile file(dir.filePath(names.last()));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const auto list = [&dir](qint64 budget) {
            return DirectoryLister::list(dir.path(), {}, QDir::Files, QDir::Name, CallerAccess(), budget);
        };
        // Every record here has the same size; a QVariant adds nine bytes.
        const QVariantList all = list(DirectoryLister::DefaultBudgetBytes).data().value(QStringLiteral("entryinfolist")).toList();
        QCOMPARE(all.size(), 10);
        const qint64 perEntry = 9 + all.first().toByteArray().size();
        QVERIFY(extraBytes < perEntry);

        const KAuth::ActionReply reply = list(entries * perEntry + extraBytes);
        QVERIFY(reply.succeeded());
        QCOMPARE(namesOf(decode(reply)), names.mid(0, listed));
        if (listed == 10) {
            QCOMPARE(reply.data().keys(), QStringList{QStringLiteral("entryinfolist")});
            return;
        }
        QCOMPARE(reply.data().value(QStringLiteral("omittedEntries")).toInt(), 10 - listed);
        QCOMPARE(reply.data().value(QStringLiteral("notice")).toString(),
                 QStringLiteral("\"%1\" holds too many entries to list at once: %2 %3 not shown.")
                     .arg(dir.path())
                     .arg(10 - listed)
                     .arg(10 - listed == 1 ? QStringLiteral("entry is") : QStringLiteral("entries are")));
    }

    void nameFilterCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("listed");

        QTest::newRow("64-patterns-are-matched") << 64 << true;
        QTest::newRow("more-are-refused-before-listing") << 65 << false;
    }

    void nameFilterCount()
    {
        QFETCH(int, count);
        QFETCH(bool, listed);
        QStringList patterns = QVector<QString>(count - 1, QStringLiteral("no-such-*")).toList();
        patterns.append(QStringLiteral("*.txt"));
        const KAuth::ActionReply reply = IntegritySecurityHelper().entryinfolist(
            {{QStringLiteral("path"), m_dir.path()}, {QStringLiteral("filters"), moduleFilters}, {QStringLiteral("nameFilters"), patterns}});
        if (listed) {
            QVERIFY(reply.succeeded());
            QCOMPARE(namesOf(decode(reply)), QStringList{QStringLiteral("notes.txt")});
            return;
        }
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), QStringLiteral("\"%1\" is not listed: 65 name patterns are more than the 64 the helper accepts.").arg(m_dir.path()));
        QVERIFY(reply.data().isEmpty());
    }

    // Whoever owns a listed directory can put a link to a device there, or
    // swap a file for one; only regular files are ever opened, and only
    // through the directory's descriptor.
    void listingOpensNothingButPlainFiles()
    {
        QTemporaryDir dir;
        FifoWitness witness(dir.filePath(QStringLiteral("fifo")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("fifo")), dir.filePath(QStringLiteral("link"))));
        QVERIFY(witness.isReady());

        const QList<EntryInfo> entries =
            decode(DirectoryLister::list(dir.path(), {}, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name, CallerAccess::forUid(0)));
        QCOMPARE(namesOf(entries), (QStringList{QStringLiteral("fifo"), QStringLiteral("link")}));
        QCOMPARE(entryNamed(entries, QStringLiteral("link")).iconName(), QStringLiteral("inode-fifo"));
        QVERIFY(!witness.wasOpened());
    }

    // Entries that cannot be in the reply are not kept, so the order is
    // worked out here rather than by QDir; it must still be QDir's.
    void sortMatchesQDir_data()
    {
        QTest::addColumn<int>("sort");

        QTest::newRow("name") << int(QDir::Name);
        QTest::newRow("name-ignoring-case") << int(QDir::Name | QDir::IgnoreCase);
        QTest::newRow("name-reversed") << int(QDir::Name | QDir::Reversed);
        QTest::newRow("directories-first") << int(QDir::Name | QDir::DirsFirst);
        QTest::newRow("directories-last-reversed") << int(QDir::Name | QDir::DirsLast | QDir::Reversed);
        QTest::newRow("size") << int(QDir::Size);
        QTest::newRow("type-ignoring-case") << int(QDir::Type | QDir::IgnoreCase);
        QTest::newRow("unsorted") << int(QDir::Unsorted);
    }

    void sortMatchesQDir()
    {
        QFETCH(int, sort);
        const QDir::SortFlags flags = QDir::SortFlags(QFlag(sort));
        const QStringList expected = QDir(m_dir.path()).entryList(QStringList(), QDir::AllEntries | QDir::NoDotAndDotDot, flags);
        const KAuth::ActionReply reply = DirectoryLister::list(m_dir.path(), {}, QDir::AllEntries | QDir::NoDotAndDotDot, flags, CallerAccess());
        QCOMPARE(namesOf(decode(reply)), expected);
    }

    void namePatternLength_data()
    {
        QTest::addColumn<int>("characters");
        QTest::addColumn<bool>("listed");

        QTest::newRow("256-characters-are-matched") << 256 << true;
        QTest::newRow("one-more-is-refused-before-listing") << 257 << false;
    }

    void namePatternLength()
    {
        QFETCH(int, characters);
        QFETCH(bool, listed);
        // The long pattern comes second, so that every pattern counts; its
        // character class stands for the one "f".
        const QStringList patterns{QStringLiteral("*.txt"), QStringLiteral("afick.con[") + QString(characters - 11, QLatin1Char('f')) + QLatin1Char(']')};
        const KAuth::ActionReply reply = IntegritySecurityHelper().entryinfolist(
            {{QStringLiteral("path"), m_dir.path()}, {QStringLiteral("filters"), int(QDir::Files)}, {QStringLiteral("nameFilters"), patterns}});
        if (listed) {
            QVERIFY(reply.succeeded());
            QCOMPARE(namesOf(decode(reply)), (QStringList{QStringLiteral("afick.conf"), QStringLiteral("notes.txt")}));
            return;
        }
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(),
                 QStringLiteral("\"%1\" is not listed: a name pattern of 257 characters is longer than the 256 the helper accepts.").arg(m_dir.path()));
        QVERIFY(reply.data().isEmpty());
    }

    void nulInPathListsNothing()
    {
        const QString path = m_dir.path() + QChar() + QStringLiteral("/sub");
        const KAuth::ActionReply reply = IntegritySecurityHelper().entryinfolist({{QStringLiteral("path"), path}});
        QVERIFY(reply.succeeded());
        QCOMPARE(reply.data().keys(), QStringList{QStringLiteral("entryinfolist")});
        QVERIFY(reply.data().value(QStringLiteral("entryinfolist")).toList().isEmpty());
    }

    // As root the content of /proc/kmsg can be read, and a read waits until
    // the kernel logs something. A hang fails here instead of blocking CTest.
    void listingProcReturns()
    {
        KAuth::ActionReply reply;
        QScopedPointer<QThread> listing(QThread::create([&reply] {
            reply = DirectoryLister::list(QStringLiteral("/proc"), {}, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name, CallerAccess::forUid(0));
        }));
        listing->start();
        QVERIFY2(listing->wait(60000), "listing /proc did not return");
        QVERIFY(reply.succeeded());
        const QStringList names = namesOf(decode(reply));
        QVERIFY(names.contains(QStringLiteral("self")));
        QVERIFY(names.contains(QString::number(::getpid())));
    }

    // A file of a pseudo file system is known by its name only: its content
    // is generated on access and may block.
    void pseudoFileSystemNotRead()
    {
        const QString path = QStringLiteral("/sys/kernel");
        const QList<EntryInfo> entries = decode(DirectoryLister::list(path, {}, QDir::Files, QDir::Name, CallerAccess::forUid(0)), path);
        const QMimeDatabase database;
        int checked = 0;
        for (const EntryInfo &entry : entries) {
            const QFileInfo info(entry.filePath());
            if (info.size() == 0) {
                continue;
            }
            QCOMPARE(entry.iconName(), database.mimeTypeForFile(info, QMimeDatabase::MatchExtension).iconName());
            ++checked;
        }
        if (checked == 0) {
            QSKIP("No non-empty file in /sys/kernel on this machine");
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(HelperListingTest)

#include "helperlistingtest.moc"

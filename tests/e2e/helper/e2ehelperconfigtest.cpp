// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// readafickconfig, writeafickconfig and rollbackconfig requested through
// KAuth by an unprivileged client, against root-only files.

#include "e2eenvironment.h"

#include <KAuth/ActionReply>

#include <QFileInfo>
#include <QTest>

namespace
{
const QString Conf = QStringLiteral("/etc/afick.conf");
const QString Backup = QStringLiteral("/etc/afick.conf.old");
const QString OtherDirectory = QStringLiteral("/etc/trustwatch-e2e");
const QString OtherConf = QStringLiteral("/etc/trustwatch-e2e/other.conf");
const QString OtherBackup = QStringLiteral("/etc/trustwatch-e2e/other.conf.old");
// Stands for "no such file" in the data rows; no test content looks like it.
const QByteArray Missing = "<missing>";
constexpr int TimeoutMs = 20000;

// The configuration actions act on their own file only.
QString refusal(const QString &path)
{
    return QStringLiteral("The helper refuses \"%1\": this action works only on \"/etc/afick.conf\".").arg(path);
}
}

class E2eHelperConfigTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void readsTheFile_data();
    void readsTheFile();

    void writesTheFile_data();
    void writesTheFile();
    void writtenLinesReadBackUnchanged_data();
    void writtenLinesReadBackUnchanged();
    void writeDoesNotFollowALink();

    void rollsBack_data();
    void rollsBack();
    void rollbackUsesUpTheBackup();

private:
    bool place(const QString &path, const QByteArray &content);
    QByteArray contentOf(const QString &path);

    E2eEnvironment m_env;
};

void E2eHelperConfigTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
}

void E2eHelperConfigTest::init()
{
    QVERIFY(m_env.reset());
    QVERIFY(m_env.removePath(OtherDirectory));
    QVERIFY(m_env.makeDirectory(OtherDirectory, 0755));
}

bool E2eHelperConfigTest::place(const QString &path, const QByteArray &content)
{
    return content == Missing ? m_env.removePath(path) : m_env.writeFile(path, content, 0600);
}

QByteArray E2eHelperConfigTest::contentOf(const QString &path)
{
    const E2eFileStatus status = m_env.fileStatus(path);
    return status.exists ? status.content : Missing;
}

void E2eHelperConfigTest::readsTheFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("errorString");
    QTest::addColumn<QStringList>("config");

    const QStringList ab{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("default-path-is-etc-afick-conf") << Conf << QByteArray("a\nb\n") << QVariantMap() << 0 << QString() << ab;
    QTest::newRow("crlf-lines-read-as-bare-lines") << Conf << QByteArray("a\r\nb\r\n") << QVariantMap() << 0 << QString() << ab;
    QTest::newRow("last-line-without-terminator") << Conf << QByteArray("a\nb") << QVariantMap() << 0 << QString() << ab;
    QTest::newRow("empty-lines-are-kept") << Conf << QByteArray("a\n\n\nb\n") << QVariantMap() << 0 << QString()
                                          << QStringList{QStringLiteral("a"), QString(), QString(), QStringLiteral("b")};
    QTest::newRow("empty-file-is-an-empty-list") << Conf << QByteArray("") << QVariantMap() << 0 << QString() << QStringList();
    QTest::newRow("own-path-given-explicitly-is-read") << Conf << QByteArray("a\nb\n") << QVariantMap{{QStringLiteral("path"), Conf}} << 0 << QString() << ab;
    QTest::newRow("other-path-is-refused-unread") << OtherConf << QByteArray("other\n") << QVariantMap{{QStringLiteral("path"), OtherConf}} << -1
                                                  << refusal(OtherConf) << QStringList();
    QTest::newRow("missing-file-is-helper-error-naming-it")
        << Conf << Missing << QVariantMap() << -1 << QStringLiteral("Can't open to read \"/etc/afick.conf\"") << QStringList();
    QTest::newRow("secret-file-is-refused-unread") << QStringLiteral("/etc/shadow") << QByteArray("root:x:1:\n")
                                                   << QVariantMap{{QStringLiteral("path"), QStringLiteral("/etc/shadow")}} << -1
                                                   << refusal(QStringLiteral("/etc/shadow")) << QStringList();
    QTest::newRow("directory-is-refused") << OtherConf << Missing << QVariantMap{{QStringLiteral("path"), OtherDirectory}} << -1 << refusal(OtherDirectory)
                                          << QStringList();
}

void E2eHelperConfigTest::readsTheFile()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, content);
    QFETCH(QVariantMap, arguments);
    QFETCH(int, error);
    QFETCH(QString, errorString);
    QFETCH(QStringList, config);

    QVERIFY(place(path, content));
    const E2eFileStatus before = m_env.fileStatus(path);

    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("readafickconfig"), arguments, TimeoutMs);
    QCOMPARE(result.error, error);
    QCOMPARE(result.errorString, errorString);
    if (error == 0) {
        QCOMPARE(result.data, (QVariantMap{{QStringLiteral("config"), config}, {QStringLiteral("rawConfig"), content}}));
    } else {
        QVERIFY(result.data.isEmpty());
    }

    const E2eFileStatus after = m_env.fileStatus(path);
    QCOMPARE(after.exists, before.exists);
    QCOMPARE(after.content, before.content);
    QCOMPARE(after.mode, before.mode);
    QVERIFY(!m_env.fileStatus(Backup).exists);
}

void E2eHelperConfigTest::writesTheFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("backupPath");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("backup");
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("errorString");
    QTest::addColumn<QByteArray>("contentAfter");
    QTest::addColumn<QByteArray>("backupAfter");

    const QVariant ab = QStringList{QStringLiteral("a"), QStringLiteral("b")};
    const QString config = QStringLiteral("config");
    QTest::newRow("first-write-moves-the-file-to-the-backup")
        << Conf << Backup << QByteArray("old\n") << Missing << QVariantMap{{config, ab}} << 0 << QString() << QByteArray("a\nb\n") << QByteArray("old\n");
    QTest::newRow("existing-backup-is-kept") << Conf << Backup << QByteArray("old\n") << QByteArray("older\n") << QVariantMap{{config, ab}} << 0 << QString()
                                             << QByteArray("a\nb\n") << QByteArray("older\n");
    QTest::newRow("missing-file-is-created-without-backup")
        << Conf << Backup << Missing << Missing << QVariantMap{{config, ab}} << 0 << QString() << QByteArray("a\nb\n") << Missing;
    QTest::newRow("absent-config-is-refused-and-changes-nothing")
        << Conf << Backup << QByteArray("old\n") << Missing << QVariantMap() << -1
        << QStringLiteral("Can't write \"/etc/afick.conf\": the request holds no configuration lines.") << QByteArray("old\n") << Missing;
    QTest::newRow("empty-config-writes-an-empty-file")
        << Conf << Backup << QByteArray("old\n") << Missing << QVariantMap{{config, QStringList()}} << 0 << QString() << QByteArray("") << QByteArray("old\n");
    QTest::newRow("line-holding-a-line-break-is-written-as-it-is")
        << Conf << Backup << Missing << Missing << QVariantMap{{config, QStringList{QStringLiteral("a\nb"), QString()}}} << 0 << QString()
        << QByteArray("a\nb\n\n") << Missing;
    // Bytes go to the file as they are and win over lines; anything else
    // under their key changes nothing.
    const QByteArray legacy(
        "# \xcb\xcf\xce\r\n\r\n/opt/donn\xe9"
        "es p");
    QTest::newRow("raw-bytes-are-written-verbatim-instead-of-lines")
        << Conf << Backup << QByteArray("old\n") << Missing << QVariantMap{{config, ab}, {QStringLiteral("rawConfig"), legacy}} << 0 << QString() << legacy
        << QByteArray("old\n");
    QTest::newRow("raw-text-is-no-bytes-and-changes-nothing")
        << Conf << Backup << QByteArray("old\n") << Missing << QVariantMap{{config, ab}, {QStringLiteral("rawConfig"), QStringLiteral("new\n")}} << -1
        << QStringLiteral("The helper refuses the request: the argument \"rawConfig\" has the wrong type.") << QByteArray("old\n") << Missing;
    QTest::newRow("other-path-is-refused-unwritten") << OtherConf << OtherBackup << QByteArray("old\n") << Missing
                                                     << QVariantMap{{config, ab}, {QStringLiteral("path"), OtherConf}} << -1 << refusal(OtherConf)
                                                     << QByteArray("old\n") << Missing;
    QTest::newRow("file-in-a-system-directory-is-refused-uncreated")
        << QStringLiteral("/etc/cron.d/trustwatch-e2e") << QStringLiteral("/etc/cron.d/trustwatch-e2e.old") << Missing << Missing
        << QVariantMap{{config, ab}, {QStringLiteral("path"), QStringLiteral("/etc/cron.d/trustwatch-e2e")}} << -1
        << refusal(QStringLiteral("/etc/cron.d/trustwatch-e2e")) << Missing << Missing;
}

void E2eHelperConfigTest::writesTheFile()
{
    QFETCH(QString, path);
    QFETCH(QString, backupPath);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, backup);
    QFETCH(QVariantMap, arguments);
    QFETCH(int, error);
    QFETCH(QString, errorString);
    QFETCH(QByteArray, contentAfter);
    QFETCH(QByteArray, backupAfter);

    if (content != Missing) {
        // A readable file shows that the written one gets 0600 whatever it had.
        QVERIFY(m_env.writeFile(path, content, 0644));
    }
    QVERIFY(place(backupPath, backup));
    const QString directory = QFileInfo(path).path();
    const bool directoryExists = m_env.fileStatus(directory).exists;
    QStringList entriesAfter = directoryExists ? m_env.listDirectory(directory) : QStringList();
    entriesAfter.removeAll(QFileInfo(path).fileName());
    entriesAfter.removeAll(QFileInfo(backupPath).fileName());
    if (contentAfter != Missing) {
        entriesAfter.append(QFileInfo(path).fileName());
    }
    if (backupAfter != Missing) {
        entriesAfter.append(QFileInfo(backupPath).fileName());
    }
    entriesAfter.sort();

    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("writeafickconfig"), arguments, TimeoutMs);
    QCOMPARE(result.error, error);
    QCOMPARE(result.errorString, errorString);
    QVERIFY(result.data.isEmpty());

    QCOMPARE(contentOf(path), contentAfter);
    QCOMPARE(contentOf(backupPath), backupAfter);
    if (contentAfter != Missing && error == 0) {
        const E2eFileStatus written = m_env.fileStatus(path);
        QCOMPARE(written.type, QStringLiteral("file"));
        QCOMPARE(written.mode, 0600u);
        QCOMPARE(written.uid, 0u);
    }
    // No temporary file may be left beside the configuration.
    if (directoryExists) {
        QCOMPARE(m_env.listDirectory(directory), entriesAfter);
    }
}

void E2eHelperConfigTest::writtenLinesReadBackUnchanged_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("plain-lines") << QByteArray("# afick\nexclude_suffix := log\n/etc p+u+g\n");
    QTest::newRow("non-ascii-bytes") << QByteArray("# \xd0\xbf\xd1\x80\xd0\xb0\xd0\xb2\xd0\xb8\xd0\xbb\xd0\xbe\n/home/\xc3\xa9t\xc3\xa9 md5\n");
    QTest::newRow("tabs-and-trailing-blanks") << QByteArray("\t/etc  p \n \n");
}

void E2eHelperConfigTest::writtenLinesReadBackUnchanged()
{
    QFETCH(QByteArray, content);

    // What the module does on saving an unchanged configuration: read, send it back.
    QVERIFY(m_env.writeFile(Conf, content));
    const E2eActionResult read = E2eEnvironment::runAction(QStringLiteral("readafickconfig"), {}, TimeoutMs);
    QVERIFY2(read.succeeded(), qPrintable(read.describe()));
    const E2eActionResult write = E2eEnvironment::runAction(QStringLiteral("writeafickconfig"), read.data, TimeoutMs);
    QVERIFY2(write.succeeded(), qPrintable(write.describe()));
    QCOMPARE(contentOf(Conf), content);
    QCOMPARE(contentOf(Backup), content);

    const E2eActionResult again = E2eEnvironment::runAction(QStringLiteral("readafickconfig"), {}, TimeoutMs);
    QCOMPARE(again.data, read.data);
}

void E2eHelperConfigTest::writeDoesNotFollowALink()
{
    const QString target = QStringLiteral("/etc/trustwatch-e2e/target");
    QVERIFY(m_env.writeFile(target, "target\n", 0644));
    QVERIFY(m_env.writeFile(Backup, "backup\n"));
    QVERIFY(m_env.makeSymlink(target, Conf));

    const E2eActionResult result =
        E2eEnvironment::runAction(QStringLiteral("writeafickconfig"), {{QStringLiteral("config"), QStringList{QStringLiteral("a")}}}, TimeoutMs);
    QVERIFY2(result.succeeded(), qPrintable(result.describe()));
    const E2eFileStatus written = m_env.fileStatus(Conf);
    QCOMPARE(written.type, QStringLiteral("file"));
    QCOMPARE(written.content, QByteArray("a\n"));
    QCOMPARE(written.mode, 0600u);
    const E2eFileStatus untouched = m_env.fileStatus(target);
    QCOMPARE(untouched.content, QByteArray("target\n"));
    QCOMPARE(untouched.mode, 0644u);
}

void E2eHelperConfigTest::rollsBack_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("backupPath");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("backup");
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<int>("error");
    QTest::addColumn<QByteArray>("contentAfter");

    QTest::newRow("backup-replaces-the-existing-file")
        << Conf << Backup << QByteArray("new\n") << QByteArray("old\n") << QVariantMap() << 0 << QByteArray("old\n");
    QTest::newRow("backup-comes-back-when-the-file-is-gone") << Conf << Backup << Missing << QByteArray("old\n") << QVariantMap() << 0 << QByteArray("old\n");
    QTest::newRow("no-backup-is-helper-error") << Conf << Backup << QByteArray("new\n") << Missing << QVariantMap() << -1 << QByteArray("new\n");
    QTest::newRow("nothing-at-all-is-helper-error") << Conf << Backup << Missing << Missing << QVariantMap() << -1 << Missing;
    QTest::newRow("other-path-is-refused-untouched") << OtherConf << OtherBackup << QByteArray("new\n") << QByteArray("old\n")
                                                     << QVariantMap{{QStringLiteral("path"), OtherConf}} << -1 << QByteArray("new\n");
}

void E2eHelperConfigTest::rollsBack()
{
    QFETCH(QString, path);
    QFETCH(QString, backupPath);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, backup);
    QFETCH(QVariantMap, arguments);
    QFETCH(int, error);
    QFETCH(QByteArray, contentAfter);

    QVERIFY(place(path, content));
    QVERIFY(place(backupPath, backup));
    // The default configuration stays out of a rollback of another path.
    if (path != Conf) {
        QVERIFY(m_env.writeFile(Conf, "default\n"));
        QVERIFY(m_env.writeFile(Backup, "default backup\n"));
    }

    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("rollbackconfig"), arguments, TimeoutMs);
    QCOMPARE(result.error, error);
    QCOMPARE(result.errorString, path == Conf ? QString() : refusal(path));
    QVERIFY(result.data.isEmpty());

    QCOMPARE(contentOf(path), contentAfter);
    QCOMPARE(contentOf(backupPath), error == 0 ? Missing : backup);
    if (path != Conf) {
        QCOMPARE(contentOf(Conf), QByteArray("default\n"));
        QCOMPARE(contentOf(Backup), QByteArray("default backup\n"));
    }
}

void E2eHelperConfigTest::rollbackUsesUpTheBackup()
{
    QVERIFY(m_env.writeFile(Conf, "original\n"));
    const QVariantMap edited{{QStringLiteral("config"), QStringList{QStringLiteral("edited")}}};

    QVERIFY(E2eEnvironment::runAction(QStringLiteral("writeafickconfig"), edited, TimeoutMs).succeeded());
    QCOMPARE(contentOf(Backup), QByteArray("original\n"));
    QVERIFY(E2eEnvironment::runAction(QStringLiteral("rollbackconfig"), {}, TimeoutMs).succeeded());
    QCOMPARE(contentOf(Conf), QByteArray("original\n"));
    QCOMPARE(contentOf(Backup), Missing);

    const E2eActionResult second = E2eEnvironment::runAction(QStringLiteral("rollbackconfig"), {}, TimeoutMs);
    QCOMPARE(second.error, -1);
    QCOMPARE(contentOf(Conf), QByteArray("original\n"));

    // The next save sets the restored file aside again.
    QVERIFY(E2eEnvironment::runAction(QStringLiteral("writeafickconfig"), edited, TimeoutMs).succeeded());
    QCOMPARE(contentOf(Conf), QByteArray("edited\n"));
    QCOMPARE(contentOf(Backup), QByteArray("original\n"));
}

QTEST_GUILESS_MAIN(E2eHelperConfigTest)

#include "e2ehelperconfigtest.moc"

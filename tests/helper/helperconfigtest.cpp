// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "configfile.h"
#include "fifowitness.h"
#include "integritysecurityhelper.h"

#include <KLocalizedString>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
const QString configKey = QStringLiteral("config");
const QString rawConfigKey = QStringLiteral("rawConfig");

// A null array stands for "no such file".
void putFile(const QString &path,
             const QByteArray &content,
             QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther)
{
    if (content.isNull()) {
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();
    QVERIFY(file.setPermissions(permissions));
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? (status.st_mode & 07777) : 0;
}

// A listening Unix socket at path, closed with the returned descriptor.
int bindSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path) {
        return -1;
    }
    qstrcpy(address.sun_path, name.constData());
    return ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 ? fd : -1;
}

QStringList entriesOf(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

}

class HelperConfigTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        KLocalizedString::setLanguages({QStringLiteral("en_US")});
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("line-feeds-end-lines") << QByteArray("a\nb\n") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("crlf-reads-like-line-feed") << QByteArray("a\r\nb\r\n") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("unterminated-last-line-kept") << QByteArray("a\nb") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("empty-lines-kept") << QByteArray("a\n\n\nb\n") << QStringList{QStringLiteral("a"), QString(), QString(), QStringLiteral("b")};
        QTest::newRow("empty-file-is-empty-list") << QByteArray("") << QStringList();
        QTest::newRow("utf8-text-decoded") << QByteArray("# контроль целостности\n") << QStringList{QStringLiteral("# контроль целостности")};
    }

    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        putFile(path, content);

        const KAuth::ActionReply reply = ConfigFile(path).read();
        QVERIFY(reply.succeeded());
        QCOMPARE(reply.data().keys(), (QStringList{configKey, rawConfigKey}));
        QCOMPARE(reply.data().value(configKey).toStringList(), lines);
        QCOMPARE(reply.data().value(rawConfigKey).toByteArray(), content);
    }

    void readMissingFileNamesPath()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing.conf"));
        const KAuth::ActionReply reply = ConfigFile(path).read();
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorCode(), -1);
        QCOMPARE(reply.errorDescription(), QStringLiteral("Can't open to read \"%1\"").arg(path));
        QVERIFY(reply.data().isEmpty());
    }

    // None of these is a configuration: a FIFO without a writer or a
    // terminal would block the helper, /proc/kmsg would hand the kernel's
    // messages to the caller instead of the system log, and a NUL would cut
    // the name short on its way to the kernel.
    void readRefusesWhatIsNoPlainFile_data()
    {
        QTest::addColumn<QString>("path");

        QTest::newRow("fifo-without-writer") << QStringLiteral("<dir>/fifo");
        QTest::newRow("directory") << QStringLiteral("<dir>");
        QTest::newRow("socket") << QStringLiteral("<dir>/socket");
        QTest::newRow("endless-device") << QStringLiteral("/dev/zero");
        QTest::newRow("terminal-device") << QStringLiteral("/dev/tty");
        QTest::newRow("kernel-log") << QStringLiteral("/proc/kmsg");
        QTest::newRow("generated-file") << QStringLiteral("/proc/self/status");
        QTest::newRow("nul-in-name") << QStringLiteral("<dir>/afick.conf") + QChar() + QStringLiteral("tail");
        QTest::newRow("empty-path") << QString();
    }

    void readRefusesWhatIsNoPlainFile()
    {
        QFETCH(QString, path);
        QTemporaryDir dir;
        path.replace(QStringLiteral("<dir>"), dir.path());
        putFile(dir.filePath(QStringLiteral("afick.conf")), "A = p\n");
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
        const int socket = bindSocket(dir.filePath(QStringLiteral("socket")));
        QVERIFY(socket >= 0);
        const auto closeSocket = qScopeGuard([socket] {
            ::close(socket);
        });

        KAuth::ActionReply reply;
        QScopedPointer<QThread> reading(QThread::create([&reply, &path] {
            reply = ConfigFile(path).read();
        }));
        reading->start();
        QVERIFY2(reading->wait(60000), "the read did not return");
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), QStringLiteral("Can't open to read \"%1\"").arg(path));
        QVERIFY(reply.data().isEmpty());
    }

    // The type is known before anything is opened for reading: opening a
    // device can have side effects, so a FIFO stands in to show it.
    void readOpensNothingButAPlainFile_data()
    {
        QTest::addColumn<QString>("name");

        QTest::newRow("fifo") << QStringLiteral("witness");
        QTest::newRow("link-to-fifo") << QStringLiteral("link");
    }

    void readOpensNothingButAPlainFile()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        FifoWitness witness(dir.filePath(QStringLiteral("witness")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("witness")), dir.filePath(QStringLiteral("link"))));
        QVERIFY(witness.isReady());

        const KAuth::ActionReply reply = ConfigFile(dir.filePath(name)).read();
        QCOMPARE(reply.errorDescription(), QStringLiteral("Can't open to read \"%1\"").arg(dir.filePath(name)));
        QVERIFY(!witness.wasOpened());
    }

    void readFollowsALinkToAPlainFile()
    {
        QTemporaryDir dir;
        putFile(dir.filePath(QStringLiteral("target")), "A = p\n");
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("target")), dir.filePath(QStringLiteral("afick.conf"))));
        const KAuth::ActionReply reply = ConfigFile(dir.filePath(QStringLiteral("afick.conf"))).read();
        QVERIFY(reply.succeeded());
        QCOMPARE(reply.data().value(configKey).toStringList(), QStringList{QStringLiteral("A = p")});
    }

    // The reply must fit in one bus message; a file that would not is
    // refused before it is read whole.
    void readRefusesWhatWouldNotFitInAReply_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<qint64>("lines");

        const qint64 limit = ConfigFile::MaxEncodedBytes;
        QTest::newRow("file-larger-than-the-limit") << QByteArray(1023, 'a') << limit / 1024 + 1;
        // Each empty line costs a length of four bytes in the reply.
        QTest::newRow("short-lines-beyond-the-limit") << QByteArray() << limit / 4;
    }

    void readRefusesWhatWouldNotFitInAReply()
    {
        QFETCH(QByteArray, line);
        QFETCH(qint64, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        QByteArray content;
        content.reserve(int((line.size() + 1) * lines));
        for (qint64 i = 0; i < lines; ++i) {
            content += line + '\n';
        }
        putFile(path, content);

        const KAuth::ActionReply reply = ConfigFile(path).read();
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), QStringLiteral("\"%1\" is too large: the helper handles at most 24 MiB of configuration.").arg(path));
        QVERIFY(reply.data().isEmpty());
    }

    void readDefaultsToEtcAfickConf()
    {
        const KAuth::ActionReply reply = IntegritySecurityHelper().readafickconfig({});
        if (!QFile::exists(QStringLiteral("/etc/afick.conf"))) {
            QCOMPARE(reply.errorDescription(), QStringLiteral("Can't open to read \"/etc/afick.conf\""));
            return;
        }
        QVERIFY(reply.succeeded());
        QCOMPARE(reply.data().keys(), (QStringList{configKey, rawConfigKey}));
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("backupBefore");
        QTest::addColumn<QVariant>("config");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QByteArray>("backupAfter");

        const QByteArray none;
        QTest::newRow("empty-list-writes-empty-file") << QByteArray("old\n") << none << QVariant(QStringList()) << QByteArray("") << QByteArray("old\n");
        QTest::newRow("each-line-ends-with-line-feed")
            << none << none << QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")}) << QByteArray("a\nb\n") << none;
        QTest::newRow("embedded-line-break-written-as-is")
            << none << none << QVariant(QStringList{QStringLiteral("a\nb"), QStringLiteral("c")}) << QByteArray("a\nb\nc\n") << none;
        QTest::newRow("utf8-text-encoded") << none << none << QVariant(QStringList{QStringLiteral("# контроль")}) << QByteArray("# контроль\n") << none;
        QTest::newRow("first-write-keeps-previous-file-as-backup")
            << QByteArray("old\n") << none << QVariant(QStringList{QStringLiteral("new")}) << QByteArray("new\n") << QByteArray("old\n");
        QTest::newRow("existing-backup-left-alone") << QByteArray("current\n") << QByteArray("first\n") << QVariant(QStringList{QStringLiteral("new")})
                                                    << QByteArray("new\n") << QByteArray("first\n");
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, backupBefore);
        QFETCH(QVariant, config);
        QFETCH(QByteArray, after);
        QFETCH(QByteArray, backupAfter);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        const QString backup = path + QStringLiteral(".old");
        putFile(path, before);
        putFile(backup, backupBefore);

        // A restrictive umask must not change the mode of the result.
        const mode_t previousMask = ::umask(0277);
        const KAuth::ActionReply reply = ConfigFile(path).write(config.toStringList());
        ::umask(previousMask);
        QVERIFY(reply.succeeded());
        QVERIFY(reply.data().isEmpty());
        QCOMPARE(fileContent(path), after);
        QCOMPARE(modeOf(path), mode_t(0600));
        QCOMPARE(QFile::exists(backup), !backupAfter.isNull());
        QCOMPARE(fileContent(backup), backupAfter.isNull() ? QByteArray() : backupAfter);
        // No temporary file may be left beside the configuration.
        QStringList expected{QStringLiteral("afick.conf")};
        if (!backupAfter.isNull()) {
            expected.append(QStringLiteral("afick.conf.old"));
        }
        QCOMPARE(entriesOf(dir.path()), expected);

        const KAuth::ActionReply reread = ConfigFile(path).read();
        QCOMPARE(reread.data().value(configKey).toStringList(), QString::fromUtf8(after).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    }

    // Bytes are written as they are: other encodings, CRLF, no final line
    // feed; they take precedence over lines. What is no byte array, or would
    // not fit in the reply that reads it back (lines and bytes), changes nothing.
    void writeRawBytes_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("message");

        const QByteArray legacy(
            "# \xcb\xcf\xce\xd4\xd2\xcf\xcc\xd8\r\n\r\n/opt/donn\xe9"
            "es p\r\nlast");
        QTest::newRow("bytes-written-verbatim") << legacy << legacy << QString();
        QTest::newRow("empty-bytes-empty-the-file") << QByteArray() << QByteArray("") << QString();
        QTest::newRow("beyond-what-a-reply-holds") << QByteArray(int(ConfigFile::MaxEncodedBytes / 3 + 1), 'a') << QByteArray("old\n")
                                                   << QStringLiteral("\"%1\" is too large: the helper handles at most 24 MiB of configuration.");
    }

    void writeRawBytes()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QByteArray, after);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        putFile(path, "old\n");

        const KAuth::ActionReply reply = ConfigFile(path).write(raw);
        QCOMPARE(reply.errorDescription(), message.arg(path));
        QCOMPARE(reply.succeeded(), message.isEmpty());
        QCOMPARE(fileContent(path), after);
        if (reply.succeeded()) {
            QCOMPARE(modeOf(path), mode_t(0600));
            QCOMPARE(ConfigFile(path).read().data().value(rawConfigKey).toByteArray(), after);
        }
    }

    void writeReplacesSymlinkInsteadOfWritingThrough()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        const QString target = dir.filePath(QStringLiteral("target"));
        putFile(target, "keep\n");
        QVERIFY(QFile::link(target, path));

        const KAuth::ActionReply reply = ConfigFile(path).write({QStringLiteral("new")});
        QVERIFY(reply.succeeded());
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(fileContent(path), QByteArray("new\n"));
        QCOMPARE(fileContent(target), QByteArray("keep\n"));
        QCOMPARE(QFileInfo(path + QStringLiteral(".old")).symLinkTarget(), target);
    }

    void writeFailureKeepsPreviousFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("message");

        QTest::newRow("missing-directory-cannot-be-opened") << QStringLiteral("missing/afick.conf") << false << QStringLiteral("Can't open to write \"%1\"");
        QTest::newRow("directory-at-path-is-not-replaced") << QStringLiteral("occupied") << false << QStringLiteral("Can't open to write \"%1\"");
        QTest::newRow("fifo-at-path-is-not-replaced") << QStringLiteral("fifo") << false << QStringLiteral("Can't open to write \"%1\"");
        QTest::newRow("full-disk-keeps-old-file") << QStringLiteral("afick.conf") << true << QStringLiteral("Can't write \"%1\"");
    }

    void writeFailureKeepsPreviousFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, diskFull);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("occupied")));
        putFile(dir.filePath(QStringLiteral("occupied/inside")), "inside\n");
        putFile(dir.filePath(QStringLiteral("afick.conf")), "old\n");
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
        const QStringList before = entriesOf(dir.path());
        const QString path = dir.filePath(name);

        // Far beyond the limit and beyond QTextStream's buffer.
        const QStringList lines = QVector<QString>(4096, QStringLiteral("a line of the new configuration")).toList();
        // A file size limit stands in for a full disk: writes beyond it fail
        // with EFBIG once SIGXFSZ is ignored.
        rlimit previous{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &previous), 0);
        const sighandler_t previousHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous;
        limited.rlim_cur = diskFull ? 1024 : previous.rlim_cur;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const KAuth::ActionReply reply = ConfigFile(path).write(lines);
        ::setrlimit(RLIMIT_FSIZE, &previous);
        ::signal(SIGXFSZ, previousHandler);

        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), message.arg(path));
        QCOMPARE(entriesOf(dir.path()), before);
        QCOMPARE(fileContent(dir.filePath(QStringLiteral("afick.conf"))), QByteArray("old\n"));
        QCOMPARE(fileContent(dir.filePath(QStringLiteral("occupied/inside"))), QByteArray("inside\n"));
    }

    // What could not be read back is not written either.
    void writeRefusesWhatWouldNotFitInAReply()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        putFile(path, "old\n");
        const QStringList lines = QVector<QString>(int(ConfigFile::MaxEncodedBytes / (4 + 2 * 1000)) + 1, QString(1000, QLatin1Char('a'))).toList();
        QVERIFY(ConfigFile::encodedSize(lines) > ConfigFile::MaxEncodedBytes);

        const KAuth::ActionReply reply = ConfigFile(path).write(lines);
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), QStringLiteral("\"%1\" is too large: the helper handles at most 24 MiB of configuration.").arg(path));
        QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("afick.conf")});
        QCOMPARE(fileContent(path), QByteArray("old\n"));
    }

    void nulInPathChangesNothing_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("description");

        QTest::newRow("write") << QStringLiteral("write") << QStringLiteral("Can't open to write \"%1\"");
        QTest::newRow("rollback") << QStringLiteral("rollback") << QString();
    }

    void nulInPathChangesNothing()
    {
        QFETCH(QString, action);
        QFETCH(QString, description);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        putFile(path, "current\n");
        putFile(path + QStringLiteral(".old"), "backup\n");
        const QString cut = path + QChar() + QStringLiteral("tail");

        const ConfigFile file(cut);
        const KAuth::ActionReply reply = action == QLatin1String("write") ? file.write({QStringLiteral("new")}) : file.restoreBackup();
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), description.arg(cut));
        QCOMPARE(entriesOf(dir.path()), (QStringList{QStringLiteral("afick.conf"), QStringLiteral("afick.conf.old")}));
        QCOMPARE(fileContent(path), QByteArray("current\n"));
        QCOMPARE(fileContent(path + QStringLiteral(".old")), QByteArray("backup\n"));
    }

    // A helper killed in the middle of a write leaves its temporary file;
    // the next write clears it up, and only it.
    void writeRemovesTemporariesOfAKilledWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        putFile(path, "old\n");
        putFile(dir.filePath(QStringLiteral(".afick.conf.trustwatch-Ab3xYz")), "half a conf");
        putFile(dir.filePath(QStringLiteral(".afick.conf.trustwatch-notours")), "kept\n");
        putFile(dir.filePath(QStringLiteral(".other.conf.trustwatch-Ab3xYz")), "kept\n");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral(".afick.conf.trustwatch-Dir123")));
        QVERIFY(QFile::link(path, dir.filePath(QStringLiteral(".afick.conf.trustwatch-Lnk123"))));

        QVERIFY(ConfigFile(path).write({QStringLiteral("new")}).succeeded());
        QCOMPARE(entriesOf(dir.path()),
                 (QStringList{QStringLiteral(".afick.conf.trustwatch-Dir123"),
                              QStringLiteral(".afick.conf.trustwatch-Lnk123"),
                              QStringLiteral(".afick.conf.trustwatch-notours"),
                              QStringLiteral(".other.conf.trustwatch-Ab3xYz"),
                              QStringLiteral("afick.conf"),
                              QStringLiteral("afick.conf.old")}));
        QCOMPARE(fileContent(path), QByteArray("new\n"));
        QCOMPARE(fileContent(path + QStringLiteral(".old")), QByteArray("old\n"));
    }

    void rollback_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("backup");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QByteArray>("after");

        const QByteArray none;
        QTest::newRow("backup-replaces-existing-config") << QByteArray("new\n") << QByteArray("old\n") << true << QByteArray("old\n");
        QTest::newRow("backup-restored-when-config-missing") << none << QByteArray("old\n") << true << QByteArray("old\n");
        QTest::newRow("no-backup-fails-and-keeps-config") << QByteArray("current\n") << none << false << QByteArray("current\n");
    }

    void rollback()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, backup);
        QFETCH(bool, succeeds);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        putFile(path, before);
        putFile(path + QStringLiteral(".old"), backup, QFile::ReadOwner | QFile::WriteOwner);

        const KAuth::ActionReply reply = ConfigFile(path).restoreBackup();
        QCOMPARE(reply.succeeded(), succeeds);
        if (!succeeds) {
            QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        }
        QVERIFY(reply.errorDescription().isEmpty());
        QVERIFY(reply.data().isEmpty());
        QCOMPARE(fileContent(path), after);
        QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("afick.conf")});
        if (succeeds) {
            QCOMPARE(modeOf(path), mode_t(0600));
        }
    }

    // Whatever sits at the backup's name would become the configuration.
    void rollbackRestoresOnlyARegularFile_data()
    {
        QTest::addColumn<QString>("kind");

        QTest::newRow("link-to-another-file") << "link";
        QTest::newRow("directory") << "directory";
        QTest::newRow("fifo") << "fifo";
    }

    void rollbackRestoresOnlyARegularFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        const QString backup = path + QStringLiteral(".old");
        putFile(dir.filePath(QStringLiteral("elsewhere")), "/etc p\n");
        if (kind == QLatin1String("link")) {
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("elsewhere")), backup));
        } else if (kind == QLatin1String("directory")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("afick.conf.old")));
        } else {
            QCOMPARE(::mkfifo(QFile::encodeName(backup).constData(), 0600), 0);
        }

        const KAuth::ActionReply reply = ConfigFile(path).restoreBackup();
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QVERIFY(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink());
        QCOMPARE(entriesOf(dir.path()), (QStringList{QStringLiteral("afick.conf.old"), QStringLiteral("elsewhere")}));
    }

    void backupLivesFromFirstWriteUntilRollback()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("afick.conf"));
        const QString backup = path + QStringLiteral(".old");
        const ConfigFile file(path);
        const auto write = [&](const QString &line) {
            return file.write({line}).succeeded();
        };

        QVERIFY(write(QStringLiteral("one")));
        QVERIFY(!QFile::exists(backup));
        QVERIFY(write(QStringLiteral("two")));
        QVERIFY(write(QStringLiteral("three")));
        QCOMPARE(fileContent(backup), QByteArray("one\n"));
        QCOMPARE(fileContent(path), QByteArray("three\n"));

        QVERIFY(file.restoreBackup().succeeded());
        QCOMPARE(fileContent(path), QByteArray("one\n"));
        QVERIFY(!file.restoreBackup().succeeded());
        QCOMPARE(fileContent(path), QByteArray("one\n"));

        QVERIFY(write(QStringLiteral("four")));
        QCOMPARE(fileContent(backup), QByteArray("one\n"));
        QCOMPARE(fileContent(path), QByteArray("four\n"));
    }
};

QTEST_GUILESS_MAIN(HelperConfigTest)

#include "helperconfigtest.moc"

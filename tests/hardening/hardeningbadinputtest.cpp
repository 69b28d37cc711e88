// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Requests that the plug-in never sends, from a client that is not the
// plug-in: values of the wrong type, missing keys, lists of 100,000
// elements, names with "/" or NUL, special files, unknown actions, and
// calls crafted on the bus past KAuth's client. Each gets an error or the
// documented default, the same helper answers the next request, and
// nothing on disk changes.

#include "e2eenvironment.h"
#include "entryinfo.h"

#include <KAuth/ActionReply>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDataStream>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{
const QString Conf = QStringLiteral("/etc/afick.conf");
const QString Backup = QStringLiteral("/etc/afick.conf.old");
const QString FailureScripts = QStringLiteral("/etc/tirvane-integrity/failure.d");
constexpr int TimeoutMs = 20000;
constexpr int Huge = 100000;
// Stands in the rows for the FIFO that the test makes in its own directory.
const QString FifoMark = QStringLiteral("<fifo>");

const int InvalidAction = int(KAuth::ActionReply::InvalidActionError);

QStringList hugeList(const QString &element)
{
    return QVector<QString>(Huge, element).toList();
}

QVariant withFifo(const QVariant &value, const QString &fifo)
{
    if (value.userType() != QMetaType::QString) {
        return value;
    }
    QString text = value.toString();
    return text.replace(FifoMark, fifo);
}

QByteArray serialized(const QVariantMap &arguments)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << arguments;
    return bytes;
}
}

class HardeningBadInputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void badRequestChangesNothing_data();
    void badRequestChangesNothing();
    void documentedDefaults_data();
    void documentedDefaults();
    void craftedCallChangesNothing_data();
    void craftedCallChangesNothing();

private:
    struct Snapshot {
        E2eFileStatus conf;
        E2eFileStatus backup;
        QStringList etc;
        QStringList failureScripts;
        QStringList systemdCalls;
    };
    Snapshot snapshot() const;
    void verifyUnchanged(const Snapshot &before) const;
    void verifySameHelperAnswers(qint64 pid) const;
    qint64 startHelper() const;

    E2eEnvironment m_env;
    QTemporaryDir m_dir;
};

void HardeningBadInputTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    QVERIFY(m_dir.isValid());
    // Root's helper may open it; nobody ever writes to it.
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo"))).constData(), 0666), 0);
}

void HardeningBadInputTest::init()
{
    QVERIFY(m_env.reset());
    QVERIFY(m_env.writeFile(Conf, "A = p+u\n/etc A\n"));
    QVERIFY(m_env.writeFile(Backup, "/etc p\n"));
    QVERIFY(m_env.writeFile(FailureScripts + QStringLiteral("/mail.sh"), "#!/bin/sh\n", 0755));
    QVERIFY(m_env.writeFile(FailureScripts + QStringLiteral("/notify.conf"), "mail=root\n", 0644));
}

HardeningBadInputTest::Snapshot HardeningBadInputTest::snapshot() const
{
    return {m_env.fileStatus(Conf),
            m_env.fileStatus(Backup),
            m_env.listDirectory(QStringLiteral("/etc")),
            m_env.listDirectory(FailureScripts),
            m_env.systemdCalls()};
}

void HardeningBadInputTest::verifyUnchanged(const Snapshot &before) const
{
    const Snapshot after = snapshot();
    QCOMPARE(after.conf.content, before.conf.content);
    QCOMPARE(after.conf.inode, before.conf.inode);
    QCOMPARE(after.conf.mode, before.conf.mode);
    QCOMPARE(after.backup.content, before.backup.content);
    QCOMPARE(after.backup.inode, before.backup.inode);
    QCOMPARE(after.etc, before.etc);
    QCOMPARE(after.failureScripts, before.failureScripts);
    QCOMPARE(after.systemdCalls, before.systemdCalls);
    // Still the FIFO: a write must not have replaced it with a file.
    const QFileInfo fifo(m_dir.filePath(QStringLiteral("fifo")));
    QVERIFY(fifo.exists() && !fifo.isFile());
}

qint64 HardeningBadInputTest::startHelper() const
{
    const E2eActionResult warmUp = E2eEnvironment::runAction(QStringLiteral("readafickconfig"), {}, TimeoutMs);
    return warmUp.succeeded() ? E2eEnvironment::helperPid() : 0;
}

// The helper that took the bad request is still the one that answers.
void HardeningBadInputTest::verifySameHelperAnswers(qint64 pid) const
{
    const E2eActionResult next = E2eEnvironment::runAction(QStringLiteral("readafickconfig"), {}, TimeoutMs);
    QVERIFY2(next.succeeded(), qPrintable(next.describe()));
    QCOMPARE(next.data.value(QStringLiteral("config")).toStringList(), (QStringList{QStringLiteral("A = p+u"), QStringLiteral("/etc A")}));
    QCOMPARE(E2eEnvironment::helperPid(), pid);
}

void HardeningBadInputTest::badRequestChangesNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("errorString");

    const QString path = QStringLiteral("path");
    const QString config = QStringLiteral("config");
    const QString read = QStringLiteral("readafickconfig");
    const QString write = QStringLiteral("writeafickconfig");
    const QString rollback = QStringLiteral("rollbackconfig");
    const QString rename = QStringLiteral("enablefailurescriptmethod");
    // Every path but the configuration's own is refused before it is touched.
    const QString refused = QStringLiteral("The helper refuses \"%1\": this action works only on \"/etc/afick.conf\".");
    const QString noLines = QStringLiteral("Can't write \"/etc/afick.conf\": the request holds no configuration lines.");
    const QString wrongType = QStringLiteral("The helper refuses the request: the argument \"%1\" has the wrong type.");
    const QString nul = Conf + QChar() + QStringLiteral("/../shadow");
    const QStringList lines{QStringLiteral("/etc p")};

    QTest::newRow("read-number-as-path") << read << QVariantMap{{path, 5}} << -1 << wrongType.arg(path);
    QTest::newRow("read-two-paths") << read << QVariantMap{{path, QStringList{Conf, QStringLiteral("/etc/shadow")}}} << -1 << wrongType.arg(path);
    QTest::newRow("read-map-as-path") << read << QVariantMap{{path, QVariantMap{{Conf, Conf}}}} << -1 << wrongType.arg(path);
    QTest::newRow("read-100000-paths") << read << QVariantMap{{path, hugeList(Conf)}} << -1 << wrongType.arg(path);
    QTest::newRow("read-nul-in-path") << read << QVariantMap{{path, nul}} << -1 << refused.arg(nul);
    QTest::newRow("read-fifo-is-refused-unopened") << read << QVariantMap{{path, FifoMark}} << -1 << refused.arg(FifoMark);
    QTest::newRow("read-endless-device") << read << QVariantMap{{path, QStringLiteral("/dev/zero")}} << -1 << refused.arg(QStringLiteral("/dev/zero"));
    QTest::newRow("read-kernel-log") << read << QVariantMap{{path, QStringLiteral("/proc/kmsg")}} << -1 << refused.arg(QStringLiteral("/proc/kmsg"));
    QTest::newRow("read-helper-environment") << read << QVariantMap{{path, QStringLiteral("/proc/self/environ")}} << -1
                                             << refused.arg(QStringLiteral("/proc/self/environ"));
    QTest::newRow("read-directory") << read << QVariantMap{{path, QStringLiteral("/etc")}} << -1 << refused.arg(QStringLiteral("/etc"));

    QTest::newRow("write-without-config") << write << QVariantMap() << -1 << noLines;
    QTest::newRow("write-number-as-config") << write << QVariantMap{{config, 7}} << -1 << wrongType.arg(config);
    QTest::newRow("write-map-as-config") << write << QVariantMap{{config, QVariantMap{{QStringLiteral("/etc"), QStringLiteral("p")}}}} << -1
                                         << wrongType.arg(config);
    // An empty string is no explicit list: it must not empty the file.
    QTest::newRow("write-empty-string-as-config") << write << QVariantMap{{config, QString()}} << -1 << wrongType.arg(config);
    QTest::newRow("write-nul-in-path") << write << QVariantMap{{path, nul}, {config, lines}} << -1 << refused.arg(nul);
    QTest::newRow("write-over-fifo-is-refused") << write << QVariantMap{{path, FifoMark}, {config, lines}} << -1 << refused.arg(FifoMark);
    QTest::newRow("write-over-directory-is-refused") << write << QVariantMap{{path, FailureScripts}, {config, lines}} << -1 << refused.arg(FailureScripts);

    QTest::newRow("list-100000-name-patterns") << QStringLiteral(
        "entryinfolist") << QVariantMap{{path, QStringLiteral("/etc")}, {QStringLiteral("nameFilters"), hugeList(QStringLiteral("afick.co?f"))}}
                                               << -1
                                               << QStringLiteral("\"/etc\" is not listed: 100,000 name patterns are more than the 64 the helper accepts.");
    QTest::newRow("list-text-as-filters") << QStringLiteral("entryinfolist") << QVariantMap{{QStringLiteral("filters"), QStringLiteral("all")}} << -1
                                          << wrongType.arg(QStringLiteral("filters"));
    QTest::newRow("service-flag-no-as-text") << QStringLiteral("enableservicemethod") << QVariantMap{{QStringLiteral("isEnabled"), QStringLiteral("no")}} << -1
                                             << wrongType.arg(QStringLiteral("isEnabled"));
    QTest::newRow("service-flag-as-100000-list") << QStringLiteral("enableservicemethod")
                                                 << QVariantMap{{QStringLiteral("isEnabled"), hugeList(QStringLiteral("true"))}} << -1
                                                 << wrongType.arg(QStringLiteral("isEnabled"));
    QTest::newRow("rollback-nul-in-path") << rollback << QVariantMap{{path, nul}} << -1 << refused.arg(nul);
    QTest::newRow("rollback-number-as-path") << rollback << QVariantMap{{path, 5}} << -1 << wrongType.arg(path);

    const QString oldName = QStringLiteral("oldName");
    const QString newName = QStringLiteral("newName");
    const QString script = QStringLiteral("mail.sh");
    QTest::newRow("unknown-action") << QStringLiteral("deleteeverything") << QVariantMap() << InvalidAction
                                    << QStringLiteral("Tried to start an invalid action");
    QTest::newRow("rename-without-names") << rename << QVariantMap() << InvalidAction << QString();
    QTest::newRow("rename-slash-in-new-name") << rename << QVariantMap{{oldName, script}, {newName, QStringLiteral("../../afick.conf")}} << InvalidAction
                                              << QString();
    QTest::newRow("rename-slash-in-old-name") << rename << QVariantMap{{oldName, QStringLiteral("../../afick.conf")}, {newName, script}} << InvalidAction
                                              << QString();
    QTest::newRow("rename-nul-in-new-name") << rename << QVariantMap{{oldName, script}, {newName, QString(QStringLiteral("x") + QChar() + QStringLiteral("y"))}}
                                            << InvalidAction << QString();
    QTest::newRow("rename-in-another-directory")
        << rename << QVariantMap{{path, QStringLiteral("/etc/pam.d")}, {oldName, QStringLiteral("common-auth")}, {newName, QStringLiteral("x")}} << -1
        << QStringLiteral("The helper refuses \"/etc/pam.d\": this action works only on \"/etc/tirvane-integrity/failure.d\".");
    QTest::newRow("rename-dot-dot") << rename << QVariantMap{{oldName, script}, {newName, QStringLiteral("..")}} << InvalidAction << QString();
    QTest::newRow("rename-100000-names") << rename << QVariantMap{{oldName, hugeList(script)}, {newName, hugeList(script)}} << -1 << wrongType.arg(oldName);
    QTest::newRow("rename-map-as-name") << rename << QVariantMap{{oldName, QVariantMap{{script, script}}}, {newName, script}} << -1 << wrongType.arg(oldName);
    // Root runs every "*.sh" of the directory: no other entry may become one.
    QTest::newRow("rename-other-file-into-a-script")
        << rename << QVariantMap{{oldName, QStringLiteral("notify.conf")}, {newName, QStringLiteral("x.sh")}} << -1
        << QStringLiteral(
               "The helper refuses to rename \"notify.conf\" to \"x.sh\": only a script NAME.sh can become NAME.sh.disabled or the reverse, NAME "
               "made of letters, digits, \".\", \"_\", \"+\" and \"-\" and starting with neither \"-\" nor \".\".");
}

void HardeningBadInputTest::badRequestChangesNothing()
{
    QFETCH(QString, action);
    QFETCH(QVariantMap, arguments);
    QFETCH(int, error);
    QFETCH(QString, errorString);
    const QString fifo = m_dir.filePath(QStringLiteral("fifo"));
    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        it.value() = withFifo(it.value(), fifo);
    }
    errorString.replace(FifoMark, fifo);

    const qint64 pid = startHelper();
    QVERIFY(pid > 0);
    const Snapshot before = snapshot();
    const E2eActionResult result = E2eEnvironment::runAction(action, arguments, TimeoutMs);
    QCOMPARE(result.error, error);
    QCOMPARE(result.errorString, errorString);
    QVERIFY(result.data.isEmpty());
    verifyUnchanged(before);
    verifySameHelperAnswers(pid);
}

void HardeningBadInputTest::documentedDefaults_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<QString>("expected");

    const QString list = QStringLiteral("entryinfolist");
    QTest::newRow("list-without-path-lists-root") << list << QVariantMap() << QStringLiteral("etc");
    QTest::newRow("list-nul-in-path-lists-nothing") << list
                                                    << QVariantMap{{QStringLiteral("path"), QString(QStringLiteral("/etc") + QChar() + QStringLiteral("/x"))}}
                                                    << QString();
    QTest::newRow("list-devices-without-opening-them") << list
                                                       << QVariantMap{{QStringLiteral("path"), QStringLiteral("/dev")},
                                                                      {QStringLiteral("filters"), int(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)}}
                                                       << QStringLiteral("zero");
    QTest::newRow("service-flag-absent-is-false") << QStringLiteral("enableservicemethod") << QVariantMap()
                                                  << QStringLiteral("DisableUnitFiles([tirvane-int-check.service], runtime=false)");
}

// What the protocol defines for absent or odd values, and nothing on disk.
void HardeningBadInputTest::documentedDefaults()
{
    QFETCH(QString, action);
    QFETCH(QVariantMap, arguments);
    QFETCH(QString, expected);

    const qint64 pid = startHelper();
    QVERIFY(pid > 0);
    Snapshot before = snapshot();
    const E2eActionResult result = E2eEnvironment::runAction(action, arguments, TimeoutMs);
    QVERIFY2(result.succeeded(), qPrintable(result.describe()));
    if (action == QLatin1String("entryinfolist")) {
        QStringList names;
        const QVariantList records = result.data.value(QStringLiteral("entryinfolist")).toList();
        for (const QVariant &record : records) {
            QDataStream stream(record.toByteArray());
            EntryInfo entry;
            stream >> entry;
            names.append(entry.fileName());
        }
        QCOMPARE(names.isEmpty(), expected.isEmpty());
        QVERIFY2(expected.isEmpty() || names.contains(expected), qPrintable(names.join(QLatin1Char(' '))));
    } else {
        QCOMPARE(m_env.systemdCalls(), QStringList{expected});
        before.systemdCalls = QStringList{expected};
    }
    verifyUnchanged(before);
    verifySameHelperAnswers(pid);
}

void HardeningBadInputTest::craftedCallChangesNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("arguments");
    QTest::addColumn<bool>("spoofCaller");
    QTest::addColumn<int>("error");

    const QString write = E2eEnvironment::actionId(QStringLiteral("writeafickconfig"));
    const QString read = E2eEnvironment::actionId(QStringLiteral("readafickconfig"));
    const int denied = int(KAuth::ActionReply::AuthorizationDeniedError);
    // An action ID that polkit does not know is left out: polkit-qt never
    // reports the failed check, and KAuth's helper waits for it for ever.
    QTest::newRow("garbage-arguments-write-nothing") << write << QByteArray("\xde\xad\xbe\xef garbage", 13) << false << -1;
    QTest::newRow("truncated-arguments-write-nothing")
        << write << serialized({{QStringLiteral("config"), QStringList{QStringLiteral("/etc p")}}}).left(20) << false << -1;
    QTest::newRow("empty-arguments-write-nothing") << write << QByteArray() << false << -1;
    // polkit must judge the sender, not the name the message claims for it.
    // The row writes, since the helper's broadcast of a refused action
    // reaches this process's KAuth client too and would answer its next
    // request for the same action.
    QTest::newRow("caller-claiming-to-be-root-is-refused")
        << write << serialized({{QStringLiteral("config"), QStringList{QStringLiteral("/etc spoofed")}}}) << true << denied;
}

// Past KAuth's client: a message of the helper's interface built by hand.
void HardeningBadInputTest::craftedCallChangesNothing()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, arguments);
    QFETCH(bool, spoofCaller);
    QFETCH(int, error);

    const qint64 pid = startHelper();
    QVERIFY(pid > 0);
    const Snapshot before = snapshot();
    QDBusConnection bus = QDBusConnection::systemBus();
    QByteArray caller = bus.baseService().toUtf8();
    if (spoofCaller) {
        // Root owns the stand-in, which polkit would allow anything.
        caller = bus.interface()->serviceOwner(QStringLiteral("local.trustwatch.e2e")).value().toUtf8();
        QVERIFY(!caller.isEmpty());
        QVERIFY(m_env.setVerdict(E2eEnvironment::Verdict::No));
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(E2eEnvironment::helperId(), QStringLiteral("/"), QStringLiteral("org.kde.kf5auth"), QStringLiteral("performAction"));
    call << action << caller << QVariant::fromValue(QVariantMap()) << arguments;
    const QDBusMessage answer = bus.call(call, QDBus::Block, TimeoutMs);
    if (spoofCaller) {
        QVERIFY(m_env.setVerdict(E2eEnvironment::Verdict::Yes));
    }
    QVERIFY2(answer.type() == QDBusMessage::ReplyMessage, qPrintable(answer.errorName() + QLatin1Char(' ') + answer.errorMessage()));
    const KAuth::ActionReply reply = KAuth::ActionReply::deserialize(answer.arguments().value(0).toByteArray());
    QCOMPARE(int(reply.errorCode()), error);
    QVERIFY(reply.data().isEmpty());
    verifyUnchanged(before);
    verifySameHelperAnswers(pid);
}

QTEST_GUILESS_MAIN(HardeningBadInputTest)

#include "hardeningbadinputtest.moc"

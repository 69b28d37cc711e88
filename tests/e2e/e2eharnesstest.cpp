// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// The end-to-end environment itself: every other end-to-end test trusts the
// stand-in systemd, the stand-in scripts, the verdict switch and the root
// file agent to behave as described, so each promise is checked here.

#include "e2eenvironment.h"

#include <KAuth/ActionReply>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <unistd.h>

namespace
{
const QString Unit = QStringLiteral("tirvane-int-check.service");
const QString CheckScript = QStringLiteral("/usr/sbin/tirvane-int-check");
const QString DatabaseScript = QStringLiteral("/usr/sbin/tirvane-create-int-db");

QDBusMessage callManager(const QString &method, const QVariantList &arguments, int timeoutMs = 10000)
{
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.systemd1"),
                                                          QStringLiteral("/org/freedesktop/systemd1"),
                                                          QStringLiteral("org.freedesktop.systemd1.Manager"),
                                                          method);
    message.setArguments(arguments);
    return QDBusConnection::systemBus().call(message, QDBus::Block, timeoutMs);
}

}

class E2eHarnessTest : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void countUnitFilesChanged();

private Q_SLOTS:
    void initTestCase();
    void init();

    void runsUnprivileged();

    void managerAnswersLikeSystemd_data();
    void managerAnswersLikeSystemd();
    void managerFailsOnRequest();
    void silentManagerNeverAnswers();
    void unitStatesSetByTheTestAreAnnounced();

    void verdictAppliesFromTheNextRequest_data();
    void verdictAppliesFromTheNextRequest();

    void standInScriptFollowsItsSettings_data();
    void standInScriptFollowsItsSettings();

    void fileAgentWritesAndReportsRootFiles();
    void fileAgentReplacesLinksInsteadOfFollowing();
    void fileAgentRefusesPathsOutsideTheCopies_data();
    void fileAgentRefusesPathsOutsideTheCopies();

    void resetRestoresTheStartingState();

private:
    E2eEnvironment m_env;
    int m_unitFilesChanged = 0;
};

void E2eHarnessTest::countUnitFilesChanged()
{
    ++m_unitFilesChanged;
}

void E2eHarnessTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    QVERIFY(QDBusConnection::systemBus().connect(QStringLiteral("org.freedesktop.systemd1"),
                                                 QStringLiteral("/org/freedesktop/systemd1"),
                                                 QStringLiteral("org.freedesktop.systemd1.Manager"),
                                                 QStringLiteral("UnitFilesChanged"),
                                                 this,
                                                 SLOT(countUnitFilesChanged())));
}

void E2eHarnessTest::init()
{
    QVERIFY(m_env.reset());
}

void E2eHarnessTest::runsUnprivileged()
{
    // polkitd authorises root for everything, so a refusal is only visible
    // to an ordinary user.
    QVERIFY(getuid() != 0);
    QVERIFY(geteuid() != 0);
    QVERIFY(!QFileInfo(QStringLiteral("/etc/shadow")).isReadable());
}

void E2eHarnessTest::managerAnswersLikeSystemd_data()
{
    QTest::addColumn<QString>("initialState");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QString>("replySignature");
    QTest::addColumn<QString>("errorName");
    QTest::addColumn<QString>("stateAfter");
    QTest::addColumn<int>("announcements");

    const QStringList unit{Unit};
    const QStringList unknown{QStringLiteral("no-such.service")};
    QTest::newRow("state-of-a-known-unit") << "disabled"
                                           << "GetUnitFileState" << QVariantList{Unit} << "s"
                                           << ""
                                           << "disabled" << 0;
    QTest::newRow("state-of-an-unknown-unit-is-no-such-unit") << "disabled"
                                                              << "GetUnitFileState" << QVariantList{unknown.first()} << ""
                                                              << "org.freedesktop.systemd1.NoSuchUnit"
                                                              << "disabled" << 0;
    QTest::newRow("enable-links-and-announces") << "disabled"
                                                << "EnableUnitFiles" << QVariantList{unit, false, true} << "ba(sss)"
                                                << ""
                                                << "enabled" << 1;
    QTest::newRow("enable-of-an-enabled-unit-changes-nothing") << "enabled"
                                                               << "EnableUnitFiles" << QVariantList{unit, false, true} << "ba(sss)"
                                                               << ""
                                                               << "enabled" << 0;
    QTest::newRow("enable-of-an-unknown-unit-is-no-such-unit") << "disabled"
                                                               << "EnableUnitFiles" << QVariantList{unknown, false, true} << ""
                                                               << "org.freedesktop.systemd1.NoSuchUnit"
                                                               << "disabled" << 0;
    QTest::newRow("enable-of-a-masked-unit-is-refused") << "masked"
                                                        << "EnableUnitFiles" << QVariantList{unit, false, true} << ""
                                                        << "org.freedesktop.systemd1.UnitMasked"
                                                        << "masked" << 0;
    QTest::newRow("disable-unlinks-and-announces") << "enabled"
                                                   << "DisableUnitFiles" << QVariantList{unit, false} << "a(sss)"
                                                   << ""
                                                   << "disabled" << 1;
    QTest::newRow("disable-of-a-disabled-unit-changes-nothing") << "disabled"
                                                                << "DisableUnitFiles" << QVariantList{unit, false} << "a(sss)"
                                                                << ""
                                                                << "disabled" << 0;
    QTest::newRow("disable-of-an-unknown-unit-is-no-such-unit") << "enabled"
                                                                << "DisableUnitFiles" << QVariantList{unknown, false} << ""
                                                                << "org.freedesktop.systemd1.NoSuchUnit"
                                                                << "enabled" << 0;
    QTest::newRow("subscribe-answers-empty") << "disabled"
                                             << "Subscribe" << QVariantList{} << ""
                                             << ""
                                             << "disabled" << 0;
}

void E2eHarnessTest::managerAnswersLikeSystemd()
{
    QFETCH(QString, initialState);
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);
    QFETCH(QString, replySignature);
    QFETCH(QString, errorName);
    QFETCH(QString, stateAfter);
    QFETCH(int, announcements);

    QVERIFY(m_env.setUnitFileState(Unit, initialState));
    // Announcements of the preparation arrive before the reply of this call.
    QCOMPARE(callManager(QStringLiteral("GetUnitFileState"), {Unit}).type(), QDBusMessage::ReplyMessage);
    QCoreApplication::processEvents();
    m_unitFilesChanged = 0;

    const QDBusMessage reply = callManager(method, arguments);
    if (errorName.isEmpty()) {
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(reply.signature(), replySignature);
    } else {
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), errorName);
    }
    if (method == QLatin1String("GetUnitFileState") && errorName.isEmpty()) {
        QCOMPARE(reply.arguments().constFirst().toString(), initialState);
    }
    QCOMPARE(m_env.unitFileState(Unit), stateAfter);
    // A later round trip delivers any signal sent before its reply.
    QCOMPARE(callManager(QStringLiteral("GetUnitFileState"), {Unit}).type(), QDBusMessage::ReplyMessage);
    QCoreApplication::processEvents();
    QCOMPARE(m_unitFilesChanged, announcements);
}

void E2eHarnessTest::managerFailsOnRequest()
{
    QVERIFY(m_env.setSystemdFailure(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), QStringLiteral("Access denied")));
    const QDBusMessage reply = callManager(QStringLiteral("EnableUnitFiles"), {QStringList{Unit}, false, true});
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
    QCOMPARE(m_env.unitFileState(Unit), QStringLiteral("disabled"));
    QCOMPARE(m_env.systemdCalls(), QStringList{QStringLiteral("EnableUnitFiles([tirvane-int-check.service], runtime=false, force=true)")});

    QVERIFY(m_env.setSystemdFailure(QString()));
    QCOMPARE(callManager(QStringLiteral("EnableUnitFiles"), {QStringList{Unit}, false, true}).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(m_env.unitFileState(Unit), QStringLiteral("enabled"));
}

void E2eHarnessTest::silentManagerNeverAnswers()
{
    QVERIFY(m_env.setSystemdSilent(true));
    const QDBusMessage reply = callManager(QStringLiteral("DisableUnitFiles"), {QStringList{Unit}, false}, 500);
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.NoReply"));
    QCOMPARE(m_env.systemdCalls(), QStringList{QStringLiteral("DisableUnitFiles([tirvane-int-check.service], runtime=false)")});

    QVERIFY(m_env.setSystemdSilent(false));
    QCOMPARE(callManager(QStringLiteral("GetUnitFileState"), {Unit}).type(), QDBusMessage::ReplyMessage);
}

void E2eHarnessTest::unitStatesSetByTheTestAreAnnounced()
{
    QCOMPARE(callManager(QStringLiteral("Subscribe"), {}).type(), QDBusMessage::ReplyMessage);
    QCoreApplication::processEvents();
    m_unitFilesChanged = 0;
    QVERIFY(m_env.setUnitFileState(Unit, QStringLiteral("enabled")));
    QTRY_COMPARE(m_unitFilesChanged, 1);
    QCOMPARE(callManager(QStringLiteral("GetUnitFileState"), {Unit}).arguments().constFirst().toString(), QStringLiteral("enabled"));

    QVERIFY(m_env.setUnitFileState(Unit, QString()));
    QTRY_COMPARE(m_unitFilesChanged, 2);
    QCOMPARE(callManager(QStringLiteral("GetUnitFileState"), {Unit}).errorName(), QStringLiteral("org.freedesktop.systemd1.NoSuchUnit"));
}

void E2eHarnessTest::verdictAppliesFromTheNextRequest_data()
{
    QTest::addColumn<E2eEnvironment::Verdict>("general");
    QTest::addColumn<QString>("actionWithOwnVerdict");
    QTest::addColumn<E2eEnvironment::Verdict>("ownVerdict");
    QTest::addColumn<bool>("checkAllowed");
    QTest::addColumn<bool>("databaseAllowed");

    using V = E2eEnvironment::Verdict;
    QTest::newRow("yes-for-all") << V::Yes << QString() << V::Yes << true << true;
    QTest::newRow("no-for-all") << V::No << QString() << V::Yes << false << false;
    QTest::newRow("auth-admin-without-agent-refuses") << V::AuthAdmin << QString() << V::Yes << false << false;
    QTest::newRow("own-no-beats-general-yes") << V::Yes << "checkintegritymethod" << V::No << false << true;
    QTest::newRow("own-yes-beats-general-no") << V::No << "checkintegritymethod" << V::Yes << true << false;
}

void E2eHarnessTest::verdictAppliesFromTheNextRequest()
{
    QFETCH(E2eEnvironment::Verdict, general);
    QFETCH(QString, actionWithOwnVerdict);
    QFETCH(E2eEnvironment::Verdict, ownVerdict);
    QFETCH(bool, checkAllowed);
    QFETCH(bool, databaseAllowed);

    // Allowed once first: the switch must not depend on a fresh client or helper.
    QVERIFY(E2eEnvironment::runAction(QStringLiteral("checkintegritymethod"), {}, 20000).succeeded());

    QVERIFY(m_env.setVerdict(general));
    if (!actionWithOwnVerdict.isEmpty()) {
        QVERIFY(m_env.setActionVerdict(actionWithOwnVerdict, ownVerdict));
    }
    const E2eActionResult check = E2eEnvironment::runAction(QStringLiteral("checkintegritymethod"), {}, 20000);
    const E2eActionResult database = E2eEnvironment::runAction(QStringLiteral("initializeafickdatabasemethod"), {}, 20000);
    QCOMPARE(check.error, checkAllowed ? 0 : int(KAuth::ActionReply::AuthorizationDeniedError));
    QCOMPARE(database.error, databaseAllowed ? 0 : int(KAuth::ActionReply::AuthorizationDeniedError));
    QCOMPARE(m_env.scriptLog(CheckScript).count(QStringLiteral("start")), checkAllowed ? 2 : 1);
    QCOMPARE(m_env.scriptLog(DatabaseScript).count(QStringLiteral("start")), databaseAllowed ? 1 : 0);
}

void E2eHarnessTest::standInScriptFollowsItsSettings_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("configure");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("crashes");
    QTest::addColumn<QByteArray>("standardOutput");
    QTest::addColumn<QByteArray>("standardError");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("defaults-exit-0-silently") << CheckScript << false << QString() << QStringList() << 0 << false << QByteArray() << QByteArray()
                                              << QStringList{QStringLiteral("start"), QStringLiteral("end")};
    QTest::newRow("exit-code-and-both-outputs-as-set") << DatabaseScript << true << QString() << QStringList() << 3 << false << QByteArray("out line\n")
                                                       << QByteArray("err line\n") << QStringList{QStringLiteral("start"), QStringLiteral("end")};
    QTest::newRow("arguments-are-logged") << CheckScript << true << QString() << QStringList{QStringLiteral("a"), QStringLiteral("b c")} << 3 << false
                                          << QByteArray("out line\n") << QByteArray("err line\n")
                                          << QStringList{QStringLiteral("start a b c"), QStringLiteral("end")};
    QTest::newRow("signal-ends-it-after-its-output") << CheckScript << true << QStringLiteral("KILL") << QStringList() << 0 << true << QByteArray("out line\n")
                                                     << QByteArray("err line\n") << QStringList{QStringLiteral("start"), QStringLiteral("end")};
}

void E2eHarnessTest::standInScriptFollowsItsSettings()
{
    QFETCH(QString, script);
    QFETCH(bool, configure);
    QFETCH(QString, signal);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(bool, crashes);
    QFETCH(QByteArray, standardOutput);
    QFETCH(QByteArray, standardError);
    QFETCH(QStringList, log);

    if (configure) {
        QVERIFY(m_env.setScript(script, exitCode, standardOutput, standardError, 0.2));
    }
    if (!signal.isEmpty()) {
        QVERIFY(m_env.setScriptSignal(script, signal));
    }
    QProcess process;
    process.start(script, arguments);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), crashes ? QProcess::CrashExit : QProcess::NormalExit);
    if (!crashes) {
        QCOMPARE(process.exitCode(), exitCode);
    }
    QCOMPARE(process.readAllStandardOutput(), standardOutput);
    QCOMPARE(process.readAllStandardError(), standardError);
    QCOMPARE(m_env.scriptLog(script), log);
}

void E2eHarnessTest::fileAgentWritesAndReportsRootFiles()
{
    const QString path = QStringLiteral("/etc/afick.conf");
    QVERIFY(m_env.writeFile(path, "secret\n", 0600));
    QVERIFY(!QFile(path).open(QIODevice::ReadOnly));

    E2eFileStatus status = m_env.fileStatus(path);
    QVERIFY(status.exists);
    QCOMPARE(status.type, QStringLiteral("file"));
    QCOMPARE(status.mode, 0600u);
    QCOMPARE(status.uid, 0u);
    QCOMPARE(status.size, qint64(7));
    QCOMPARE(status.content, QByteArray("secret\n"));

    QVERIFY(m_env.setMode(path, 0644));
    QCOMPARE(m_env.fileStatus(path).mode, 0644u);

    QVERIFY(m_env.makeDirectory(QStringLiteral("/etc/trustwatch-e2e/a/b"), 0700));
    QCOMPARE(m_env.fileStatus(QStringLiteral("/etc/trustwatch-e2e/a/b")).type, QStringLiteral("directory"));
    QCOMPARE(m_env.fileStatus(QStringLiteral("/etc/trustwatch-e2e/a/b")).mode, 0700u);
    QVERIFY(m_env.writeFile(QStringLiteral("/etc/trustwatch-e2e/a/.hidden"), "x", 0644));
    QCOMPARE(m_env.listDirectory(QStringLiteral("/etc/trustwatch-e2e/a")), (QStringList{QStringLiteral(".hidden"), QStringLiteral("b")}));
    QVERIFY(m_env.removePath(QStringLiteral("/etc/trustwatch-e2e")));
    QVERIFY(!m_env.fileStatus(QStringLiteral("/etc/trustwatch-e2e")).exists);
    QVERIFY(m_env.removePath(QStringLiteral("/etc/trustwatch-e2e")));
}

void E2eHarnessTest::fileAgentReplacesLinksInsteadOfFollowing()
{
    QVERIFY(m_env.writeFile(QStringLiteral("/etc/target.conf"), "target\n", 0644));
    QVERIFY(m_env.makeSymlink(QStringLiteral("/etc/target.conf"), QStringLiteral("/etc/afick.conf")));
    const E2eFileStatus link = m_env.fileStatus(QStringLiteral("/etc/afick.conf"));
    QCOMPARE(link.type, QStringLiteral("symlink"));
    QCOMPARE(link.symlinkTarget, QStringLiteral("/etc/target.conf"));
    QTest::ignoreMessage(QtWarningMsg, "E2eEnvironment: SetMode failed: '/etc/afick.conf' is a symbolic link");
    QVERIFY(!m_env.setMode(QStringLiteral("/etc/afick.conf"), 0600));

    QVERIFY(m_env.writeFile(QStringLiteral("/etc/afick.conf"), "new\n"));
    QCOMPARE(m_env.fileStatus(QStringLiteral("/etc/afick.conf")).type, QStringLiteral("file"));
    QCOMPARE(m_env.fileStatus(QStringLiteral("/etc/target.conf")).content, QByteArray("target\n"));
    QVERIFY(m_env.removePath(QStringLiteral("/etc/target.conf")));
}

void E2eHarnessTest::fileAgentRefusesPathsOutsideTheCopies_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("machine-tmp") << QStringLiteral("/tmp/trustwatch-e2e-probe");
    QTest::newRow("root-directory") << QStringLiteral("/trustwatch-e2e-probe");
    QTest::newRow("dot-dot-out-of-etc") << QStringLiteral("/etc/../tmp/trustwatch-e2e-probe");
    QTest::newRow("relative-path") << QStringLiteral("etc/trustwatch-e2e-probe");
    QTest::newRow("etc-itself") << QStringLiteral("/etc");
    QTest::newRow("through-a-link-out-of-etc") << QStringLiteral("/etc/trustwatch-e2e-out/trustwatch-e2e-probe");
}

void E2eHarnessTest::fileAgentRefusesPathsOutsideTheCopies()
{
    QFETCH(QString, path);

    QVERIFY(m_env.makeSymlink(QStringLiteral("/tmp"), QStringLiteral("/etc/trustwatch-e2e-out")));
    const QRegularExpression refusal(
        QStringLiteral("^E2eEnvironment: (WriteFile|MakeDirectory|Remove) failed: '.*' (is not a clean absolute path|does not lie) below /etc or /usr$"));
    for (int i = 0; i < 3; ++i) {
        QTest::ignoreMessage(QtWarningMsg, refusal);
    }
    QVERIFY(!m_env.writeFile(path, "x"));
    QVERIFY(!m_env.makeDirectory(path));
    QVERIFY(!m_env.removePath(path));
    QVERIFY(!m_env.fileStatus(QStringLiteral("/tmp/trustwatch-e2e-probe")).exists);
    QVERIFY(!m_env.fileStatus(QStringLiteral("/trustwatch-e2e-probe")).exists);
    QCOMPARE(m_env.fileStatus(QStringLiteral("/etc")).type, QStringLiteral("directory"));
    QVERIFY(m_env.removePath(QStringLiteral("/etc/trustwatch-e2e-out")));
    QCOMPARE(m_env.fileStatus(QStringLiteral("/tmp")).type, QStringLiteral("directory"));
}

void E2eHarnessTest::resetRestoresTheStartingState()
{
    QVERIFY(m_env.writeFile(QStringLiteral("/etc/afick.conf"), "a\n"));
    QVERIFY(m_env.writeFile(QStringLiteral("/etc/afick.conf.old"), "b\n"));
    QVERIFY(m_env.writeFile(QStringLiteral("/etc/tirvane-integrity/failure.d/mail.sh"), "#!/bin/sh\n", 0755));
    QVERIFY(m_env.setVerdict(E2eEnvironment::Verdict::No));
    QVERIFY(m_env.setActionVerdict(QStringLiteral("checkintegritymethod"), E2eEnvironment::Verdict::No));
    QVERIFY(m_env.setScript(CheckScript, 5, "out", "err"));
    QVERIFY(m_env.setUnitFileState(Unit, QStringLiteral("enabled")));
    QVERIFY(m_env.setSystemdFailure(QStringLiteral("org.freedesktop.DBus.Error.Failed")));
    QCOMPARE(callManager(QStringLiteral("Subscribe"), {}).type(), QDBusMessage::ErrorMessage);

    QVERIFY(m_env.reset());

    QVERIFY(!m_env.fileStatus(QStringLiteral("/etc/afick.conf")).exists);
    QVERIFY(!m_env.fileStatus(QStringLiteral("/etc/afick.conf.old")).exists);
    QCOMPARE(m_env.fileStatus(QStringLiteral("/etc/tirvane-integrity/failure.d")).mode, 0755u);
    QVERIFY(m_env.listDirectory(QStringLiteral("/etc/tirvane-integrity/failure.d")).isEmpty());
    QCOMPARE(m_env.unitFileState(Unit), QStringLiteral("disabled"));
    QVERIFY(m_env.systemdCalls().isEmpty());
    QVERIFY(m_env.scriptLog(CheckScript).isEmpty());
    QVERIFY(E2eEnvironment::runAction(QStringLiteral("checkintegritymethod"), {}, 20000).succeeded());
    QCOMPARE(m_env.scriptLog(CheckScript), (QStringList{QStringLiteral("start"), QStringLiteral("end")}));
}

QTEST_GUILESS_MAIN(E2eHarnessTest)

#include "e2eharnesstest.moc"

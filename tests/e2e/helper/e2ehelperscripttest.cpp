// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// initializeafickdatabasemethod and checkintegritymethod requested through
// KAuth by an unprivileged client, running the stand-in scripts as root, and
// how the client's timeout meets a long-running script.

#include "e2eenvironment.h"
#include "protocol.h"

#include <KAuth/ActionReply>

#include <QTest>

namespace
{
const QString DatabaseScript = QStringLiteral("/usr/sbin/tirvane-create-int-db");
const QString CheckScript = QStringLiteral("/usr/sbin/tirvane-int-check");
const QString DatabaseAction = QStringLiteral("initializeafickdatabasemethod");
const QString CheckAction = QStringLiteral("checkintegritymethod");
constexpr int TimeoutMs = 20000;
const QStringList OneRun{QStringLiteral("start"), QStringLiteral("end")};

QString finishedMessage(const QString &script, int code, const QString &output)
{
    return QStringLiteral("Script %1 finished with code %2.\nFullInformation:\n%3").arg(script).arg(code).arg(output);
}

bool slowTestsWanted()
{
    return !qEnvironmentVariableIsEmpty("TRUSTWATCH_E2E_SLOW");
}
}

class E2eHelperScriptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void reportsTheScriptsOutcome_data();
    void reportsTheScriptsOutcome();
    void scriptThatCannotStartIsAnError_data();
    void scriptThatCannotStartIsAnError();

    void shortTimeoutGivesUpWhileLongerOneGetsTheReply();
    void replyAfterTheDefaultTimeoutArrivesWithALongerOne();
    void scriptOverTheTimeLimitIsStoppedAndReported();

private:
    QByteArray m_databaseScript;
    QByteArray m_checkScript;
    E2eEnvironment m_env;
};

void E2eHelperScriptTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    m_databaseScript = m_env.fileStatus(DatabaseScript).content;
    m_checkScript = m_env.fileStatus(CheckScript).content;
    QVERIFY(!m_databaseScript.isEmpty());
    QVERIFY(!m_checkScript.isEmpty());
}

void E2eHelperScriptTest::init()
{
    QVERIFY(m_env.reset());
    // Some rows break a stand-in; every test starts with both intact.
    QVERIFY(m_env.writeFile(DatabaseScript, m_databaseScript, 0755));
    QVERIFY(m_env.writeFile(CheckScript, m_checkScript, 0755));
}

void E2eHelperScriptTest::reportsTheScriptsOutcome_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("standardOutput");
    QTest::addColumn<QByteArray>("standardError");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("errorString");
    QTest::addColumn<QVariantMap>("data");

    const QVariantMap noData;
    const QVariantMap bothOutputs{{Protocol::Reply::Output, QStringLiteral("out line\n\nerr line\n")}};
    const QByteArray out = "out line\n";
    const QByteArray err = "err line\n";
    QTest::newRow("database-exit-0-succeeds-with-its-output")
        << DatabaseAction << DatabaseScript << QVariantMap() << 0 << out << err << 0 << QString() << bothOutputs;
    QTest::newRow("check-exit-0-succeeds-with-its-output") << CheckAction << CheckScript << QVariantMap() << 0 << out << err << 0 << QString() << bothOutputs;
    QTest::newRow("database-exit-3-names-path-code-and-both-outputs") << DatabaseAction << DatabaseScript << QVariantMap() << 3 << out << err << -1
                                                                      << finishedMessage(DatabaseScript, 3, QStringLiteral("out line\n\nerr line\n")) << noData;
    QTest::newRow("check-exit-3-names-path-code-and-both-outputs") << CheckAction << CheckScript << QVariantMap() << 3 << out << err << -1
                                                                   << finishedMessage(CheckScript, 3, QStringLiteral("out line\n\nerr line\n")) << noData;
    QTest::newRow("exit-1-without-output-leaves-one-line-break") << CheckAction << CheckScript << QVariantMap() << 1 << QByteArray() << QByteArray() << -1
                                                                 << finishedMessage(CheckScript, 1, QStringLiteral("\n")) << noData;
    QTest::newRow("exit-255-is-reported-as-255") << DatabaseAction << DatabaseScript << QVariantMap() << 255 << QByteArray() << err << -1
                                                 << finishedMessage(DatabaseScript, 255, QStringLiteral("\nerr line\n")) << noData;
    QTest::newRow("arguments-are-ignored") << CheckAction << CheckScript
                                           << QVariantMap{{QStringLiteral("path"), QStringLiteral("/etc/passwd")},
                                                          {QStringLiteral("args"), QStringList{QStringLiteral("-x")}}}
                                           << 2 << out << QByteArray() << -1 << finishedMessage(CheckScript, 2, QStringLiteral("out line\n\n")) << noData;
}

void E2eHelperScriptTest::reportsTheScriptsOutcome()
{
    QFETCH(QString, action);
    QFETCH(QString, script);
    QFETCH(QVariantMap, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, standardOutput);
    QFETCH(QByteArray, standardError);
    QFETCH(int, error);
    QFETCH(QString, errorString);
    QFETCH(QVariantMap, data);

    QVERIFY(m_env.setScript(script, exitCode, standardOutput, standardError));
    const E2eActionResult result = E2eEnvironment::runAction(action, arguments, TimeoutMs);
    QCOMPARE(result.error, error);
    QCOMPARE(result.errorString, errorString);
    QCOMPARE(result.data, data);
    // Started once, with no arguments, and only its own script.
    QCOMPARE(m_env.scriptLog(script), OneRun);
    QVERIFY(m_env.scriptLog(script == CheckScript ? DatabaseScript : CheckScript).isEmpty());
}

void E2eHelperScriptTest::scriptThatCannotStartIsAnError_data()
{
    QTest::addColumn<QString>("fault");

    QTest::newRow("missing-script") << QStringLiteral("missing");
    QTest::newRow("script-not-executable") << QStringLiteral("not-executable");
    QTest::newRow("script-killed-by-a-signal") << QStringLiteral("killed");
}

void E2eHelperScriptTest::scriptThatCannotStartIsAnError()
{
    QFETCH(QString, fault);

    if (fault == QLatin1String("missing")) {
        QVERIFY(m_env.removePath(CheckScript));
    } else if (fault == QLatin1String("not-executable")) {
        QVERIFY(m_env.setMode(CheckScript, 0644));
    } else {
        QVERIFY(m_env.setScript(CheckScript, 0, "out line\n"));
        QVERIFY(m_env.setScriptSignal(CheckScript, QStringLiteral("KILL")));
    }

    const E2eActionResult result = E2eEnvironment::runAction(CheckAction, {}, TimeoutMs);
    QCOMPARE(result.error, -1);
    // Whatever went wrong, the text the module shows names the script.
    QVERIFY2(result.errorString.contains(CheckScript), qPrintable(result.errorString));
    if (fault != QLatin1String("killed")) {
        QVERIFY2(result.errorString.startsWith(QStringLiteral("Script /usr/sbin/tirvane-int-check could not be started: ")), qPrintable(result.errorString));
        QVERIFY(m_env.scriptLog(CheckScript).isEmpty());
    }
    QVERIFY(result.data.isEmpty());
}

void E2eHelperScriptTest::shortTimeoutGivesUpWhileLongerOneGetsTheReply()
{
    // A job that waited KAuth's default 25 s would see this script finish and
    // succeed; failing shows the caller's shorter limit is the one in force.
    QVERIFY(m_env.setScript(CheckScript, 0, QByteArray(), QByteArray(), 2.5));
    const E2eActionResult givenUp = E2eEnvironment::runAction(CheckAction, {}, 1000);
    QCOMPARE(givenUp.error, int(KAuth::ActionReply::DBusError));
    QVERIFY(!givenUp.errorString.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(m_env.scriptLog(CheckScript), OneRun, 10000);

    // A limit beyond the script's run time gets the helper's own reply.
    QVERIFY(m_env.setScript(DatabaseScript, 4, "late\n", QByteArray(), 2.5));
    const E2eActionResult waited = E2eEnvironment::runAction(DatabaseAction, {}, TimeoutMs);
    QCOMPARE(waited.error, -1);
    QCOMPARE(waited.errorString, finishedMessage(DatabaseScript, 4, QStringLiteral("late\n\n")));
    QCOMPARE(m_env.scriptLog(DatabaseScript), OneRun);
}

void E2eHelperScriptTest::replyAfterTheDefaultTimeoutArrivesWithALongerOne()
{
    if (!slowTestsWanted()) {
        QSKIP("slow (about 27 s, beyond KAuth's default 25 s): set TRUSTWATCH_E2E_SLOW=1 to run it");
    }
    QVERIFY(m_env.setScript(CheckScript, 3, "late\n", "slow\n", 27));
    const E2eActionResult result = E2eEnvironment::runAction(CheckAction, {}, 60000);
    QCOMPARE(result.error, -1);
    QCOMPARE(result.errorString, finishedMessage(CheckScript, 3, QStringLiteral("late\n\nslow\n")));
    QCOMPARE(m_env.scriptLog(CheckScript), OneRun);
}

void E2eHelperScriptTest::scriptOverTheTimeLimitIsStoppedAndReported()
{
    if (!slowTestsWanted()) {
        QSKIP("slow (about 30 s, the helper's limit for a script): set TRUSTWATCH_E2E_SLOW=1 to run it");
    }
    QVERIFY(m_env.setScript(CheckScript, 0, "partial\n", QByteArray(), 45));
    const E2eActionResult result = E2eEnvironment::runAction(CheckAction, {}, 90000);
    QCOMPARE(result.error, -1);
    QCOMPARE(result.errorString,
             QStringLiteral("Script /usr/sbin/tirvane-int-check did not finish within 30 seconds and was stopped.\nFullInformation:\npartial\n\n"));
    // Stopped before its run time was over.
    QCOMPARE(m_env.scriptLog(CheckScript), QStringList{QStringLiteral("start")});
}

QTEST_GUILESS_MAIN(E2eHelperScriptTest)

#include "e2ehelperscripttest.moc"

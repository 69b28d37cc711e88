// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integritysecurityhelper.h"
#include "protocol.h"
#include "scriptrunner.h"

#include <KLocalizedString>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <sys/stat.h>

namespace
{
// Long enough for a shell to start on a loaded machine, short enough to keep
// the time-limit rows quick.
constexpr int ShortLimitMs = 2000;

QString writeScript(const QTemporaryDir &dir, const QByteArray &body, bool executable)
{
    const QString path = dir.filePath(QStringLiteral("script"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QString();
    }
    file.write("#!/bin/sh\n" + body + '\n');
    file.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner : QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

// A killed child may linger as a zombie until its new parent reaps it; that
// still counts as gone.
bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return ::kill(static_cast<pid_t>(pid), 0) != 0;
    }
    const QByteArray fields = stat.readAll();
    return fields.mid(fields.lastIndexOf(')') + 2, 1) == "Z";
}
}

class HelperScriptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        KLocalizedString::setLanguages({QStringLiteral("en_US")});
        qputenv("TRUSTWATCH_CALLER_SECRET", "x");
        ::umask(077);
        QDir::setCurrent(QDir::tempPath());
    }

    void run_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("description");
        // The code the caller receives beside the output; none when the script had no say.
        QTest::addColumn<QVariant>("exitCode");

        QTest::newRow("exit-code-shows-both-streams") << QByteArray("echo 'out line'; echo 'err line' >&2; exit 3")
                                                      << QStringLiteral("Script %1 finished with code 3.\nFullInformation:\nout line\n\nerr line\n")
                                                      << QVariant(3);
        QTest::newRow("silent-failure-is-single-line-break")
            << QByteArray("exit 1") << QStringLiteral("Script %1 finished with code 1.\nFullInformation:\n\n") << QVariant(1);
        QTest::newRow("signal-death-is-failure") << QByteArray("echo partial; kill -KILL $$")
                                                 << QStringLiteral("Script %1 was killed by a signal.\nFullInformation:\npartial\n\n") << QVariant();
        QTest::newRow("time-limit-stops-script-and-keeps-output")
            << QByteArray("echo started; echo warn >&2; sleep 60")
            << QStringLiteral("Script %1 did not finish within 2 seconds and was stopped.\nFullInformation:\nstarted\n\nwarn\n") << QVariant();
    }

    void run()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, description);
        QTemporaryDir dir;
        const QString script = writeScript(dir, body, true);
        QVERIFY(!script.isEmpty());

        QVariant exitCode;
        const KAuth::ActionReply reply = ScriptRunner(script, ShortLimitMs).run([&exitCode](const QVariantMap &data) {
            if (data.contains(Protocol::Progress::ExitCode)) {
                QVERIFY(!exitCode.isValid());
                exitCode = data.value(Protocol::Progress::ExitCode);
            }
        });
        QVERIFY(reply.data().isEmpty());
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorCode(), -1);
        QCOMPARE(reply.errorDescription(), description.arg(script));
        QTEST(exitCode, "exitCode");
    }

    // A check's report is what the script wrote, so success carries it too.
    void successCarriesTheOutput_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("output");

        QTest::newRow("both-streams") << QByteArray("echo 'new file : /etc/a b'; echo warn >&2; exit 0") << QStringLiteral("new file : /etc/a b\n\nwarn\n");
        QTest::newRow("silent-script-is-a-single-line-break") << QByteArray("exit 0") << QStringLiteral("\n");
        // A script that reads its input ends at once instead of waiting out its time limit.
        QTest::newRow("standard-input-is-empty") << QByteArray("read line || echo end of input") << QStringLiteral("end of input\n\n");
        // Nothing of the helper's surroundings passes: not its environment,
        // its working directory nor its umask.
        QTest::newRow("surroundings-are-set") << QByteArray(
            "env | sort; umask") << QStringLiteral("HOME=/root\nPATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin\nPWD=/\n0022\n\n");
        QTest::newRow("output-beyond-the-limit-keeps-its-end")
            << QByteArray("head -c 100000 /dev/zero; head -c 65535 /dev/zero | tr '\\0' x; echo")
            << QStringLiteral("[100,000 earlier bytes left out]\n") + QStringLiteral("x").repeated(65535) + QStringLiteral("\n\n");
    }

    void successCarriesTheOutput()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, output);
        QTemporaryDir dir;
        const QString script = writeScript(dir, body, true);
        const KAuth::ActionReply reply = ScriptRunner(script, ShortLimitMs).run();
        QVERIFY(reply.succeeded());
        QVERIFY(reply.errorDescription().isEmpty());
        QCOMPARE(reply.data(), (QVariantMap{{Protocol::Reply::Output, output}}));
    }

    // A chatty script must not make the reply too large for the bus: each
    // channel keeps its last 64 KiB, after a note of how much was left out.
    void chattyOutputKeepsItsEnd_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("description");

        const QString tail = QStringLiteral("x").repeated(65535) + QLatin1Char('\n');
        QTest::newRow("exactly-the-limit-is-kept-whole") << QByteArray("head -c 65535 /dev/zero | tr '\\0' x; echo; exit 4")
                                                         << QStringLiteral("Script %1 finished with code 4.\nFullInformation:\n") + tail + QLatin1Char('\n');
        QTest::newRow("standard-output-beyond-the-limit")
            << QByteArray("echo first; head -c 4000000 /dev/zero; head -c 65535 /dev/zero | tr '\\0' x; echo; echo err >&2; exit 4")
            << QStringLiteral("Script %1 finished with code 4.\nFullInformation:\n[4,000,006 earlier bytes left out]\n") + tail + QStringLiteral("\nerr\n");
        QTest::newRow("standard-error-beyond-the-limit")
            << QByteArray("echo out; (head -c 70000 /dev/zero; head -c 65535 /dev/zero | tr '\\0' x; echo) >&2; exit 5")
            << QStringLiteral("Script %1 finished with code 5.\nFullInformation:\nout\n\n[70,000 earlier bytes left out]\n") + tail;
        QTest::newRow("limit-holds-at-the-time-limit")
            << QByteArray("head -c 1000000 /dev/zero; head -c 65536 /dev/zero | tr '\\0' x; sleep 60")
            << QStringLiteral("Script %1 did not finish within 2 seconds and was stopped.\nFullInformation:\n[1,000,000 earlier bytes left out]\n")
                + QStringLiteral("x").repeated(65536) + QLatin1Char('\n');
    }

    void chattyOutputKeepsItsEnd()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, description);
        QTemporaryDir dir;
        const QString script = writeScript(dir, body, true);
        const KAuth::ActionReply reply = ScriptRunner(script, ShortLimitMs).run();
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), description.arg(script));
    }

    void cannotStart_data()
    {
        QTest::addColumn<bool>("exists");

        QTest::newRow("missing-program") << false;
        QTest::newRow("file-without-execute-permission") << true;
    }

    void cannotStart()
    {
        QFETCH(bool, exists);
        QTemporaryDir dir;
        QString program = dir.filePath(QStringLiteral("missing"));
        if (exists) {
            program = writeScript(dir, "exit 0", false);
        }
        const KAuth::ActionReply reply = ScriptRunner(program, ShortLimitMs).run();
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QVERIFY(reply.data().isEmpty());
        // The reason after the colon is the system's own wording.
        const QString prefix = QStringLiteral("Script %1 could not be started: ").arg(program);
        QVERIFY2(reply.errorDescription().startsWith(prefix), qPrintable(reply.errorDescription()));
        QVERIFY(reply.errorDescription().size() > prefix.size());
    }

    void timeLimitKillsScriptWithItsChildren_data()
    {
        QTest::addColumn<QByteArray>("child");

        QTest::newRow("child-in-the-process-group") << QByteArray("sleep 60 & echo $! > \"$0.child\"");
        // setsid() leaves the group and the session; the child survives a
        // kill by group and would be adopted by init once the script died.
        QTest::newRow("child-in-a-session-of-its-own") << QByteArray("setsid sh -c 'echo $$ > \"$0.child\"; exec sleep 60' \"$0\" &");
    }

    void timeLimitKillsScriptWithItsChildren()
    {
        QFETCH(QByteArray, child);
        QTemporaryDir dir;
        const QString script = writeScript(dir, "echo $$ > \"$0.pid\"; " + child + "\nwhile [ ! -s \"$0.child\" ]; do sleep 0.1; done; echo ready; wait", true);
        const KAuth::ActionReply reply = ScriptRunner(script, ShortLimitMs).run();
        QCOMPARE(reply.errorDescription(),
                 QStringLiteral("Script %1 did not finish within 2 seconds and was stopped.\nFullInformation:\nready\n\n").arg(script));

        for (const QString &suffix : {QStringLiteral(".pid"), QStringLiteral(".child")}) {
            QFile pidFile(script + suffix);
            QVERIFY(pidFile.open(QIODevice::ReadOnly));
            bool ok = false;
            const qint64 pid = pidFile.readAll().trimmed().toLongLong(&ok);
            QVERIFY(ok);
            QTRY_VERIFY_WITH_TIMEOUT(processGone(pid), 10000);
        }
    }

    void slotsRunFixedScriptsAndIgnoreArguments_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QVariantMap>("args");

        const QVariantMap someArgs{{QStringLiteral("path"), QStringLiteral("/bin/true")}, {QStringLiteral("program"), QStringLiteral("/bin/true")}};
        QTest::newRow("database-script-without-arguments") << QStringLiteral("/usr/sbin/tirvane-create-int-db") << QVariantMap();
        QTest::newRow("database-script-ignores-arguments") << QStringLiteral("/usr/sbin/tirvane-create-int-db") << someArgs;
        QTest::newRow("check-script-without-arguments") << QStringLiteral("/usr/sbin/tirvane-int-check") << QVariantMap();
        QTest::newRow("check-script-ignores-arguments") << QStringLiteral("/usr/sbin/tirvane-int-check") << someArgs;
    }

    void slotsRunFixedScriptsAndIgnoreArguments()
    {
        QFETCH(QString, program);
        QFETCH(QVariantMap, args);
        if (QFile::exists(program)) {
            QSKIP("The real script is installed; a test must not run it");
        }
        IntegritySecurityHelper helper;
        const KAuth::ActionReply reply = program.endsWith(QLatin1String("db")) ? helper.initializeafickdatabasemethod(args) : helper.checkintegritymethod(args);
        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QVERIFY2(reply.errorDescription().startsWith(QStringLiteral("Script %1 could not be started: ").arg(program)), qPrintable(reply.errorDescription()));
    }
};

QTEST_GUILESS_MAIN(HelperScriptTest)

#include "helperscripttest.moc"

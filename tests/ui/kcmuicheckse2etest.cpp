// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2eenvironment.h"
#include "kcmui.h"

#include <QFont>
#include <QQuickItem>
#include <QTest>
#include <QTimer>

namespace
{
// Only a guard against a reply that never comes.
constexpr int replyTimeoutMs = 30000;
const QString scriptsDirectory = QStringLiteral("/etc/tirvane-integrity/failure.d");
const QString checkScript = QStringLiteral("/usr/sbin/tirvane-int-check");
const QString databaseScript = QStringLiteral("/usr/sbin/tirvane-create-int-db");
const QString unit = QStringLiteral("tirvane-int-check.service");
}

// The checks page as a user works it: the service switch, the failure
// scripts and the two scripts run on demand, through the real helper, the
// stand-in systemd and the stand-in scripts, the test unprivileged.
class KcmUiChecksE2eTest : public QObject
{
    Q_OBJECT

    E2eEnvironment m_env;
    std::unique_ptr<KcmUi> m_ui;

    QString text(const QString &objectName) const
    {
        const QObject *object = m_ui->find(objectName);
        return object ? object->property("text").toString() : QString();
    }

    bool shown(const QString &objectName) const
    {
        return KcmUi::isShown(m_ui->item(objectName));
    }

    bool checked(const QString &objectName) const
    {
        const QObject *object = m_ui->find(objectName);
        return object && object->property("checked").toBool();
    }

    bool scriptsAre(const QStringList &names) const
    {
        return m_env.listDirectory(scriptsDirectory) == names;
    }

    // Clicks @p button and notes whether the busy indicator was up, and the
    // buttons off, while the script ran: the click's handler returns only
    // once the script has ended.
    bool busyWhileRunning(const QString &button)
    {
        bool busy = false;
        QTimer probe;
        probe.setInterval(100);
        connect(&probe, &QTimer::timeout, this, [&] {
            if (shown(QStringLiteral("scriptRunning")) && !m_ui->item(QStringLiteral("checkButton"))->isEnabled()
                && !m_ui->item(QStringLiteral("initializeButton"))->isEnabled()) {
                busy = true;
                m_ui->saveScreenshot(QStringLiteral("checks-running"));
            }
        });
        probe.start();
        if (!m_ui->click(button)) {
            return false;
        }
        if (!QTest::qWaitFor(
                [this] {
                    return shown(QStringLiteral("scriptOutcome"));
                },
                replyTimeoutMs)) {
            return false;
        }
        return busy;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    }

    void init()
    {
        QVERIFY(m_env.reset());
        QVERIFY(m_env.writeFile(QStringLiteral("/etc/afick.conf"), "/etc p+u\n"));
        QVERIFY(m_env.writeFile(scriptsDirectory + QStringLiteral("/a.sh"), "#!/bin/sh\n", 0755));
        QVERIFY(m_env.writeFile(scriptsDirectory + QStringLiteral("/b.sh.disabled"), "#!/bin/sh\n", 0755));
        QVERIFY(m_env.writeFile(scriptsDirectory + QStringLiteral("/notes.txt"), "notes\n", 0644));
        m_ui = std::make_unique<KcmUi>();
        QVERIFY2(m_ui->open(QSize(1000, 700)), qPrintable(m_ui->problem()));
        QVERIFY(m_ui->click(QStringLiteral("checksTab")));
        QTRY_VERIFY(shown(QStringLiteral("serviceSwitch")));
    }

    void cleanup()
    {
        const QStringList warnings = m_ui->qmlWarnings();
        m_ui.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    }

    void serviceSwitchFollowsSystemd()
    {
        QVERIFY(!checked(QStringLiteral("serviceSwitch")));
        QVERIFY(m_ui->click(QStringLiteral("serviceSwitch")));
        QTRY_COMPARE(m_env.unitFileState(unit), QStringLiteral("enabled"));
        QTRY_VERIFY(checked(QStringLiteral("serviceSwitch")));
        QVERIFY(!shown(QStringLiteral("serviceMessage")));

        // Switched elsewhere: the switch follows.
        QVERIFY(m_env.setUnitFileState(unit, QStringLiteral("disabled")));
        QTRY_VERIFY(!checked(QStringLiteral("serviceSwitch")));
    }

    void refusedServiceSwitchIsShown()
    {
        QVERIFY(m_env.setActionVerdict(QStringLiteral("enableservicemethod"), E2eEnvironment::Verdict::No));
        QVERIFY(m_ui->click(QStringLiteral("serviceSwitch")));
        QTRY_VERIFY(shown(QStringLiteral("serviceMessage")));
        QCOMPARE(text(QStringLiteral("serviceMessage")), QStringLiteral("The periodic check could not be switched on: the request was refused or failed."));
        QVERIFY(!checked(QStringLiteral("serviceSwitch")));
        QCOMPARE(m_env.unitFileState(unit), QStringLiteral("disabled"));
    }

    void scriptsShowTheirStateByName()
    {
        QTRY_VERIFY(m_ui->item(QStringLiteral("script_a.sh")));
        QVERIFY(checked(QStringLiteral("script_a.sh")));
        QVERIFY(m_ui->item(QStringLiteral("script_a.sh"))->isEnabled());
        QVERIFY(!checked(QStringLiteral("script_b.sh.disabled")));
        QVERIFY(m_ui->item(QStringLiteral("script_b.sh.disabled"))->isEnabled());
        // By the name a user knows them by.
        QCOMPARE(text(QStringLiteral("script_a.sh")), QStringLiteral("a"));
        QCOMPARE(text(QStringLiteral("script_b.sh.disabled")), QStringLiteral("b"));
        // Neither name: nothing to switch.
        QVERIFY(!m_ui->item(QStringLiteral("script_notes.txt"))->isEnabled());
        m_ui->saveScreenshot(QStringLiteral("checks"));
    }

    void switchingAScriptRenamesIt()
    {
        QTRY_VERIFY(m_ui->item(QStringLiteral("script_a.sh")));
        QVERIFY(m_ui->click(QStringLiteral("script_a.sh")));
        QTRY_VERIFY(scriptsAre({QStringLiteral("a.sh.disabled"), QStringLiteral("b.sh.disabled"), QStringLiteral("notes.txt")}));
        QTRY_VERIFY(m_ui->item(QStringLiteral("script_a.sh.disabled")));
        QVERIFY(!checked(QStringLiteral("script_a.sh.disabled")));

        QVERIFY(m_ui->click(QStringLiteral("script_b.sh.disabled")));
        QTRY_VERIFY(scriptsAre({QStringLiteral("a.sh.disabled"), QStringLiteral("b.sh"), QStringLiteral("notes.txt")}));
        QTRY_VERIFY(checked(QStringLiteral("script_b.sh")));
        QVERIFY(!shown(QStringLiteral("scriptsMessage")));
    }

    void refusedScriptSwitchIsShownAndUndone()
    {
        QTRY_VERIFY(m_ui->item(QStringLiteral("script_b.sh.disabled")));
        QVERIFY(m_env.setActionVerdict(QStringLiteral("enablefailurescriptmethod"), E2eEnvironment::Verdict::No));
        QVERIFY(m_ui->click(QStringLiteral("script_b.sh.disabled")));
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("scriptsMessage")), replyTimeoutMs);
        QCOMPARE(text(QStringLiteral("scriptsMessage")), QStringLiteral("The script b could not be enabled: the request was refused or failed."));
        QVERIFY(!checked(QStringLiteral("script_b.sh.disabled")));
        QVERIFY(scriptsAre({QStringLiteral("a.sh"), QStringLiteral("b.sh.disabled"), QStringLiteral("notes.txt")}));
    }

    void failedCheckShowsTheScriptOutput()
    {
        QVERIFY(m_env.setScript(checkScript, 1, "changed file : /etc/passwd\n", QByteArray(), 1));
        QVERIFY(busyWhileRunning(QStringLiteral("checkButton")));
        QVERIFY(!shown(QStringLiteral("scriptRunning")));
        QVERIFY(m_ui->item(QStringLiteral("checkButton"))->isEnabled());
        QCOMPARE(text(QStringLiteral("scriptOutcome")), QStringLiteral("The check failed or found differences."));
        m_ui->saveScreenshot(QStringLiteral("checks-failed"));

        // The whole output, in a text that can be selected and copied.
        QVERIFY(m_ui->click(QStringLiteral("scriptDetailsButton")));
        QTRY_VERIFY(m_ui->find(QStringLiteral("scriptDetailsDialog"))->property("opened").toBool());
        const QObject *details = m_ui->find(QStringLiteral("scriptDetailsDialogText"));
        QVERIFY(details);
        const QString output = details->property("text").toString();
        QVERIFY2(output.contains(QStringLiteral("finished with code 1")), qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("changed file : /etc/passwd")), qPrintable(output));
        QVERIFY(details->property("readOnly").toBool());
        QVERIFY(details->property("selectByMouse").toBool());
        QCOMPARE(details->property("font").value<QFont>().family(), QStringLiteral("monospace"));
        m_ui->saveScreenshot(QStringLiteral("checks-details"));
        QCOMPARE(m_env.scriptLog(checkScript), (QStringList{QStringLiteral("start"), QStringLiteral("end")}));
    }

    void runOutcome_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("details");

        QTest::newRow("database-initialized") << QStringLiteral("initializeButton") << databaseScript << QString() << false
                                              << QStringLiteral("The integrity database has been initialized.") << QString();
        QTest::newRow("check-passed") << QStringLiteral("checkButton") << checkScript << QString() << false
                                      << QStringLiteral("The check is complete: no file differs from the database.") << QString();
        QTest::newRow("refused-initialization-is-named")
            << QStringLiteral("initializeButton") << databaseScript << QStringLiteral("initializeafickdatabasemethod") << true
            << QStringLiteral("Initializing the integrity database failed.") << QStringLiteral("The action was not authorized.");
        QTest::newRow("refused-check-is-named") << QStringLiteral("checkButton") << checkScript << QStringLiteral("checkintegritymethod") << true
                                                << QStringLiteral("The check failed or found differences.") << QStringLiteral("The action was not authorized.");
    }

    void runOutcome()
    {
        QFETCH(QString, button);
        QFETCH(QString, script);
        QFETCH(QString, action);
        QFETCH(bool, refused);
        if (refused) {
            QVERIFY(m_env.setActionVerdict(action, E2eEnvironment::Verdict::No));
        }
        QVERIFY(m_ui->click(button));
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("scriptOutcome")), replyTimeoutMs);
        QTEST(text(QStringLiteral("scriptOutcome")), "outcome");
        QFETCH(QString, details);
        QCOMPARE(shown(QStringLiteral("scriptDetailsButton")), !details.isEmpty());
        QTEST(m_ui->find(QStringLiteral("scriptDetailsDialogText"))->property("text").toString(), "details");
        QCOMPARE(m_env.scriptLog(script).isEmpty(), refused);
    }
};

QTEST_MAIN(KcmUiChecksE2eTest)

#include "kcmuicheckse2etest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2eenvironment.h"
#include "kcmui.h"

#include <KQuickAddons/ConfigModule>

#include <QFont>
#include <QFontDatabase>
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

// afick's compare output as the check script passes it on, with a line of the script's own.
const QByteArray reportOutput =
    "# Afick (3.6.0) compare at 2026/12/07 08:57:12 with options (/etc/afick.conf):\n"
    "# last run on 2026/12/07 08:00:03 with afick version 3.6.0\n"
    "WARNING: (control) afick internal change : /etc/afick.conf (see below)\n"
    "# summary changes\n"
    "changed file : /etc/passwd\n"
    "new file : /etc/sudoers.d/90-temporary\n"
    "deleted file : /etc/cron.d/nightly backup\n"
    "\n"
    "# detailed changes\n"
    "changed file : /etc/passwd\n"
    "\tmd5\t\t : 5b2d0f8a\t9c1a7e55\n"
    "\tfilesize\t\t : 1843\t1901\n"
    "new file : /etc/sudoers.d/90-temporary\n"
    "\tinode_date\t\t : Mon Dec  7 08:50:00 2026\n"
    "deleted file : /etc/cron.d/nightly backup\n"
    "\tinode_date\t\t : Fri Nov 13 04:10:22 2026\n"
    "# Hash database : 48806 files scanned, 3 changed (new : 1; delete : 1; changed : 1; dangling : 12; exclude_suffix : 774; "
    "exclude_prefix : 0; exclude_re : 0; degraded : 22)\n"
    "tirvane-int-check: report mailed to root\n";
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

    // Whether the item exists and is shown: a report's rows come and go.
    bool shown(const QString &objectName) const
    {
        const QQuickItem *item = m_ui->item(objectName);
        return item && KcmUi::isShown(item);
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

    // Runs a check that reports reportOutput, to its end.
    void checkWithReport()
    {
        QVERIFY(m_env.writeFile(QStringLiteral("/etc/sudoers.d/90-temporary"), "x\n"));
        QVERIFY(m_env.setScript(checkScript, 1, reportOutput));
        QVERIFY(m_ui->click(QStringLiteral("checkButton")));
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("reportEntry_/etc/passwd")), replyTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("scriptOutcome")), replyTimeoutMs);
    }

    QQuickItem *inEntry(const QString &path, const QString &objectName) const
    {
        const QQuickItem *entry = m_ui->item(QStringLiteral("reportEntry_") + path);
        const QList<QQuickItem *> items = m_ui->items();
        for (QQuickItem *item : items) {
            if (entry && entry->isAncestorOf(item) && item->objectName() == objectName) {
                return item;
            }
        }
        return nullptr;
    }

    QStringList addedLines() const
    {
        QVariantMap changes;
        QMetaObject::invokeMethod(m_ui->module(), "pendingChanges", Q_RETURN_ARG(QVariantMap, changes));
        return changes.value(QStringLiteral("added")).toStringList();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    }

    void init()
    {
        QVERIFY(m_env.reset());
        QVERIFY(m_env.writeFile(QStringLiteral("/etc/afick.conf"), "/etc p+u+md5\n"));
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
        QVERIFY(m_env.setScript(checkScript, 2, "afick: cannot open the database /var/lib/afick/afick\n", QByteArray(), 1));
        QVERIFY(busyWhileRunning(QStringLiteral("checkButton")));
        QVERIFY(!shown(QStringLiteral("scriptRunning")));
        QVERIFY(m_ui->item(QStringLiteral("checkButton"))->isEnabled());
        // No finding, and afick's own code for why.
        QCOMPARE(text(QStringLiteral("scriptOutcome")), QStringLiteral("The check failed with exit code 2."));
        m_ui->saveScreenshot(QStringLiteral("checks-failed"));

        // The whole output, in a text that can be selected and copied.
        QVERIFY(m_ui->click(QStringLiteral("scriptDetailsButton")));
        QTRY_VERIFY(m_ui->find(QStringLiteral("scriptDetailsDialog"))->property("opened").toBool());
        const QObject *details = m_ui->find(QStringLiteral("scriptDetailsDialogText"));
        QVERIFY(details);
        const QString output = details->property("text").toString();
        QVERIFY2(output.contains(QStringLiteral("finished with code 2")), qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("afick: cannot open the database /var/lib/afick/afick")), qPrintable(output));
        QVERIFY(details->property("readOnly").toBool());
        QVERIFY(details->property("selectByMouse").toBool());
        QCOMPARE(details->property("font").value<QFont>().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        m_ui->saveScreenshot(QStringLiteral("checks-details"));
        QCOMPARE(m_env.scriptLog(checkScript), (QStringList{QStringLiteral("start"), QStringLiteral("end")}));
    }

    // Grouped by kind with counts, each change with its values, afick's
    // figures and warnings, and what the report could not read kept in view.
    void checkReportListsWhatWasFound()
    {
        checkWithReport();
        QCOMPARE(text(QStringLiteral("scriptOutcome")), QStringLiteral("The check found 3 changes."));
        QCOMPARE(text(QStringLiteral("reportFigure_scanned")), QStringLiteral("Files scanned: 48,806"));
        QCOMPARE(text(QStringLiteral("reportFigure_dangling")), QStringLiteral("Dangling links: 12"));
        QVERIFY(shown(QStringLiteral("reportWarningLines")));
        QCOMPARE(text(QStringLiteral("reportWarningLines")), QStringLiteral("(control) afick internal change : /etc/afick.conf (see below)"));
        QStringList sections;
        const QQuickItem *list = m_ui->item(QStringLiteral("reportList"));
        const QList<QQuickItem *> items = m_ui->items();
        for (QQuickItem *item : items) {
            if (list->isAncestorOf(item) && item->property("sectionDelegate").toBool() && KcmUi::isShown(item)) {
                sections.append(item->property("text").toString());
            }
        }
        QCOMPARE(sections, (QStringList{QStringLiteral("New (1)"), QStringLiteral("Deleted (1)"), QStringLiteral("Changed (1)")}));
        QVERIFY(shown(QStringLiteral("reportEntry_/etc/cron.d/nightly backup")));
        QCOMPARE(inEntry(QStringLiteral("/etc/passwd"), QStringLiteral("reportChange_md5"))->property("text").toString(),
                 QStringLiteral("md5: 5b2d0f8a → 9c1a7e55"));
        QCOMPARE(inEntry(QStringLiteral("/etc/sudoers.d/90-temporary"), QStringLiteral("reportValue_inode_date"))->property("text").toString(),
                 QStringLiteral("inode_date: Mon Dec  7 08:50:00 2026"));
        // Only what the script wrote: not the helper's own lines about the failed run.
        QCOMPARE(text(QStringLiteral("reportUnknownLines")), QStringLiteral("tirvane-int-check: report mailed to root"));
        m_ui->saveScreenshot(QStringLiteral("checks-report"));

        // Until the next run, whichever page the user visits meanwhile.
        QVERIFY(m_ui->click(QStringLiteral("rulesTab")));
        QVERIFY(m_ui->click(QStringLiteral("checksTab")));
        QVERIFY(shown(QStringLiteral("reportEntry_/etc/passwd")));
        QVERIFY(m_env.setScript(checkScript, 0));
        QVERIFY(m_ui->click(QStringLiteral("checkButton")));
        QTRY_COMPARE_WITH_TIMEOUT(text(QStringLiteral("scriptOutcome")), QStringLiteral("No changes."), replyTimeoutMs);
        QVERIFY(!m_ui->item(QStringLiteral("reportEntry_/etc/passwd")));
    }

    void reportEntryActions_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("written");

        QTest::newRow("show-in-rules") << QStringLiteral("/etc/sudoers.d/90-temporary") << QStringLiteral("showInRulesButton") << QString();
        QTest::newRow("stop-checking") << QStringLiteral("/etc/sudoers.d/90-temporary") << QStringLiteral("stopCheckingButton")
                                       << QStringLiteral("!/etc/sudoers.d/90-temporary");
        QTest::newRow("stop-comparing") << QStringLiteral("/etc/passwd") << QStringLiteral("stopComparingButton_md5") << QStringLiteral("/etc/passwd p+u");
    }

    // Each entry reveals its path in the tree or becomes a pending rule edit
    // that Apply writes.
    void reportEntryActions()
    {
        QFETCH(QString, path);
        QFETCH(QString, button);
        QFETCH(QString, written);
        checkWithReport();
        QVERIFY(!shown(QStringLiteral("reportEntryNote")));
        QVERIFY(m_ui->click(inEntry(path, button)));

        if (written.isEmpty()) {
            QTRY_VERIFY(shown(QStringLiteral("fileTree")));
            QQuickItem *row = m_ui->item(QStringLiteral("fileRow_") + path);
            QVERIFY(row);
            QVERIFY(KcmUi::isShown(row));
            QVERIFY(row->property("highlighted").toBool());
            QCOMPARE(text(QStringLiteral("rulePath")), path);
            QVERIFY(!m_ui->module()->needsSave());
            return;
        }
        QTRY_VERIFY(addedLines().contains(written));
        QVERIFY(KcmUi::isShown(inEntry(path, QStringLiteral("reportEntryNote"))));
        QCOMPARE(inEntry(path, QStringLiteral("reportEntryNote"))->property("text").toString(), QStringLiteral("Covered by a pending change to its rule"));
        QVERIFY(!shown(QStringLiteral("reportMessage")));
        m_ui->module()->save();
        const QStringList lines = QString::fromUtf8(m_env.fileStatus(QStringLiteral("/etc/afick.conf")).content).split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(written), qPrintable(lines.join(QLatin1Char('|'))));
    }

    void runOutcome_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("details");
        // Whether the check's report is shown: only a check that ran has one.
        QTest::addColumn<bool>("report");

        QTest::newRow("database-initialized") << QStringLiteral("initializeButton") << databaseScript << QString() << false << 0
                                              << QStringLiteral("The integrity database has been initialized.") << QString() << false;
        QTest::newRow("check-passed") << QStringLiteral("checkButton") << checkScript << QString() << false << 0 << QStringLiteral("No changes.") << QString()
                                      << true;
        QTest::newRow("failed-initialization-names-its-code")
            << QStringLiteral("initializeButton") << databaseScript << QString() << false << 4
            << QStringLiteral("Initializing the integrity database failed with exit code 4.")
            << QStringLiteral("Script /usr/sbin/tirvane-create-int-db finished with code 4.\nFullInformation:\n\n") << false;
        QTest::newRow("refused-initialization-is-named")
            << QStringLiteral("initializeButton") << databaseScript << QStringLiteral("initializeafickdatabasemethod") << true << 0
            << QStringLiteral("Initializing the integrity database failed.") << QStringLiteral("The action was not authorized.") << false;
        QTest::newRow("refused-check-is-named") << QStringLiteral("checkButton") << checkScript << QStringLiteral("checkintegritymethod") << true << 0
                                                << QStringLiteral("The check failed.") << QStringLiteral("The action was not authorized.") << false;
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
        QFETCH(int, exitCode);
        if (exitCode != 0) {
            QVERIFY(m_env.setScript(script, exitCode));
        }
        QVERIFY(m_ui->click(button));
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("scriptOutcome")), replyTimeoutMs);
        QTEST(text(QStringLiteral("scriptOutcome")), "outcome");
        QFETCH(QString, details);
        QCOMPARE(shown(QStringLiteral("scriptDetailsButton")), !details.isEmpty());
        QTEST(m_ui->find(QStringLiteral("scriptDetailsDialog"))->property("details").toString(), "details");
        QCOMPARE(m_env.scriptLog(script).isEmpty(), refused);
        QTEST(shown(QStringLiteral("reportForm")), "report");
    }
};

QTEST_MAIN(KcmUiChecksE2eTest)

#include "kcmuicheckse2etest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "checkreportmodel.h"
#include "integritycontrolscriptcaller.h"

#include "e2eenvironment.h"
#include "generatedafickreport.h"

#include <KFormat>
#include <QSignalSpy>
#include <QTest>

// Both maintenance scripts, run by the real helper as the stand-in scripts.
class IntegrityControlScriptCallerE2eTest : public QObject
{
    Q_OBJECT

public:
    enum Operation {
        InitializeDatabase,
        CheckIntegrity,
    };
    Q_ENUM(Operation)

private:
    E2eEnvironment m_env;

    static QString scriptOf(Operation operation)
    {
        return operation == InitializeDatabase ? QStringLiteral("/usr/sbin/tirvane-create-int-db") : QStringLiteral("/usr/sbin/tirvane-int-check");
    }

    static QString actionOf(Operation operation)
    {
        return operation == InitializeDatabase ? QStringLiteral("initializeafickdatabasemethod") : QStringLiteral("checkintegritymethod");
    }

    struct Outcome {
        bool succeeded = false;
        // The texts of the operation's own error signal, each emitted before the call returned.
        QStringList errors;
        int otherErrors = 0;
        QString output;
        int exitCode = 0;
        int reportRows = 0;
        QStringList reportUnknownLines;
    };

    // Runs the operation to its end; the caller's signals come from the reply.
    static void runToTheEnd(IntegrityControlScriptCaller &caller, Operation operation)
    {
        QSignalSpy finished(&caller, &IntegrityControlScriptCaller::finished);
        QVERIFY(operation == InitializeDatabase ? caller.initializeAfickDatabase() : caller.checkIntegrity());
        QVERIFY(caller.isRunning());
        // A second run is refused while the first goes on.
        QVERIFY(!caller.checkIntegrity());
        QVERIFY(finished.wait(E2eEnvironment::DefaultTimeoutMs));
        QVERIFY(!caller.isRunning());
        QCOMPARE(finished.count(), 1);
    }

    static Outcome run(Operation operation)
    {
        IntegrityControlScriptCaller caller;
        QSignalSpy initializeErrors(&caller, &IntegrityControlScriptCaller::initializeError);
        QSignalSpy integrityErrors(&caller, &IntegrityControlScriptCaller::integrityError);
        QSignalSpy finished(&caller, &IntegrityControlScriptCaller::finished);
        Outcome outcome;
        runToTheEnd(caller, operation);
        if (finished.isEmpty()) {
            return outcome;
        }
        outcome.succeeded = finished.constFirst().constFirst().toBool();
        const QSignalSpy &own = operation == InitializeDatabase ? initializeErrors : integrityErrors;
        for (const QVariantList &arguments : own) {
            outcome.errors.append(arguments.constFirst().toString());
        }
        outcome.otherErrors = (operation == InitializeDatabase ? integrityErrors : initializeErrors).count();
        outcome.output = caller.lastOutput();
        outcome.exitCode = caller.lastExitCode();
        outcome.reportRows = caller.report()->rowCount();
        outcome.reportUnknownLines = caller.report()->unknownLines();
        return outcome;
    }

    static void addOperationRows(const char *what)
    {
        QTest::newRow(qPrintable(QStringLiteral("database-%1").arg(QLatin1String(what)))) << InitializeDatabase;
        QTest::newRow(qPrintable(QStringLiteral("check-%1").arg(QLatin1String(what)))) << CheckIntegrity;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    }

    void init()
    {
        QVERIFY(m_env.reset());
    }

    void success_data()
    {
        QTest::addColumn<Operation>("operation");
        addOperationRows("run-that-exits-0-succeeds-silently");
    }

    void success()
    {
        QFETCH(Operation, operation);

        QVERIFY(m_env.setScript(scriptOf(operation), 0, "new file : /etc/a b\n"));
        const Outcome outcome = run(operation);
        QVERIFY(outcome.succeeded);
        // The output crosses the bus only in a successful reply's data.
        QCOMPARE(outcome.output, QStringLiteral("new file : /etc/a b\n\n"));
        QCOMPARE(outcome.reportRows, 1);
        QCOMPARE(outcome.errors, QStringList());
        QCOMPARE(outcome.otherErrors, 0);
        QCOMPARE(m_env.scriptLog(scriptOf(operation)), (QStringList{QStringLiteral("start"), QStringLiteral("end")}));
    }

    void failureCarriesTheHelpersDescription_data()
    {
        QTest::addColumn<Operation>("operation");
        addOperationRows("exit-3-reports-code-and-output");
    }

    void failureCarriesTheHelpersDescription()
    {
        QFETCH(Operation, operation);

        QVERIFY(m_env.setScript(scriptOf(operation), 3, "changed: /etc/passwd\n", "afick: 1 change\n"));
        const Outcome outcome = run(operation);
        QVERIFY(!outcome.succeeded);
        QCOMPARE(outcome.errors,
                 QStringList{
                     QStringLiteral("Script %1 finished with code 3.\nFullInformation:\nchanged: /etc/passwd\n\nafick: 1 change\n").arg(scriptOf(operation))});
        QCOMPARE(outcome.otherErrors, 0);
        QCOMPARE(outcome.exitCode, 3);
        // afick reports differences with a non-zero code: the report is read
        // from the description, without the helper's own two lines.
        QCOMPARE(outcome.output, outcome.errors.constFirst());
        QCOMPARE(outcome.reportUnknownLines, (QStringList{QStringLiteral("changed: /etc/passwd"), QStringLiteral("afick: 1 change")}));
    }

    void refusalIsReportedWithAText_data()
    {
        QTest::addColumn<Operation>("operation");
        addOperationRows("refused-by-polkit");
    }

    void refusalIsReportedWithAText()
    {
        QFETCH(Operation, operation);

        QVERIFY(m_env.setActionVerdict(actionOf(operation), E2eEnvironment::Verdict::No));
        const Outcome outcome = run(operation);
        QVERIFY(!outcome.succeeded);
        QCOMPARE(outcome.errors, QStringList{QStringLiteral("The action was not authorized.")});
        QCOMPARE(outcome.otherErrors, 0);
        QCOMPARE(outcome.output, QString());
        QCOMPARE(m_env.scriptLog(scriptOf(operation)), QStringList());
    }

    // The helper stops a script after 30 s; the request must wait for the
    // helper's own report instead of giving up first.
    void scriptOutlivingTheHelpersLimit()
    {
        QVERIFY(m_env.setScript(scriptOf(CheckIntegrity), 0, "still checking\n", QByteArray(), 45));
        const Outcome outcome = run(CheckIntegrity);
        QVERIFY(!outcome.succeeded);
        QCOMPARE(outcome.errors.size(), 1);
        const QString text = outcome.errors.constFirst();
        QVERIFY2(text.startsWith(QStringLiteral("Script /usr/sbin/tirvane-int-check did not finish within 30 seconds")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("still checking")), qPrintable(text));
    }

    // A report as after a system upgrade, far beyond what a reply holds:
    // every finding arrives, and the counts are afick's own.
    void wholeReportOfAnUpgradeArrives()
    {
        constexpr int NewFiles = 100;
        constexpr int DeletedFiles = 50;
        constexpr int ChangedFiles = 19850;
        QVERIFY(m_env.setScript(scriptOf(CheckIntegrity), 1, generatedAfickReport(NewFiles, DeletedFiles, ChangedFiles)));
        IntegrityControlScriptCaller caller;
        const CheckReportModel *report = caller.report();
        runToTheEnd(caller, CheckIntegrity);

        // How each line reads is the report's own test; here every line must
        // have crossed, in pieces, to the end.
        QCOMPARE(report->rowCount(), NewFiles + DeletedFiles + ChangedFiles);
        QCOMPARE(report->index(report->rowCount() - 1).data(CheckReportModel::PathRole).toString(),
                 generatedFindingPath(QStringLiteral("changed"), ChangedFiles - 1));
        const QVariantMap totals = report->totals();
        QCOMPARE(totals.value(QStringLiteral("new")).toInt(), report->newCount());
        QCOMPARE(totals.value(QStringLiteral("delete")).toInt(), report->deletedCount());
        QCOMPARE(totals.value(QStringLiteral("changed")).toInt(), report->changedCount());
        QCOMPARE(caller.reportNote(), QString());
    }

    // The report fills while a long check still runs, not only at its end.
    void findingsArriveWhileTheCheckRuns()
    {
        QVERIFY(m_env.setScript(scriptOf(CheckIntegrity), 1, generatedAfickReport(1, 1, 1), QByteArray(), 3));
        IntegrityControlScriptCaller caller;
        QSignalSpy finished(&caller, &IntegrityControlScriptCaller::finished);
        QVERIFY(caller.checkIntegrity());
        QTRY_VERIFY_WITH_TIMEOUT(caller.report()->rowCount() == 3 || !finished.isEmpty(), E2eEnvironment::DefaultTimeoutMs);
        QVERIFY(finished.isEmpty());
        QVERIFY(finished.wait(E2eEnvironment::DefaultTimeoutMs));
    }

    // Past the bound the report says it was cut, how much arrived, where
    // afick keeps the whole, and still gives afick's own totals.
    void reportPastTheBoundSaysSo()
    {
        constexpr int ChangedFiles = 20000;
        constexpr int Limit = 1024 * 1024;
        const QByteArray output = generatedAfickReport(0, 0, ChangedFiles);
        QVERIFY(m_env.setScript(scriptOf(CheckIntegrity), 1, output));
        IntegrityControlScriptCaller caller;
        caller.setOutputLimit(Limit);
        runToTheEnd(caller, CheckIntegrity);

        const CheckReportModel *report = caller.report();
        QVERIFY2(report->changedCount() > 1000 && report->changedCount() < ChangedFiles, qPrintable(QString::number(report->changedCount())));
        QCOMPARE(report->totals().value(QStringLiteral("changed")).toInt(), ChangedFiles);
        const QString note = caller.reportNote();
        // Whole lines only: the cut is at the last line break before the bound.
        const int sent = output.lastIndexOf('\n', Limit - 1) + 1;
        QVERIFY2(
            note.startsWith(QStringLiteral("The report is incomplete: the check printed more than the helper passes on. %1 arrived, %2 more were left out.")
                                .arg(KFormat().formatByteSize(sent), KFormat().formatByteSize(output.size() - sent))),
            qPrintable(note));
        QVERIFY2(note.contains(generatedReportArchive()), qPrintable(note));
        QVERIFY2(note.contains(QStringLiteral("afick counted 0 new, 0 deleted and 20,000 changed")), qPrintable(note));
    }
};

QTEST_GUILESS_MAIN(IntegrityControlScriptCallerE2eTest)

#include "integritycontrolscriptcallere2etest.moc"

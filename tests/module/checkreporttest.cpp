// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "checkreport.h"
#include "checkreportmodel.h"

#include <QAbstractItemModelTester>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

namespace
{
// afick's report as its public material shows it (3.6.0).
QString header(const QString &mode)
{
    return QStringLiteral(
               "# Afick (3.6.0) %1 at 2018/09/06 17:14:44 with options (/etc/afick.conf):\n"
               "# exclude_suffix:=log LOG\n"
               "# report_url:=stdout\n"
               "# last run on 2018/09/06 17:09:21 with afick version 3.6.0\n")
        .arg(mode);
}

const QString summarySection = QStringLiteral(
    "# summary changes\n"
    "changed file : /etc/passwd\n"
    "new file : /etc/cron.d/new job\n"
    "deleted directory : /var/old\n"
    "changed directory : /etc\n"
    "\n");

const QString detailedSection = QStringLiteral(
    "# detailed changes\n"
    "changed file : /etc/passwd\n"
    "\tmd5\t\t : 5b2d0f8a\t9c1a7e55\n"
    "\tfilesize\t\t : 1843\t1901\n"
    "\tinode\t\t : 1311\t1377\n"
    "new file : /etc/cron.d/new job\n"
    "\tinode_date\t\t : Thu Sep  6 17:12:35 2018\n"
    "deleted directory : /var/old\n"
    "\tinode_date\t\t : Wed Sep  5 09:00:01 2018\n"
    "changed directory : /etc\n"
    "\tmtime\t\t : Thu Sep  6 17:09:21 2018\tThu Sep  6 17:12:35 2018\n");

QString closing(const QString &done, int changes, int fresh, int gone, int changed)
{
    return QStringLiteral(
               "# #################################################################\n"
               "# MD5 hash of /var/lib/afick/afick => 8c1d3e2f\n"
               "\n"
               "# Hash database%1 : 48806 files scanned, %2 changed (new : %3; delete : %4; changed : %5; dangling : 12; "
               "exclude_suffix : 774; exclude_prefix : 0; exclude_re : 0; degraded : 22)\n"
               "# user time : 18.49; system time : 1.12; real time : 20\n")
        .arg(done)
        .arg(changes)
        .arg(fresh)
        .arg(gone)
        .arg(changed);
}

const QString fullReport = header(QStringLiteral("compare")) + summarySection + detailedSection + closing(QString(), 4, 1, 1, 2);

const QStringList fourFindings{
    "changed file /etc/passwd [md5:5b2d0f8a>9c1a7e55] [filesize:1843>1901] [inode:1311>1377]",
    "new file /etc/cron.d/new job {inode_date=Thu Sep  6 17:12:35 2018}",
    "deleted directory /var/old {inode_date=Wed Sep  5 09:00:01 2018}",
    "changed directory /etc [mtime:Thu Sep  6 17:09:21 2018>Thu Sep  6 17:12:35 2018]",
};

QStringList closingTotals(int changes, int fresh, int gone, int changed)
{
    return {QStringLiteral("changed=%1").arg(changed),
            QStringLiteral("changes=%1").arg(changes),
            "dangling=12",
            "degraded=22",
            QStringLiteral("delete=%1").arg(gone),
            "exclude_prefix=0",
            "exclude_re=0",
            "exclude_suffix=774",
            QStringLiteral("new=%1").arg(fresh),
            "scanned=48806"};
}

// Entries as "kind objectType path [name:old>new]... {name=value}..." so rows read as text.
QStringList describe(const CheckReport &report)
{
    static const char *const kinds[] = {"new", "deleted", "changed"};
    QStringList described;
    for (const CheckReport::Entry &entry : report.entries()) {
        QString text = QLatin1String(kinds[entry.kind]) + QLatin1Char(' ') + entry.objectType + QLatin1Char(' ') + entry.path;
        for (const CheckReport::AttributeChange &change : entry.changes) {
            text += QStringLiteral(" [%1:%2>%3]").arg(change.name, change.oldValue, change.newValue);
        }
        for (const CheckReport::AttributeValue &value : entry.values) {
            text += QStringLiteral(" {%1=%2}").arg(value.name, value.value);
        }
        described.append(text);
    }
    return described;
}

QStringList describeTotals(const CheckReport &report)
{
    QStringList figures;
    for (auto it = report.totals().cbegin(); it != report.totals().cend(); ++it) {
        figures.append(it.key() + QLatin1Char('=') + QString::number(it.value()));
    }
    return figures;
}
}

class CheckReportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("totals");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QStringList>("unknownLines");

        QTest::newRow("both-sections") << fullReport << fourFindings << closingTotals(4, 1, 1, 2) << QStringList() << QStringList();
        QTest::newRow("without-summary-section") << header(QStringLiteral("compare")) + detailedSection + closing(QString(), 4, 1, 1, 2) << fourFindings
                                                 << closingTotals(4, 1, 1, 2) << QStringList() << QStringList();
        QTest::newRow("no-changes") << header(QStringLiteral("compare")) + QStringLiteral("# summary changes\n\n# detailed changes\n")
                + closing(QString(), 0, 0, 0, 0)
                                    << QStringList() << closingTotals(0, 0, 0, 0) << QStringList() << QStringList();
        QTest::newRow("update") << header(QStringLiteral("update")) + summarySection + detailedSection
                + closing(QStringLiteral(" updated successfully"), 4, 1, 1, 2)
                                << fourFindings << closingTotals(4, 1, 1, 2) << QStringList() << QStringList();
        QTest::newRow("warnings-crlf-and-a-line-of-the-script")
            << header(QStringLiteral("compare"))
                + QStringLiteral(
                    "WARNING: skip bad config neg rule = /dev/scsi p+n (line 184) /dev/scsi directory does not exist\r\n"
                    "WARNING: (control) afick internal change : /etc/afick.conf (see below)\r\n"
                    "# summary changes\r\n"
                    "changed file : /etc/afick.conf\r\n"
                    "\r\n"
                    "# detailed changes\r\n"
                    "changed file : /etc/afick.conf\r\n"
                    "\tmd5\t\t : 11aa\t22bb\r\n"
                    "mail: report sent to root\r\n")
                + closing(QString(), 1, 0, 0, 1)
            << QStringList{"changed file /etc/afick.conf [md5:11aa>22bb]"} << closingTotals(1, 0, 0, 1)
            << QStringList{"skip bad config neg rule = /dev/scsi p+n (line 184) /dev/scsi directory does not exist",
                           "(control) afick internal change : /etc/afick.conf (see below)"}
            << QStringList{"mail: report sent to root"};
    }

    // Read whole, and again a character at a time as a script prints it.
    void parse()
    {
        QFETCH(QString, output);
        const CheckReport whole = CheckReport::parse(output);
        const CheckReport pieces = [&output] {
            CheckReport report;
            for (const QChar c : output) {
                report.addOutput(QString(c));
            }
            report.finish();
            return report;
        }();

        for (const CheckReport *report : {&whole, &pieces}) {
            QTEST(describe(*report), "entries");
            QTEST(describeTotals(*report), "totals");
            QTEST(report->warnings(), "warnings");
            QTEST(report->unknownLines(), "unknownLines");
        }
    }

    void headline_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<CheckReportModel::Outcome>("outcome");
        QTest::addColumn<QString>("summary");

        const int unknown = CheckReportModel::UnknownExitStatus;
        using Outcome = CheckReportModel::Outcome;
        // afick counts changes of its own: it may say more than the findings listed.
        QTest::newRow("afick-count-with-its-non-zero-status")
            << header(QStringLiteral("compare")) + closing(QString(), 10, 0, 0, 10) << 1 << Outcome::Changes << "The check found 10 changes.";
        QTest::newRow("status-unknown-but-report-closed") << fullReport << unknown << Outcome::Changes << "The check found 4 changes.";
        QTest::newRow("no-changes") << header(QStringLiteral("compare")) + closing(QString(), 0, 0, 0, 0) << 0 << Outcome::NoChanges << "No changes.";
        QTest::newRow("findings-without-closing-line") << summarySection << 1 << Outcome::Changes << "The check found 4 changes.";
        QTest::newRow("cut-short-without-status") << summarySection << unknown << Outcome::Failed << "The check failed.";
        QTest::newRow("no-report-with-status") << "afick: database not found\n" << 2 << Outcome::Failed << "The check failed with exit code 2.";
        QTest::newRow("silent-success") << QString() << 0 << Outcome::NoChanges << "No changes.";
    }

    void headline()
    {
        QFETCH(QString, output);
        QFETCH(int, exitStatus);
        CheckReportModel model;
        model.setOutput(output, exitStatus);
        QTEST(model.outcome(), "outcome");
        QTEST(model.summaryText(), "summary");
    }

    // Fed as the script prints it: rows come in their groups as findings
    // arrive, and the detailed section fills the rows already there.
    void modelGrowsWithTheOutput()
    {
        CheckReportModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.clear();
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        model.addOutput(header(QStringLiteral("compare")) + summarySection.left(summarySection.indexOf(QLatin1String("/var/old"))));
        QCOMPARE(model.outcome(), CheckReportModel::Outcome::Running);
        QCOMPARE(model.rowCount(), 2);
        model.addOutput(summarySection.mid(summarySection.indexOf(QLatin1String("/var/old")))
                        + detailedSection.left(detailedSection.indexOf(QLatin1String("1311"))));
        QCOMPARE(model.index(2, 0).data(CheckReportModel::ChangesRole).toList().size(), 2);
        model.addOutput(detailedSection.mid(detailedSection.indexOf(QLatin1String("1311"))));
        model.finish(1);

        QCOMPARE(resets.count(), 0);
        QCOMPARE(inserted.count(), 4);
        QStringList rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex index = model.index(row, 0);
            rows.append(index.data(CheckReportModel::SectionRole).toString() + QLatin1Char(' ') + index.data(CheckReportModel::PathRole).toString());
        }
        QCOMPARE(rows, (QStringList{"New /etc/cron.d/new job", "Deleted /var/old", "Changed /etc/passwd", "Changed /etc"}));
        QCOMPARE(model.index(2, 0).data(CheckReportModel::ChangesRole).toList().at(2).toMap(),
                 (QVariantMap{{"name", "inode"}, {"oldValue", "1311"}, {"newValue", "1377"}}));
        QCOMPARE(model.index(0, 0).data(CheckReportModel::ValuesRole).toList(),
                 (QVariantList{QVariantMap{{"name", "inode_date"}, {"value", "Thu Sep  6 17:12:35 2018"}}}));
        // Every finding of the detailed section announced its new detail lines on its own row.
        QSet<int> announced;
        for (const QList<QVariant> &arguments : changed) {
            announced.insert(arguments.at(0).toModelIndex().row());
        }
        QCOMPARE(announced, (QSet<int>{0, 1, 2, 3}));
        QCOMPARE(model.summaryText(), QStringLiteral("The check found 4 changes."));
        QCOMPARE(model.output(), header(QStringLiteral("compare")) + summarySection + detailedSection);
    }
};

QTEST_GUILESS_MAIN(CheckReportTest)

#include "checkreporttest.moc"

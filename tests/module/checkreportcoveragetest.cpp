// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "checkreportmodel.h"
#include "fakelisting.h"
#include "integrityfilesystemmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace
{
const QString output = QStringLiteral(
    "changed file : /etc/passwd\n"
    "\tmd5 : 5b2d\t9c1a\n"
    "new file : /etc/ssl/new.pem\n"
    "deleted file : /var/tmp/gone\n"
    "changed file : /etc/cron.d/old job\n"
    "\tmtime : Mon\tTue\n");

// The rows of the report as "path=note" where a pending edit covers them, in row order.
QStringList coveredRows(const CheckReportModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row, 0);
        if (index.data(CheckReportModel::CoveredByEditRole).toBool()) {
            rows.append(index.data(CheckReportModel::PathRole).toString() + QLatin1Char('=') + index.data(CheckReportModel::EditNoteRole).toString());
        }
    }
    return rows;
}
}

class CheckReportCoverageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_listing.reset(FakeListing::withSampleTree());
        m_rules = std::make_unique<IntegrityFileSystemModel>();
        QSignalSpy rootListed(m_rules.get(), &PolkitFileSystemModel::rootPathChanged);
        QVERIFY(rootListed.wait());
        m_rules->afickConfigEditor().applyConfigLines({"/etc R+md5", "/var p+u"});
    }

    void cleanup()
    {
        m_rules.reset();
        m_listing.reset();
    }

    void entriesTellTheEditThatCoversThem_data()
    {
        QTest::addColumn<QString>("excluded"); // the path an edit stops checking
        QTest::addColumn<QStringList>("covered");

        QTest::newRow("own-path") << "/etc/passwd" << QStringList{"/etc/passwd=Covered by a pending change to its rule"};
        QTest::newRow("ancestor-covers-every-entry-below") << "/etc"
                                                           << QStringList{"/etc/ssl/new.pem=Covered by a pending change to the rule of /etc",
                                                                          "/etc/passwd=Covered by a pending change to the rule of /etc",
                                                                          "/etc/cron.d/old job=Covered by a pending change to the rule of /etc"};
    }

    void entriesTellTheEditThatCoversThem()
    {
        QFETCH(QString, excluded);
        QFETCH(QStringList, covered);
        CheckReportModel report;
        QAbstractItemModelTester tester(&report, QAbstractItemModelTester::FailureReportingMode::QtTest);
        report.setOutput(output);
        report.setRuleModel(m_rules.get());
        QCOMPARE(coveredRows(report), QStringList());
        QSignalSpy changed(&report, &QAbstractItemModel::dataChanged);

        // Unlisted paths too: the report's paths need not be in the tree.
        QVERIFY(m_rules->stopChecking(excluded));

        QCOMPARE(coveredRows(report), covered);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), report.index(0, 0));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), report.index(report.rowCount() - 1, 0));
        QVERIFY(changed.at(0).at(2).value<QVector<int>>().contains(CheckReportModel::CoveredByEditRole));
    }

    void aGoneRuleModelCoversNothing()
    {
        CheckReportModel report;
        report.setOutput(output);
        report.setRuleModel(m_rules.get());
        QVERIFY(m_rules->stopChecking(QStringLiteral("/etc")));
        QSignalSpy changed(&report, &QAbstractItemModel::dataChanged);

        m_rules.reset();

        QCOMPARE(report.ruleModel(), nullptr);
        QCOMPARE(coveredRows(report), QStringList());
        QCOMPARE(changed.size(), 1);
    }

private:
    std::unique_ptr<FakeListing> m_listing;
    std::unique_ptr<IntegrityFileSystemModel> m_rules;
};

QTEST_MAIN(CheckReportCoverageTest)

#include "checkreportcoveragetest.moc"

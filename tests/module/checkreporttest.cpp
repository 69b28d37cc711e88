// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "checkreport.h"
#include "checkreportmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace
{
// Entries as "kind objectType path [name:old>new ...]" so rows read as text.
QStringList describe(const CheckReport &report)
{
    static const char *const kinds[] = {"new", "deleted", "changed"};
    QStringList described;
    for (const CheckReport::Entry &entry : report.entries()) {
        QString text = QLatin1String(kinds[entry.kind]) + QLatin1Char(' ') + entry.objectType + QLatin1Char(' ') + entry.path;
        for (const CheckReport::AttributeChange &change : entry.changes) {
            text += QStringLiteral(" [%1:%2>%3]").arg(change.name, change.oldValue, change.newValue);
        }
        described.append(text);
    }
    return described;
}

const QString longPath = QStringLiteral("/srv") + QStringLiteral("/a-rather-long-directory-name").repeated(40) + QStringLiteral("/file");

const QString realShaped = QStringLiteral(
    "# Afick (3.8.0) compare at 2026/12/07 08:57:12 with options (/etc/afick.conf):\n"
    "# database:=/var/lib/afick/afick\n"
    "changed file : /etc/passwd\n"
    "\tmd5                      : 5b2d0f8a1c7e0c6f3e1d9c3a0b7e4f21\t9c1a7e55d04e3b2f6a8c0d1e2f3a4b5c\n"
    "\tfilesize                 : 1843\t1901\n"
    "new file : /etc/sudoers.d/90-temporary\n"
    "deleted file : /etc/cron.d/old job\n"
    "changed directory : /etc/sudoers.d\n"
    "\tmtime                    : Mon Dec  7 08:00:00 2026\tMon Dec  7 08:50:00 2026\n"
    "new directory : /var/lib/app : data\n"
    "WARNING: (control) /etc/missing does not exist\n"
    "# #################### summary of changes ####################\n"
    "# Hash database : 48213 files scanned, 5 changed (new : 2; delete : 1; changed : 2; dangling : 0)\n"
    "# new : 2\n"
    "# a summary line without figures\n");
}

class CheckReportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("unknownLines");
        QTest::addColumn<QStringList>("totals");

        QTest::newRow("all-three-kinds-blanks-colons-and-summary")
            << realShaped
            << QStringList{"changed file /etc/passwd [md5:5b2d0f8a1c7e0c6f3e1d9c3a0b7e4f21>9c1a7e55d04e3b2f6a8c0d1e2f3a4b5c] [filesize:1843>1901]",
                           "new file /etc/sudoers.d/90-temporary",
                           "deleted file /etc/cron.d/old job",
                           "changed directory /etc/sudoers.d [mtime:Mon Dec  7 08:00:00 2026>Mon Dec  7 08:50:00 2026]",
                           "new directory /var/lib/app : data"}
            << QStringList{"# Afick (3.8.0) compare at 2026/12/07 08:57:12 with options (/etc/afick.conf):",
                           "# database:=/var/lib/afick/afick",
                           "WARNING: (control) /etc/missing does not exist",
                           "# a summary line without figures"}
            << QStringList{"changed=2", "dangling=0", "delete=1", "hash database=48213", "new=2"};
        QTest::newRow("long-path") << QStringLiteral("deleted file : %1\n").arg(longPath) << QStringList{"deleted file " + longPath} << QStringList()
                                   << QStringList();
        QTest::newRow("values-split-by-blanks-without-tab")
            << QStringLiteral("changed file : /etc/hosts\n    mtime : Mon Dec 7 2026 Tue Dec 8 2026\n    inode : 12 13\n    acl : odd\n")
            << QStringList{"changed file /etc/hosts [mtime:Mon Dec 7 2026>Tue Dec 8 2026] [inode:12>13] [acl:odd>]"} << QStringList() << QStringList();
        QTest::newRow("attribute-line-before-any-entry-is-kept")
            << QStringLiteral("\tmd5 : a b\r\nnew file : /x\r\n") << QStringList{"new file /x"} << QStringList{"\tmd5 : a b"} << QStringList();
        QTest::newRow("plain-totals-line") << QStringLiteral("# summary\nnew: 3, deleted: 1, changed: 2\n") << QStringList() << QStringList()
                                           << QStringList{"changed=2", "deleted=1", "new=3"};
        QTest::newRow("figures-outside-the-summary-are-unknown") << QStringLiteral("new: 3\n") << QStringList() << QStringList{"new: 3"} << QStringList();
        QTest::newRow("empty-result") << QString() << QStringList() << QStringList() << QStringList();
        QTest::newRow("helper-failure-description") << QStringLiteral(
            "Script /usr/sbin/tirvane-int-check finished with code 1.\nFullInformation:\nnew file : /etc/x\n\n")
                                                    << QStringList{"new file /etc/x"}
                                                    << QStringList{"Script /usr/sbin/tirvane-int-check finished with code 1.", "FullInformation:"}
                                                    << QStringList();
    }

    void parse()
    {
        QFETCH(QString, output);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, unknownLines);
        QFETCH(QStringList, totals);

        const CheckReport report = CheckReport::parse(output);
        QCOMPARE(describe(report), entries);
        QCOMPARE(report.unknownLines(), unknownLines);
        QStringList figures;
        for (auto it = report.totals().cbegin(); it != report.totals().cend(); ++it) {
            figures.append(it.key() + QLatin1Char('=') + QString::number(it.value()));
        }
        QCOMPARE(figures, totals);
    }

    void modelGroupsByKindWithCounts()
    {
        CheckReportModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(&model, &CheckReportModel::reportChanged);
        model.setOutput(realShaped);
        QCOMPARE(changed.count(), 1);

        QStringList rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex index = model.index(row, 0);
            rows.append(index.data(CheckReportModel::SectionRole).toString() + QLatin1Char(' ') + index.data(CheckReportModel::KindRole).toString()
                        + QLatin1Char(' ') + index.data(CheckReportModel::PathRole).toString());
        }
        QCOMPARE(rows,
                 (QStringList{"New (2) new /etc/sudoers.d/90-temporary",
                              "New (2) new /var/lib/app : data",
                              "Deleted (1) deleted /etc/cron.d/old job",
                              "Changed (2) changed /etc/passwd",
                              "Changed (2) changed /etc/sudoers.d"}));
        const QVariantList changes = model.index(3, 0).data(CheckReportModel::ChangesRole).toList();
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.at(1).toMap(), (QVariantMap{{"name", "filesize"}, {"oldValue", "1843"}, {"newValue", "1901"}}));
        QCOMPARE(model.summaryText(), QStringLiteral("New: 2, deleted: 1, changed: 2."));
        QCOMPARE(model.output(), realShaped);

        model.setOutput(QString());
        QCOMPARE(model.rowCount(), 0);
    }

    void summaryOfAReportWithoutEntries_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("summary");

        QTest::newRow("empty-output") << QString() << "Nothing changed.";
        QTest::newRow("only-afick-comments") << "# Afick (3.8.0) compare\n# summary\n# new : 0\n"
                                             << "Nothing changed.";
        QTest::newRow("unreadable-line-is-not-waved-away") << "Fichier modifié : /etc/passwd\n"
                                                           << "No change was recognized in the output; see the details.";
    }

    void summaryOfAReportWithoutEntries()
    {
        QFETCH(QString, output);
        QFETCH(QString, summary);
        CheckReportModel model;
        model.setOutput(output);
        QCOMPARE(model.summaryText(), summary);
    }
};

QTEST_GUILESS_MAIN(CheckReportTest)

#include "checkreporttest.moc"

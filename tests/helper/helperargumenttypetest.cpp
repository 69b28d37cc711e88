// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integritysecurityhelper.h"

#include <KLocalizedString>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Every argument must hold exactly its protocol type: a converted value
// ("no" as true, "" as a one-line configuration) would steer root.
class HelperArgumentTypeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        KLocalizedString::setLanguages({QStringLiteral("en_US")});
    }

    void wrongTypeIsRefusedByName_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");

        QTest::newRow("read-path-number") << "read"
                                          << "path" << QVariant(5);
        QTest::newRow("write-path-list") << "write"
                                         << "path" << QVariant(QStringList{QStringLiteral("/etc/afick.conf")});
        QTest::newRow("write-config-empty-string") << "write"
                                                   << "config" << QVariant(QString());
        QTest::newRow("write-raw-config-string") << "write"
                                                 << "rawConfig" << QVariant(QStringLiteral("/etc p\n"));
        QTest::newRow("rollback-path-bytes") << "rollback"
                                             << "path" << QVariant(QByteArray("/etc/afick.conf"));
        QTest::newRow("list-path-bytes") << "list"
                                         << "path" << QVariant(QByteArray("/"));
        QTest::newRow("list-name-filters-string") << "list"
                                                  << "nameFilters" << QVariant(QStringLiteral("*"));
        QTest::newRow("list-filters-string") << "list"
                                             << "filters" << QVariant(QStringLiteral("all"));
        QTest::newRow("list-sort-long") << "list"
                                        << "sort" << QVariant(qlonglong(0));
        QTest::newRow("service-flag-string-no") << "service"
                                                << "isEnabled" << QVariant(QStringLiteral("no"));
        QTest::newRow("service-flag-number") << "service"
                                             << "isEnabled" << QVariant(1);
        QTest::newRow("rename-path-number") << "rename"
                                            << "path" << QVariant(1);
        QTest::newRow("rename-old-name-list") << "rename"
                                              << "oldName" << QVariant(QStringList{QStringLiteral("a.sh")});
        QTest::newRow("rename-new-name-bytes") << "rename"
                                               << "newName" << QVariant(QByteArray("a.sh.disabled"));
    }

    void wrongTypeIsRefusedByName()
    {
        QFETCH(QString, action);
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        // The other arguments are right, and the path is one the helper
        // refuses: had the type slipped through, nothing real is touched and
        // the reply names the path instead.
        QTemporaryDir dir;
        QVariantMap args{{QStringLiteral("path"), dir.filePath(QStringLiteral("afick.conf"))}};
        if (action == QLatin1String("write")) {
            args.insert(QStringLiteral("config"), QStringList{QStringLiteral("/etc p")});
        } else if (action == QLatin1String("rename")) {
            args.insert(QStringLiteral("oldName"), QStringLiteral("a.sh"));
            args.insert(QStringLiteral("newName"), QStringLiteral("a.sh.disabled"));
        } else if (action == QLatin1String("service")) {
            args.clear();
        }
        args.insert(key, value);

        IntegritySecurityHelper helper;
        KAuth::ActionReply reply;
        if (action == QLatin1String("read")) {
            reply = helper.readafickconfig(args);
        } else if (action == QLatin1String("write")) {
            reply = helper.writeafickconfig(args);
        } else if (action == QLatin1String("rollback")) {
            reply = helper.rollbackconfig(args);
        } else if (action == QLatin1String("list")) {
            reply = helper.entryinfolist(args);
        } else if (action == QLatin1String("service")) {
            reply = helper.enableservicemethod(args);
        } else {
            reply = helper.enablefailurescriptmethod(args);
        }

        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), QStringLiteral("The helper refuses the request: the argument \"%1\" has the wrong type.").arg(key));
        QVERIFY(reply.data().isEmpty());
        QVERIFY(QDir(dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(HelperArgumentTypeTest)

#include "helperargumenttypetest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integritysecurityhelper.h"

#include <KLocalizedString>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{
const QString Conf = QStringLiteral("/etc/afick.conf");
const QString FailureScripts = QStringLiteral("/etc/tirvane-integrity/failure.d");

QMap<QString, QByteArray> contentsOf(const QString &directory)
{
    QMap<QString, QByteArray> contents;
    const QStringList names = QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        QFile file(QDir(directory).filePath(name));
        file.open(QIODevice::ReadOnly);
        contents.insert(name, file.readAll());
    }
    return contents;
}
}

// The authorization the administrator gave covers the helper's own files
// only: any other "path" is refused before anything is touched.
class HelperPathRefusalTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        KLocalizedString::setLanguages({QStringLiteral("en_US")});
    }

    void foreignPathIsRefused_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QVariant>("path");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("own");

        const QString dirConf = QStringLiteral("<dir>/afick.conf");
        for (const QString &action : {QStringLiteral("read"), QStringLiteral("write"), QStringLiteral("rollback")}) {
            const QByteArray prefix = action.toLatin1();
            QTest::addRow("%s-other-file", prefix.constData()) << action << QVariant(dirConf) << dirConf << Conf;
            QTest::addRow("%s-secret-file", prefix.constData()) << action << QVariant(QStringLiteral("/etc/shadow")) << QStringLiteral("/etc/shadow") << Conf;
            QTest::addRow("%s-same-file-by-another-name", prefix.constData())
                << action << QVariant(QStringLiteral("/etc/../etc/afick.conf")) << QStringLiteral("/etc/../etc/afick.conf") << Conf;
            QTest::addRow("%s-own-path-cut-by-nul", prefix.constData())
                << action << QVariant(Conf + QChar() + QStringLiteral("x")) << QString(Conf + QChar() + QStringLiteral("x")) << Conf;
            QTest::addRow("%s-empty-path", prefix.constData()) << action << QVariant(QString()) << QString() << Conf;
        }
        // The refused path is logged too: a request must not flood the log.
        const QString longPath = QLatin1Char('/') + QString(400, QLatin1Char('x'));
        QTest::newRow("read-long-path-cut-short") << QStringLiteral("read") << QVariant(longPath) << QString(longPath.left(256) + QChar(0x2026)) << Conf;
        QTest::newRow("rename-other-directory") << QStringLiteral("rename") << QVariant(QStringLiteral("<dir>")) << QStringLiteral("<dir>") << FailureScripts;
        QTest::newRow("rename-system-directory") << QStringLiteral("rename") << QVariant(QStringLiteral("/etc/pam.d")) << QStringLiteral("/etc/pam.d")
                                                 << FailureScripts;
        QTest::newRow("rename-own-directory-with-trailing-slash")
            << QStringLiteral("rename") << QVariant(FailureScripts + QLatin1Char('/')) << QString(FailureScripts + QLatin1Char('/')) << FailureScripts;
    }

    void foreignPathIsRefused()
    {
        QFETCH(QString, action);
        QFETCH(QVariant, path);
        QFETCH(QString, refused);
        QFETCH(QString, own);
        QTemporaryDir dir;
        path = path.toString().replace(QStringLiteral("<dir>"), dir.path());
        refused.replace(QStringLiteral("<dir>"), dir.path());
        for (const QString &name : {QStringLiteral("afick.conf"), QStringLiteral("afick.conf.old"), QStringLiteral("a.sh")}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name.toUtf8());
        }
        const QMap<QString, QByteArray> before = contentsOf(dir.path());

        IntegritySecurityHelper helper;
        KAuth::ActionReply reply;
        if (action == QLatin1String("read")) {
            reply = helper.readafickconfig({{QStringLiteral("path"), path}});
        } else if (action == QLatin1String("write")) {
            reply = helper.writeafickconfig({{QStringLiteral("path"), path}, {QStringLiteral("config"), QStringList{QStringLiteral("/etc p")}}});
        } else if (action == QLatin1String("rollback")) {
            reply = helper.rollbackconfig({{QStringLiteral("path"), path}});
        } else {
            reply = helper.enablefailurescriptmethod(
                {{QStringLiteral("path"), path}, {QStringLiteral("oldName"), QStringLiteral("a.sh")}, {QStringLiteral("newName"), QStringLiteral("b.sh")}});
        }

        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), QStringLiteral("The helper refuses \"%1\": this action works only on \"%2\".").arg(refused, own));
        QVERIFY(reply.data().isEmpty());
        QCOMPARE(contentsOf(dir.path()), before);
    }
};

QTEST_GUILESS_MAIN(HelperPathRefusalTest)

#include "helperpathrefusaltest.moc"

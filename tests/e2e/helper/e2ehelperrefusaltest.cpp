// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Every action refused by polkit, outright or for want of an administrator's
// password: the client sees error 4 with no text and nothing changes, on disk,
// in systemd or in the scripts, even for a request that would change things.

#include "e2eenvironment.h"

#include <KAuth/ActionReply>

#include <QTest>

namespace
{
const QString Conf = QStringLiteral("/etc/afick.conf");
const QString Backup = QStringLiteral("/etc/afick.conf.old");
const QString FailureScripts = QStringLiteral("/etc/tirvane-integrity/failure.d");
const QString Unit = QStringLiteral("tirvane-int-check.service");
const QStringList Scripts{QStringLiteral("/usr/sbin/tirvane-create-int-db"), QStringLiteral("/usr/sbin/tirvane-int-check")};
constexpr int TimeoutMs = 20000;
}

class E2eHelperRefusalTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void refusalChangesNothing_data();
    void refusalChangesNothing();

private:
    E2eEnvironment m_env;
};

void E2eHelperRefusalTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
}

void E2eHelperRefusalTest::init()
{
    QVERIFY(m_env.reset());
    QVERIFY(m_env.writeFile(Conf, "current\n"));
    QVERIFY(m_env.writeFile(Backup, "backup\n"));
    QVERIFY(m_env.writeFile(FailureScripts + QStringLiteral("/mail.sh"), "#!/bin/sh\n", 0755));
    QVERIFY(m_env.makeDirectory(QStringLiteral("/etc/trustwatch-e2e-secret"), 0700));
    QVERIFY(m_env.writeFile(QStringLiteral("/etc/trustwatch-e2e-secret/key"), "key\n"));
}

void E2eHelperRefusalTest::refusalChangesNothing_data()
{
    QTest::addColumn<E2eEnvironment::Verdict>("verdict");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QVariantMap>("arguments");

    const QList<std::pair<QString, QVariantMap>> requests = {
        {QStringLiteral("readafickconfig"), {}},
        {QStringLiteral("writeafickconfig"), {{QStringLiteral("config"), QStringList{QStringLiteral("changed")}}}},
        {QStringLiteral("rollbackconfig"), {}},
        {QStringLiteral("entryinfolist"), {{QStringLiteral("path"), QStringLiteral("/etc/trustwatch-e2e-secret")}}},
        {QStringLiteral("initializeafickdatabasemethod"), {}},
        {QStringLiteral("checkintegritymethod"), {}},
        {QStringLiteral("enableservicemethod"), {{QStringLiteral("isEnabled"), true}}},
        {QStringLiteral("enablefailurescriptmethod"),
         {{QStringLiteral("oldName"), QStringLiteral("mail.sh")}, {QStringLiteral("newName"), QStringLiteral("mail.sh.disabled")}}},
    };
    for (const auto &[action, arguments] : requests) {
        QTest::addRow("%s-refused-by-no", qPrintable(action)) << E2eEnvironment::Verdict::No << action << arguments;
        QTest::addRow("%s-refused-without-administrator", qPrintable(action)) << E2eEnvironment::Verdict::AuthAdmin << action << arguments;
    }
}

void E2eHelperRefusalTest::refusalChangesNothing()
{
    QFETCH(E2eEnvironment::Verdict, verdict);
    QFETCH(QString, action);
    QFETCH(QVariantMap, arguments);

    const E2eFileStatus confBefore = m_env.fileStatus(Conf);
    const E2eFileStatus backupBefore = m_env.fileStatus(Backup);
    const QStringList etcBefore = m_env.listDirectory(QStringLiteral("/etc"));
    // Only this action is refused: the others stay allowed meanwhile.
    QVERIFY(m_env.setActionVerdict(action, verdict));

    const E2eActionResult result = E2eEnvironment::runAction(action, arguments, TimeoutMs);
    QCOMPARE(result.error, int(KAuth::ActionReply::AuthorizationDeniedError));
    QCOMPARE(result.errorString, QString());
    QVERIFY(result.data.isEmpty());

    const E2eFileStatus confAfter = m_env.fileStatus(Conf);
    QCOMPARE(confAfter.content, confBefore.content);
    QCOMPARE(confAfter.inode, confBefore.inode);
    QCOMPARE(confAfter.mode, confBefore.mode);
    const E2eFileStatus backupAfter = m_env.fileStatus(Backup);
    QCOMPARE(backupAfter.content, backupBefore.content);
    QCOMPARE(backupAfter.inode, backupBefore.inode);
    QCOMPARE(m_env.listDirectory(QStringLiteral("/etc")), etcBefore);
    QCOMPARE(m_env.listDirectory(FailureScripts), QStringList{QStringLiteral("mail.sh")});
    QCOMPARE(m_env.unitFileState(Unit), QStringLiteral("disabled"));
    QVERIFY(m_env.systemdCalls().isEmpty());
    for (const QString &script : Scripts) {
        QVERIFY(m_env.scriptLog(script).isEmpty());
    }

    // The same request goes through once polkit allows it.
    QVERIFY(m_env.setActionVerdict(action, E2eEnvironment::Verdict::Yes));
    const E2eActionResult allowed = E2eEnvironment::runAction(action, arguments, TimeoutMs);
    QVERIFY2(allowed.succeeded(), qPrintable(allowed.describe()));
}

QTEST_GUILESS_MAIN(E2eHelperRefusalTest)

#include "e2ehelperrefusaltest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "failurescriptshelper.h"

#include "e2eenvironment.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace
{
const QString scriptsDirectory = QStringLiteral("/etc/tirvane-integrity/failure.d");
// Only a guard against a reply that never comes; a normal one takes well under a second.
constexpr int replyTimeoutMs = 30000;

QString scriptPath(const QString &name)
{
    return scriptsDirectory + QLatin1Char('/') + name;
}
}

// The real failure-scripts directory (root's, readable by everyone), renamed
// through the real helper.
class FailureScriptsHelperE2eTest : public QObject
{
    Q_OBJECT

private:
    E2eEnvironment m_env;

    bool addScripts(const QStringList &names)
    {
        for (const QString &name : names) {
            if (!m_env.writeFile(scriptPath(name), "#!/bin/sh\n", 0755)) {
                return false;
            }
        }
        return true;
    }

    static QStringList scriptsOf(const FailureScriptsHelper &helper)
    {
        return helper.property("scripts").toStringList();
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

    void listing()
    {
        QVERIFY(addScripts({QStringLiteral("report.sh"), QStringLiteral("mail.sh.disabled"), QStringLiteral("README"), QStringLiteral(".hook.sh")}));
        QVERIFY(m_env.makeDirectory(scriptPath(QStringLiteral("old"))));

        FailureScriptsHelper helper;
        QCOMPARE(scriptsOf(helper), (QStringList{QStringLiteral("README"), QStringLiteral("mail.sh.disabled"), QStringLiteral("report.sh")}));
        QCOMPARE(helper.scriptsPath(), scriptsDirectory);
    }

    void missingDirectoryGivesEmptyList()
    {
        QVERIFY(m_env.removePath(scriptsDirectory));
        FailureScriptsHelper helper;
        QCOMPARE(scriptsOf(helper), QStringList());
    }

    void renaming_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("renamed");

        QTest::newRow("switched-off-gains-disabled-suffix") << QStringLiteral("report.sh") << false << QStringLiteral("report.sh.disabled");
        QTest::newRow("switched-on-loses-disabled-suffix") << QStringLiteral("report.sh.disabled") << true << QStringLiteral("report.sh");
        QTest::newRow("only-the-last-disabled-suffix-goes") << QStringLiteral("a.sh.disabled.sh.disabled") << true << QStringLiteral("a.sh.disabled.sh");
    }

    void renaming()
    {
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        QFETCH(QString, renamed);

        QVERIFY(addScripts({name, QStringLiteral("other.sh")}));
        FailureScriptsHelper helper;
        QSignalSpy switched(&helper, &FailureScriptsHelper::scriptEnableChanged);
        QSignalSpy listed(&helper, &FailureScriptsHelper::filesChanged);
        helper.enableScript(name, enabled);

        QTRY_COMPARE_WITH_TIMEOUT(switched.count(), 1, replyTimeoutMs);
        QCOMPARE(switched.constFirst(), (QVariantList{name, enabled}));
        QStringList expected{renamed, QStringLiteral("other.sh")};
        expected.sort();
        QCOMPARE(m_env.listDirectory(scriptsDirectory), expected);
        // The watcher lists the renamed directory by itself.
        QTRY_COMPARE_WITH_TIMEOUT(scriptsOf(helper), expected, replyTimeoutMs);
        QVERIFY(!listed.isEmpty());
    }

    void failedRenameReportsTheFormerState_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<E2eEnvironment::Verdict>("verdict");

        QTest::newRow("refused-by-polkit") << QStringList{QStringLiteral("a.sh")} << E2eEnvironment::Verdict::No;
        QTest::newRow("no-administrator-to-authenticate") << QStringList{QStringLiteral("a.sh")} << E2eEnvironment::Verdict::AuthAdmin;
        QTest::newRow("new-name-already-taken") << QStringList{QStringLiteral("a.sh"), QStringLiteral("a.sh.disabled")} << E2eEnvironment::Verdict::Yes;
    }

    void failedRenameReportsTheFormerState()
    {
        QFETCH(QStringList, present);
        QFETCH(E2eEnvironment::Verdict, verdict);

        QVERIFY(addScripts(present));
        QVERIFY(m_env.setActionVerdict(QStringLiteral("enablefailurescriptmethod"), verdict));
        FailureScriptsHelper helper;
        QSignalSpy switched(&helper, &FailureScriptsHelper::scriptEnableChanged);
        helper.enableScript(QStringLiteral("a.sh"), false);

        QTRY_COMPARE_WITH_TIMEOUT(switched.count(), 1, replyTimeoutMs);
        QCOMPARE(switched.constFirst(), (QVariantList{QStringLiteral("a.sh"), true}));
        QCOMPARE(m_env.listDirectory(scriptsDirectory), present);
    }

    void severalRenamesPendingAtOnce()
    {
        QVERIFY(addScripts({QStringLiteral("a.sh"), QStringLiteral("b.sh.disabled")}));
        FailureScriptsHelper helper;
        QSignalSpy switched(&helper, &FailureScriptsHelper::scriptEnableChanged);
        helper.enableScript(QStringLiteral("a.sh"), false);
        helper.enableScript(QStringLiteral("b.sh.disabled"), true);

        QTRY_COMPARE_WITH_TIMEOUT(switched.count(), 2, replyTimeoutMs);
        QCOMPARE(switched.at(0), (QVariantList{QStringLiteral("a.sh"), false}));
        QCOMPARE(switched.at(1), (QVariantList{QStringLiteral("b.sh.disabled"), true}));
        QCOMPARE(m_env.listDirectory(scriptsDirectory), (QStringList{QStringLiteral("a.sh.disabled"), QStringLiteral("b.sh")}));
    }

    // The reply to a rename arrives after its object has gone: it must be
    // dropped without touching the object (AddressSanitizer watches).
    void destroyedWithARenamePending()
    {
        QVERIFY(addScripts({QStringLiteral("a.sh"), QStringLiteral("b.sh")}));
        auto doomed = std::make_unique<FailureScriptsHelper>();
        doomed->enableScript(QStringLiteral("a.sh"), false);
        doomed.reset();

        FailureScriptsHelper survivor;
        QSignalSpy switched(&survivor, &FailureScriptsHelper::scriptEnableChanged);
        survivor.enableScript(QStringLiteral("b.sh"), false);
        QTRY_COMPARE_WITH_TIMEOUT(switched.count(), 1, replyTimeoutMs);
        QCOMPARE(switched.constFirst(), (QVariantList{QStringLiteral("b.sh"), false}));
        // The request itself was made: only its reply was dropped.
        QCOMPARE(m_env.listDirectory(scriptsDirectory), (QStringList{QStringLiteral("a.sh.disabled"), QStringLiteral("b.sh.disabled")}));
    }
};

QTEST_GUILESS_MAIN(FailureScriptsHelperE2eTest)

#include "failurescriptshelpere2etest.moc"

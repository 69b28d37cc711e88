// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "servicehelper.h"

#include "e2eenvironment.h"

#include <QSignalSpy>
#include <QTest>

namespace
{
const QString unit = QStringLiteral("tirvane-int-check.service");
// Only a guard against a signal that never comes.
constexpr int replyTimeoutMs = 30000;
}

// The switch against the stand-in systemd, switched through the real helper.
class ServiceHelperE2eTest : public QObject
{
    Q_OBJECT

private:
    E2eEnvironment m_env;

    QStringList switchCalls() const
    {
        return m_env.systemdCalls().filter(QStringLiteral("UnitFiles("));
    }

    static bool lastReported(const QSignalSpy &spy)
    {
        return spy.constLast().constFirst().toBool();
    }

    int stateReads() const
    {
        return m_env.systemdCalls().filter(QStringLiteral("GetUnitFileState(")).size();
    }

    // A new object asks for the state without waiting and reports the answer.
    static bool firstReadReported(ServiceHelper &helper)
    {
        QSignalSpy changed(&helper, &ServiceHelper::enableChanged);
        return changed.wait(replyTimeoutMs);
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

    void reading_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("enabled");

        QTest::newRow("enabled-reads-true") << QStringLiteral("enabled") << true;
        QTest::newRow("disabled-reads-false") << QStringLiteral("disabled") << false;
        QTest::newRow("enabled-runtime-reads-false") << QStringLiteral("enabled-runtime") << false;
        QTest::newRow("static-reads-false") << QStringLiteral("static") << false;
        QTest::newRow("masked-reads-false") << QStringLiteral("masked") << false;
        QTest::newRow("other-case-reads-false") << QStringLiteral("Enabled") << false;
        QTest::newRow("unknown-unit-reads-false") << QString() << false;
    }

    void reading()
    {
        QFETCH(QString, state);
        QFETCH(bool, enabled);

        QVERIFY(m_env.setUnitFileState(unit, state));
        ServiceHelper helper;
        QVERIFY(firstReadReported(helper));
        QCOMPARE(helper.property("isEnable").toBool(), enabled);
    }

    // A page binds the property in several places and reads it on every repaint.
    void readingThePropertyDoesNotAskSystemd()
    {
        QVERIFY(m_env.setUnitFileState(unit, QStringLiteral("enabled")));
        ServiceHelper helper;
        QVERIFY(firstReadReported(helper));
        const int reads = stateReads();
        for (int i = 0; i < 3; ++i) {
            QVERIFY(helper.property("isEnable").toBool());
        }
        QCOMPARE(stateReads(), reads);
    }

    void constructionSubscribes()
    {
        ServiceHelper helper;
        QVERIFY(m_env.systemdCalls().contains(QStringLiteral("Subscribe()")));
    }

    void readingWhenSystemdFailsGivesFalse()
    {
        QVERIFY(m_env.setUnitFileState(unit, QStringLiteral("enabled")));
        QVERIFY(m_env.setSystemdFailure(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), QStringLiteral("no")));
        ServiceHelper helper;
        QVERIFY(firstReadReported(helper));
        QCOMPARE(helper.isEnable(), false);
    }

    void readingFollowsAnnouncedChanges()
    {
        ServiceHelper helper;
        QVERIFY(firstReadReported(helper));
        QCOMPARE(helper.isEnable(), false);
        QVERIFY(m_env.setUnitFileState(unit, QStringLiteral("enabled")));
        QTRY_VERIFY_WITH_TIMEOUT(helper.isEnable(), replyTimeoutMs);
    }

    void switching_data()
    {
        QTest::addColumn<QString>("initialState");
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QString>("call");

        QTest::newRow("switching-on-enables-the-unit-file")
            << QStringLiteral("disabled") << true << QStringLiteral("EnableUnitFiles([tirvane-int-check.service], runtime=false, force=true)");
        QTest::newRow("switching-off-disables-the-unit-file")
            << QStringLiteral("enabled") << false << QStringLiteral("DisableUnitFiles([tirvane-int-check.service], runtime=false)");
    }

    void switching()
    {
        QFETCH(QString, initialState);
        QFETCH(bool, enable);
        QFETCH(QString, call);

        QVERIFY(m_env.setUnitFileState(unit, initialState));
        ServiceHelper helper;
        QVERIFY(firstReadReported(helper));
        QSignalSpy changed(&helper, &ServiceHelper::enableChanged);
        QVERIFY(helper.setProperty("isEnable", enable));

        QCOMPARE(switchCalls(), QStringList{call});
        // A switch bound to the property shows the new state once the write returns.
        QCOMPARE(helper.isEnable(), enable);
        QCOMPARE(lastReported(changed), enable);
    }

    void changeOfAnotherUnitReportsTheUnchangedState()
    {
        QVERIFY(m_env.setUnitFileState(unit, QStringLiteral("enabled")));
        ServiceHelper helper;
        QVERIFY(firstReadReported(helper));
        QSignalSpy changed(&helper, &ServiceHelper::enableChanged);

        QVERIFY(m_env.setUnitFileState(QStringLiteral("other.service"), QStringLiteral("enabled")));
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, replyTimeoutMs);
        QCOMPARE(lastReported(changed), true);
    }

    void refusedSwitchReportsTheUnchangedState_data()
    {
        QTest::addColumn<E2eEnvironment::Verdict>("verdict");
        QTest::newRow("refused") << E2eEnvironment::Verdict::No;
        QTest::newRow("no-administrator-to-authenticate") << E2eEnvironment::Verdict::AuthAdmin;
    }

    void refusedSwitchReportsTheUnchangedState()
    {
        QFETCH(E2eEnvironment::Verdict, verdict);

        QVERIFY(m_env.setUnitFileState(unit, QStringLiteral("enabled")));
        QVERIFY(m_env.setActionVerdict(QStringLiteral("enableservicemethod"), verdict));
        ServiceHelper helper;
        QVERIFY(firstReadReported(helper));
        QSignalSpy changed(&helper, &ServiceHelper::enableChanged);
        helper.setIsEnable(false);

        QCOMPARE(changed.count(), 1);
        QCOMPARE(lastReported(changed), true);
        QCOMPARE(switchCalls(), QStringList());
        QCOMPARE(m_env.unitFileState(unit), QStringLiteral("enabled"));
    }

    void switchingAnUnknownUnitReportsFalse()
    {
        QVERIFY(m_env.setUnitFileState(unit, QString()));
        ServiceHelper helper;
        QVERIFY(firstReadReported(helper));
        QSignalSpy changed(&helper, &ServiceHelper::enableChanged);
        helper.setIsEnable(true);

        QCOMPARE(changed.count(), 1);
        QCOMPARE(lastReported(changed), false);
        QCOMPARE(m_env.unitFileState(unit), QString());
    }
};

QTEST_GUILESS_MAIN(ServiceHelperE2eTest)

#include "servicehelpere2etest.moc"

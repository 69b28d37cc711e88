// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "servicehelper.h"

#include "privatesystembus.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>

// On a system bus without systemd and without polkit.
class ServiceHelperTest : public QObject
{
    Q_OBJECT

private:
    // What QDBus waits for a reply when the caller sets no timeout.
    static constexpr int busDefaultTimeoutMs = 25000;

    PrivateSystemBus m_bus;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
    }

    void readingWithoutSystemdGivesFalseWithoutWaitingForTheBus()
    {
        const QDeadlineTimer busTimeout(busDefaultTimeoutMs);
        ServiceHelper helper;
        QCOMPARE(helper.isEnable(), false);
        QCOMPARE(helper.property("isEnable").toBool(), false);
        QVERIFY(!busTimeout.hasExpired());
    }

    void failedSwitchReportsTheStateReadAgain_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::newRow("switching-on") << true;
        QTest::newRow("switching-off") << false;
    }

    void failedSwitchReportsTheStateReadAgain()
    {
        QFETCH(bool, enable);

        ServiceHelper helper;
        QSignalSpy changed(&helper, &ServiceHelper::enableChanged);
        // The state asked for when the object was made.
        QVERIFY(changed.wait());
        changed.clear();
        QVERIFY(helper.setProperty("isEnable", enable));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.constFirst().constFirst().toBool(), false);
    }
};

QTEST_GUILESS_MAIN(ServiceHelperTest)

#include "servicehelpertest.moc"

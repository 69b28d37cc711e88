// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "servicehelper.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// A system bus of the test's own on which nobody owns systemd's name and no
// polkit answers, as on a machine without systemd.
class ServiceHelperTest : public QObject
{
    Q_OBJECT

private:
    // What QDBus waits for a reply when the caller sets no timeout.
    static constexpr int busDefaultTimeoutMs = 25000;

    QTemporaryDir m_busDir;
    QProcess m_bus;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_busDir.isValid());
        const QString config = m_busDir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<busconfig><type>system</type><listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
                                  "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
                                  "<allow receive_sender=\"*\"/></policy></busconfig>")
                       .arg(m_busDir.filePath(QStringLiteral("socket")))
                       .toUtf8());
        file.close();

        m_bus.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        QVERIFY(m_bus.waitForStarted());
        QTRY_VERIFY(m_bus.canReadLine());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_bus.readLine().trimmed());
        QVERIFY(QDBusConnection::systemBus().isConnected());
    }

    void cleanupTestCase()
    {
        m_bus.kill();
        m_bus.waitForFinished();
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
        QVERIFY(helper.setProperty("isEnable", enable));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.constFirst().constFirst().toBool(), false);
    }
};

QTEST_GUILESS_MAIN(ServiceHelperTest)

#include "servicehelpertest.moc"

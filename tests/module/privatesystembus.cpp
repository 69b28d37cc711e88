// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "privatesystembus.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QFile>

PrivateSystemBus::~PrivateSystemBus()
{
    m_daemon.kill();
    m_daemon.waitForFinished();
}

bool PrivateSystemBus::start()
{
    if (!m_directory.isValid()) {
        return false;
    }
    const QString config = m_directory.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(QStringLiteral("<busconfig><type>system</type><listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
                              "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
                              "<allow receive_sender=\"*\"/></policy></busconfig>")
                   .arg(m_directory.filePath(QStringLiteral("socket")))
                   .toUtf8());
    file.close();

    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted()) {
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!m_daemon.canReadLine()) {
        if (deadline.hasExpired() || !m_daemon.waitForReadyRead(int(deadline.remainingTime()))) {
            return false;
        }
    }
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_daemon.readLine().trimmed());
    return QDBusConnection::systemBus().isConnected();
}

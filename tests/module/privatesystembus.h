// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QProcess>
#include <QTemporaryDir>

/**
 * A dbus-daemon of the test's own that the test process takes for the
 * system bus: nobody owns systemd's name and no polkit answers, so every
 * request to the helper fails at once, as on a machine without them.
 *
 * start() must come before the process first touches the system bus.
 * (A bus that cannot be reached at all would do as well, but Qt then leaks
 * its half-made connection, which the leak checker reports.)
 */
class PrivateSystemBus
{
public:
    ~PrivateSystemBus();

    /// Starts the bus and points DBUS_SYSTEM_BUS_ADDRESS at it; false when that failed.
    bool start();

private:
    QTemporaryDir m_directory;
    QProcess m_daemon;
};

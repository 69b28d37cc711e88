// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDBusContext>
#include <QObject>

/**
 * Ends the helper the way a crash or an out-of-memory kill would, for tests
 * of what a helper that dies mid-action leaves behind. The test runs as an
 * unprivileged user and cannot signal root's helper itself. Served at
 * "/helper".
 */
class HelperKiller : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "local.trustwatch.e2e.Helper")

public Q_SLOTS:
    // Sends SIGKILL to whoever owns the helper's bus name; the PID it was
    // sent to, or 0 when the helper was not running.
    uint Kill();
};

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "helperkiller.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <cerrno>
#include <cstring>
#include <signal.h>

uint HelperKiller::Kill()
{
    const QDBusReply<uint> owner = connection().interface()->servicePid(QStringLiteral("ru.vantorix.integritysecurityhelper"));
    if (!owner.isValid()) {
        return 0;
    }
    // The helper may end on its own between the two calls; that is no error.
    if (::kill(pid_t(owner.value()), SIGKILL) != 0 && errno != ESRCH) {
        sendErrorReply(QStringLiteral("local.trustwatch.e2e.Error.Failed"), QString::fromLocal8Bit(std::strerror(errno)));
        return 0;
    }
    return owner.value();
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "unitfileswitch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>

KAuth::ActionReply UnitFileSwitch::setEnabled(bool enabled)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.systemd1"),
                                                       QStringLiteral("/org/freedesktop/systemd1"),
                                                       QStringLiteral("org.freedesktop.systemd1.Manager"),
                                                       enabled ? QStringLiteral("EnableUnitFiles") : QStringLiteral("DisableUnitFiles"));
    const QStringList units{QStringLiteral("tirvane-int-check.service")};
    // runtime = false makes the change persistent; force replaces stale links.
    if (enabled) {
        call << units << false << true;
    } else {
        call << units << false;
    }
    const QDBusMessage answer = QDBusConnection::systemBus().call(call);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        return KAuth::ActionReply::DBusErrorReply();
    }
    return KAuth::ActionReply::SuccessReply();
}

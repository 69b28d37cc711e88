// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "unitfileswitch.h"

#include "protocol.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>

KAuth::ActionReply UnitFileSwitch::setEnabled(bool enabled)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Protocol::Systemd::Service,
                                                       Protocol::Systemd::ObjectPath,
                                                       Protocol::Systemd::ManagerInterface,
                                                       enabled ? Protocol::Systemd::EnableUnitFiles : Protocol::Systemd::DisableUnitFiles);
    const QStringList units{Protocol::Systemd::CheckUnit};
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

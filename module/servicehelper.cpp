// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "servicehelper.h"

#include "helperrequest.h"
#include "protocol.h"

#include "kcm_trustwatch_debug.h"
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

namespace
{
QDBusMessage managerCall(const QString &method)
{
    return QDBusMessage::createMethodCall(Protocol::Systemd::Service, Protocol::Systemd::ObjectPath, Protocol::Systemd::ManagerInterface, method);
}
}

ServiceHelper::ServiceHelper(QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    // Without a subscription systemd may not send UnitFilesChanged at all;
    // a failure only means changes are not followed, so it is not reported.
    bus.call(managerCall(Protocol::Systemd::Subscribe));
    if (!bus.connect(Protocol::Systemd::Service,
                     Protocol::Systemd::ObjectPath,
                     Protocol::Systemd::ManagerInterface,
                     Protocol::Systemd::UnitFilesChanged,
                     this,
                     SLOT(onUnitFilesChanged()))) {
        qCWarning(KCM_TRUSTWATCH) << "error connecting to unit file changes via dbus";
    }
}

bool ServiceHelper::isEnable() const
{
    QDBusMessage call = managerCall(Protocol::Systemd::GetUnitFileState);
    call << QString(Protocol::Systemd::CheckUnit);
    const QDBusReply<QString> reply = QDBusConnection::systemBus().call(call);
    return reply.isValid() && reply.value() == Protocol::Systemd::EnabledState;
}

void ServiceHelper::setIsEnable(bool enable)
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::EnableService, {{Protocol::Argument::IsEnabled, enable}});
    // On success systemd announces the new state itself; after a failure a
    // switch bound to the property has to be put back to the real state.
    if (!reply.succeeded()) {
        Q_EMIT enableChanged(isEnable());
    }
}

void ServiceHelper::onUnitFilesChanged()
{
    Q_EMIT enableChanged(isEnable());
}

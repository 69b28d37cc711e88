// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "servicehelper.h"

#include "helperrequest.h"

#include <KLocalizedString>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDebug>

namespace
{
const QString systemdService = QStringLiteral("org.freedesktop.systemd1");
const QString systemdPath = QStringLiteral("/org/freedesktop/systemd1");
const QString systemdInterface = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString unitName = QStringLiteral("tirvane-int-check.service");

QDBusMessage managerCall(const QString &method)
{
    return QDBusMessage::createMethodCall(systemdService, systemdPath, systemdInterface, method);
}
}

ServiceHelper::ServiceHelper(QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    // Without a subscription systemd may not send UnitFilesChanged at all;
    // a failure only means changes are not followed, so it is not reported.
    bus.call(managerCall(QStringLiteral("Subscribe")));
    if (!bus.connect(systemdService, systemdPath, systemdInterface, QStringLiteral("UnitFilesChanged"), this, SLOT(onUnitFilesChanged()))) {
        qWarning().noquote() << i18n("error connecting to unit file changes via dbus");
    }
}

bool ServiceHelper::isEnable() const
{
    QDBusMessage call = managerCall(QStringLiteral("GetUnitFileState"));
    call << unitName;
    const QDBusReply<QString> reply = QDBusConnection::systemBus().call(call);
    return reply.isValid() && reply.value() == QLatin1String("enabled");
}

void ServiceHelper::setIsEnable(bool enable)
{
    const HelperReply reply = HelperRequest::run(QStringLiteral("enableservicemethod"), {{QStringLiteral("isEnabled"), enable}});
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

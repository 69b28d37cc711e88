// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "servicehelper.h"

#include "helperrequest.h"
#include "protocol.h"

#include "kcm_trustwatch_debug.h"
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>

namespace
{
QDBusMessage managerCall(const QString &method)
{
    return QDBusMessage::createMethodCall(Protocol::Systemd::Service, Protocol::Systemd::ObjectPath, Protocol::Systemd::ManagerInterface, method);
}

QDBusMessage stateQuery()
{
    QDBusMessage call = managerCall(Protocol::Systemd::GetUnitFileState);
    call << QString(Protocol::Systemd::CheckUnit);
    return call;
}

// Any error, an unknown unit included, and every state but exactly
// "enabled" count as not enabled.
bool isEnabledState(bool valid, const QString &state)
{
    return valid && state == Protocol::Systemd::EnabledState;
}
}

ServiceHelper::ServiceHelper(QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    // Without a subscription systemd may not send UnitFilesChanged at all;
    // a failure only means changes are not followed, so it is not reported.
    // Nothing here waits for systemd, so that the page opens at once.
    bus.asyncCall(managerCall(Protocol::Systemd::Subscribe));
    if (!bus.connect(Protocol::Systemd::Service,
                     Protocol::Systemd::ObjectPath,
                     Protocol::Systemd::ManagerInterface,
                     Protocol::Systemd::UnitFilesChanged,
                     this,
                     SLOT(onUnitFilesChanged()))) {
        qCWarning(KCM_TRUSTWATCH) << "error connecting to unit file changes via dbus";
    }
    startReading();
}

bool ServiceHelper::isEnable() const
{
    return m_enabled;
}

void ServiceHelper::setIsEnable(bool enable)
{
    const HelperReply reply = HelperRequest::run(Protocol::Action::EnableService, {{Protocol::Argument::IsEnabled, enable}});
    // Whatever the outcome, a switch bound to the property must show the
    // real state as soon as this returns: after a failure it goes back, after
    // a success it stays. Reads still on their way are older than this one.
    ++m_reads;
    const QDBusReply<QString> state = QDBusConnection::systemBus().call(stateQuery());
    const bool enabled = isEnabledState(state.isValid(), state.value());
    if (!reply.succeeded() || enabled != m_enabled) {
        report(enabled);
    }
}

void ServiceHelper::onUnitFilesChanged()
{
    startReading();
}

void ServiceHelper::startReading()
{
    const quint64 read = ++m_reads;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(stateQuery()), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, read] {
        watcher->deleteLater();
        if (read != m_reads) {
            return;
        }
        const QDBusPendingReply<QString> state = *watcher;
        report(isEnabledState(state.isValid(), state.value()));
    });
}

void ServiceHelper::report(bool enabled)
{
    m_enabled = enabled;
    Q_EMIT enableChanged(enabled);
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Runs as root on the end-to-end system bus: owns "org.freedesktop.systemd1"
// for SystemdManager and "local.trustwatch.e2e" for the test's controls.

#include "fileagent.h"
#include "helperkiller.h"
#include "systemdcontrol.h"
#include "systemdmanager.h"

#include <QCoreApplication>
#include <QDBusConnection>

namespace
{
bool own(QDBusConnection &bus, const QString &name)
{
    if (bus.registerService(name)) {
        return true;
    }
    qCritical("trustwatch-e2e-standin: cannot own %s: %s", qPrintable(name), qPrintable(bus.lastError().message()));
    return false;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    UnitFileChange::registerMetaType();

    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCritical("trustwatch-e2e-standin: no system bus: %s", qPrintable(bus.lastError().message()));
        return 1;
    }

    SystemdManager manager;
    SystemdControl control(&manager);
    FileAgent files;
    HelperKiller helperKiller;
    const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals;
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/systemd1"), &manager, exported)
        || !bus.registerObject(QStringLiteral("/systemd"), &control, QDBusConnection::ExportAllSlots)
        || !bus.registerObject(QStringLiteral("/files"), &files, QDBusConnection::ExportAllSlots)
        || !bus.registerObject(QStringLiteral("/helper"), &helperKiller, QDBusConnection::ExportAllSlots)) {
        qCritical("trustwatch-e2e-standin: cannot register its objects");
        return 1;
    }
    // The names come last: whoever waits for them finds every object ready.
    if (!own(bus, QStringLiteral("local.trustwatch.e2e")) || !own(bus, QStringLiteral("org.freedesktop.systemd1"))) {
        return 1;
    }
    return app.exec();
}

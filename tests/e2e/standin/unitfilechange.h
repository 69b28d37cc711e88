// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

class QDBusArgument;

/**
 * One entry of the "a(sss)" change list that systemd's EnableUnitFiles and
 * DisableUnitFiles answer with: what was done, to which link, pointing where.
 */
struct UnitFileChange {
    QString type;
    QString fileName;
    QString destination;

    static void registerMetaType();
};

QDBusArgument &operator<<(QDBusArgument &argument, const UnitFileChange &change);
const QDBusArgument &operator>>(const QDBusArgument &argument, UnitFileChange &change);

Q_DECLARE_METATYPE(UnitFileChange)
Q_DECLARE_METATYPE(QList<UnitFileChange>)

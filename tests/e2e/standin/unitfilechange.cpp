// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "unitfilechange.h"

#include <QDBusArgument>
#include <QDBusMetaType>

void UnitFileChange::registerMetaType()
{
    qDBusRegisterMetaType<UnitFileChange>();
    qDBusRegisterMetaType<QList<UnitFileChange>>();
}

QDBusArgument &operator<<(QDBusArgument &argument, const UnitFileChange &change)
{
    argument.beginStructure();
    argument << change.type << change.fileName << change.destination;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, UnitFileChange &change)
{
    argument.beginStructure();
    argument >> change.type >> change.fileName >> change.destination;
    argument.endStructure();
    return argument;
}

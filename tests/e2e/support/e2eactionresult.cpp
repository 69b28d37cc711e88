// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2eactionresult.h"

#include <QStringList>

bool E2eActionResult::succeeded() const
{
    return error == 0;
}

QString E2eActionResult::describe() const
{
    QStringList keys;
    for (auto it = data.cbegin(); it != data.cend(); ++it) {
        keys.append(it.key());
    }
    return QStringLiteral("error %1 \"%2\" data {%3}").arg(error).arg(errorString, keys.join(QStringLiteral(", ")));
}

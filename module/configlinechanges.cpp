// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "configlinechanges.h"

#include <QHash>

namespace
{
// The lines of @p lines not matched by an occurrence in @p others.
QStringList unmatched(const QStringList &lines, const QStringList &others)
{
    QHash<QString, int> available;
    available.reserve(others.size());
    for (const QString &line : others) {
        ++available[line];
    }
    QStringList result;
    for (const QString &line : lines) {
        auto it = available.find(line);
        if (it != available.end() && it.value() > 0) {
            --it.value();
        } else {
            result.append(line);
        }
    }
    return result;
}
}

ConfigLineChanges ConfigLineChanges::between(const QStringList &before, const QStringList &after)
{
    return ConfigLineChanges{unmatched(before, after), unmatched(after, before)};
}

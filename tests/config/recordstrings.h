// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickrecords.h"

#include <QTest>

// Records as one readable string each, "prefix|path|a,b" and "name|a,b",
// so that expectations can be written as text and failures show the values.

inline QString describe(const AfickRule &rule)
{
    return rule.prefix + QLatin1Char('|') + rule.path + QLatin1Char('|') + rule.attributes.join(QLatin1Char(','));
}

inline QString describe(const AfickAlias &alias)
{
    return alias.name + QLatin1Char('|') + alias.attributes.join(QLatin1Char(','));
}

template<typename Map>
QStringList describe(const Map &records)
{
    QStringList described;
    for (const auto &record : records) {
        described.append(describe(record));
    }
    return described;
}

/// The records of @p records with the line each one came from, "...@index".
template<typename Map>
QStringList describeWithLines(const Map &records, const LineIndexMap &lines)
{
    QStringList described;
    for (auto it = records.cbegin(); it != records.cend(); ++it) {
        described.append(describe(it.value()) + QLatin1Char('@') + QString::number(lines.value(it.key(), -1)));
    }
    return described;
}

inline char *toString(const AfickRule &rule)
{
    return QTest::toString(describe(rule));
}

inline char *toString(const AfickAlias &alias)
{
    return QTest::toString(describe(alias));
}

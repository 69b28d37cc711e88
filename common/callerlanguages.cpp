// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "callerlanguages.h"

#include <algorithm>

namespace
{
bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isNameCharacter(QChar c)
{
    return isAsciiLetter(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('.')
        || c == QLatin1Char('-');
}
}

QString CallerLanguages::argumentKey()
{
    return QStringLiteral("languages");
}

bool CallerLanguages::isValidName(const QString &name)
{
    // A letter first rules out "." and "..", which would climb out of the
    // locale directory when the name becomes part of a catalogue path.
    if (name.isEmpty() || name.size() > MaximumNameLength || !isAsciiLetter(name.front())) {
        return false;
    }
    return std::all_of(name.cbegin(), name.cend(), isNameCharacter);
}

QStringList CallerLanguages::forRequest(const QStringList &languages)
{
    QStringList names;
    for (const QString &language : languages) {
        if (names.size() == MaximumCount) {
            break;
        }
        if (isValidName(language) && !names.contains(language)) {
            names.append(language);
        }
    }
    return names;
}

QStringList CallerLanguages::fromArguments(const QVariantMap &arguments)
{
    const QVariant value = arguments.value(argumentKey());
    // Strictly the type the plug-in sends: QVariant would happily turn a
    // single string or a list of anything into a string list.
    if (value.userType() != QMetaType::QStringList) {
        return {};
    }
    const QStringList names = value.toStringList();
    if (names.isEmpty() || names.size() > MaximumCount || !std::all_of(names.cbegin(), names.cend(), isValidName)) {
        return {};
    }
    return names;
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

/**
 * The user's interface languages as they travel with every request to the
 * helper, so that the helper's messages reach the user in the user's language.
 *
 * The system bus starts the helper with a cleared environment and KAuth
 * passes nothing of the caller's locale, so the helper cannot find out the
 * language by itself: the plug-in attaches its own list to each request.
 *
 * The helper runs as root and the names end up in catalogue paths and in the
 * LANGUAGE variable, so it takes the list only when every name is a short
 * plain locale name (a letter first, then letters, digits and "_@.-"; no
 * separators, no path elements) and the list is short; anything else is
 * ignored as a whole and the helper answers in English.
 */
class CallerLanguages
{
public:
    static constexpr int MaximumCount = 16;
    static constexpr int MaximumNameLength = 32;

    /// The argument under which the list travels: a QStringList, best first.
    static QString argumentKey();

    static bool isValidName(const QString &name);

    /// What the plug-in sends: the valid names in order, each once, at most
    /// MaximumCount of them.
    static QStringList forRequest(const QStringList &languages);

    /// What the helper uses: the list from the arguments when it is a string
    /// list of 1 to MaximumCount valid names, otherwise an empty list.
    static QStringList fromArguments(const QVariantMap &arguments);
};

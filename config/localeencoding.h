// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

/**
 * Text in the encoding of the locale, the one afick and the administrator's
 * editor use for the configuration file.
 *
 * Qt 6 moved the codecs this needs out of its core, so they are reached
 * only through here. A byte-order mark is text like any other: neither
 * dropped when decoding nor added when encoding.
 */
class LocaleEncoding
{
public:
    /// @p bytes as text; @p valid tells whether every byte belonged to the encoding.
    static QString decode(const QByteArray &bytes, bool *valid);
    /// @p text as bytes; false when a character has no representation.
    static bool encode(const QString &text, QByteArray *bytes);
    /// The encoding's name, for messages.
    static QString name();
};

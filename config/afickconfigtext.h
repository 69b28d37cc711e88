// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

/// One line of the configuration file: its bytes as read, and its text.
struct AfickConfigLine {
    /// The line's bytes without the terminator.
    QByteArray bytes;
    /// "\n", "\r\n", or nothing for a last line without one.
    QByteArray terminator;
    QString text;
    /// False when the bytes were not valid in the locale's encoding: the
    /// text then holds each byte as one character, so that an edited line
    /// is encoded back into the very bytes of everything not edited.
    bool localeEncoded = true;
};

/**
 * The configuration file as lines of bytes.
 *
 * Administrators keep comments and paths in whatever encoding their hosts
 * used (KOI8-R, CP1251, Latin-1) and lines ended as their editors ended them.
 * Decoding the whole file in the locale's encoding would turn every byte that
 * is not valid in it into U+FFFD on the next save; so every line keeps its
 * bytes, and only an edited line is encoded again, in its own line's encoding.
 */
class AfickConfigText
{
public:
    /// Splits @p content after each line feed; a UTF-8 byte-order mark is set aside.
    static AfickConfigText fromBytes(const QByteArray &content);
    /// Lines as an older helper sends them: in the locale's encoding, each ended by a line feed.
    static AfickConfigText fromLines(const QStringList &lines);

    const QVector<AfickConfigLine> &lines() const;
    QStringList texts() const;
    /// The terminator new lines get: that of the file's first terminated line.
    QByteArray newLineTerminator() const;
    QByteArray byteOrderMark() const;

    /// @p text in the locale's encoding, or each character as one byte when
    /// not @p localeEncoded; false when @p text cannot be represented so.
    static bool encode(const QString &text, bool localeEncoded, QByteArray *bytes);
    /// The name of the encoding @p localeEncoded stands for, for messages.
    static QString encodingName(bool localeEncoded);

private:
    static AfickConfigLine decode(const QByteArray &bytes, const QByteArray &terminator);

    QVector<AfickConfigLine> m_lines;
    QByteArray m_byteOrderMark;
};

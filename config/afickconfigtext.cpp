// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickconfigtext.h"

#include "localeencoding.h"

namespace
{
const QByteArray Utf8ByteOrderMark("\xEF\xBB\xBF");
const QByteArray LineFeed("\n");
const QByteArray CrLf("\r\n");

bool encodeInLocale(const QString &text, QByteArray *bytes)
{
    // A character the encoding lacks becomes a substitute, which would read
    // back as another text.
    bool valid = false;
    return LocaleEncoding::encode(text, bytes) && LocaleEncoding::decode(*bytes, &valid) == text && valid;
}
}

AfickConfigText AfickConfigText::fromBytes(const QByteArray &content)
{
    AfickConfigText text;
    int start = 0;
    if (content.startsWith(Utf8ByteOrderMark)) {
        text.m_byteOrderMark = Utf8ByteOrderMark;
        start = Utf8ByteOrderMark.size();
    }
    while (start < content.size()) {
        const int lineFeed = content.indexOf('\n', start);
        if (lineFeed < 0) {
            text.m_lines.append(decode(content.mid(start), QByteArray()));
            break;
        }
        const bool crLf = lineFeed > start && content.at(lineFeed - 1) == '\r';
        const int end = crLf ? lineFeed - 1 : lineFeed;
        text.m_lines.append(decode(content.mid(start, end - start), crLf ? CrLf : LineFeed));
        start = lineFeed + 1;
    }
    return text;
}

AfickConfigText AfickConfigText::fromLines(const QStringList &lines)
{
    AfickConfigText text;
    text.m_lines.reserve(lines.size());
    for (const QString &line : lines) {
        AfickConfigLine configLine;
        configLine.text = line;
        configLine.terminator = LineFeed;
        configLine.localeEncoded = encode(line, true, &configLine.bytes);
        if (!configLine.localeEncoded) {
            // Only a caller's text that the locale cannot hold gets here; it
            // is written back as UTF-8 rather than lost.
            configLine.bytes = line.toUtf8();
            configLine.localeEncoded = true;
        }
        text.m_lines.append(configLine);
    }
    return text;
}

AfickConfigLine AfickConfigText::decode(const QByteArray &bytes, const QByteArray &terminator)
{
    AfickConfigLine line;
    line.bytes = bytes;
    line.terminator = terminator;
    bool valid = false;
    line.text = LocaleEncoding::decode(bytes, &valid);
    QByteArray encoded;
    if (!valid || !encodeInLocale(line.text, &encoded) || encoded != bytes) {
        line.text = QString::fromLatin1(bytes);
        line.localeEncoded = false;
    }
    return line;
}

const QVector<AfickConfigLine> &AfickConfigText::lines() const
{
    return m_lines;
}

QStringList AfickConfigText::texts() const
{
    QStringList texts;
    texts.reserve(m_lines.size());
    for (const AfickConfigLine &line : m_lines) {
        texts.append(line.text);
    }
    return texts;
}

QByteArray AfickConfigText::newLineTerminator() const
{
    for (const AfickConfigLine &line : m_lines) {
        if (!line.terminator.isEmpty()) {
            return line.terminator;
        }
    }
    return LineFeed;
}

QByteArray AfickConfigText::byteOrderMark() const
{
    return m_byteOrderMark;
}

bool AfickConfigText::encode(const QString &text, bool localeEncoded, QByteArray *bytes)
{
    if (localeEncoded) {
        return encodeInLocale(text, bytes);
    }
    for (const QChar character : text) {
        if (character.unicode() > 0xff) {
            return false;
        }
    }
    *bytes = text.toLatin1();
    return true;
}

QString AfickConfigText::encodingName(bool localeEncoded)
{
    return localeEncoded ? LocaleEncoding::name() : QStringLiteral("ISO-8859-1");
}

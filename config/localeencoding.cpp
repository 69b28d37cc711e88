// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "localeencoding.h"

#include <QTextCodec>

QString LocaleEncoding::decode(const QByteArray &bytes, bool *valid)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = QTextCodec::codecForLocale()->toUnicode(bytes.constData(), bytes.size(), &state);
    *valid = state.invalidChars == 0 && state.remainingChars == 0;
    return text;
}

bool LocaleEncoding::encode(const QString &text, QByteArray *bytes)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    *bytes = QTextCodec::codecForLocale()->fromUnicode(text.constData(), text.size(), &state);
    return state.invalidChars == 0;
}

QString LocaleEncoding::name()
{
    return QString::fromLatin1(QTextCodec::codecForLocale()->name());
}

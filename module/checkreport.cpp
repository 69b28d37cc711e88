// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "checkreport.h"

#include <QRegularExpression>

namespace
{
// "changed file : PATH"; the path is everything after the first " : ", so
// it may hold blanks and colons of its own.
const QRegularExpression &entryPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(new|deleted|delete|changed)\\s+([A-Za-z_]+)\\s+:\\s(.+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// An indented "ATTRIBUTE : OLD NEW".
const QRegularExpression &attributePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^\\s+([A-Za-z0-9_]+)\\s*:\\s?(.*)$"));
    return pattern;
}

// "new : 3", "delete: 1" and the like, alone on a line or several in one.
const QRegularExpression &figurePattern()
{
    static const QRegularExpression pattern(QStringLiteral("([A-Za-z_][A-Za-z_ ]*?)\\s*:\\s*(\\d+)\\b"));
    return pattern;
}

CheckReport::Entry::Kind kindOf(const QString &word)
{
    const QString lower = word.toLower();
    if (lower == QLatin1String("new")) {
        return CheckReport::Entry::New;
    }
    if (lower == QLatin1String("changed")) {
        return CheckReport::Entry::Changed;
    }
    return CheckReport::Entry::Deleted;
}

// afick puts a tab between the old and the new value; values such as dates
// hold blanks. Without a tab, the values are split in the middle of their words.
CheckReport::AttributeChange changeOf(const QString &name, const QString &values)
{
    const int tab = values.indexOf(QLatin1Char('\t'));
    if (tab >= 0) {
        return {name, values.left(tab).trimmed(), values.mid(tab + 1).trimmed()};
    }
    const QStringList words = values.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() % 2 == 0) {
        const int half = words.size() / 2;
        return {name, words.mid(0, half).join(QLatin1Char(' ')), words.mid(half).join(QLatin1Char(' '))};
    }
    return {name, values.trimmed(), QString()};
}
}

CheckReport CheckReport::parse(const QString &output)
{
    CheckReport report;
    bool inSummary = false;
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        if (line.trimmed().isEmpty()) {
            continue;
        }
        const QRegularExpressionMatch entry = entryPattern().match(line);
        if (entry.hasMatch()) {
            report.m_entries.append(Entry{kindOf(entry.captured(1)), entry.captured(2), entry.captured(3), {}});
            continue;
        }
        const QRegularExpressionMatch attribute = attributePattern().match(line);
        if (attribute.hasMatch() && !report.m_entries.isEmpty() && !inSummary) {
            report.m_entries.last().changes.append(changeOf(attribute.captured(1), attribute.captured(2)));
            continue;
        }
        const QString trimmed = line.trimmed();
        if (!inSummary && trimmed.startsWith(QLatin1Char('#')) && trimmed.contains(QLatin1String("summary"), Qt::CaseInsensitive)) {
            inSummary = true;
            continue;
        }
        if (inSummary) {
            bool anyFigure = false;
            QRegularExpressionMatchIterator figures = figurePattern().globalMatch(trimmed);
            while (figures.hasNext()) {
                const QRegularExpressionMatch figure = figures.next();
                report.m_totals.insert(figure.captured(1).trimmed().toLower(), figure.captured(2).toLongLong());
                anyFigure = true;
            }
            if (anyFigure) {
                continue;
            }
        }
        report.m_unknownLines.append(line);
    }
    return report;
}

const QVector<CheckReport::Entry> &CheckReport::entries() const
{
    return m_entries;
}

const QMap<QString, qint64> &CheckReport::totals() const
{
    return m_totals;
}

const QStringList &CheckReport::unknownLines() const
{
    return m_unknownLines;
}

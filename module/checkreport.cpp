// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "checkreport.h"

#include <algorithm>

namespace
{
const QLatin1String WarningPrefix("WARNING:");
const QLatin1String ClosingLinePrefix("Hash database");

bool kindOf(const QString &word, CheckReport::Entry::Kind &kind)
{
    if (word.compare(QLatin1String("new"), Qt::CaseInsensitive) == 0) {
        kind = CheckReport::Entry::New;
    } else if (word.compare(QLatin1String("changed"), Qt::CaseInsensitive) == 0) {
        kind = CheckReport::Entry::Changed;
    } else if (word.compare(QLatin1String("deleted"), Qt::CaseInsensitive) == 0 || word.compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0) {
        kind = CheckReport::Entry::Deleted;
    } else {
        return false;
    }
    return true;
}

bool isObjectWord(const QString &word)
{
    return !word.isEmpty() && std::all_of(word.cbegin(), word.cend(), [](QChar c) {
        return c.isLetter() || c == QLatin1Char('_');
    });
}

// "48806 files scanned" or "new : 0": the number and the words beside it.
void addFigure(const QString &number, const QString &name, QMap<QString, qint64> &totals)
{
    bool ok = false;
    const qint64 value = number.trimmed().toLongLong(&ok);
    if (ok && !name.trimmed().isEmpty()) {
        totals.insert(name.trimmed(), value);
    }
}
}

CheckReport CheckReport::parse(const QString &output)
{
    CheckReport report;
    report.addOutput(output);
    report.finish();
    return report;
}

CheckReport::Delta CheckReport::addOutput(const QString &chunk)
{
    Delta delta;
    delta.firstNewEntry = m_entries.size();
    // Only the new piece can hold a line break the last call has not seen.
    int from = m_pending.size();
    m_pending.append(chunk);
    int start = 0;
    for (int end = m_pending.indexOf(QLatin1Char('\n'), from); end >= 0; end = m_pending.indexOf(QLatin1Char('\n'), start)) {
        readLine(m_pending.mid(start, end - start), delta);
        start = end + 1;
    }
    m_pending.remove(0, start);
    return delta;
}

CheckReport::Delta CheckReport::finish()
{
    Delta delta;
    delta.firstNewEntry = m_entries.size();
    if (!m_pending.isEmpty()) {
        readLine(m_pending, delta);
        m_pending.clear();
    }
    m_current = -1;
    return delta;
}

void CheckReport::readLine(QString line, Delta &delta)
{
    if (line.endsWith(QLatin1Char('\r'))) {
        line.chop(1);
    }
    if (readDetail(line, delta) || readFinding(line)) {
        return;
    }
    // Detail lines follow their finding directly.
    m_current = -1;
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty()) {
        return;
    }
    if (line.startsWith(WarningPrefix)) {
        m_warnings.append(line.mid(WarningPrefix.size()).trimmed());
        delta.otherLinesChanged = true;
        return;
    }
    if (trimmed.startsWith(QLatin1Char('#'))) {
        // The header, the directives in force, the section headings and the
        // database's hash say nothing a user acts on; the closing figures do.
        const QString comment = trimmed.mid(1).trimmed();
        if (comment.startsWith(ClosingLinePrefix) && comment.contains(QLatin1Char(':'))) {
            readClosingLine(comment);
            delta.otherLinesChanged = true;
        }
        return;
    }
    m_unknownLines.append(line);
    delta.otherLinesChanged = true;
}

// "changed file : PATH"; the path is everything after the first " : ", so
// it may hold blanks and colons of its own.
bool CheckReport::readFinding(const QString &line)
{
    const int separator = line.indexOf(QLatin1String(" : "));
    if (separator <= 0 || line.at(0).isSpace()) {
        return false;
    }
    const QStringList words = line.left(separator).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    Entry::Kind kind;
    if (words.size() != 2 || !kindOf(words.at(0), kind) || !isObjectWord(words.at(1))) {
        return false;
    }
    const QString path = line.mid(separator + 3);
    if (path.isEmpty()) {
        return false;
    }
    for (auto it = m_entriesByPath.constFind(path); it != m_entriesByPath.cend() && it.key() == path; ++it) {
        const Entry &known = m_entries.at(it.value());
        if (known.kind == kind && known.objectType == words.at(1)) {
            m_current = it.value();
            return true;
        }
    }
    m_current = m_entries.size();
    m_entries.append(Entry{kind, words.at(1), path, {}, {}});
    m_entriesByPath.insert(path, m_current);
    return true;
}

// TAB, NAME, TAB, TAB, " : ", OLD, TAB, NEW; a single value has no TAB.
bool CheckReport::readDetail(const QString &line, Delta &delta)
{
    if (m_current < 0 || line.isEmpty() || !line.at(0).isSpace()) {
        return false;
    }
    int at = 0;
    while (at < line.size() && line.at(at).isSpace()) {
        ++at;
    }
    const int nameStart = at;
    while (at < line.size() && !line.at(at).isSpace() && line.at(at) != QLatin1Char(':')) {
        ++at;
    }
    const QString name = line.mid(nameStart, at - nameStart);
    while (at < line.size() && line.at(at).isSpace()) {
        ++at;
    }
    if (name.isEmpty() || at >= line.size() || line.at(at) != QLatin1Char(':')) {
        return false;
    }
    ++at;
    if (at < line.size() && line.at(at) == QLatin1Char(' ')) {
        ++at;
    }
    const QString values = line.mid(at);
    Entry &entry = m_entries[m_current];
    const int tab = values.indexOf(QLatin1Char('\t'));
    if (tab >= 0) {
        entry.changes.append({name, values.left(tab).trimmed(), values.mid(tab + 1).trimmed()});
    } else {
        entry.values.append({name, values.trimmed()});
    }
    if (m_current < delta.firstNewEntry && (delta.detailedEntries.isEmpty() || delta.detailedEntries.constLast() != m_current)) {
        delta.detailedEntries.append(m_current);
    }
    return true;
}

// "Hash database : 48806 files scanned, 1 changed (new : 0; delete : 0; changed : 1; ...)"
void CheckReport::readClosingLine(const QString &text)
{
    m_hasClosingLine = true;
    const int colon = text.indexOf(QLatin1Char(':'));
    const int open = text.indexOf(QLatin1Char('('), colon);
    const int close = open < 0 ? -1 : text.indexOf(QLatin1Char(')'), open);
    const QString counted = text.mid(colon + 1, open < 0 ? -1 : open - colon - 1);
    for (const QString &item : counted.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString figure = item.trimmed();
        const int blank = figure.indexOf(QLatin1Char(' '));
        if (blank < 0) {
            continue;
        }
        const QString words = figure.mid(blank + 1).trimmed();
        // "changed" here counts every change; the one in parentheses counts changed files.
        const QString name = words == QLatin1String("changed") ? QStringLiteral("changes")
            : words.endsWith(QLatin1String("scanned"))         ? QStringLiteral("scanned")
                                                               : words;
        addFigure(figure.left(blank), name, m_totals);
    }
    if (close < 0) {
        return;
    }
    const QString figures = text.mid(open + 1, close - open - 1);
    for (const QString &item : figures.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int separator = item.indexOf(QLatin1Char(':'));
        if (separator > 0) {
            addFigure(item.mid(separator + 1), item.left(separator), m_totals);
        }
    }
}

const QVector<CheckReport::Entry> &CheckReport::entries() const
{
    return m_entries;
}

const QMap<QString, qint64> &CheckReport::totals() const
{
    return m_totals;
}

bool CheckReport::hasClosingLine() const
{
    return m_hasClosingLine;
}

const QStringList &CheckReport::warnings() const
{
    return m_warnings;
}

const QStringList &CheckReport::unknownLines() const
{
    return m_unknownLines;
}

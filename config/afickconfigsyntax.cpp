// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickconfigsyntax.h"

#include <algorithm>

namespace
{
const QChar Plus(QLatin1Char('+'));
const QChar Minus(QLatin1Char('-'));
const QChar Blank(QLatin1Char(' '));
const QLatin1String Exclusion("!");
const QChar Quote(QLatin1Char('"'));

bool isPrefix(QChar character)
{
    return character == QLatin1Char('!') || character == QLatin1Char('=');
}

// Characters that end a name: operators, the alias sign, a second prefix, a
// path, a comment.
bool isNameCharacter(QChar character)
{
    return !character.isSpace() && !QStringLiteral("+-=!/#").contains(character);
}

bool isName(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), isNameCharacter);
}

// Blanks may stand around operators but not between two terms; empty terms
// between two "+" are dropped, as they always were, while a "-" must be
// followed by the term it removes.
bool readTerms(const QString &expression, QStringList *terms)
{
    QString term;
    QChar sign = Plus;
    bool blankAfterTerm = false;
    const auto endTerm = [&] {
        if (!term.isEmpty()) {
            terms->append(sign == Minus ? Minus + term : term);
            term.clear();
            return true;
        }
        return sign != Minus;
    };
    for (const QChar character : expression) {
        if (character == Blank) {
            blankAfterTerm = !term.isEmpty();
        } else if (character == Plus || character == Minus) {
            if (!endTerm()) {
                return false;
            }
            sign = character;
            blankAfterTerm = false;
        } else if (!isNameCharacter(character) || blankAfterTerm) {
            return false;
        } else {
            term += character;
        }
    }
    return endTerm();
}

AfickConfigSyntax::LineReading readAlias(const QString &name, const QString &expression)
{
    AfickConfigSyntax::LineReading reading;
    QStringList terms;
    if (!isName(name) || !readTerms(expression, &terms) || terms.isEmpty()) {
        reading.kind = AfickConfigSyntax::LineReading::WrongAlias;
        return reading;
    }
    reading.kind = AfickConfigSyntax::LineReading::Alias;
    reading.alias = AfickAlias{name, terms};
    return reading;
}

int skipBlanks(const QString &text, int at)
{
    while (at < text.size() && text.at(at).isSpace()) {
        ++at;
    }
    return at;
}

// A directory may be written with a trailing slash; it is the same
// directory, and one rule of its own.
QString withoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    return path;
}

// Read from the line as written, not simplified: a quoted path keeps its blanks.
AfickConfigSyntax::LineReading readRule(const QString &text)
{
    AfickConfigSyntax::LineReading reading;
    reading.kind = AfickConfigSyntax::LineReading::WrongRule;
    QString prefix;
    int at = 0;
    if (isPrefix(text.at(0))) {
        prefix = text.left(1);
        at = skipBlanks(text, 1);
        // afick's own default file has "! = /dev/scsi p+n", which afick reads
        // as an exclusion of /dev/scsi.
        if (prefix == Exclusion && at < text.size() && text.at(at) == QLatin1Char('=')) {
            at = skipBlanks(text, at + 1);
        }
    }
    QString path;
    int end = at;
    if (at < text.size() && text.at(at) == Quote) {
        end = text.indexOf(Quote, at + 1);
        if (end < 0) {
            return reading;
        }
        path = text.mid(at + 1, end - at - 1);
        ++end;
        // Quotes hold blanks, never a line's end.
        const bool lineBreak = std::any_of(path.cbegin(), path.cend(), [](QChar character) {
            return character.category() == QChar::Other_Control && character != QLatin1Char('\t');
        });
        if (lineBreak || (end < text.size() && !text.at(end).isSpace())) {
            return reading;
        }
    } else {
        while (end < text.size() && !text.at(end).isSpace()) {
            ++end;
        }
        path = text.mid(at, end - at);
    }
    QStringList terms;
    // A further prefix ("= ! /x") leaves no path afick would scan.
    if (path.isEmpty() || isPrefix(path.at(0)) || !readTerms(text.mid(end).simplified(), &terms)) {
        return reading;
    }
    if (terms.isEmpty() && prefix != Exclusion) {
        return reading;
    }
    reading.kind = AfickConfigSyntax::LineReading::Rule;
    reading.rule = AfickRule{prefix, withoutTrailingSlashes(path), terms};
    return reading;
}
}

namespace AfickConfigSyntax
{
LineReading readLine(const QString &line)
{
    const QString simplified = line.simplified();
    if (simplified.isEmpty() || simplified.startsWith(QLatin1Char('#')) || simplified.contains(QLatin1String(":="))
        || simplified.contains(QLatin1String("@@"))) {
        return LineReading();
    }
    // A path may hold "=" ("/a=b c"), an alias name never holds "/" or a quote.
    const int equals = simplified.indexOf(QLatin1Char('='));
    if (equals > 0 && !isPrefix(simplified.at(0)) && !simplified.startsWith(QLatin1Char('/')) && !simplified.startsWith(Quote)) {
        return readAlias(simplified.left(equals).trimmed(), simplified.mid(equals + 1).trimmed());
    }
    return readRule(line.trimmed());
}

QString joinTerms(const QStringList &terms)
{
    QString joined;
    for (const QString &term : terms) {
        if (!joined.isEmpty() && !term.startsWith(Minus)) {
            joined += Plus;
        }
        joined += term;
    }
    return joined;
}

QString formatAliasLine(const AfickAlias &alias)
{
    if (alias.attributes.isEmpty()) {
        return QString();
    }
    return alias.name + QLatin1String(" = ") + joinTerms(alias.attributes);
}

QString formatPath(const QString &path)
{
    const bool blank = std::any_of(path.cbegin(), path.cend(), [](QChar character) {
        return character.isSpace();
    });
    return blank ? Quote + path + Quote : path;
}

QString formatRuleLine(const AfickRule &rule)
{
    if (rule.attributes.isEmpty()) {
        return rule.prefix == Exclusion ? rule.prefix + formatPath(rule.path) : QString();
    }
    return rule.prefix + formatPath(rule.path) + Blank + joinTerms(rule.attributes);
}
}

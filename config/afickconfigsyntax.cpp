// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickconfigsyntax.h"

namespace
{
const QChar Plus(QLatin1Char('+'));
const QChar Minus(QLatin1Char('-'));
const QChar Blank(QLatin1Char(' '));
const QLatin1String Exclusion("!");

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

AfickConfigSyntax::LineReading readRule(QString text)
{
    AfickConfigSyntax::LineReading reading;
    reading.kind = AfickConfigSyntax::LineReading::WrongRule;
    QString prefix;
    if (isPrefix(text.at(0))) {
        prefix = text.left(1);
        text = text.mid(1).trimmed();
    }
    const int blank = text.indexOf(Blank);
    const QString path = text.left(blank);
    QStringList terms;
    // A second prefix ("! = /dev/scsi p+n") leaves no path afick would scan.
    if (path.isEmpty() || isPrefix(path.at(0)) || !readTerms(blank < 0 ? QString() : text.mid(blank + 1), &terms)) {
        return reading;
    }
    if (terms.isEmpty() && prefix != Exclusion) {
        return reading;
    }
    reading.kind = AfickConfigSyntax::LineReading::Rule;
    reading.rule = AfickRule{prefix, path, terms};
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
    // A path may hold "=" ("/a=b c"), an alias name never holds "/".
    const int equals = simplified.indexOf(QLatin1Char('='));
    if (equals > 0 && !isPrefix(simplified.at(0)) && !simplified.startsWith(QLatin1Char('/'))) {
        return readAlias(simplified.left(equals).trimmed(), simplified.mid(equals + 1).trimmed());
    }
    return readRule(simplified);
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

QString formatRuleLine(const AfickRule &rule)
{
    if (rule.attributes.isEmpty()) {
        return rule.prefix == Exclusion ? rule.prefix + rule.path : QString();
    }
    return rule.prefix + rule.path + Blank + joinTerms(rule.attributes);
}
}

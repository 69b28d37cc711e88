// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickvocabulary.h"

#include <KLocalizedString>

#include <QCoreApplication>

#include <utility>

namespace
{
// How a term that removes an attribute is shown: the typographic minus sign.
const QChar MinusSign(0x2212);

struct Tables {
    Tables()
    {
        const std::pair<QString, QString> descriptions[] = {
            {QStringLiteral("a"), i18n("atime")},
            {QStringLiteral("b"), i18n("blocks")},
            {QStringLiteral("c"), i18n("ctime")},
            {QStringLiteral("d"), i18n("device")},
            {QStringLiteral("g"), i18n("group")},
            {QStringLiteral("i"), i18n("inode")},
            {QStringLiteral("m"), i18n("mtime")},
            {QStringLiteral("md5"), i18n("md5 checksum")},
            {QStringLiteral("n"), i18n("number of hard links")},
            {QStringLiteral("p"), i18n("permissions")},
            {QStringLiteral("u"), i18n("user")},
            {QStringLiteral("s"), i18n("file size")},
            {QStringLiteral("sha1"), i18n("sha1 checksum")},
        };
        // The codes are offered in this order too ("u" before "s"). Inserted
        // in this order so that, should two descriptions translate alike, the
        // later code wins the reverse lookup.
        for (const auto &[code, description] : descriptions) {
            choiceNames.append(code);
            codeDescriptions.insert(code, description);
            codesByDescription.insert(description, code);
        }
        choiceNames << QStringLiteral("all") << QStringLiteral("R") << QStringLiteral("L") << QStringLiteral("E");
    }

    QStringList choiceNames;
    QMap<QString, QString> codeDescriptions;
    QMap<QString, QString> codesByDescription;
};

// A function-local static rather than namespace-scope tables: another
// translation unit's static initialiser may look a name up before this one's
// initialisers have run.
const Tables &tables()
{
    static const Tables instance;
    return instance;
}

// Fixes the descriptions in the language active when the library is loaded,
// not in whatever language is active at the first lookup. It runs at once
// when the library is loaded into a running application (the plug-in), and
// from QCoreApplication's constructor when the library is linked into a
// program: gettext translates nothing before the application has set the
// process locale, so building the tables in a static initialiser would fix
// them untranslated.
void buildTables()
{
    tables();
}
}

Q_COREAPP_STARTUP_FUNCTION(buildTables)

namespace AfickVocabulary
{
const QStringList &AttributeChoiceNames()
{
    return tables().choiceNames;
}

const QMap<QString, QString> &AttributeDescriptions()
{
    return tables().codeDescriptions;
}

const QMap<QString, QString> &AttributeCodesByDescription()
{
    return tables().codesByDescription;
}

QString toDescription(const QString &name)
{
    return AttributeDescriptions().value(name, name);
}

QStringList toDescription(const QStringList &names)
{
    QStringList descriptions;
    descriptions.reserve(names.size());
    for (const QString &name : names) {
        descriptions.append(toDescription(name));
    }
    return descriptions;
}

QString toCode(const QString &text)
{
    return AttributeCodesByDescription().value(text, text);
}

QStringList toCode(const QStringList &texts)
{
    QStringList codes;
    codes.reserve(texts.size());
    for (const QString &text : texts) {
        codes.append(toCode(text));
    }
    return codes;
}

QString toShownTerm(const QString &term, bool described)
{
    const bool minus = term.startsWith(QLatin1Char('-'));
    const QString name = minus ? term.mid(1) : term;
    const QString shown = described ? toDescription(name) : name;
    return minus ? MinusSign + shown : shown;
}

QStringList toShownTerms(const QStringList &terms, bool described)
{
    QStringList shown;
    shown.reserve(terms.size());
    for (const QString &term : terms) {
        shown.append(toShownTerm(term, described));
    }
    return shown;
}

QString toStoredTerm(const QString &shown, bool described)
{
    const QString text = shown.trimmed();
    const bool minus = text.startsWith(MinusSign) || text.startsWith(QLatin1Char('-'));
    const QString name = minus ? text.mid(1).trimmed() : text;
    const QString code = described ? toCode(name) : name;
    return minus ? QLatin1Char('-') + code : code;
}
}

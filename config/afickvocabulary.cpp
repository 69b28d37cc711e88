// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickvocabulary.h"

#include <KLocalizedString>

#include <QCoreApplication>
#include <QHash>

#include <utility>

namespace
{
// How a term that removes an attribute is shown: the typographic minus sign.
const QChar MinusSign(0x2212);

struct Tables {
    Tables()
    {
        const std::pair<QString, QString> descriptions[] = {
            {QStringLiteral("a"), i18nc("@item file attribute: time of last access", "atime")},
            {QStringLiteral("b"), i18nc("@item file attribute: number of blocks allocated", "blocks")},
            {QStringLiteral("c"), i18nc("@item file attribute: time of last status change", "ctime")},
            {QStringLiteral("d"), i18nc("@item file attribute: device the file is on", "device")},
            {QStringLiteral("g"), i18nc("@item file attribute: owning group", "group")},
            {QStringLiteral("i"), i18nc("@item file attribute: inode number", "inode")},
            {QStringLiteral("m"), i18nc("@item file attribute: time of last modification", "mtime")},
            {QStringLiteral("md5"), i18nc("@item file attribute", "md5 checksum")},
            {QStringLiteral("n"), i18nc("@item file attribute", "number of hard links")},
            {QStringLiteral("p"), i18nc("@item file attribute: access mode", "permissions")},
            {QStringLiteral("u"), i18nc("@item file attribute: owning user", "user")},
            {QStringLiteral("s"), i18nc("@item file attribute", "file size")},
            {QStringLiteral("sha1"), i18nc("@item file attribute", "sha1 checksum")},
            {QStringLiteral("sha256"), i18nc("@item file attribute", "sha256 checksum")},
            {QStringLiteral("sha512"), i18nc("@item file attribute", "sha512 checksum")},
        };
        // The codes are offered in this order too ("u" before "s"). Inserted
        // in this order so that, should two descriptions translate alike, the
        // later code wins the reverse lookup.
        for (const auto &[code, description] : descriptions) {
            choiceNames.append(code);
            codeDescriptions.insert(code, description);
            codesByDescription.insert(description, code);
        }
        // afick defines these itself; its default file shows them only as comments.
        const QStringList lstat{QStringLiteral("p"), QStringLiteral("d"), QStringLiteral("i"), QStringLiteral("n"), QStringLiteral("u"), QStringLiteral("g")};
        const std::pair<QString, QStringList> sets[] = {
            {QStringLiteral("all"),
             lstat + QStringList{QStringLiteral("s"), QStringLiteral("b"), QStringLiteral("m"), QStringLiteral("c"), QStringLiteral("md5")}},
            {QStringLiteral("R"), lstat + QStringList{QStringLiteral("s"), QStringLiteral("m"), QStringLiteral("c"), QStringLiteral("md5")}},
            {QStringLiteral("L"), lstat},
            {QStringLiteral("P"),
             {QStringLiteral("p"), QStringLiteral("n"), QStringLiteral("u"), QStringLiteral("g"), QStringLiteral("s"), QStringLiteral("md5")}},
            {QStringLiteral("E"), {}},
        };
        for (const auto &[name, codes] : sets) {
            choiceNames.append(name);
            builtInSets.insert(name, codes);
        }
    }

    QStringList choiceNames;
    QHash<QString, QStringList> builtInSets;
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

bool isAttributeCode(const QString &name)
{
    return AttributeDescriptions().contains(name);
}

const QStringList *builtInSet(const QString &name)
{
    const auto set = tables().builtInSets.constFind(name);
    return set == tables().builtInSets.cend() ? nullptr : &set.value();
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

QString toShownTerm(const QString &term, bool described, const QStringList &aliasNames)
{
    const bool minus = term.startsWith(QLatin1Char('-'));
    const QString name = minus ? term.mid(1) : term;
    QString shown = described ? toDescription(name) : name;
    // An alias may be called what an attribute is described as ("user"):
    // the attribute then shows its code too, so that the two never look
    // alike; an alias name holds no blank, so neither form is ever an alias.
    if (shown != name && aliasNames.contains(shown)) {
        shown = i18nc("@item an attribute's description and its code", "%1 (%2)", shown, name);
    }
    return minus ? MinusSign + shown : shown;
}

QStringList toShownTerms(const QStringList &terms, bool described, const QStringList &aliasNames)
{
    QStringList shown;
    shown.reserve(terms.size());
    for (const QString &term : terms) {
        shown.append(toShownTerm(term, described, aliasNames));
    }
    return shown;
}

QString toStoredTerm(const QString &shown, bool described, const QStringList &aliasNames)
{
    const QString text = shown.trimmed();
    const bool minus = text.startsWith(MinusSign) || text.startsWith(QLatin1Char('-'));
    const QString name = minus ? text.mid(1).trimmed() : text;
    QString code = name;
    if (described && !aliasNames.contains(name)) {
        code = toCode(name);
        for (auto it = AttributeDescriptions().cbegin(); code == name && it != AttributeDescriptions().cend(); ++it) {
            if (name == i18nc("@item an attribute's description and its code", "%1 (%2)", it.value(), it.key())) {
                code = it.key();
            }
        }
    }
    return minus ? QLatin1Char('-') + code : code;
}
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickattributecheck.h"

#include "afickconfigfileeditor.h"
#include "afickvocabulary.h"

#include <KLocalizedString>

#include <QSet>

namespace
{
// afick's documented attributes beyond those the editors offer. Generous on
// purpose: refusing a name afick accepts would block every save.
const QSet<QString> &furtherAfickNames()
{
    static const QSet<QString> names{
        QStringLiteral("acl"),
        QStringLiteral("xattr"),
    };
    return names;
}

QString bareName(const QString &name)
{
    return name.startsWith(QLatin1Char('-')) ? name.mid(1) : name;
}

bool isKnown(const QString &name, const AfickAliasMap &aliases)
{
    return AfickAttributeCheck::isAfickName(name) || aliases.contains(bareName(name));
}

// The first name of @p attributes that is unknown now but was not unknown
// in the record as read.
QString newUnknownName(const QStringList &attributes, const AfickAliasMap &aliases, const QStringList &readAttributes, const AfickAliasMap &readAliases)
{
    for (const QString &name : attributes) {
        if (isKnown(name, aliases)) {
            continue;
        }
        if (readAttributes.contains(name) && !isKnown(name, readAliases)) {
            continue;
        }
        return name;
    }
    return QString();
}

QString faultText(const QString &line, const QString &name)
{
    return i18n("The line \"%1\" names \"%2\", which is neither an afick attribute nor a defined alias. Nothing was saved.", line, name);
}
}

namespace AfickAttributeCheck
{
bool isAfickName(const QString &name)
{
    const QString bare = bareName(name);
    return AfickVocabulary::AttributeChoiceNames().contains(bare) || furtherAfickNames().contains(bare);
}

QString problem(const AfickRuleMap &rules, const AfickAliasMap &aliases, const AfickRuleMap &readRules, const AfickAliasMap &readAliases)
{
    for (const AfickAlias &alias : aliases) {
        const QString name = newUnknownName(alias.attributes, aliases, readAliases.value(alias.name).attributes, readAliases);
        if (!name.isEmpty()) {
            return faultText(AfickConfigFileEditor::formatAliasLine(alias), name);
        }
    }
    for (const AfickRule &rule : rules) {
        const QString name = newUnknownName(rule.attributes, aliases, readRules.value(rule.path).attributes, readAliases);
        if (!name.isEmpty()) {
            return faultText(AfickConfigFileEditor::formatRuleLine(rule), name);
        }
    }
    return QString();
}
}

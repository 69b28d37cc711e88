// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickcurrentrule.h"

#include "afickvocabulary.h"

using namespace AfickVocabulary;

AfickCurrentRule *AfickCurrentRule::instance()
{
    // Deliberately never deleted: the user interface holds it as a singleton
    // that must outlive every module object of the process.
    static AfickCurrentRule *const self = new AfickCurrentRule;
    return self;
}

void AfickCurrentRule::assignRule(const AfickRule &rule)
{
    const bool otherPath = m_path != rule.path;
    m_prefix = rule.prefix;
    m_path = rule.path;
    m_attributes = rule.attributes;
    if (otherPath) {
        Q_EMIT pathChanged();
    }
    Q_EMIT ruleChanged();
}

void AfickCurrentRule::setAliasNames(const QStringList &names)
{
    m_aliasNames = names;
    Q_EMIT ruleChanged();
}

AfickRule AfickCurrentRule::rule() const
{
    return AfickRule{m_prefix, m_path, m_attributes};
}

QString AfickCurrentRule::prefix() const
{
    return m_prefix;
}

void AfickCurrentRule::setPrefix(const QString &prefix)
{
    m_prefix = prefix;
    announceEdit();
}

QString AfickCurrentRule::path() const
{
    return m_path;
}

QStringList AfickCurrentRule::attributes() const
{
    return toShownNames(m_attributes);
}

QStringList AfickCurrentRule::unusedAttributes() const
{
    QStringList unused = m_aliasNames + AttributeChoiceNames();
    for (const QString &attribute : m_attributes) {
        unused.removeAll(attribute);
    }
    return toShownNames(unused);
}

bool AfickCurrentRule::showFullNames() const
{
    return m_showFullNames;
}

void AfickCurrentRule::setShowFullNames(bool showFullNames)
{
    m_showFullNames = showFullNames;
    announceEdit();
}

void AfickCurrentRule::addAttribute(const QString &attribute)
{
    const QString code = toStoredName(attribute);
    if (m_attributes.contains(code)) {
        return;
    }
    m_attributes.append(code);
    announceEdit();
}

void AfickCurrentRule::removeAttribute(const QString &attribute)
{
    m_attributes.removeAll(toStoredName(attribute));
    announceEdit();
}

void AfickCurrentRule::announceEdit()
{
    Q_EMIT ruleChanged();
    Q_EMIT attributesChanged();
}

QString AfickCurrentRule::toStoredName(const QString &attribute) const
{
    return toStoredTerm(attribute, m_showFullNames, m_aliasNames);
}

QStringList AfickCurrentRule::toShownNames(const QStringList &names) const
{
    return toShownTerms(names, m_showFullNames, m_aliasNames);
}

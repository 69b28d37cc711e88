// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickcurrentrule.h"

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
    m_attributes.setTerms(rule.attributes);
    if (otherPath) {
        Q_EMIT pathChanged();
    }
    Q_EMIT ruleChanged();
}

void AfickCurrentRule::setAliasNames(const QStringList &names)
{
    m_attributes.setAliasNames(names);
    Q_EMIT ruleChanged();
}

AfickRule AfickCurrentRule::rule() const
{
    return AfickRule{m_prefix, m_path, m_attributes.terms()};
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
    return m_attributes.shown();
}

QStringList AfickCurrentRule::unusedAttributes() const
{
    return m_attributes.unused();
}

bool AfickCurrentRule::showFullNames() const
{
    return m_attributes.showFullNames();
}

void AfickCurrentRule::setShowFullNames(bool showFullNames)
{
    m_attributes.setShowFullNames(showFullNames);
    announceEdit();
}

void AfickCurrentRule::addAttribute(const QString &attribute)
{
    if (m_attributes.add(attribute)) {
        announceEdit();
    }
}

void AfickCurrentRule::removeAttribute(const QString &attribute)
{
    m_attributes.remove(attribute);
    announceEdit();
}

void AfickCurrentRule::announceEdit()
{
    Q_EMIT ruleChanged();
    Q_EMIT attributesChanged();
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickattributeterms.h"

#include "afickvocabulary.h"

using namespace AfickVocabulary;

AfickAttributeTerms::AfickAttributeTerms(const QStringList &terms, const QStringList &aliasNames, bool showFullNames)
    : m_terms(terms)
    , m_aliasNames(aliasNames)
    , m_showFullNames(showFullNames)
{
}

const QStringList &AfickAttributeTerms::terms() const
{
    return m_terms;
}

void AfickAttributeTerms::setTerms(const QStringList &terms)
{
    m_terms = terms;
}

void AfickAttributeTerms::setAliasNames(const QStringList &aliasNames)
{
    m_aliasNames = aliasNames;
}

bool AfickAttributeTerms::showFullNames() const
{
    return m_showFullNames;
}

void AfickAttributeTerms::setShowFullNames(bool showFullNames)
{
    m_showFullNames = showFullNames;
}

QStringList AfickAttributeTerms::shown() const
{
    return toShownTerms(m_terms, m_showFullNames, m_aliasNames);
}

QStringList AfickAttributeTerms::unused(const QStringList &notOffered) const
{
    QStringList unused = m_aliasNames + AttributeChoiceNames();
    for (const QString &name : m_terms + notOffered) {
        unused.removeAll(name);
    }
    return toShownTerms(unused, m_showFullNames, m_aliasNames);
}

bool AfickAttributeTerms::add(const QString &shownName)
{
    // A second copy compares nothing more, and one removal would take both.
    const QString term = termFor(shownName);
    if (m_terms.contains(term)) {
        return false;
    }
    m_terms.append(term);
    return true;
}

void AfickAttributeTerms::remove(const QString &shownName)
{
    m_terms.removeAll(termFor(shownName));
}

QString AfickAttributeTerms::termFor(const QString &shownName) const
{
    // What the list shows comes first: a term that names neither an alias
    // nor an attribute, left behind in the file, is shown as it is, and must
    // still be removable when it reads like a description ("user").
    const QString name = shownName.trimmed();
    for (const QString &term : m_terms) {
        if (toShownTerm(term, m_showFullNames, m_aliasNames) == name) {
            return term;
        }
    }
    // Either form is taken whatever is shown: a name picked while the other
    // form was shown still means what it said.
    return toStoredTerm(name, true, m_aliasNames);
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliaseditor.h"

#include "afickvocabulary.h"

#include <KLocalizedString>

#include <QRegularExpression>

using namespace AfickVocabulary;

AfickAliasEditor *AfickAliasEditor::instance()
{
    // Deliberately never deleted: the user interface holds it as a singleton
    // that must outlive every module object of the process.
    static AfickAliasEditor *const self = new AfickAliasEditor;
    return self;
}

AfickAliasMap &AfickAliasEditor::aliasMap()
{
    return m_aliasMap;
}

void AfickAliasEditor::setAliasMap(const AfickAliasMap &map)
{
    m_aliasMap = map;
    Q_EMIT attributesChanged();
}

QStringList AfickAliasEditor::aliases() const
{
    // The names themselves: the view selects an alias by what it shows.
    return m_aliasMap.keys();
}

bool AfickAliasEditor::showFullNames() const
{
    return m_showFullNames;
}

void AfickAliasEditor::setShowFullNames(bool showFullNames)
{
    m_showFullNames = showFullNames;
    Q_EMIT attributesChanged();
}

QString AfickAliasEditor::currentAlias() const
{
    return m_currentAlias;
}

void AfickAliasEditor::setCurrentAlias(const QString &name)
{
    m_currentAlias = name;
    currentRecord();
    Q_EMIT attributesChanged();
}

void AfickAliasEditor::clearCurrentAlias()
{
    m_currentAlias.clear();
}

QString AfickAliasEditor::newNameProblem(const QString &name) const
{
    // A name that afick would read as part of a rule or of another alias
    // line would break the lines that use it.
    static const QRegularExpression word(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (name.isEmpty()) {
        return i18n("An alias needs a name.");
    }
    if (!word.match(name).hasMatch()) {
        return i18n("A name may hold only letters, digits and underscores, and may not start with a digit.");
    }
    // afick would not know which of the two a rule names.
    if (isAttributeCode(name)) {
        return i18n("\"%1\" is the name of an attribute.", name);
    }
    if (builtInSet(name)) {
        return i18n("\"%1\" is the name of one of afick's built-in attribute sets.", name);
    }
    // Renaming onto an existing alias would silently replace it.
    if (m_aliasMap.contains(name)) {
        return i18n("There is already an alias named \"%1\".", name);
    }
    return QString();
}

QStringList AfickAliasEditor::aliasAttributes() const
{
    return currentTerms().shown();
}

QStringList AfickAliasEditor::unusedAliasAttributes() const
{
    // An alias is no member of itself.
    return currentTerms().unused({m_currentAlias});
}

void AfickAliasEditor::renameCurrentAlias(const QString &name)
{
    // Blanks around a name are no part of it in the file either.
    const QString newName = name.trimmed();
    if (newName == m_currentAlias) {
        return;
    }
    AfickAlias renamed = m_aliasMap.value(m_currentAlias);
    renamed.name = newName;
    m_aliasMap.insert(newName, renamed);
    m_aliasMap.remove(m_currentAlias);
    m_currentAlias = newName;
    Q_EMIT attributesChanged();
}

void AfickAliasEditor::addAliasAttribute(const QString &attribute)
{
    AfickAttributeTerms terms = currentTerms();
    if (!terms.add(attribute)) {
        return;
    }
    currentRecord().attributes = terms.terms();
    Q_EMIT attributesChanged();
}

void AfickAliasEditor::removeAliasAttribute(const QString &attribute)
{
    AfickAttributeTerms terms = currentTerms();
    terms.remove(attribute);
    currentRecord().attributes = terms.terms();
    Q_EMIT attributesChanged();
}

AfickAlias &AfickAliasEditor::currentRecord()
{
    auto it = m_aliasMap.find(m_currentAlias);
    if (it == m_aliasMap.end()) {
        it = m_aliasMap.insert(m_currentAlias, AfickAlias{m_currentAlias, {}});
    }
    return it.value();
}

AfickAttributeTerms AfickAliasEditor::currentTerms() const
{
    return AfickAttributeTerms(m_aliasMap.value(m_currentAlias).attributes, m_aliasMap.keys(), m_showFullNames);
}

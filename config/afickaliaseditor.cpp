// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliaseditor.h"

#include "afickvocabulary.h"

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
    return toDescription(m_aliasMap.keys());
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

QStringList AfickAliasEditor::aliasAttributes() const
{
    return toShownTerms(m_aliasMap.value(m_currentAlias).attributes, m_showFullNames);
}

QStringList AfickAliasEditor::unusedAliasAttributes() const
{
    QStringList unused = m_aliasMap.keys() + AttributeChoiceNames();
    const QStringList attributes = m_aliasMap.value(m_currentAlias).attributes;
    for (const QString &attribute : attributes) {
        unused.removeAll(attribute);
    }
    unused.removeAll(m_currentAlias);
    return m_showFullNames ? toDescription(unused) : unused;
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
    currentRecord().attributes.append(toStoredTerm(attribute, true));
    Q_EMIT attributesChanged();
}

void AfickAliasEditor::removeAliasAttribute(const QString &attribute)
{
    currentRecord().attributes.removeAll(toStoredTerm(attribute, true));
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

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integrityfilesystemmodel.h"

#include "afickcurrentrule.h"

#include <QDir>

IntegrityFileSystemModel::IntegrityFileSystemModel(QObject *parent)
    : PolkitFileSystemModel(parent)
{
    setFilters(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    setRootPath(QStringLiteral("/"));
    loadRuleDirectories();
    connect(&m_configEditor, &AfickConfigFileEditor::initEnd, this, &IntegrityFileSystemModel::onAfickDataChanged);
    connect(AfickCurrentRule::instance(), &AfickCurrentRule::attributesChanged, this, &IntegrityFileSystemModel::onCurrentAttributeChanged);
}

IntegrityFileSystemModel::~IntegrityFileSystemModel() = default;

QVariant IntegrityFileSystemModel::data(const QModelIndex &index, int role) const
{
    switch (role) {
    case IntegrityPrefixRole:
        return m_configEditor.currentRules().value(data(index, FilePathRole).toString()).prefix;
    case IntegrityAttributesRole:
        return m_configEditor.currentRules().value(data(index, FilePathRole).toString()).attributes.join(QLatin1Char('+'));
    case IntegrityElementChangedRole:
        return m_configEditor.isRuleChanged(data(index, FilePathRole).toString());
    default:
        return PolkitFileSystemModel::data(index, role);
    }
}

bool IntegrityFileSystemModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != IntegrityPrefixRole && role != IntegrityAttributesRole) {
        return PolkitFileSystemModel::setData(index, value, role);
    }
    if (index.isValid() && index.model() != this) {
        return false;
    }
    // The invalid index stands for the root item, which has no row to announce.
    writeRuleField(index.isValid() ? data(index, FilePathRole).toString() : QStringLiteral("/"), value, role);
    if (index.isValid()) {
        Q_EMIT dataChanged(index, index, {role, IntegrityElementChangedRole});
    }
    return true;
}

QHash<int, QByteArray> IntegrityFileSystemModel::roleNames() const
{
    static const QHash<int, QByteArray> integrityNames{
        {IntegrityPrefixRole, QByteArrayLiteral("integrityPrefix")},
        {IntegrityAttributesRole, QByteArrayLiteral("integrityAttributes")},
        {IntegrityElementChangedRole, QByteArrayLiteral("integrityElementChanged")},
    };
    QHash<int, QByteArray> names = PolkitFileSystemModel::roleNames();
    for (auto it = integrityNames.cbegin(); it != integrityNames.cend(); ++it) {
        names.insert(it.key(), it.value());
    }
    return names;
}

void IntegrityFileSystemModel::loadDirectory(const QString &path)
{
    const QModelIndex index = indexForPath(path, 0);
    if (index.isValid() && canFetchMore(index)) {
        fetchMore(index);
    }
}

void IntegrityFileSystemModel::setCurrentRule(const QString &path)
{
    AfickRule rule = m_configEditor.currentRules().value(path);
    rule.path = path;
    AfickCurrentRule *currentRule = AfickCurrentRule::instance();
    currentRule->assignRule(rule);
    currentRule->setAliasNames(m_configEditor.currentAliases().keys());
}

AfickConfigFileEditor &IntegrityFileSystemModel::afickConfigEditor()
{
    return m_configEditor;
}

void IntegrityFileSystemModel::reloadConfig()
{
    m_configEditor.loadConfigSync();
    onAfickDataChanged();
}

void IntegrityFileSystemModel::loadRuleDirectories()
{
    // A copy: each listing waits in an event loop, in which a finished
    // asynchronous load may replace the rules.
    const AfickRuleMap rules = m_configEditor.currentRules();
    for (auto it = rules.cbegin(); it != rules.cend(); ++it) {
        QDir directory(it.key());
        directory.cdUp();
        loadDirectory(directory.path());
    }
}

void IntegrityFileSystemModel::onCurrentAttributeChanged()
{
    const AfickRule current = AfickCurrentRule::instance()->rule();
    // Before any path is selected there is no rule to write to.
    if (current.path.isEmpty()) {
        return;
    }
    // By path, not through an index: a path that is not listed has no index,
    // and the invalid index would stand for "/".
    const QModelIndex index = indexForPath(current.path, 0);
    // An empty rule where the file has none is no rule at all. Recording one
    // (the full-names switch, "no prefix", an attribute added and removed
    // again) would count as a change to save although the file would not change.
    if (current.prefix.isEmpty() && current.attributes.isEmpty() && !m_configEditor.parsedRules().contains(current.path)) {
        if (m_configEditor.currentRules().remove(current.path) > 0 && index.isValid()) {
            Q_EMIT dataChanged(index, index, {IntegrityPrefixRole, IntegrityAttributesRole, IntegrityElementChangedRole});
        }
        return;
    }
    const auto write = [&](int role, const QVariant &value) {
        writeRuleField(current.path, value, role);
        if (index.isValid()) {
            Q_EMIT dataChanged(index, index, {role, IntegrityElementChangedRole});
        }
    };
    write(IntegrityPrefixRole, current.prefix);
    write(IntegrityAttributesRole, current.attributes);
}

void IntegrityFileSystemModel::onAfickDataChanged()
{
    // Only the rules changed, not the file system: a reset would collapse
    // every folder of a flattening view and lose its selection.
    announceListedData({IntegrityPrefixRole, IntegrityAttributesRole, IntegrityElementChangedRole});
    loadRuleDirectories();
    Q_EMIT rulesReloaded();
}

void IntegrityFileSystemModel::writeRuleField(const QString &path, const QVariant &value, int role)
{
    AfickRule rule = m_configEditor.currentRules().value(path);
    rule.path = path;
    if (role == IntegrityPrefixRole) {
        rule.prefix = value.toString();
    } else {
        rule.attributes = value.toStringList();
    }
    m_configEditor.setRule(rule);
}

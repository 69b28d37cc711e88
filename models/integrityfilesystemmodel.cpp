// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integrityfilesystemmodel.h"

#include "afickaliaseditor.h"
#include "afickcurrentrule.h"
#include "afickruleedits.h"

#include <QDir>

IntegrityFileSystemModel::IntegrityFileSystemModel(QObject *parent)
    : PolkitFileSystemModel(parent)
{
    setFilters(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    // Listing "/" may wait for an administrator's password: the page that
    // shows the tree must not wait with it. Rules read before its rows
    // arrived could not open their folders then.
    connect(this, &PolkitFileSystemModel::rootPathChanged, this, &IntegrityFileSystemModel::loadRuleDirectories);
    startRootListing(QStringLiteral("/"));
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
        return AfickConfigFileEditor::formatAttributes(m_configEditor.currentRules().value(data(index, FilePathRole).toString()).attributes);
    case IntegrityElementChangedRole:
        return m_configEditor.isRuleChanged(data(index, FilePathRole).toString());
    case EffectiveAttributesRole:
    case EffectiveSourceRole:
    case ExcludedReasonRole:
    case EffectiveStateRole:
        if (!index.isValid()) {
            return scopeData(QStringLiteral("/"), true, role);
        }
        return scopeData(data(index, FilePathRole).toString(), data(index, FileIsDirectoryRole).toBool(), role);
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
    announceScope(index);
    Q_EMIT rulesChanged();
    return true;
}

QHash<int, QByteArray> IntegrityFileSystemModel::roleNames() const
{
    static const QHash<int, QByteArray> integrityNames{
        {IntegrityPrefixRole, QByteArrayLiteral("integrityPrefix")},
        {IntegrityAttributesRole, QByteArrayLiteral("integrityAttributes")},
        {IntegrityElementChangedRole, QByteArrayLiteral("integrityElementChanged")},
        {EffectiveAttributesRole, QByteArrayLiteral("effectiveAttributes")},
        {EffectiveSourceRole, QByteArrayLiteral("effectiveSource")},
        {ExcludedReasonRole, QByteArrayLiteral("excludedReason")},
        {EffectiveStateRole, QByteArrayLiteral("effectiveState")},
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
    // A rule that writes no line where the file has none is no rule at all:
    // only an exclusion needs no attributes. Recording one (the full-names
    // switch, "no prefix" or "=" alone, an attribute added and removed again)
    // would count as a change to save although the file would not change.
    if (current.attributes.isEmpty() && current.prefix != QLatin1String("!") && !m_configEditor.parsedRules().contains(current.path)) {
        if (m_configEditor.currentRules().remove(current.path) > 0 && index.isValid()) {
            Q_EMIT dataChanged(index, index, {IntegrityPrefixRole, IntegrityAttributesRole, IntegrityElementChangedRole});
            announceScope(index);
        }
        Q_EMIT rulesChanged();
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
    if (index.isValid() || current.path == QLatin1String("/")) {
        announceScope(index);
    }
    Q_EMIT rulesChanged();
}

void IntegrityFileSystemModel::onAfickDataChanged()
{
    // Only the rules changed, not the file system: a reset would collapse
    // every folder of a flattening view and lose its selection.
    announceListedData({IntegrityPrefixRole,
                        IntegrityAttributesRole,
                        IntegrityElementChangedRole,
                        EffectiveAttributesRole,
                        EffectiveSourceRole,
                        ExcludedReasonRole,
                        EffectiveStateRole});
    loadRuleDirectories();
    Q_EMIT rulesChanged();
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

const AfickPathScope &IntegrityFileSystemModel::pathScope() const
{
    if (!m_pathScope.rules().isSharedWith(m_configEditor.currentRules())) {
        m_pathScope.setRules(m_configEditor.currentRules());
    }
    if (!m_pathScope.configLines().isSharedWith(m_configEditor.configLines())) {
        m_pathScope.setConfigLines(m_configEditor.configLines());
    }
    return m_pathScope;
}

QVariant IntegrityFileSystemModel::scopeData(const QString &path, bool isDirectory, int role) const
{
    const AfickPathScope::Verdict verdict = pathScope().evaluate(path, isDirectory);
    switch (role) {
    case EffectiveAttributesRole:
        return verdict.kind == AfickPathScope::Verdict::Own || verdict.kind == AfickPathScope::Verdict::Inherited
            ? AfickConfigFileEditor::formatAttributes(verdict.rule.attributes)
            : QString();
    case EffectiveSourceRole:
        return verdict.kind == AfickPathScope::Verdict::Inherited ? verdict.rule.path : QString();
    case ExcludedReasonRole:
        return verdict.reasonText();
    default:
        switch (verdict.kind) {
        case AfickPathScope::Verdict::Own:
            return QStringLiteral("own");
        case AfickPathScope::Verdict::Inherited:
            return QStringLiteral("inherited");
        case AfickPathScope::Verdict::Excluded:
            // Where afick's words leave it open, a view must not say "not checked".
            return verdict.mayBeChecked() ? QStringLiteral("perhapsExcluded") : QStringLiteral("excluded");
        case AfickPathScope::Verdict::Unwatched:
            break;
        }
        return QStringLiteral("unwatched");
    }
}

QVariantMap IntegrityFileSystemModel::effectiveRule(const QString &path) const
{
    const QHash<int, QByteArray> names = roleNames();
    // An unlisted path counts as a file: afick's findings, which ask this
    // most, mostly are.
    const QModelIndex index = indexForPath(path);
    const bool isDirectory = path == QLatin1String("/") || (index.isValid() && index.data(FileIsDirectoryRole).toBool());
    QVariantMap rule;
    for (const int role : {EffectiveAttributesRole, EffectiveSourceRole, ExcludedReasonRole, EffectiveStateRole}) {
        rule.insert(QString::fromLatin1(names.value(role)), scopeData(path, isDirectory, role));
    }
    return rule;
}

void IntegrityFileSystemModel::announceRuleChanges(const QString &path)
{
    const QVector<int> roles{IntegrityPrefixRole,
                             IntegrityAttributesRole,
                             IntegrityElementChangedRole,
                             EffectiveAttributesRole,
                             EffectiveSourceRole,
                             ExcludedReasonRole,
                             EffectiveStateRole};
    Q_EMIT rulesChanged();
    const QModelIndex index = indexForPath(path, 0);
    if (index.isValid()) {
        Q_EMIT dataChanged(index, index, roles);
    } else if (path != QLatin1String("/")) {
        return;
    }
    announceBelow(index, roles);
}

void IntegrityFileSystemModel::announceScope(const QModelIndex &index)
{
    const QVector<int> roles{EffectiveAttributesRole, EffectiveSourceRole, ExcludedReasonRole, EffectiveStateRole};
    if (index.isValid()) {
        Q_EMIT dataChanged(index, index, roles);
    }
    announceBelow(index, roles);
}

// A rule reaches every path below it, so each listed directory below is
// announced, one range per directory.
void IntegrityFileSystemModel::announceBelow(const QModelIndex &parent, const QVector<int> &roles)
{
    const int rows = rowCount(parent);
    if (rows == 0) {
        return;
    }
    Q_EMIT dataChanged(index(0, 0, parent), index(rows - 1, 0, parent), roles);
    for (int row = 0; row < rows; ++row) {
        announceBelow(index(row, 0, parent), roles);
    }
}

bool IntegrityFileSystemModel::canStopChecking(const QString &path) const
{
    return AfickRuleEdits::isWritablePath(path) && pathScope().evaluate(path).mayBeChecked();
}

bool IntegrityFileSystemModel::stopChecking(const QString &path)
{
    if (!canStopChecking(path)) {
        return false;
    }
    applyRuleEdit(AfickRule{QStringLiteral("!"), path, {}});
    return true;
}

bool IntegrityFileSystemModel::stopComparing(const QString &path, const QString &attribute)
{
    const QString code = AfickRuleEdits::codeForReportName(attribute);
    if (code.isEmpty() || !AfickRuleEdits::isWritablePath(path)) {
        return false;
    }
    const AfickPathScope::Verdict verdict = pathScope().evaluate(path);
    if (verdict.kind != AfickPathScope::Verdict::Own && verdict.kind != AfickPathScope::Verdict::Inherited) {
        return false;
    }
    const QStringList attributes = AfickRuleEdits::withoutCode(verdict.rule.attributes, code, AfickAliasEditor::instance()->aliasMap());
    if (attributes.isEmpty()) {
        return false;
    }
    // An inherited "=" rule leaves the path out, so only an own rule's prefix can be "=" here.
    const QString prefix = verdict.kind == AfickPathScope::Verdict::Own ? verdict.rule.prefix : QString();
    applyRuleEdit(AfickRule{prefix, path, attributes});
    return true;
}

void IntegrityFileSystemModel::applyRuleEdit(const AfickRule &rule)
{
    m_configEditor.setRule(rule);
    // The rule editor writes its whole rule back on its next edit; showing
    // the old rule there would undo this one.
    if (AfickCurrentRule::instance()->path() == rule.path) {
        setCurrentRule(rule.path);
    }
    announceRuleChanges(rule.path);
}

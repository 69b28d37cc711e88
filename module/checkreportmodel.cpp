// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "checkreportmodel.h"

#include "afickruleedits.h"
#include "integrityfilesystemmodel.h"

#include <KLocalizedString>

#include <utility>

namespace
{
// afick's figures in the order its closing line gives them.
const QStringList &figureOrder()
{
    static const QStringList order{
        QStringLiteral("scanned"),
        QStringLiteral("changes"),
        QStringLiteral("new"),
        QStringLiteral("delete"),
        QStringLiteral("changed"),
        QStringLiteral("dangling"),
        QStringLiteral("exclude_suffix"),
        QStringLiteral("exclude_prefix"),
        QStringLiteral("exclude_re"),
        QStringLiteral("degraded"),
    };
    return order;
}

QString figureLabel(const QString &name)
{
    if (name == QLatin1String("scanned")) {
        return i18nc("@label a figure of a check report", "Files scanned");
    }
    if (name == QLatin1String("changes")) {
        return i18nc("@label a figure of a check report", "Changes");
    }
    if (name == QLatin1String("new")) {
        return i18nc("@label a figure of a check report", "New");
    }
    if (name == QLatin1String("delete")) {
        return i18nc("@label a figure of a check report", "Deleted");
    }
    if (name == QLatin1String("changed")) {
        return i18nc("@label a figure of a check report", "Changed");
    }
    if (name == QLatin1String("dangling")) {
        return i18nc("@label a figure of a check report", "Dangling links");
    }
    if (name == QLatin1String("exclude_suffix")) {
        return i18nc("@label a figure of a check report", "Excluded by suffix");
    }
    if (name == QLatin1String("exclude_prefix")) {
        return i18nc("@label a figure of a check report", "Excluded by prefix");
    }
    if (name == QLatin1String("exclude_re")) {
        return i18nc("@label a figure of a check report", "Excluded by pattern");
    }
    if (name == QLatin1String("degraded")) {
        return i18nc("@label a figure of a check report", "Degraded");
    }
    // A figure of a later afick, by its own name.
    return name;
}
}

CheckReportModel::CheckReportModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int CheckReportModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : groupStart(CheckReport::Entry::Changed) + m_groups[CheckReport::Entry::Changed].size();
}

const CheckReport::Entry &CheckReportModel::entryAt(int row) const
{
    for (const QVector<int> &group : m_groups) {
        if (row < group.size()) {
            return m_report.entries().at(group.at(row));
        }
        row -= group.size();
    }
    Q_UNREACHABLE();
}

int CheckReportModel::groupStart(CheckReport::Entry::Kind kind) const
{
    int start = 0;
    for (int group = 0; group < kind; ++group) {
        start += m_groups[group].size();
    }
    return start;
}

int CheckReportModel::rowOf(int entry) const
{
    return groupStart(m_report.entries().at(entry).kind) + m_placeInGroup.at(entry);
}

QVariant CheckReportModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const CheckReport::Entry &entry = entryAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case PathRole:
        return entry.path;
    case KindRole:
        switch (entry.kind) {
        case CheckReport::Entry::New:
            return QStringLiteral("new");
        case CheckReport::Entry::Deleted:
            return QStringLiteral("deleted");
        case CheckReport::Entry::Changed:
            return QStringLiteral("changed");
        }
        return QVariant();
    case ObjectTypeRole:
        return entry.objectType;
    case ChangesRole: {
        QVariantList changes;
        for (const CheckReport::AttributeChange &change : entry.changes) {
            changes.append(QVariantMap{{QStringLiteral("name"), change.name},
                                       {QStringLiteral("oldValue"), change.oldValue},
                                       {QStringLiteral("newValue"), change.newValue}});
        }
        return changes;
    }
    case ValuesRole: {
        QVariantList values;
        for (const CheckReport::AttributeValue &value : entry.values) {
            values.append(QVariantMap{{QStringLiteral("name"), value.name}, {QStringLiteral("value"), value.value}});
        }
        return values;
    }
    case SectionRole:
        switch (entry.kind) {
        case CheckReport::Entry::New:
            return i18nc("@title group of a check report", "New");
        case CheckReport::Entry::Deleted:
            return i18nc("@title group of a check report", "Deleted");
        case CheckReport::Entry::Changed:
            return i18nc("@title group of a check report", "Changed");
        }
        return QVariant();
    case CoveredByEditRole:
        return !coveringEdit(entry.path).isEmpty();
    case EditNoteRole: {
        const QString edited = coveringEdit(entry.path);
        if (edited.isEmpty()) {
            return QString();
        }
        return edited == entry.path ? i18nc("@info a check report entry", "Covered by a pending change to its rule")
                                    : i18nc("@info a check report entry; %1 is a path", "Covered by a pending change to the rule of %1", edited);
    }
    case RuleEditableRole:
        return AfickRuleEdits::isWritablePath(entry.path);
    }
    return QVariant();
}

QHash<int, QByteArray> CheckReportModel::roleNames() const
{
    return {
        {Qt::DisplayRole, QByteArrayLiteral("display")},
        {PathRole, QByteArrayLiteral("path")},
        {KindRole, QByteArrayLiteral("kind")},
        {ObjectTypeRole, QByteArrayLiteral("objectType")},
        {ChangesRole, QByteArrayLiteral("changes")},
        {SectionRole, QByteArrayLiteral("section")},
        {CoveredByEditRole, QByteArrayLiteral("coveredByEdit")},
        {EditNoteRole, QByteArrayLiteral("editNote")},
        {RuleEditableRole, QByteArrayLiteral("ruleEditable")},
        {ValuesRole, QByteArrayLiteral("values")},
    };
}

void CheckReportModel::clear()
{
    beginResetModel();
    m_output.clear();
    m_report = CheckReport();
    for (QVector<int> &group : m_groups) {
        group.clear();
    }
    m_placeInGroup.clear();
    m_finished = false;
    m_exitStatus = 0;
    endResetModel();
    Q_EMIT outputChanged();
    Q_EMIT reportChanged();
}

void CheckReportModel::addOutput(const QString &chunk)
{
    if (chunk.isEmpty()) {
        return;
    }
    m_output.append(chunk);
    apply(m_report.addOutput(chunk));
    Q_EMIT outputChanged();
}

void CheckReportModel::finish(int exitStatus)
{
    apply(m_report.finish());
    m_finished = true;
    m_exitStatus = exitStatus;
    Q_EMIT reportChanged();
}

void CheckReportModel::setOutput(const QString &output, int exitStatus)
{
    clear();
    addOutput(output);
    finish(exitStatus);
}

void CheckReportModel::apply(const CheckReport::Delta &delta)
{
    const QVector<CheckReport::Entry> &entries = m_report.entries();
    const int added = entries.size() - delta.firstNewEntry;
    if (added > 0) {
        m_placeInGroup.resize(entries.size());
        // Each kind's new rows go in at once, at the end of their group.
        for (int kind = CheckReport::Entry::New; kind <= CheckReport::Entry::Changed; ++kind) {
            QVector<int> newOfKind;
            for (int entry = delta.firstNewEntry; entry < entries.size(); ++entry) {
                if (entries.at(entry).kind == kind) {
                    newOfKind.append(entry);
                }
            }
            if (newOfKind.isEmpty()) {
                continue;
            }
            QVector<int> &group = m_groups[kind];
            const int first = groupStart(CheckReport::Entry::Kind(kind)) + group.size();
            beginInsertRows(QModelIndex(), first, first + newOfKind.size() - 1);
            for (int entry : newOfKind) {
                m_placeInGroup[entry] = group.size();
                group.append(entry);
            }
            endInsertRows();
        }
    }
    for (int entry : delta.detailedEntries) {
        const QModelIndex changed = index(rowOf(entry));
        Q_EMIT dataChanged(changed, changed, {ChangesRole, ValuesRole});
    }
    if (added > 0 || !delta.isEmpty()) {
        Q_EMIT reportChanged();
    }
}

QString CheckReportModel::output() const
{
    return m_output;
}

int CheckReportModel::newCount() const
{
    return m_groups[CheckReport::Entry::New].size();
}

int CheckReportModel::deletedCount() const
{
    return m_groups[CheckReport::Entry::Deleted].size();
}

int CheckReportModel::changedCount() const
{
    return m_groups[CheckReport::Entry::Changed].size();
}

QVariantMap CheckReportModel::totals() const
{
    QVariantMap totals;
    for (auto it = m_report.totals().cbegin(); it != m_report.totals().cend(); ++it) {
        totals.insert(it.key(), it.value());
    }
    return totals;
}

QVariantList CheckReportModel::figures() const
{
    QStringList names = figureOrder();
    for (auto it = m_report.totals().cbegin(); it != m_report.totals().cend(); ++it) {
        if (!names.contains(it.key())) {
            names.append(it.key());
        }
    }
    QVariantList figures;
    for (const QString &name : std::as_const(names)) {
        const auto figure = m_report.totals().constFind(name);
        if (figure != m_report.totals().cend()) {
            figures.append(
                QVariantMap{{QStringLiteral("name"), name}, {QStringLiteral("label"), figureLabel(name)}, {QStringLiteral("value"), figure.value()}});
        }
    }
    return figures;
}

QStringList CheckReportModel::warnings() const
{
    return m_report.warnings();
}

QStringList CheckReportModel::unknownLines() const
{
    return m_report.unknownLines();
}

qint64 CheckReportModel::changeCount() const
{
    return m_report.totals().value(QStringLiteral("changes"), m_report.entries().size());
}

CheckReportModel::Outcome CheckReportModel::outcome() const
{
    if (!m_finished) {
        return Outcome::Running;
    }
    // Without afick's closing line, findings still make a report, unless the
    // script ended without an exit status: then they may be a fragment.
    const bool reported = m_exitStatus == 0 || m_report.hasClosingLine() || (m_exitStatus != UnknownExitStatus && !m_report.entries().isEmpty());
    if (!reported) {
        return Outcome::Failed;
    }
    return changeCount() > 0 ? Outcome::Changes : Outcome::NoChanges;
}

QString CheckReportModel::summaryText() const
{
    switch (outcome()) {
    case Outcome::Running:
        return i18ncp("@info an integrity check still running", "Found 1 change so far.", "Found %1 changes so far.", rowCount());
    case Outcome::NoChanges:
        return i18nc("@info result of an integrity check", "No changes.");
    case Outcome::Changes:
        return i18ncp("@info result of an integrity check", "The check found 1 change.", "The check found %1 changes.", changeCount());
    case Outcome::Failed:
        return m_exitStatus == UnknownExitStatus ? i18nc("@info result of an integrity check", "The check failed.")
                                                 : i18nc("@info result of an integrity check", "The check failed with exit code %1.", m_exitStatus);
    }
    return QString();
}

IntegrityFileSystemModel *CheckReportModel::ruleModel() const
{
    return m_ruleModel;
}

void CheckReportModel::setRuleModel(IntegrityFileSystemModel *model)
{
    if (m_ruleModel == model) {
        return;
    }
    if (m_ruleModel) {
        disconnect(m_ruleModel, nullptr, this, nullptr);
    }
    m_ruleModel = model;
    if (m_ruleModel) {
        connect(m_ruleModel, &IntegrityFileSystemModel::rulesChanged, this, &CheckReportModel::announceCoverage);
        // A tree destroyed before the report leaves no edit to cover anything.
        connect(m_ruleModel, &QObject::destroyed, this, [this] {
            announceCoverage();
            Q_EMIT ruleModelChanged();
        });
    }
    announceCoverage();
    Q_EMIT ruleModelChanged();
}

QString CheckReportModel::coveringEdit(const QString &path) const
{
    if (!m_ruleModel) {
        return QString();
    }
    const AfickConfigFileEditor &editor = m_ruleModel->afickConfigEditor();
    return AfickRuleEdits::nearestEditedRule(path, editor.currentRules(), editor.parsedRules());
}

void CheckReportModel::announceCoverage()
{
    if (rowCount() > 0) {
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {CoveredByEditRole, EditNoteRole});
    }
}

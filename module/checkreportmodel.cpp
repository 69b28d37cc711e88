// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "checkreportmodel.h"

#include "afickruleedits.h"
#include "integrityfilesystemmodel.h"

#include <KLocalizedString>

#include <algorithm>

CheckReportModel::CheckReportModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int CheckReportModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant CheckReportModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const CheckReport::Entry &entry = m_rows.at(index.row());
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
    case SectionRole: {
        const int count = countOf(entry.kind);
        switch (entry.kind) {
        case CheckReport::Entry::New:
            return i18nc("@title group of a check report", "New (%1)", count);
        case CheckReport::Entry::Deleted:
            return i18nc("@title group of a check report", "Deleted (%1)", count);
        case CheckReport::Entry::Changed:
            return i18nc("@title group of a check report", "Changed (%1)", count);
        }
        return QVariant();
    }
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
    };
}

void CheckReportModel::setOutput(const QString &output)
{
    beginResetModel();
    m_output = output;
    m_report = CheckReport::parse(output);
    m_rows = m_report.entries();
    // Grouped for the view's sections; within a group afick's order stays.
    std::stable_sort(m_rows.begin(), m_rows.end(), [](const CheckReport::Entry &a, const CheckReport::Entry &b) {
        return a.kind < b.kind;
    });
    endResetModel();
    Q_EMIT reportChanged();
}

QString CheckReportModel::output() const
{
    return m_output;
}

int CheckReportModel::countOf(CheckReport::Entry::Kind kind) const
{
    return std::count_if(m_rows.cbegin(), m_rows.cend(), [kind](const CheckReport::Entry &entry) {
        return entry.kind == kind;
    });
}

int CheckReportModel::newCount() const
{
    return countOf(CheckReport::Entry::New);
}

int CheckReportModel::deletedCount() const
{
    return countOf(CheckReport::Entry::Deleted);
}

int CheckReportModel::changedCount() const
{
    return countOf(CheckReport::Entry::Changed);
}

QVariantMap CheckReportModel::totals() const
{
    QVariantMap totals;
    for (auto it = m_report.totals().cbegin(); it != m_report.totals().cend(); ++it) {
        totals.insert(it.key(), it.value());
    }
    return totals;
}

QStringList CheckReportModel::unknownLines() const
{
    return m_report.unknownLines();
}

QString CheckReportModel::summaryText() const
{
    if (m_rows.isEmpty()) {
        // afick's comment lines (its header) say nothing about changes; any
        // other line the report cannot read might, so it is not waved away.
        const QStringList unknown = m_report.unknownLines();
        const bool onlyComments = std::all_of(unknown.cbegin(), unknown.cend(), [](const QString &line) {
            return line.trimmed().startsWith(QLatin1Char('#'));
        });
        return onlyComments ? i18nc("@info result of an integrity check", "Nothing changed.")
                            : i18nc("@info result of an integrity check", "No change was recognized in the output; see the details.");
    }
    return i18nc("@info result of an integrity check: counts of new, deleted and changed entries",
                 "New: %1, deleted: %2, changed: %3.",
                 newCount(),
                 deletedCount(),
                 changedCount());
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
    if (!m_rows.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(m_rows.size() - 1), {CoveredByEditRole, EditNoteRole});
    }
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "checkreport.h"

#include <QAbstractListModel>
#include <QPointer>

class IntegrityFileSystemModel;

/**
 * The report of the last check as a list: new entries first, then deleted,
 * then changed ones, each in the order afick printed them. A view groups the
 * rows by their "section", which names the kind with its count.
 *
 * Given the tree whose rules the user edits, each row also tells whether a
 * pending edit of the rules already reaches its path.
 */
class CheckReportModel : public QAbstractListModel
{
    Q_OBJECT
    /// The whole output of the run, for a view of the details.
    Q_PROPERTY(QString output READ output NOTIFY reportChanged)
    Q_PROPERTY(int newCount READ newCount NOTIFY reportChanged)
    Q_PROPERTY(int deletedCount READ deletedCount NOTIFY reportChanged)
    Q_PROPERTY(int changedCount READ changedCount NOTIFY reportChanged)
    /// The figures of afick's summary section, by afick's names.
    Q_PROPERTY(QVariantMap totals READ totals NOTIFY reportChanged)
    /// Lines of the output the report does not understand, in order.
    Q_PROPERTY(QStringList unknownLines READ unknownLines NOTIFY reportChanged)
    /// One sentence, ready to show: what was found, or that nothing changed.
    Q_PROPERTY(QString summaryText READ summaryText NOTIFY reportChanged)
    /// The tree whose edited rules the rows compare with the rules as read; none, and no row is covered.
    Q_PROPERTY(IntegrityFileSystemModel *ruleModel READ ruleModel WRITE setRuleModel NOTIFY ruleModelChanged)

public:
    enum Roles {
        PathRole = Qt::UserRole + 1,
        KindRole, ///< "new", "deleted" or "changed"
        ObjectTypeRole, ///< afick's word: "file", "directory"...
        ChangesRole, ///< list of {name, oldValue, newValue}
        SectionRole, ///< translated kind with its count, e.g. "Changed (2)"
        CoveredByEditRole, ///< whether the rule of the path or of an ancestor has a pending edit
        EditNoteRole, ///< ready to show which pending edit covers the path; empty otherwise
        RuleEditableRole, ///< whether a rule line can name the path, so the entry can become a rule edit
    };

    explicit CheckReportModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    /// Replaces the report with the one read from @p output.
    void setOutput(const QString &output);

    QString output() const;
    int newCount() const;
    int deletedCount() const;
    int changedCount() const;
    QVariantMap totals() const;
    QStringList unknownLines() const;
    QString summaryText() const;

    IntegrityFileSystemModel *ruleModel() const;
    void setRuleModel(IntegrityFileSystemModel *model);

Q_SIGNALS:
    void reportChanged();
    void ruleModelChanged();

private:
    int countOf(CheckReport::Entry::Kind kind) const;
    QString coveringEdit(const QString &path) const;
    void announceCoverage();

    QString m_output;
    CheckReport m_report;
    QVector<CheckReport::Entry> m_rows;
    QPointer<IntegrityFileSystemModel> m_ruleModel;
};

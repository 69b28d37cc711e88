// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "checkreport.h"

#include <QAbstractListModel>
#include <QPointer>

class IntegrityFileSystemModel;

/**
 * The report of the last check as a list: new entries first, then deleted,
 * then changed ones, each in the order afick first printed them. A view groups
 * the rows by their "section", which names the kind.
 *
 * The report can be filled as the script prints it: clear() when a run
 * starts, addOutput() with each piece of output as it comes (cut anywhere),
 * finish() with the script's exit status when it ends. A piece adds rows for
 * the findings it brings (rows inserted at the end of their group, never a
 * reset) and announces a changed row when a finding printed before gets its
 * detail lines. setOutput() does the three at once for a whole output.
 *
 * Given the tree whose rules the user edits, each row also tells whether a
 * pending edit of the rules already reaches its path.
 */
class CheckReportModel : public QAbstractListModel
{
    Q_OBJECT
    /// The whole output of the run so far.
    Q_PROPERTY(QString output READ output NOTIFY outputChanged)
    /// The findings counted in the output, by kind.
    Q_PROPERTY(int newCount READ newCount NOTIFY reportChanged)
    Q_PROPERTY(int deletedCount READ deletedCount NOTIFY reportChanged)
    Q_PROPERTY(int changedCount READ changedCount NOTIFY reportChanged)
    /// afick's own figures from its closing line, by afick's names (see CheckReport::totals()).
    Q_PROPERTY(QVariantMap totals READ totals NOTIFY reportChanged)
    /// afick's figures ready to show, in afick's order: a list of {name, label, value}.
    Q_PROPERTY(QVariantList figures READ figures NOTIFY reportChanged)
    /// The text of afick's "WARNING:" lines, in order.
    Q_PROPERTY(QStringList warnings READ warnings NOTIFY reportChanged)
    /// Lines of the output the report does not understand, in order.
    Q_PROPERTY(QStringList unknownLines READ unknownLines NOTIFY reportChanged)
    Q_PROPERTY(Outcome outcome READ outcome NOTIFY reportChanged)
    /// One sentence, ready to show: how many changes the check found, that it found none, or that it failed.
    Q_PROPERTY(QString summaryText READ summaryText NOTIFY reportChanged)
    /// The tree whose edited rules the rows compare with the rules as read; none, and no row is covered.
    Q_PROPERTY(IntegrityFileSystemModel *ruleModel READ ruleModel WRITE setRuleModel NOTIFY ruleModelChanged)

public:
    enum Roles {
        PathRole = Qt::UserRole + 1,
        KindRole, ///< "new", "deleted" or "changed"
        ObjectTypeRole, ///< afick's word: "file", "directory"...
        ChangesRole, ///< list of {name, oldValue, newValue}
        SectionRole, ///< the translated kind, e.g. "Changed"
        CoveredByEditRole, ///< whether the rule of the path or of an ancestor has a pending edit
        EditNoteRole, ///< ready to show which pending edit covers the path; empty otherwise
        RuleEditableRole, ///< whether a rule line can name the path, so the entry can become a rule edit
        ValuesRole, ///< list of {name, value}: detail lines with one value, such as a new file's date
    };

    enum class Outcome {
        Running, ///< the output is still coming
        NoChanges,
        Changes,
        Failed, ///< the script ended without a report
    };
    Q_ENUM(Outcome)

    /// The exit status to give finish() when the script ended without one (stopped, killed).
    static constexpr int UnknownExitStatus = -1;

    explicit CheckReportModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    /// Empties the report for a run that is about to start.
    void clear();
    /// Reads @p chunk, the next piece of the script's output.
    void addOutput(const QString &chunk);
    /**
     * Ends the run: @p exitStatus is the script's exit status, or
     * UnknownExitStatus. afick's status is not zero when it found changes, so
     * a run counts as failed only when it did not produce a report.
     */
    void finish(int exitStatus);
    /// Replaces the report with the one of a run that printed @p output and ended with @p exitStatus.
    void setOutput(const QString &output, int exitStatus = 0);

    QString output() const;
    int newCount() const;
    int deletedCount() const;
    int changedCount() const;
    QVariantMap totals() const;
    QVariantList figures() const;
    QStringList warnings() const;
    QStringList unknownLines() const;
    Outcome outcome() const;
    QString summaryText() const;

    IntegrityFileSystemModel *ruleModel() const;
    void setRuleModel(IntegrityFileSystemModel *model);

Q_SIGNALS:
    void reportChanged();
    void outputChanged();
    void ruleModelChanged();

private:
    const CheckReport::Entry &entryAt(int row) const;
    int rowOf(int entry) const;
    int groupStart(CheckReport::Entry::Kind kind) const;
    void apply(const CheckReport::Delta &delta);
    /// The number of changes afick counted, or else the findings counted here.
    qint64 changeCount() const;
    QString coveringEdit(const QString &path) const;
    void announceCoverage();

    QString m_output;
    CheckReport m_report;
    /// Indices into m_report's entries, one list per kind, in the order of the rows.
    QVector<int> m_groups[3];
    /// For each entry, its place in its kind's list.
    QVector<int> m_placeInGroup;
    /// Until the first run starts, an empty report that is complete.
    bool m_finished = true;
    int m_exitStatus = 0;
    QPointer<IntegrityFileSystemModel> m_ruleModel;
};

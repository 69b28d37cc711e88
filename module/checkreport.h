// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QMap>
#include <QMultiHash>
#include <QString>
#include <QStringList>
#include <QVector>

/**
 * What one afick check found, read from its compare output (`afick -k`, and
 * `afick -u`, which prints the same):
 *
 *     # Afick (3.6.0) compare at 2018/09/06 17:14:44 with options (/etc/afick.conf):
 *     # report_summary:=yes
 *     WARNING: (control) afick internal change : /etc/afick.conf (see below)
 *     # summary changes
 *     changed file : /etc/passwd
 *     new file : /etc/sudoers.d/90-temporary
 *
 *     # detailed changes
 *     changed file : /etc/passwd
 *     <TAB>md5<TAB><TAB> : 5b2d...<TAB>9c1a...
 *     <TAB>filesize<TAB><TAB> : 1843<TAB>1901
 *     new file : /etc/sudoers.d/90-temporary
 *     <TAB>NAME<TAB><TAB> : Mon Dec  7 08:50:00 2026
 *     # ##################################################################
 *     # MD5 hash of /var/lib/afick/afick => ...
 *
 *     # Hash database : 48806 files scanned, 2 changed (new : 1; delete : 0; changed : 1; dangling : 12; ...)
 *     # user time : 18.49; system time : 1.12; real time : 20
 *
 * afick prints each finding twice, in the summary and again with its detail
 * lines; the summary is left out with `report_summary := no`. Either way a
 * finding is one entry: a repeated finding line makes the entry it names the
 * one that the following detail lines belong to. A changed finding's detail
 * lines hold the value before and after, separated by a TAB (values such as
 * dates hold blanks); a new or deleted finding's one line holds its date.
 *
 * The output can be read in pieces as the script prints them: addOutput()
 * takes any piece, cut anywhere, even inside a line, and tells what the piece
 * added; finish() reads what is left after the last line break. Reading is
 * linear in the size of the output. parse() does both for a whole output.
 *
 * The reading is tolerant: a line that is neither a finding, a detail line,
 * a warning nor one of afick's comment lines is kept, in order, as an unknown
 * line, so nothing the check said is lost to the user.
 */
class CheckReport
{
public:
    /// A detail line with a value before and after: OLD and NEW, which afick separates by a TAB.
    struct AttributeChange {
        QString name;
        QString oldValue;
        QString newValue;

        bool operator==(const AttributeChange &other) const
        {
            return name == other.name && oldValue == other.oldValue && newValue == other.newValue;
        }
    };

    /// A detail line with one value, such as the date after a new or deleted finding.
    struct AttributeValue {
        QString name;
        QString value;

        bool operator==(const AttributeValue &other) const
        {
            return name == other.name && value == other.value;
        }
    };

    struct Entry {
        enum Kind {
            New,
            Deleted,
            Changed,
        };
        Kind kind = Changed;
        /// afick's word for the object: "file", "directory", "symbolic_link"...
        QString objectType;
        QString path;
        QVector<AttributeChange> changes;
        QVector<AttributeValue> values;
    };

    /// What one piece of output added to the report.
    struct Delta {
        /// Entries from this index to the end of entries() are new.
        int firstNewEntry = 0;
        /// Entries before firstNewEntry that got detail lines, each once, in the order they got them.
        QVector<int> detailedEntries;
        /// Whether totals, warnings or unknown lines changed.
        bool otherLinesChanged = false;

        bool isEmpty() const
        {
            return detailedEntries.isEmpty() && !otherLinesChanged;
        }
    };

    /// The whole of @p output, read as one piece and finished.
    static CheckReport parse(const QString &output);

    /// Reads every complete line of what has come so far, @p chunk being the latest piece.
    Delta addOutput(const QString &chunk);
    /// Reads the line left without a final line break; the report is complete after it.
    Delta finish();

    /// Each finding once, in the order afick first printed it.
    const QVector<Entry> &entries() const;
    /**
     * afick's figures from its closing "# Hash database ..." line: "scanned"
     * (files scanned), "changes" (the changes it counted), and the figures
     * in parentheses by afick's own names ("new", "delete", "changed",
     * "dangling", "exclude_suffix", "exclude_prefix", "exclude_re",
     * "degraded"...). Empty when afick printed no such line.
     */
    const QMap<QString, qint64> &totals() const;
    /// Whether afick's closing "# Hash database ..." line was read.
    bool hasClosingLine() const;
    /// The text of afick's "WARNING:" lines, in order.
    const QStringList &warnings() const;
    /// Lines that are neither findings, detail lines, warnings nor afick's comments.
    const QStringList &unknownLines() const;

private:
    void readLine(QString line, Delta &delta);
    bool readFinding(const QString &line);
    bool readDetail(const QString &line, Delta &delta);
    void readClosingLine(const QString &text);

    QVector<Entry> m_entries;
    /// Entries by path; a path may be found as more than one kind of object.
    QMultiHash<QString, int> m_entriesByPath;
    /// The entry that detail lines now belong to; -1 for none.
    int m_current = -1;
    QMap<QString, qint64> m_totals;
    bool m_hasClosingLine = false;
    QStringList m_warnings;
    QStringList m_unknownLines;
    /// Output after the last line break read.
    QString m_pending;
};

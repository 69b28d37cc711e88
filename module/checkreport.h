// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

/**
 * What one afick check found, read from its compare output:
 *
 *     changed file : /etc/passwd
 *         md5        : 5b2d...	9c1a...
 *     new directory : /etc/sudoers.d
 *     deleted file : /etc/old
 *     # ###### summary of changes ######
 *     # new : 1
 *
 * The reading is tolerant: whatever it does not recognise is kept, in order,
 * as an unknown line, so nothing the check said is lost to the user.
 */
class CheckReport
{
public:
    struct AttributeChange {
        QString name;
        QString oldValue;
        QString newValue;

        bool operator==(const AttributeChange &other) const
        {
            return name == other.name && oldValue == other.oldValue && newValue == other.newValue;
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
    };

    static CheckReport parse(const QString &output);

    const QVector<Entry> &entries() const;
    /// The figures of the summary section by afick's names ("new", "delete", "changed"...).
    const QMap<QString, qint64> &totals() const;
    /// Non-blank lines that are neither entries, attribute lines nor summary figures.
    const QStringList &unknownLines() const;

private:
    QVector<Entry> m_entries;
    QMap<QString, qint64> m_totals;
    QStringList m_unknownLines;
};

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>
#include <QVariantList>
#include <QVector>

class QDataStream;
class QFileInfo;

/**
 * One directory entry as the helper lists it and the plug-in shows it.
 *
 * On the wire every entry is its own byte array: three QStrings and a qint32
 * written by a QDataStream with default version and byte order.
 *
 * In a listing, the path of an entry directly in the listed directory is
 * that directory's path and the name, which the caller knows already. The
 * helper leaves such paths out (a null string): they were more than half of
 * a listing's bytes, and every byte crosses the bus several times. Paths the
 * caller could not put back the same, such as those of "." and "..", stay.
 */
class EntryInfo
{
public:
    EntryInfo() = default;
    EntryInfo(const QFileInfo &info, const QString &iconName);

    QString filePath() const;
    void setFilePath(const QString &filePath);
    QString fileName() const;
    void setFileName(const QString &fileName);
    QString iconName() const;
    void setIconName(const QString &iconName);
    qint32 permissions() const;
    void setPermissions(qint32 permissions);

    bool operator==(const EntryInfo &other) const;

    /// Where the entries of a listing of @p requestedPath lie, as both sides
    /// spell it; null for a relative path, whose entries keep their paths.
    static QString listingDirectory(const QString &requestedPath);
    /// Leaves the path out if restorePathIn(@p listingDirectory) gives it back.
    void omitPathIn(const QString &listingDirectory);
    /// Puts back a path that omitPathIn(@p listingDirectory) left out.
    void restorePathIn(const QString &listingDirectory);
    /// The records of a listing of @p requestedPath, decoded in order, with
    /// their paths. Anything but a byte array, or a damaged record, gives an
    /// empty entry: converting a string to bytes, say, would decode garbage.
    static QVector<EntryInfo> fromListing(const QString &requestedPath, const QVariantList &records);

private:
    static QString pathIn(const QString &listingDirectory, const QString &name);

    QString m_filePath;
    QString m_fileName;
    QString m_iconName;
    qint32 m_permissions = 0;
};

QDataStream &operator<<(QDataStream &stream, const EntryInfo &entry);
QDataStream &operator>>(QDataStream &stream, EntryInfo &entry);

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

class QDataStream;
class QFileInfo;

/**
 * One directory entry as the helper lists it and the plug-in shows it.
 *
 * On the wire every entry is its own byte array: three QStrings and a qint32
 * written by a QDataStream with default version and byte order.
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

private:
    QString m_filePath;
    QString m_fileName;
    QString m_iconName;
    qint32 m_permissions = 0;
};

QDataStream &operator<<(QDataStream &stream, const EntryInfo &entry);
QDataStream &operator>>(QDataStream &stream, EntryInfo &entry);

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "entryinfo.h"

#include <QDataStream>
#include <QFileInfo>

EntryInfo::EntryInfo(const QFileInfo &info, const QString &iconName)
    : m_filePath(info.absoluteFilePath())
    , m_fileName(info.fileName())
    , m_iconName(iconName)
    , m_permissions(static_cast<qint32>(info.permissions()))
{
}

QString EntryInfo::filePath() const
{
    return m_filePath;
}

void EntryInfo::setFilePath(const QString &filePath)
{
    m_filePath = filePath;
}

QString EntryInfo::fileName() const
{
    return m_fileName;
}

void EntryInfo::setFileName(const QString &fileName)
{
    m_fileName = fileName;
}

QString EntryInfo::iconName() const
{
    return m_iconName;
}

void EntryInfo::setIconName(const QString &iconName)
{
    m_iconName = iconName;
}

qint32 EntryInfo::permissions() const
{
    return m_permissions;
}

void EntryInfo::setPermissions(qint32 permissions)
{
    m_permissions = permissions;
}

bool EntryInfo::operator==(const EntryInfo &other) const
{
    return m_filePath == other.m_filePath && m_fileName == other.m_fileName && m_iconName == other.m_iconName && m_permissions == other.m_permissions;
}

QDataStream &operator<<(QDataStream &stream, const EntryInfo &entry)
{
    stream << entry.filePath() << entry.fileName() << entry.iconName() << entry.permissions();
    return stream;
}

QDataStream &operator>>(QDataStream &stream, EntryInfo &entry)
{
    // A truncated or corrupt record yields an empty entry rather than a mix of
    // read fields and leftovers.
    QString filePath;
    QString fileName;
    QString iconName;
    qint32 permissions = 0;
    stream >> filePath >> fileName >> iconName >> permissions;
    if (stream.status() != QDataStream::Ok) {
        entry = EntryInfo();
        return stream;
    }
    entry.setFilePath(filePath);
    entry.setFileName(fileName);
    entry.setIconName(iconName);
    entry.setPermissions(permissions);
    return stream;
}

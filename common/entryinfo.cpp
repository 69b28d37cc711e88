// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "entryinfo.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
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

QString EntryInfo::listingDirectory(const QString &requestedPath)
{
    return requestedPath.startsWith(QLatin1Char('/')) ? QDir::cleanPath(requestedPath) : QString();
}

QString EntryInfo::pathIn(const QString &listingDirectory, const QString &name)
{
    if (listingDirectory.isEmpty() || name.isEmpty()) {
        return QString();
    }
    if (listingDirectory.endsWith(QLatin1Char('/'))) {
        return listingDirectory + name;
    }
    return listingDirectory + QLatin1Char('/') + name;
}

void EntryInfo::omitPathIn(const QString &listingDirectory)
{
    // QString counts a null and an empty string equal.
    const QString restored = pathIn(listingDirectory, m_fileName);
    if (!restored.isNull() && m_filePath == restored) {
        m_filePath = QString();
    }
}

void EntryInfo::restorePathIn(const QString &listingDirectory)
{
    if (m_filePath.isNull()) {
        m_filePath = pathIn(listingDirectory, m_fileName);
    }
}

QVector<EntryInfo> EntryInfo::fromListing(const QString &requestedPath, const QVariantList &records)
{
    const QString directory = listingDirectory(requestedPath);
    QVector<EntryInfo> entries;
    entries.reserve(records.size());
    // One device for all records: a stream on a byte array makes a buffer
    // device of its own each time, which cost more than the decoding.
    QBuffer device;
    QDataStream stream(&device);
    for (const QVariant &record : records) {
        EntryInfo entry;
        if (record.userType() == QMetaType::QByteArray) {
            device.close();
            device.setData(record.toByteArray());
            device.open(QIODevice::ReadOnly);
            stream.resetStatus();
            stream >> entry;
            entry.restorePathIn(directory);
        }
        entries.append(entry);
    }
    return entries;
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

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "fakelisting.h"

#include "helperrequest.h"
#include "polkitfilesystemtreeitem.h"

#include <QDataStream>
#include <QFileDevice>

FakeListing::FakeListing()
{
    PolkitFileSystemTreeItem::setListingRequest([this](const QVariantMap &arguments) {
        requests.append(arguments);
        const QString path = arguments.value(QStringLiteral("path")).toString();
        if (duringRequest) {
            duringRequest(path);
        }
        if (m_refused.contains(path)) {
            return HelperReply{4, QString(), {}};
        }
        QVariantList encoded;
        const QVector<EntryInfo> entries = m_directories.value(path);
        for (const EntryInfo &entry : entries) {
            encoded.append(encode(entry));
        }
        return HelperReply{0, QString(), {{QStringLiteral("entryinfolist"), encoded}}};
    });
}

FakeListing::~FakeListing()
{
    PolkitFileSystemTreeItem::setListingRequest({});
}

FakeListing *FakeListing::withSampleTree()
{
    auto *listing = new FakeListing;
    listing->addDirectory(QStringLiteral("/"), {QStringLiteral("bin/"), QStringLiteral("etc/"), QStringLiteral("usr/"), QStringLiteral("var/")});
    listing->addDirectory(QStringLiteral("/etc"), {QStringLiteral("afick.conf"), QStringLiteral("passwd"), QStringLiteral("ssl/")});
    listing->addDirectory(QStringLiteral("/etc/ssl"), {QStringLiteral("certs/"), QStringLiteral("openssl.cnf")});
    listing->addDirectory(QStringLiteral("/usr"), {QStringLiteral("lib/"), QStringLiteral("share/")});
    listing->addDirectory(QStringLiteral("/usr/share"), {QStringLiteral("doc/")});
    listing->addDirectory(QStringLiteral("/var"), {QStringLiteral("log/")});
    listing->addDirectory(QStringLiteral("/var/log"), {QStringLiteral("syslog"), QStringLiteral("x")});
    return listing;
}

void FakeListing::addDirectory(const QString &path, const QStringList &names)
{
    QVector<EntryInfo> entries;
    for (const QString &name : names) {
        entries.append(entry(path, name));
    }
    m_directories.insert(path, entries);
}

void FakeListing::refuse(const QString &path)
{
    m_refused.insert(path);
}

void FakeListing::allow(const QString &path)
{
    m_refused.remove(path);
}

EntryInfo FakeListing::entry(const QString &directory, const QString &name)
{
    const bool isDirectory = name.endsWith(QLatin1Char('/'));
    const QString fileName = isDirectory ? name.chopped(1) : name;
    EntryInfo entry;
    entry.setFilePath(QString(directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/')) + fileName);
    entry.setFileName(fileName);
    entry.setIconName(isDirectory ? QStringLiteral("inode-directory") : QStringLiteral("text-plain"));
    const QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser
        | (isDirectory ? QFileDevice::ExeOwner | QFileDevice::ExeUser : QFileDevice::Permissions());
    entry.setPermissions(static_cast<qint32>(permissions));
    return entry;
}

QByteArray FakeListing::encode(const EntryInfo &entry)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << entry;
    return bytes;
}

QStringList FakeListing::requestedPaths() const
{
    QStringList paths;
    for (const QVariantMap &request : requests) {
        paths.append(request.value(QStringLiteral("path")).toString());
    }
    return paths;
}

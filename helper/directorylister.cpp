// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "directorylister.h"

#include "entryinfo.h"
#include "protocol.h"
#include "pseudofilesystem.h"

#include <KLocalizedString>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const QMimeDatabase &mimeDatabase()
{
    static const QMimeDatabase database;
    return database;
}

// Opens the file for content matching only when that cannot block. The
// second stat on the open descriptor catches an entry that was swapped for
// something else between the checks.
int openForSniffing(const QByteArray &path, const struct stat &expected)
{
    if (PseudoFileSystem::holds(path)) {
        return -1;
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != expected.st_dev || opened.st_ino != expected.st_ino) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QMimeType mimeTypeOf(const QFileInfo &info)
{
    const QMimeDatabase &database = mimeDatabase();
    const QString filePath = info.absoluteFilePath();
    const QByteArray nativePath = QFile::encodeName(filePath);
    struct stat status;
    if (::stat(nativePath.constData(), &status) == 0 && S_ISREG(status.st_mode)) {
        if (status.st_size == 0) {
            return database.mimeTypeForFileNameAndData(filePath, QByteArray());
        }
        const int fd = openForSniffing(nativePath, status);
        if (fd >= 0) {
            QFile file;
            if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
                return database.mimeTypeForFileNameAndData(filePath, &file);
            }
            ::close(fd);
        }
    }
    // By name, and for directories, devices, FIFOs and sockets by their type,
    // which QMimeDatabase takes from stat() without opening anything.
    return database.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
}
}

KAuth::ActionReply DirectoryLister::list(const QString &path, const QStringList &nameFilters, QDir::Filters filters, QDir::SortFlags sort, qint64 budgetBytes)
{
    // A QVariant holding a byte array adds its type, a null flag and a length.
    constexpr qint64 VariantOverhead = 9;
    QVariantList encoded;
    qint64 used = 0;
    // QDir would quietly drop a NUL and everything after it.
    const QFileInfoList entries = path.contains(QChar()) ? QFileInfoList() : QDir(path).entryInfoList(nameFilters, filters, sort);
    encoded.reserve(entries.size());
    for (const QFileInfo &info : entries) {
        QByteArray record;
        QDataStream stream(&record, QIODevice::WriteOnly);
        stream << EntryInfo(info, iconName(info));
        used += VariantOverhead + record.size();
        if (used > budgetBytes) {
            break;
        }
        encoded.append(record);
    }
    QVariantMap data{{Protocol::Reply::EntryInfoList, encoded}};
    const int omitted = entries.size() - encoded.size();
    if (omitted > 0) {
        data.insert(Protocol::Reply::OmittedEntries, omitted);
        data.insert(Protocol::Reply::Notice,
                    i18np("\"%2\" holds too many entries to list at once: %1 entry is not shown.",
                          "\"%2\" holds too many entries to list at once: %1 entries are not shown.",
                          omitted,
                          path));
    }
    KAuth::ActionReply reply = KAuth::ActionReply::SuccessReply();
    reply.setData(data);
    return reply;
}

QString DirectoryLister::iconName(const QFileInfo &info)
{
    return mimeTypeOf(info).iconName();
}

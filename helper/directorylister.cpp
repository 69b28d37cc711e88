// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "directorylister.h"

#include "entryinfo.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace
{
// Not every kernel header names these.
constexpr auto ConfigFsMagic = 0x62656570;
constexpr auto MqueueMagic = 0x19800202;
constexpr auto FuseControlMagic = 0x65735543;

// File systems whose files are generated on access, may block a reader until
// something happens, or are answered by an unprivileged process.
bool isPseudoFileSystem(const struct statfs &fs)
{
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case ConfigFsMagic:
    case EFIVARFS_MAGIC:
    case FuseControlMagic:
    case MqueueMagic:
    case FUSE_SUPER_MAGIC:
    case AUTOFS_SUPER_MAGIC:
    case BINFMTFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case NSFS_MAGIC:
    case RDTGROUP_SUPER_MAGIC:
    case HUGETLBFS_MAGIC:
        return true;
    default:
        return false;
    }
}

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
    struct statfs fs;
    if (::statfs(path.constData(), &fs) != 0 || isPseudoFileSystem(fs)) {
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

KAuth::ActionReply DirectoryLister::list(const QString &path, const QStringList &nameFilters, QDir::Filters filters, QDir::SortFlags sort)
{
    QVariantList encoded;
    const QFileInfoList entries = QDir(path).entryInfoList(nameFilters, filters, sort);
    encoded.reserve(entries.size());
    for (const QFileInfo &info : entries) {
        QByteArray record;
        QDataStream stream(&record, QIODevice::WriteOnly);
        stream << EntryInfo(info, iconName(info));
        encoded.append(record);
    }
    KAuth::ActionReply reply = KAuth::ActionReply::SuccessReply();
    reply.setData({{QStringLiteral("entryinfolist"), encoded}});
    return reply;
}

QString DirectoryLister::iconName(const QFileInfo &info)
{
    return mimeTypeOf(info).iconName();
}

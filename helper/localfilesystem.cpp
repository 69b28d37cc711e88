// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "localfilesystem.h"

#include <linux/magic.h>
#include <sys/vfs.h>

namespace
{
// Not every kernel header names these.
constexpr auto Ntfs3Magic = 0x7366746e;
constexpr auto NtfsMagic = 0x5346544e;
constexpr auto ZfsMagic = 0x2fc12fc1;
constexpr auto JfsMagic = 0x3153464a;
constexpr auto BcachefsMagic = 0xca451a4e;
}

bool LocalFileSystem::isLocalType(unsigned long type)
{
    switch (type) {
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case SQUASHFS_MAGIC:
    case EROFS_SUPER_MAGIC_V1:
    case MSDOS_SUPER_MAGIC:
    case EXFAT_SUPER_MAGIC:
    case NtfsMagic:
    case Ntfs3Magic:
    case ISOFS_SUPER_MAGIC:
    case UDF_SUPER_MAGIC:
    case ZfsMagic:
    case JfsMagic:
    case REISERFS_SUPER_MAGIC:
    case NILFS_SUPER_MAGIC:
    case BcachefsMagic:
        return true;
    default:
        return false;
    }
}

LocalFileSystem::LocalFileSystem(int directoryFd)
{
    struct stat status;
    m_known = directoryFd >= 0 && ::fstat(directoryFd, &status) == 0;
    m_device = m_known ? status.st_dev : 0;
    m_local = m_known && holds(directoryFd);
}

bool LocalFileSystem::holdsEntry(int fd, const struct stat &status) const
{
    return m_known && status.st_dev == m_device ? m_local : holds(fd);
}

bool LocalFileSystem::holds(int fd)
{
    struct statfs fs;
    return ::fstatfs(fd, &fs) == 0 && isLocalType(static_cast<unsigned long>(fs.f_type));
}

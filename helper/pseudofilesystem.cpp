// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "pseudofilesystem.h"

#include <linux/magic.h>
#include <sys/vfs.h>

namespace
{
// Not every kernel header names these.
constexpr auto ConfigFsMagic = 0x62656570;
constexpr auto MqueueMagic = 0x19800202;
constexpr auto FuseControlMagic = 0x65735543;
}

bool PseudoFileSystem::isPseudoType(unsigned long type)
{
    switch (type) {
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

bool PseudoFileSystem::holds(int fd)
{
    struct statfs fs;
    return ::fstatfs(fd, &fs) != 0 || isPseudoType(static_cast<unsigned long>(fs.f_type));
}

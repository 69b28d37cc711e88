// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "fileagent.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const QString NotAllowed = QStringLiteral("local.trustwatch.e2e.Error.NotAllowed");
const QString Failed = QStringLiteral("local.trustwatch.e2e.Error.Failed");
const QStringList WritableRoots = {QStringLiteral("/etc"), QStringLiteral("/usr")};

QString realDirectory(const QString &path)
{
    char *resolved = realpath(QFile::encodeName(path).constData(), nullptr);
    if (!resolved) {
        return {};
    }
    const QString result = QFile::decodeName(resolved);
    free(resolved);
    return result;
}

bool isWithinWritableRoots(const QString &directory)
{
    for (const QString &root : WritableRoots) {
        if (directory == root || directory.startsWith(root + QLatin1Char('/'))) {
            return true;
        }
    }
    return false;
}

bool writeAll(int fd, const QByteArray &content)
{
    qsizetype written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + written, content.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += n;
    }
    return true;
}
}

FileAgent::FileAgent(QObject *parent)
    : QObject(parent)
{
}

bool FileAgent::mayChange(const QString &path)
{
    if (!QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path || WritableRoots.contains(path)) {
        sendErrorReply(NotAllowed, QStringLiteral("'%1' is not a clean absolute path below /etc or /usr").arg(path));
        return false;
    }
    // The nearest existing ancestor must really lie in a writable root, so a
    // link on the way cannot lead a change out of the private copies.
    QString ancestor = QFileInfo(path).path();
    while (!QFileInfo::exists(ancestor)) {
        ancestor = QFileInfo(ancestor).path();
    }
    if (!isWithinWritableRoots(realDirectory(ancestor))) {
        sendErrorReply(NotAllowed, QStringLiteral("'%1' does not lie below /etc or /usr").arg(path));
        return false;
    }
    return true;
}

void FileAgent::fail(const QString &what, const QString &path)
{
    sendErrorReply(Failed, QStringLiteral("%1 '%2': %3").arg(what, path, QString::fromLocal8Bit(strerror(errno))));
}

void FileAgent::WriteFile(const QString &path, const QByteArray &content, uint mode)
{
    if (!mayChange(path)) {
        return;
    }
    QByteArray temporary = QFile::encodeName(QFileInfo(path).path()) + "/.trustwatch-e2e-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        fail(QStringLiteral("cannot create a file beside"), path);
        return;
    }
    const bool written = writeAll(fd, content) && fchmod(fd, mode) == 0;
    const int writeErrno = errno;
    close(fd);
    if (!written) {
        errno = writeErrno;
        fail(QStringLiteral("cannot write"), path);
        unlink(temporary.constData());
    } else if (rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        fail(QStringLiteral("cannot replace"), path);
        unlink(temporary.constData());
    }
}

QVariantMap FileAgent::Inspect(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status;
    if (lstat(encoded.constData(), &status) != 0) {
        return {{QStringLiteral("exists"), false}};
    }
    QVariantMap result = {
        {QStringLiteral("exists"), true},
        {QStringLiteral("mode"), uint(status.st_mode & 07777)},
        {QStringLiteral("uid"), uint(status.st_uid)},
        {QStringLiteral("gid"), uint(status.st_gid)},
        {QStringLiteral("size"), qint64(status.st_size)},
        {QStringLiteral("inode"), qulonglong(status.st_ino)},
    };
    if (S_ISREG(status.st_mode)) {
        result.insert(QStringLiteral("type"), QStringLiteral("file"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("cannot read"), path);
            return {};
        }
        result.insert(QStringLiteral("content"), file.readAll());
    } else if (S_ISDIR(status.st_mode)) {
        result.insert(QStringLiteral("type"), QStringLiteral("directory"));
    } else if (S_ISLNK(status.st_mode)) {
        result.insert(QStringLiteral("type"), QStringLiteral("symlink"));
        char target[4096];
        const ssize_t length = readlink(encoded.constData(), target, sizeof target);
        result.insert(QStringLiteral("target"), length < 0 ? QString() : QFile::decodeName(QByteArray(target, int(length))));
    } else {
        result.insert(QStringLiteral("type"), QStringLiteral("other"));
    }
    return result;
}

QStringList FileAgent::List(const QString &path)
{
    QDir directory(path);
    if (!directory.exists()) {
        errno = ENOENT;
        fail(QStringLiteral("cannot list"), path);
        return {};
    }
    return directory.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void FileAgent::MakeDirectory(const QString &path, uint mode)
{
    if (!mayChange(path)) {
        return;
    }
    struct stat status;
    if (!QDir().mkpath(path) || lstat(QFile::encodeName(path).constData(), &status) != 0) {
        fail(QStringLiteral("cannot create the directory"), path);
    } else if (!S_ISDIR(status.st_mode)) {
        errno = ENOTDIR;
        fail(QStringLiteral("cannot create the directory"), path);
    } else if (chmod(QFile::encodeName(path).constData(), mode) != 0) {
        fail(QStringLiteral("cannot set the mode of"), path);
    }
}

void FileAgent::MakeSymlink(const QString &target, const QString &path)
{
    if (mayChange(path) && symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) != 0) {
        fail(QStringLiteral("cannot create the link"), path);
    }
}

void FileAgent::SetMode(const QString &path, uint mode)
{
    if (!mayChange(path)) {
        return;
    }
    struct stat status;
    if (lstat(QFile::encodeName(path).constData(), &status) != 0) {
        fail(QStringLiteral("cannot find"), path);
    } else if (S_ISLNK(status.st_mode)) {
        sendErrorReply(NotAllowed, QStringLiteral("'%1' is a symbolic link").arg(path));
    } else if (chmod(QFile::encodeName(path).constData(), mode) != 0) {
        fail(QStringLiteral("cannot set the mode of"), path);
    }
}

void FileAgent::Remove(const QString &path)
{
    if (!mayChange(path)) {
        return;
    }
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status;
    if (lstat(encoded.constData(), &status) != 0) {
        return;
    }
    const bool removed = S_ISDIR(status.st_mode) ? QDir(path).removeRecursively() : unlink(encoded.constData()) == 0;
    if (!removed) {
        fail(QStringLiteral("cannot remove"), path);
    }
}

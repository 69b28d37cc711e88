// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "configfile.h"

#include "errorreply.h"
#include "plainfile.h"
#include "protocol.h"

#include <KLocalizedString>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int MiB = 1024 * 1024;
// mkostemp replaces these six characters.
constexpr int TemporarySuffixLength = 6;

bool writeContent(int fd, const QByteArray &content)
{
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        return false;
    }
    return file.write(content) == content.size() && file.flush() && ::fsync(fd) == 0;
}

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray content;
    QTextStream stream(&content);
    for (const QString &line : lines) {
        stream << line << '\n';
    }
    stream.flush();
    return content;
}

QStringList decodeLines(const QByteArray &content)
{
    QStringList lines;
    QTextStream stream(content);
    while (!stream.atEnd()) {
        lines.append(stream.readLine());
    }
    return lines;
}

// A reply carries the file both as decoded lines and as its bytes.
qint64 replySize(const QStringList &lines, const QByteArray &content)
{
    return ConfigFile::encodedSize(lines) + 4 + content.size();
}

QString tooLargeMessage(const QString &path)
{
    return i18n("\"%1\" is too large: the helper handles at most %2 MiB of configuration.", path, ConfigFile::MaxEncodedBytes / MiB);
}

// Reads at most limit + 1 bytes, so that a larger file shows as such without
// ever being read whole. A file that has nothing to give at once (/proc/kmsg,
// opened without blocking) is a read error rather than a wait.
bool readUpTo(int fd, qint64 limit, QByteArray *content)
{
    constexpr qint64 Chunk = 64 * 1024;
    while (content->size() <= limit) {
        const qint64 offset = content->size();
        const qint64 wanted = std::min(Chunk, limit + 1 - offset);
        content->resize(int(offset + wanted));
        const ssize_t got = ::read(fd, content->data() + offset, size_t(wanted));
        if (got < 0 && errno == EINTR) {
            content->resize(int(offset));
            continue;
        }
        if (got < 0) {
            return false;
        }
        content->resize(int(offset + got));
        if (got == 0) {
            return true;
        }
    }
    return true;
}

// A rename is only durable once the directory entry itself reached the disk.
// The new content is already in place when this runs, so a failure here is
// not worth reporting as a failed write.
void syncDirectory(const QByteArray &directory)
{
    const int fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
}

ConfigFile::ConfigFile(const QString &path)
    : m_path(path)
    // The system calls below would silently cut a name at a NUL and act on
    // another file than the one the caller named.
    , m_usable(!path.isEmpty() && !path.contains(QChar()))
{
    if (!m_usable) {
        return;
    }
    const QFileInfo info(path);
    m_target = QFile::encodeName(info.absoluteFilePath());
    m_backup = m_target + ".old";
    m_directory = QFile::encodeName(info.absolutePath());
    // A name of its own, so that clearing up after a killed write cannot
    // touch anybody else's file.
    m_temporaryPrefix = "." + QFile::encodeName(info.fileName()) + ".trustwatch-";
}

qint64 ConfigFile::encodedSize(const QStringList &lines)
{
    // A count, then per line a length and UTF-16 code units.
    qint64 size = 4;
    for (const QString &line : lines) {
        size += 4 + 2 * qint64(line.size());
    }
    return size;
}

KAuth::ActionReply ConfigFile::read() const
{
    if (!m_usable) {
        return errorReply(i18nc("@info %1 is a file path", "Can't open to read \"%1\"", m_path));
    }
    const int fd = PlainFile::openToRead(AT_FDCWD, m_target);
    if (fd < 0) {
        return errorReply(i18nc("@info %1 is a file path", "Can't open to read \"%1\"", m_path));
    }
    QByteArray content;
    const bool complete = readUpTo(fd, MaxEncodedBytes, &content);
    ::close(fd);
    if (!complete) {
        return errorReply(i18nc("@info %1 is a file path", "Can't read \"%1\"", m_path));
    }
    if (content.size() > MaxEncodedBytes) {
        return errorReply(tooLargeMessage(m_path));
    }
    const QStringList lines = decodeLines(content);
    if (replySize(lines, content) > MaxEncodedBytes) {
        return errorReply(tooLargeMessage(m_path));
    }
    KAuth::ActionReply reply = KAuth::ActionReply::SuccessReply();
    // The lines for callers that only read text; the bytes for those that
    // must write back every line nobody edited exactly as it was.
    reply.setData({{Protocol::Reply::Config, lines}, {Protocol::Reply::RawConfig, content}});
    return reply;
}

KAuth::ActionReply ConfigFile::write(const QStringList &lines) const
{
    if (!m_usable) {
        return errorReply(i18nc("@info %1 is a file path", "Can't open to write \"%1\"", m_path));
    }
    // Refused before encoding: a list far beyond the limit is not built up in memory twice.
    if (encodedSize(lines) > MaxEncodedBytes) {
        return errorReply(tooLargeMessage(m_path));
    }
    return write(encodeLines(lines));
}

KAuth::ActionReply ConfigFile::write(const QByteArray &content) const
{
    if (!m_usable) {
        return errorReply(i18nc("@info %1 is a file path", "Can't open to write \"%1\"", m_path));
    }
    if (content.size() > MaxEncodedBytes || replySize(decodeLines(content), content) > MaxEncodedBytes) {
        return errorReply(tooLargeMessage(m_path));
    }
    // The rename below would replace whatever is at the path: a device node
    // or a FIFO is no configuration to overwrite. A link is replaced, not
    // written through.
    struct stat existing;
    if (::lstat(m_target.constData(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode)) {
        return errorReply(i18nc("@info %1 is a file path", "Can't open to write \"%1\"", m_path));
    }
    removeStaleTemporaries();
    // mkostemp creates the file with mode 0600, so the configuration is never
    // readable by others, not even while it is being written.
    QByteArray temporary = m_directory + '/' + m_temporaryPrefix + QByteArray(TemporarySuffixLength, 'X');
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return errorReply(i18nc("@info %1 is a file path", "Can't open to write \"%1\"", m_path));
    }
    // The umask may have taken bits from those 0600. A file system without
    // modes is no reason to refuse the write, so the result does not count.
    ::fchmod(fd, S_IRUSR | S_IWUSR);
    const bool written = writeContent(fd, content);
    if (::close(fd) != 0 || !written) {
        ::unlink(temporary.constData());
        return errorReply(i18nc("@info %1 is a file path", "Can't write \"%1\"", m_path));
    }

    // A hard link keeps the previous file reachable as the backup without the
    // path ever being empty; it refuses to replace an existing backup, which
    // is the single-generation rule. A missing file simply gets no backup.
    const bool backupMade = ::link(m_target.constData(), m_backup.constData()) == 0;

    // rename() replaces the directory entry itself, so a symbolic link at the
    // path is replaced and its target left untouched.
    if (::rename(temporary.constData(), m_target.constData()) != 0) {
        ::unlink(temporary.constData());
        if (backupMade) {
            ::unlink(m_backup.constData());
        }
        return errorReply(i18nc("@info %1 is a file path", "Can't write \"%1\"", m_path));
    }
    syncDirectory(m_directory);
    return KAuth::ActionReply::SuccessReply();
}

KAuth::ActionReply ConfigFile::restoreBackup() const
{
    // Whatever sits at the backup's name becomes the configuration: only a
    // regular file may, not a link to elsewhere, a FIFO or a directory.
    struct stat backup;
    if (!m_usable || ::lstat(m_backup.constData(), &backup) != 0 || !S_ISREG(backup.st_mode) || ::rename(m_backup.constData(), m_target.constData()) != 0) {
        return KAuth::ActionReply::HelperErrorReply();
    }
    syncDirectory(m_directory);
    return KAuth::ActionReply::SuccessReply();
}

void ConfigFile::removeStaleTemporaries() const
{
    DIR *directory = ::opendir(m_directory.constData());
    if (!directory) {
        return;
    }
    const int directoryFd = ::dirfd(directory);
    while (const dirent *entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (name.size() != m_temporaryPrefix.size() + TemporarySuffixLength || !name.startsWith(m_temporaryPrefix)) {
            continue;
        }
        struct stat status;
        if (::fstatat(directoryFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode)) {
            ::unlinkat(directoryFd, entry->d_name, 0);
        }
    }
    ::closedir(directory);
}

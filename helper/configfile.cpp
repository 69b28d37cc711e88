// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "configfile.h"

#include <KLocalizedString>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
KAuth::ActionReply errorReply(const QString &description)
{
    KAuth::ActionReply reply = KAuth::ActionReply::HelperErrorReply();
    reply.setErrorDescription(description);
    return reply;
}

bool writeLines(int fd, const QStringList &lines)
{
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        return false;
    }
    QTextStream stream(&file);
    for (const QString &line : lines) {
        stream << line << '\n';
    }
    stream.flush();
    return stream.status() == QTextStream::Ok && file.flush() && ::fsync(fd) == 0;
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
{
    const QFileInfo info(path);
    m_target = QFile::encodeName(info.absoluteFilePath());
    m_backup = m_target + ".old";
    m_directory = QFile::encodeName(info.absolutePath());
}

KAuth::ActionReply ConfigFile::read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        return errorReply(i18n("Can't open to read \"%1\"", m_path));
    }
    QStringList lines;
    QTextStream stream(&file);
    while (!stream.atEnd()) {
        lines.append(stream.readLine());
    }
    KAuth::ActionReply reply = KAuth::ActionReply::SuccessReply();
    reply.setData({{QStringLiteral("config"), lines}});
    return reply;
}

KAuth::ActionReply ConfigFile::write(const QStringList &lines) const
{
    // mkostemp creates the file with mode 0600, so the configuration is never
    // readable by others, not even while it is being written.
    QByteArray temporary = m_directory + "/." + QFile::encodeName(QFileInfo(m_path).fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return errorReply(i18n("Can't open to write \"%1\"", m_path));
    }
    // The umask may have taken bits from those 0600. A file system without
    // modes is no reason to refuse the write, so the result does not count.
    ::fchmod(fd, S_IRUSR | S_IWUSR);
    const bool written = writeLines(fd, lines);
    if (::close(fd) != 0 || !written) {
        ::unlink(temporary.constData());
        return errorReply(i18n("Can't write \"%1\"", m_path));
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
        return errorReply(i18n("Can't write \"%1\"", m_path));
    }
    syncDirectory(m_directory);
    return KAuth::ActionReply::SuccessReply();
}

KAuth::ActionReply ConfigFile::restoreBackup() const
{
    if (::rename(m_backup.constData(), m_target.constData()) != 0) {
        return KAuth::ActionReply::HelperErrorReply();
    }
    syncDirectory(m_directory);
    return KAuth::ActionReply::SuccessReply();
}

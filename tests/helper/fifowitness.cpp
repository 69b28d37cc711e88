// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "fifowitness.h"

#include <QDeadlineTimer>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
// Whether the thread sits in openat(), which open() is on Linux.
bool waitsInOpen(long thread)
{
    QFile syscall(QStringLiteral("/proc/self/task/%1/syscall").arg(thread));
    return syscall.open(QIODevice::ReadOnly) && syscall.readAll().split(' ').value(0).toLong() == SYS_openat;
}
}

FifoWitness::FifoWitness(const QString &path)
    : m_path(path)
{
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0) {
        return;
    }
    m_writer.reset(QThread::create([this] {
        m_writerThread = ::gettid();
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CLOEXEC);
        m_opened = true;
        if (fd >= 0) {
            ::close(fd);
        }
    }));
    m_writer->start();
}

FifoWitness::~FifoWitness()
{
    if (!m_writer) {
        return;
    }
    // Opening for reading releases the writer if nothing else did.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    m_writer->wait();
    if (fd >= 0) {
        ::close(fd);
    }
}

bool FifoWitness::isReady() const
{
    const QDeadlineTimer deadline(10000);
    while (m_writer && !deadline.hasExpired()) {
        if (m_writerThread != 0 && waitsInOpen(m_writerThread)) {
            return true;
        }
        QThread::msleep(1);
    }
    return false;
}

bool FifoWitness::wasOpened()
{
    // A writer that was woken needs a moment to get to run.
    return m_writer->wait(200) && m_opened;
}

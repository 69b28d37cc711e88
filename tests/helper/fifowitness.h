// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QScopedPointer>
#include <QString>
#include <QThread>

#include <atomic>

/**
 * A FIFO with a writer waiting in open(), which returns as soon as anything
 * opens the FIFO for reading, even without blocking and only for a moment.
 * Naming it with O_PATH or examining it with stat() does not count, so it
 * tells whether code opened what it should only have looked at.
 */
class FifoWitness
{
public:
    explicit FifoWitness(const QString &path);
    ~FifoWitness();

    /// Whether the writer is waiting, so that an open from now on shows.
    bool isReady() const;
    bool wasOpened();

private:
    QString m_path;
    std::atomic<bool> m_opened{false};
    std::atomic<long> m_writerThread{0};
    QScopedPointer<QThread> m_writer;
};

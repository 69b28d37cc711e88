// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QTextDecoder>
#include <QVariantMap>

#include <functional>
#include <memory>

/**
 * A script's output, passed on to the caller while the script runs.
 *
 * A check after a system upgrade prints megabytes, and the reply, which
 * crosses the bus as one message, keeps only the end of it (OutputTail).
 * This sends all of it as it comes, in pieces of whole lines, through a sink
 * (KAuth's progress data), so that the caller can read every finding. Only
 * what waits for its line break is held here, so a small output costs little
 * whatever the bound.
 *
 * A run's output is bounded all the same: past the bound nothing more is
 * sent, and once the script has ended the caller learns how many bytes were
 * held back.
 */
class OutputStream
{
public:
    enum Channel {
        StandardOutput,
        StandardError,
    };

    using Sink = std::function<void(const QVariantMap &)>;

    /// Far above any real afick report, and small enough for the caller to hold.
    static constexpr qint64 DefaultLimitBytes = 64 * 1024 * 1024;
    /// Once this much waits it is sent, even within a line: a line of
    /// its own can be no longer than this before it is passed on.
    static constexpr int PieceBytes = 64 * 1024;

    /// A null @p sink sends nothing.
    explicit OutputStream(Sink sink, qint64 limitBytes = DefaultLimitBytes);

    void append(Channel channel, const QByteArray &data);
    /// Sends every complete line that waits.
    void sendLines();
    /// Sends what is left, the last line even without its line break, then
    /// how much was held back, if anything was.
    void finish();

private:
    struct Pending {
        QByteArray bytes;
        // Stateful, so a piece cut within a character decodes as a whole.
        std::unique_ptr<QTextDecoder> decoder;
    };

    void send(Channel channel, const QByteArray &bytes);
    void sendLines(Channel channel);

    Sink m_sink;
    qint64 m_limitBytes;
    qint64 m_acceptedBytes = 0;
    qint64 m_sentBytes = 0;
    qint64 m_omittedBytes = 0;
    Pending m_pending[2];
};

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "outputstream.h"

#include "protocol.h"

#include <QTextCodec>

OutputStream::OutputStream(Sink sink, qint64 limitBytes)
    : m_sink(std::move(sink))
    , m_limitBytes(limitBytes)
{
    for (Pending &pending : m_pending) {
        pending.decoder.reset(QTextCodec::codecForLocale()->makeDecoder());
    }
}

void OutputStream::append(Channel channel, const QByteArray &data)
{
    if (!m_sink || data.isEmpty()) {
        return;
    }
    if (m_omittedBytes > 0) {
        m_omittedBytes += data.size();
        return;
    }
    QByteArray &pending = m_pending[channel].bytes;
    const qint64 room = m_limitBytes - m_acceptedBytes;
    if (data.size() > room) {
        // A line cut at the bound would read as a different line: only
        // whole lines up to it are sent.
        pending += data.left(int(room));
        const int kept = pending.lastIndexOf('\n') + 1;
        m_omittedBytes = data.size() - room + (pending.size() - kept);
        pending.truncate(kept);
        m_acceptedBytes = m_limitBytes;
        sendLines(channel);
        return;
    }
    m_acceptedBytes += data.size();
    pending += data;
    if (pending.size() >= PieceBytes) {
        sendLines(channel);
        if (pending.size() >= PieceBytes) {
            send(channel, pending);
            pending.clear();
        }
    }
}

void OutputStream::sendLines()
{
    sendLines(StandardOutput);
    sendLines(StandardError);
}

void OutputStream::sendLines(Channel channel)
{
    QByteArray &pending = m_pending[channel].bytes;
    const int end = pending.lastIndexOf('\n') + 1;
    if (end > 0) {
        send(channel, pending.left(end));
        pending.remove(0, end);
    }
}

void OutputStream::finish()
{
    if (!m_sink) {
        return;
    }
    sendLines();
    for (Channel channel : {StandardOutput, StandardError}) {
        QByteArray &pending = m_pending[channel].bytes;
        // Past the bound a last line without its break is cut short.
        if (m_omittedBytes > 0) {
            m_omittedBytes += pending.size();
        } else if (!pending.isEmpty()) {
            send(channel, pending);
        }
        pending.clear();
    }
    if (m_omittedBytes > 0) {
        m_sink({{Protocol::Progress::SentBytes, m_sentBytes}, {Protocol::Progress::OmittedBytes, m_omittedBytes}});
    }
}

void OutputStream::send(Channel channel, const QByteArray &bytes)
{
    m_sentBytes += bytes.size();
    const QLatin1String key = channel == StandardOutput ? Protocol::Progress::StandardOutput : Protocol::Progress::StandardError;
    m_sink({{key, m_pending[channel].decoder->toUnicode(bytes)}});
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

/**
 * The last bytes of what a script wrote to one of its channels.
 *
 * A script's output ends up in an error description that crosses the system
 * bus and is shown to the user; a chatty script must neither fill the
 * helper's memory nor make the reply too large for the bus. The end of the
 * output is kept, since that is where a failing script says why.
 */
class OutputTail
{
public:
    static constexpr int DefaultLimitBytes = 64 * 1024;

    explicit OutputTail(int limitBytes = DefaultLimitBytes);

    void append(const QByteArray &data);
    /// The kept bytes in the local 8-bit encoding, after a translated note
    /// of how much was left out, if anything was.
    QString text() const;

private:
    int m_limitBytes;
    QByteArray m_kept;
    qint64 m_droppedBytes = 0;
};

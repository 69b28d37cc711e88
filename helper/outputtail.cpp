// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "outputtail.h"

#include <KLocalizedString>

OutputTail::OutputTail(int limitBytes)
    : m_limitBytes(limitBytes)
{
}

void OutputTail::append(const QByteArray &data)
{
    m_kept += data;
    const int excess = m_kept.size() - m_limitBytes;
    if (excess > 0) {
        m_kept.remove(0, excess);
        m_droppedBytes += excess;
    }
}

QString OutputTail::text() const
{
    const QString kept = QString::fromLocal8Bit(m_kept);
    if (m_droppedBytes == 0) {
        return kept;
    }
    return i18np("[1 earlier byte left out]\n", "[%1 earlier bytes left out]\n", m_droppedBytes) + kept;
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArrayList>

// A file's lines, each with its terminator, so that a comparison of two
// files line by line also sees line ends and a missing final newline.
inline QByteArrayList linesOf(const QByteArray &content)
{
    QByteArrayList lines;
    for (int start = 0; start < content.size();) {
        const int end = content.indexOf('\n', start);
        const int next = end < 0 ? content.size() : end + 1;
        lines.append(content.mid(start, next - start));
        start = next;
    }
    return lines;
}

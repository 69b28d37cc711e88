// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "listingdirectory.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

// A third of the names settle nothing, so content decides there; the rest
// carry extensions, some of which leave the type to the content as well.
bool populateListingDirectory(const QString &directory, int count)
{
    const QStringList suffixes{QString(),
                               QStringLiteral(".txt"),
                               QStringLiteral(".conf"),
                               QString(),
                               QStringLiteral(".png"),
                               QStringLiteral(".sh"),
                               QString(),
                               QStringLiteral(".bin"),
                               QStringLiteral(".desktop")};
    QRandomGenerator random(20000);
    for (int i = 0; i < count; ++i) {
        const int kind = i % suffixes.size();
        QFile file(QStringLiteral("%1/entry%2%3").arg(directory).arg(i, 5, 10, QLatin1Char('0')).arg(suffixes.at(kind)));
        if (!file.open(QIODevice::WriteOnly)) {
            return false;
        }
        switch (i % 4) {
        case 0:
            file.write("line of plain text\nanother line\n");
            break;
        case 1:
            file.write("#!/bin/sh\nexit 0\n");
            break;
        case 2: {
            QByteArray bytes(256, Qt::Uninitialized);
            random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            file.write(bytes);
            break;
        }
        default:
            file.write(QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"));
            break;
        }
    }
    return true;
}

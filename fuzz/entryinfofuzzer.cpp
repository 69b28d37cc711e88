// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Decodes one listing record from arbitrary bytes, as the plug-in decodes
// what arrives from the bus. A record either decodes completely, and then
// encodes back to exactly the bytes it was read from, or yields the empty
// entry; reading past the data is for AddressSanitizer to catch.

#include "entryinfo.h"

#include <QByteArray>
#include <QDataStream>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // fromRawData: the stream reads the fuzzer's own buffer, not a padded copy.
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    QDataStream stream(input);
    EntryInfo entry;
    entry.setFileName(QStringLiteral("stale"));
    stream >> entry;
    if (stream.status() != QDataStream::Ok) {
        if (!(entry == EntryInfo())) {
            std::abort();
        }
        return 0;
    }
    QByteArray encoded;
    QDataStream writer(&encoded, QIODevice::WriteOnly);
    writer << entry;
    if (encoded != input.left(int(stream.device()->pos()))) {
        std::abort();
    }
    return 0;
}

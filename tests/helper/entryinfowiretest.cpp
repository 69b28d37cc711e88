// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "entryinfo.h"

#include <QDataStream>
#include <QTest>

Q_DECLARE_METATYPE(EntryInfo)

namespace
{
EntryInfo makeEntry(const QString &filePath, const QString &fileName, const QString &iconName, qint32 permissions)
{
    EntryInfo entry;
    entry.setFilePath(filePath);
    entry.setFileName(fileName);
    entry.setIconName(iconName);
    entry.setPermissions(permissions);
    return entry;
}

QByteArray encode(const EntryInfo &entry)
{
    QByteArray record;
    QDataStream stream(&record, QIODevice::WriteOnly);
    stream << entry;
    return record;
}

EntryInfo decode(const QByteArray &record)
{
    // Starts from a filled entry so that leftovers would show.
    EntryInfo entry = makeEntry(QStringLiteral("/stale"), QStringLiteral("stale"), QStringLiteral("stale"), 0x7777);
    QDataStream stream(record);
    stream >> entry;
    return entry;
}
}

class EntryInfoWireTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<EntryInfo>("entry");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("strings-are-utf16-big-endian-with-byte-length") << makeEntry(QStringLiteral("/a"), QStringLiteral("a"), QStringLiteral("d"), 0x6000)
                                                                       << QByteArray::fromHex(
                                                                              "00000004002f0061"
                                                                              "000000020061"
                                                                              "000000020064"
                                                                              "00006000");
        QTest::newRow("null-strings-are-all-ones-length") << EntryInfo()
                                                          << QByteArray::fromHex(
                                                                 "ffffffff"
                                                                 "ffffffff"
                                                                 "ffffffff"
                                                                 "00000000");
        QTest::newRow("empty-strings-are-zero-length") << makeEntry(QLatin1String(""), QLatin1String(""), QLatin1String(""), 1)
                                                       << QByteArray::fromHex(
                                                              "00000000"
                                                              "00000000"
                                                              "00000000"
                                                              "00000001");
        QTest::newRow("non-latin-name-is-one-code-unit-per-letter") << makeEntry(QStringLiteral("/я"), QStringLiteral("я"), QString(), 0)
                                                                    << QByteArray::fromHex(
                                                                           "00000004002f044f"
                                                                           "00000002044f"
                                                                           "ffffffff"
                                                                           "00000000");
    }

    void layout()
    {
        QFETCH(EntryInfo, entry);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encode(entry).toHex(), bytes.toHex());
        QCOMPARE(decode(bytes), entry);
    }

    void truncatedRecordGivesEmptyEntry_data()
    {
        QTest::addColumn<int>("length");

        const int full = encode(makeEntry(QStringLiteral("/a"), QStringLiteral("a"), QStringLiteral("d"), 0x6000)).size();
        QTest::newRow("nothing") << 0;
        QTest::newRow("inside-first-length") << 2;
        QTest::newRow("inside-file-path") << 6;
        QTest::newRow("after-file-path") << 8;
        QTest::newRow("inside-icon-name") << full - 6;
        QTest::newRow("inside-permissions") << full - 2;
    }

    void truncatedRecordGivesEmptyEntry()
    {
        QFETCH(int, length);
        const QByteArray record = encode(makeEntry(QStringLiteral("/a"), QStringLiteral("a"), QStringLiteral("d"), 0x6000));
        const EntryInfo entry = decode(record.left(length));
        QVERIFY(entry.filePath().isEmpty());
        QVERIFY(entry.fileName().isEmpty());
        QVERIFY(entry.iconName().isEmpty());
        QCOMPARE(entry.permissions(), 0);
    }

    void oddStringLengthIsRejected()
    {
        const EntryInfo entry =
            decode(QByteArray::fromHex("00000003002f00"
                                       "ffffffffffffffff00000000"));
        QCOMPARE(entry, EntryInfo());
    }
};

QTEST_GUILESS_MAIN(EntryInfoWireTest)

#include "entryinfowiretest.moc"

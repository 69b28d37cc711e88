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

        // fromHex() skips the spaces, which separate the four fields.
        QTest::newRow("utf16-big-endian-with-byte-length") << makeEntry(QStringLiteral("/a"), QStringLiteral("a"), QStringLiteral("d"), 0x6000)
                                                           << QByteArray::fromHex("00000004002f0061 000000020061 000000020064 00006000");
        QTest::newRow("null-string-is-all-ones-length") << EntryInfo() << QByteArray::fromHex("ffffffff ffffffff ffffffff 00000000");
        QTest::newRow("cyrillic-letter-is-one-code-unit")
            << makeEntry(QStringLiteral("/я"), QStringLiteral("я"), QString(), 0) << QByteArray::fromHex("00000004002f044f 00000002044f ffffffff 00000000");
    }

    void layout()
    {
        QFETCH(EntryInfo, entry);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encode(entry).toHex(), bytes.toHex());
        QCOMPARE(decode(bytes), entry);
    }

    void damagedRecordGivesEmptyEntry_data()
    {
        QTest::addColumn<QByteArray>("record");

        const QByteArray full = encode(makeEntry(QStringLiteral("/a"), QStringLiteral("a"), QStringLiteral("d"), 0x6000));
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("cut-inside-first-length") << full.left(2);
        QTest::newRow("cut-inside-file-path") << full.left(6);
        QTest::newRow("cut-after-file-path") << full.left(8);
        QTest::newRow("cut-inside-permissions") << full.left(full.size() - 2);
        QTest::newRow("odd-string-byte-length") << QByteArray::fromHex("00000003002f00ffffffffffffffff00000000");
    }

    void damagedRecordGivesEmptyEntry()
    {
        QFETCH(QByteArray, record);
        const EntryInfo entry = decode(record);
        QVERIFY(entry.filePath().isEmpty());
        QVERIFY(entry.fileName().isEmpty());
        QVERIFY(entry.iconName().isEmpty());
        QCOMPARE(entry.permissions(), 0);
    }
};

QTEST_GUILESS_MAIN(EntryInfoWireTest)

#include "entryinfowiretest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "pseudofilesystem.h"

#include <QTest>

// The magic numbers are written out: a constant taken from the same header
// as the code would not notice a wrong or missing one.
class PseudoFileSystemTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classifies_data()
    {
        QTest::addColumn<qulonglong>("type");
        QTest::addColumn<bool>("pseudo");

        // A FUSE file is answered by a process, possibly the caller's own,
        // which can keep a reader waiting for ever.
        QTest::newRow("fuse") << qulonglong(0x65735546) << true;
        QTest::newRow("fuse-control") << qulonglong(0x65735543) << true;
        QTest::newRow("proc") << qulonglong(0x9fa0) << true;
        QTest::newRow("sysfs") << qulonglong(0x62656572) << true;
        QTest::newRow("debugfs") << qulonglong(0x64626720) << true;
        QTest::newRow("ext4") << qulonglong(0xef53) << false;
        QTest::newRow("tmpfs") << qulonglong(0x01021994) << false;
        QTest::newRow("xfs") << qulonglong(0x58465342) << false;
        QTest::newRow("btrfs") << qulonglong(0x9123683e) << false;
        QTest::newRow("overlayfs") << qulonglong(0x794c7630) << false;
    }

    void classifies()
    {
        QFETCH(qulonglong, type);
        QFETCH(bool, pseudo);
        QCOMPARE(PseudoFileSystem::isPseudoType(static_cast<unsigned long>(type)), pseudo);
    }
};

QTEST_GUILESS_MAIN(PseudoFileSystemTest)

#include "pseudofilesystemtest.moc"

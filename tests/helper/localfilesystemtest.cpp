// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "localfilesystem.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

// The magic numbers are written out: a constant taken from the same header
// as the code would not notice a wrong one. One row per decision, not one per
// entry of the allow-list.
class LocalFileSystemTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classifies_data()
    {
        QTest::addColumn<qulonglong>("type");
        QTest::addColumn<bool>("local");

        QTest::newRow("ext4") << qulonglong(0xef53) << true;
        QTest::newRow("tmpfs") << qulonglong(0x01021994) << true;
        // A stalled server would keep the helper, and every caller, waiting.
        QTest::newRow("nfs") << qulonglong(0x6969) << false;
        QTest::newRow("cifs") << qulonglong(0xff534d42) << false;
        QTest::newRow("fuse-and-virtiofs") << qulonglong(0x65735546) << false;
        QTest::newRow("proc") << qulonglong(0x9fa0) << false;
        QTest::newRow("unknown") << qulonglong(0x12345678) << false;
    }

    void classifies()
    {
        QFETCH(qulonglong, type);
        QFETCH(bool, local);
        QCOMPARE(LocalFileSystem::isLocalType(static_cast<unsigned long>(type)), local);
    }

    // A directory's answer holds for its entries only up to a mount point.
    void entryMountedElsewhereIsExaminedOnItsOwn()
    {
        QTemporaryDir dir;
        const int directoryFd = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int entryFd = ::open("/proc/self/status", O_PATH | O_CLOEXEC);
        QVERIFY(directoryFd >= 0 && entryFd >= 0);
        struct stat status;
        QCOMPARE(::fstat(entryFd, &status), 0);
        const bool directoryLocal = LocalFileSystem::holds(directoryFd);
        const bool entryLocal = LocalFileSystem(directoryFd).holdsEntry(entryFd, status);
        ::close(entryFd);
        ::close(directoryFd);
        if (!directoryLocal) {
            QSKIP("The temporary directory is not on a local file system here");
        }
        QVERIFY(!entryLocal);
    }
};

QTEST_GUILESS_MAIN(LocalFileSystemTest)

#include "localfilesystemtest.moc"

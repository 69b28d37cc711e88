// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "failurescriptshelper.h"

#include "privatesystembus.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class FailureScriptsHelperTest : public QObject
{
    Q_OBJECT

private:
    PrivateSystemBus m_bus;

    static void list(FailureScriptsHelper &helper, const QString &path)
    {
        QVERIFY(QMetaObject::invokeMethod(&helper, "onFileChanged", Q_ARG(QString, path)));
    }

    static QStringList scriptsOf(const FailureScriptsHelper &helper)
    {
        return helper.property("scripts").toStringList();
    }

    // Requests run one after another, so once a later request has been
    // answered every earlier one has been answered too.
    static void waitForRequestsBefore(FailureScriptsHelper &helper, QSignalSpy &spy)
    {
        const int before = spy.count();
        helper.enableScript(QStringLiteral("sentinel.sh"), false);
        QTRY_VERIFY_WITH_TIMEOUT(spy.count() > before && spy.constLast().at(0) == QLatin1String("sentinel.sh"), 20000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
    }

    void listing_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("directories");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("enabled-disabled-and-other-names-all-listed")
            << QStringList{QStringLiteral("b.sh.disabled"), QStringLiteral("notes.txt"), QStringLiteral("a.sh")} << QStringList()
            << QStringList{QStringLiteral("a.sh"), QStringLiteral("b.sh.disabled"), QStringLiteral("notes.txt")};
        QTest::newRow("hidden-files-left-out") << QStringList{QStringLiteral(".hook.sh"), QStringLiteral("a.sh")} << QStringList()
                                               << QStringList{QStringLiteral("a.sh")};
        QTest::newRow("directories-left-out") << QStringList{QStringLiteral("a.sh")}
                                              << QStringList{QStringLiteral("old"), QStringLiteral("dir.sh"), QStringLiteral(".cache")}
                                              << QStringList{QStringLiteral("a.sh")};
        QTest::newRow("sorted-case-sensitively-by-character-code")
            << QStringList{QStringLiteral("b.sh"), QStringLiteral("a.sh"), QStringLiteral("_x.sh"), QStringLiteral("B.sh")} << QStringList()
            << QStringList{QStringLiteral("B.sh"), QStringLiteral("_x.sh"), QStringLiteral("a.sh"), QStringLiteral("b.sh")};
        QTest::newRow("empty-directory-gives-empty-list") << QStringList() << QStringList{QStringLiteral("old")} << QStringList();
    }

    void listing()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, directories);
        QFETCH(QStringList, expected);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString &name : std::as_const(files)) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        for (const QString &name : std::as_const(directories)) {
            QVERIFY(QDir(dir.path()).mkdir(name));
        }

        FailureScriptsHelper helper;
        QSignalSpy changed(&helper, &FailureScriptsHelper::filesChanged);
        list(helper, dir.path());
        QCOMPARE(scriptsOf(helper), expected);
        QCOMPARE(changed.count(), 1);
    }

    void listingNotifiesEveryTime()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("a.sh")));
        QVERIFY(file.open(QIODevice::WriteOnly));

        FailureScriptsHelper helper;
        QSignalSpy changed(&helper, &FailureScriptsHelper::filesChanged);
        list(helper, dir.path());
        list(helper, dir.path());
        QCOMPARE(changed.count(), 2);
        QCOMPARE(scriptsOf(helper), QStringList{QStringLiteral("a.sh")});
    }

    void listingVanishedDirectoryEmptiesList()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("a.sh")));
        QVERIFY(file.open(QIODevice::WriteOnly));

        FailureScriptsHelper helper;
        list(helper, dir.path());
        QCOMPARE(scriptsOf(helper).size(), 1);

        QVERIFY(dir.remove());
        QSignalSpy changed(&helper, &FailureScriptsHelper::filesChanged);
        list(helper, dir.path());
        QCOMPARE(scriptsOf(helper), QStringList());
        QCOMPARE(changed.count(), 1);
    }

    void switching_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("requested");

        QTest::newRow("enabled-script-switched-off-is-requested") << QStringLiteral("a.sh") << false << true;
        QTest::newRow("disabled-script-switched-on-is-requested") << QStringLiteral("a.sh.disabled") << true << true;
        QTest::newRow("doubly-suffixed-script-switched-on-is-requested") << QStringLiteral("a.sh.disabled.sh.disabled") << true << true;
        QTest::newRow("enabled-script-switched-on-sends-nothing") << QStringLiteral("a.sh") << true << false;
        QTest::newRow("disabled-script-switched-off-sends-nothing") << QStringLiteral("a.sh.disabled") << false << false;
        QTest::newRow("upper-case-suffix-sends-nothing") << QStringLiteral("a.SH") << false << false;
        QTest::newRow("other-name-switched-on-sends-nothing") << QStringLiteral("notes.txt") << true << false;
        QTest::newRow("other-name-switched-off-sends-nothing") << QStringLiteral("notes.txt") << false << false;
        QTest::newRow("disabled-without-sh-sends-nothing") << QStringLiteral("x.disabled") << true << false;
        QTest::newRow("name-leaving-the-directory-sends-nothing") << QStringLiteral("../../usr/bin/a.sh") << false << false;
        QTest::newRow("name-in-a-subdirectory-sends-nothing") << QStringLiteral("old/a.sh.disabled") << true << false;
        QTest::newRow("absolute-name-sends-nothing") << QStringLiteral("/etc/profile.d/a.sh") << false << false;
    }

    void switching()
    {
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        QFETCH(bool, requested);

        FailureScriptsHelper helper;
        QSignalSpy switched(&helper, &FailureScriptsHelper::scriptEnableChanged);
        helper.enableScript(name, enabled);
        waitForRequestsBefore(helper, switched);

        QCOMPARE(switched.count(), requested ? 2 : 1);
        if (requested) {
            // Nobody can authorise here, so the script stays as it was.
            QCOMPARE(switched.constFirst(), (QVariantList{name, !enabled}));
        }
    }

    void readableName_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("name");

        QTest::newRow("enabled") << QStringLiteral("10-mail-admin.sh") << QStringLiteral("10-mail-admin");
        QTest::newRow("disabled") << QStringLiteral("20-lock-sessions.sh.disabled") << QStringLiteral("20-lock-sessions");
        QTest::newRow("no-script-keeps-its-name") << QStringLiteral("README") << QStringLiteral("README");
        QTest::newRow("suffix-only-inside") << QStringLiteral("a.sh.bak") << QStringLiteral("a.sh.bak");
        QTest::newRow("nothing-but-the-suffix") << QStringLiteral(".sh") << QStringLiteral(".sh");
    }

    void readableName()
    {
        QFETCH(QString, fileName);
        QTEST(FailureScriptsHelper::readableName(fileName), "name");
    }
};

QTEST_GUILESS_MAIN(FailureScriptsHelperTest)

#include "failurescriptshelpertest.moc"

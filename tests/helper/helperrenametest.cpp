// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "failurescriptrenamer.h"
#include "integritysecurityhelper.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{
// Every file below the directory with its content, to see that nothing else moved.
QMap<QString, QByteArray> snapshot(const QString &directory)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files.insert(QDir(directory).relativeFilePath(file.fileName()), file.readAll());
    }
    return files;
}
}

class HelperRenameTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rename_data()
    {
        QTest::addColumn<QString>("oldName");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QStringList>("filesAfter");

        const QStringList untouched{QStringLiteral("a.sh"), QStringLiteral("b.sh.disabled"), QStringLiteral("sub/keep")};
        const QString a = QStringLiteral("a.sh");

        QTest::newRow("script-switched-off-by-rename")
            << a << QStringLiteral("a.sh.disabled") << true
            << QStringList{QStringLiteral("a.sh.disabled"), QStringLiteral("b.sh.disabled"), QStringLiteral("sub/keep")};
        QTest::newRow("missing-old-name-fails") << QStringLiteral("c.sh") << QStringLiteral("c.sh.disabled") << false << untouched;
        QTest::newRow("taken-new-name-fails-and-keeps-both") << a << QStringLiteral("b.sh.disabled") << false << untouched;
        // A check for the new name ahead of the rename misses a dangling
        // link, and a copy in place of a failed rename would create its
        // target as root.
        QTest::newRow("link-at-new-name-is-neither-replaced-nor-followed") << a << QStringLiteral("link.sh") << false << untouched;
    }

    void rename()
    {
        QFETCH(QString, oldName);
        QFETCH(QString, newName);
        QFETCH(bool, succeeds);
        QFETCH(QStringList, filesAfter);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub")));
        for (const QString &name : {QStringLiteral("a.sh"), QStringLiteral("b.sh.disabled"), QStringLiteral("sub/keep")}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name.toUtf8());
        }
        const QString linkTarget = dir.filePath(QStringLiteral("sub/created-through-link"));
        QVERIFY(QFile::link(linkTarget, dir.filePath(QStringLiteral("link.sh"))));
        const QMap<QString, QByteArray> before = snapshot(dir.path());

        const KAuth::ActionReply reply = FailureScriptRenamer(dir.path()).rename(oldName, newName);

        QCOMPARE(reply.type(), succeeds ? KAuth::ActionReply::SuccessType : KAuth::ActionReply::HelperErrorType);
        QVERIFY(reply.errorDescription().isEmpty());
        QVERIFY(reply.data().isEmpty());
        const QMap<QString, QByteArray> after = snapshot(dir.path());
        QCOMPARE(after.keys(), filesAfter);
        // A rename moves a file; it never changes or drops content.
        QCOMPARE(QSet<QByteArray>(after.cbegin(), after.cend()), QSet<QByteArray>(before.cbegin(), before.cend()));
        QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("link.sh"))).symLinkTarget(), linkTarget);
    }

    // The names are checked before anything is touched, so these rows need
    // no directory: none of them may reach the rename.
    void namesThatAreNoBareNamesAreInvalid_data()
    {
        QTest::addColumn<QVariant>("oldName");
        QTest::addColumn<QVariant>("newName");

        const QVariant absent;
        const QVariant a(QStringLiteral("a.sh"));
        QTest::newRow("only-new-name") << absent << a;
        QTest::newRow("only-old-name") << a << absent;
        QTest::newRow("empty-name") << a << QVariant(QString());
        QTest::newRow("subdirectory-target") << a << QVariant(QStringLiteral("sub/a.sh"));
        QTest::newRow("parent-relative-source") << QVariant(QStringLiteral("sub/../a.sh")) << QVariant(QStringLiteral("x.sh"));
        QTest::newRow("absolute-target") << a << QVariant(QDir::tempPath() + QStringLiteral("/a.sh"));
        QTest::newRow("dot") << QVariant(QStringLiteral(".")) << QVariant(QStringLiteral("x"));
        QTest::newRow("dot-dot") << a << QVariant(QStringLiteral(".."));
        QTest::newRow("nul-in-new-name") << a << QVariant(QStringLiteral("x.sh") + QChar() + QStringLiteral("y"));
        QTest::newRow("nul-in-old-name") << QVariant(QStringLiteral("a.sh") + QChar() + QStringLiteral("x")) << QVariant(QStringLiteral("x.sh"));
    }

    void namesThatAreNoBareNamesAreInvalid()
    {
        QFETCH(QVariant, oldName);
        QFETCH(QVariant, newName);
        QVariantMap args;
        if (oldName.isValid()) {
            args.insert(QStringLiteral("oldName"), oldName);
        }
        if (newName.isValid()) {
            args.insert(QStringLiteral("newName"), newName);
        }
        const KAuth::ActionReply reply = IntegritySecurityHelper().enablefailurescriptmethod(args);
        QCOMPARE(reply.type(), KAuth::ActionReply::KAuthErrorType);
        QCOMPARE(reply.errorCode(), KAuth::ActionReply::InvalidActionError);
        QVERIFY(reply.data().isEmpty());
    }

    void emptyArgumentsAreInvalid()
    {
        const KAuth::ActionReply reply = IntegritySecurityHelper().enablefailurescriptmethod({});
        QCOMPARE(reply.type(), KAuth::ActionReply::KAuthErrorType);
        QCOMPARE(reply.errorCode(), KAuth::ActionReply::InvalidActionError);
    }
};

QTEST_GUILESS_MAIN(HelperRenameTest)

#include "helperrenametest.moc"

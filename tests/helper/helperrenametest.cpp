// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

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
        QTest::addColumn<QVariant>("oldName");
        QTest::addColumn<QVariant>("newName");
        QTest::addColumn<KAuth::ActionReply>("expected");
        QTest::addColumn<QStringList>("filesAfter");

        const QVariant absent;
        const KAuth::ActionReply success = KAuth::ActionReply::SuccessReply();
        const KAuth::ActionReply helperError = KAuth::ActionReply::HelperErrorReply();
        const KAuth::ActionReply invalid = KAuth::ActionReply::InvalidActionReply();
        const QStringList untouched{QStringLiteral("a.sh"), QStringLiteral("b.sh.disabled"), QStringLiteral("sub/keep")};
        const QString a = QStringLiteral("a.sh");

        QTest::newRow("script-switched-off-by-rename")
            << QVariant(a) << QVariant(QStringLiteral("a.sh.disabled")) << success
            << QStringList{QStringLiteral("a.sh.disabled"), QStringLiteral("b.sh.disabled"), QStringLiteral("sub/keep")};
        QTest::newRow("missing-old-name-fails") << QVariant(QStringLiteral("c.sh")) << QVariant(QStringLiteral("c.sh.disabled")) << helperError << untouched;
        QTest::newRow("taken-new-name-fails-and-keeps-both") << QVariant(a) << QVariant(QStringLiteral("b.sh.disabled")) << helperError << untouched;
        QTest::newRow("only-new-name-is-invalid") << absent << QVariant(a) << invalid << untouched;
        QTest::newRow("only-old-name-is-invalid") << QVariant(a) << absent << invalid << untouched;
        QTest::newRow("empty-name-is-invalid") << QVariant(a) << QVariant(QString()) << invalid << untouched;
        QTest::newRow("subdirectory-target-is-invalid") << QVariant(a) << QVariant(QStringLiteral("sub/a.sh")) << invalid << untouched;
        QTest::newRow("parent-relative-source-is-invalid")
            << QVariant(QStringLiteral("sub/../a.sh")) << QVariant(QStringLiteral("x.sh")) << invalid << untouched;
        QTest::newRow("absolute-target-is-invalid") << QVariant(a) << QVariant(QDir::tempPath() + QStringLiteral("/a.sh")) << invalid << untouched;
        QTest::newRow("dot-is-invalid") << QVariant(QStringLiteral(".")) << QVariant(QStringLiteral("x")) << invalid << untouched;
        QTest::newRow("dot-dot-is-invalid") << QVariant(a) << QVariant(QStringLiteral("..")) << invalid << untouched;
        QTest::newRow("nul-in-name-is-invalid") << QVariant(a) << QVariant(QStringLiteral("x.sh") + QChar() + QStringLiteral("/y")) << invalid << untouched;
    }

    void rename()
    {
        QFETCH(QVariant, oldName);
        QFETCH(QVariant, newName);
        QFETCH(KAuth::ActionReply, expected);
        QFETCH(QStringList, filesAfter);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub")));
        for (const QString &name : {QStringLiteral("a.sh"), QStringLiteral("b.sh.disabled"), QStringLiteral("sub/keep")}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name.toUtf8());
        }
        const QMap<QString, QByteArray> before = snapshot(dir.path());

        QVariantMap args{{QStringLiteral("path"), dir.path()}};
        if (oldName.isValid()) {
            args.insert(QStringLiteral("oldName"), oldName);
        }
        if (newName.isValid()) {
            args.insert(QStringLiteral("newName"), newName);
        }
        const KAuth::ActionReply reply = IntegritySecurityHelper().enablefailurescriptmethod(args);

        QCOMPARE(reply.type(), expected.type());
        QCOMPARE(reply.error(), expected.error());
        QVERIFY(reply.errorDescription().isEmpty());
        QVERIFY(reply.data().isEmpty());
        const QMap<QString, QByteArray> after = snapshot(dir.path());
        QCOMPARE(after.keys(), filesAfter);
        // A rename moves a file; it never changes or drops content.
        QCOMPARE(QSet<QByteArray>(after.cbegin(), after.cend()), QSet<QByteArray>(before.cbegin(), before.cend()));
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

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "failurescriptrenamer.h"
#include "integritysecurityhelper.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace
{
// Every entry below the directory, each with its content or its kind, to
// see that nothing but the one rename happened.
QMap<QString, QByteArray> snapshot(const QString &directory)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QByteArray content = info.isSymLink() ? "link to " + QFile::encodeName(info.symLinkTarget()) : info.isDir() ? QByteArray("directory") : QByteArray();
        QFile file(info.filePath());
        if (content.isEmpty() && file.open(QIODevice::ReadOnly)) {
            content = file.readAll();
        }
        entries.insert(QDir(directory).relativeFilePath(info.filePath()), content);
    }
    return entries;
}

void populate(const QString &directory)
{
    const QDir dir(directory);
    dir.mkpath(QStringLiteral("sub"));
    dir.mkpath(QStringLiteral("dir.sh"));
    for (const QString &name : {QStringLiteral("a.sh"),
                                QStringLiteral("b.sh.disabled"),
                                QStringLiteral("d.sh"),
                                QStringLiteral("t.sh"),
                                QStringLiteral("t.sh.disabled"),
                                QStringLiteral("notify.conf"),
                                QStringLiteral("shared.sh"),
                                QStringLiteral("-x.sh"),
                                QStringLiteral("x\ny.sh.disabled"),
                                QStringLiteral("*.sh.disabled"),
                                QStringLiteral(".sh"),
                                QStringLiteral("sub/keep")}) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(name.toUtf8());
        file.setPermissions(name == QLatin1String("shared.sh") ? QFile::permissions(file.fileName()) | QFile::WriteGroup
                                                               : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup);
    }
    QFile::link(dir.filePath(QStringLiteral("a.sh")), dir.filePath(QStringLiteral("link.sh")));
    QFile::link(dir.filePath(QStringLiteral("sub/created-through-link")), dir.filePath(QStringLiteral("d.sh.disabled")));
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
        // Empty for a plain failure; "<dir>" stands for the directory.
        QTest::addColumn<QString>("description");

        const QString notSwitch = QStringLiteral(
            "The helper refuses to rename \"%1\" to \"%2\": only a script NAME.sh can become NAME.sh.disabled or the reverse, NAME made of letters, "
            "digits, \".\", \"_\", \"+\" and \"-\" and starting with neither \"-\" nor \".\".");
        const QString untrusted = QStringLiteral(
            "The helper refuses to switch \"<dir>/%1\": it must be a regular file or directory that belongs to root and that only root may change.");
        const auto refused = [&](const char *row, const QString &oldName, const QString &newName) {
            QTest::newRow(row) << oldName << newName << false << notSwitch.arg(oldName, newName);
        };
        QTest::newRow("script-switched-off") << "a.sh"
                                             << "a.sh.disabled" << true << QString();
        QTest::newRow("script-switched-on") << "b.sh.disabled"
                                            << "b.sh" << true << QString();
        QTest::newRow("missing-script-fails") << "c.sh"
                                              << "c.sh.disabled" << false << QString();
        QTest::newRow("taken-new-name-fails-and-keeps-both") << "t.sh"
                                                             << "t.sh.disabled" << false << QString();
        // A check for the new name ahead of the rename misses a dangling
        // link, and a copy in place of a failed rename would create its
        // target as root.
        QTest::newRow("link-at-new-name-is-neither-replaced-nor-followed") << "d.sh"
                                                                           << "d.sh.disabled" << false << QString();
        QTest::newRow("directory-is-refused") << "dir.sh"
                                              << "dir.sh.disabled" << false << untrusted.arg(QStringLiteral("dir.sh"));
        QTest::newRow("link-is-refused") << "link.sh"
                                         << "link.sh.disabled" << false << untrusted.arg(QStringLiteral("link.sh"));
        QTest::newRow("group-writable-script-is-refused") << "shared.sh"
                                                          << "shared.sh.disabled" << false << untrusted.arg(QStringLiteral("shared.sh"));
        refused("conf-file-cannot-become-a-script", QStringLiteral("notify.conf"), QStringLiteral("x.sh"));
        refused("conf-file-cannot-be-disabled", QStringLiteral("notify.conf"), QStringLiteral("notify.conf.disabled"));
        refused("script-cannot-take-another-name", QStringLiteral("a.sh"), QStringLiteral("b.sh"));
        refused("leading-dash", QStringLiteral("-x.sh"), QStringLiteral("-x.sh.disabled"));
        refused("newline", QStringLiteral("x\ny.sh.disabled"), QStringLiteral("x\ny.sh"));
        refused("glob", QStringLiteral("*.sh.disabled"), QStringLiteral("*.sh"));
        refused("hidden", QStringLiteral(".sh"), QStringLiteral(".sh.disabled"));
    }

    void rename()
    {
        QFETCH(QString, oldName);
        QFETCH(QString, newName);
        QFETCH(bool, succeeds);
        QFETCH(QString, description);
        QTemporaryDir dir;
        populate(dir.path());
        const QMap<QString, QByteArray> before = snapshot(dir.path());

        const KAuth::ActionReply reply = FailureScriptRenamer(dir.path(), ::getuid()).rename(oldName, newName);

        QCOMPARE(reply.type(), succeeds ? KAuth::ActionReply::SuccessType : KAuth::ActionReply::HelperErrorType);
        QCOMPARE(reply.errorDescription(), description.replace(QStringLiteral("<dir>"), dir.path()));
        QVERIFY(reply.data().isEmpty());
        QMap<QString, QByteArray> expected = before;
        if (succeeds) {
            expected.insert(newName, expected.take(oldName));
        }
        QCOMPARE(snapshot(dir.path()), expected);
        QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("d.sh.disabled"))).symLinkTarget(), dir.filePath(QStringLiteral("sub/created-through-link")));
    }

    // Only root's own scripts in root's own directory: anyone else who may
    // change either could have swapped what is checked for what is renamed.
    void untrustedOwnerIsRefused_data()
    {
        QTest::addColumn<bool>("foreignDirectory");

        QTest::newRow("script-of-another-owner") << false;
        QTest::newRow("directory-writable-by-others") << true;
    }

    void untrustedOwnerIsRefused()
    {
        QFETCH(bool, foreignDirectory);
        QTemporaryDir dir;
        populate(dir.path());
        const QString refused = foreignDirectory ? dir.path() : dir.filePath(QStringLiteral("a.sh"));
        if (foreignDirectory) {
            QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::WriteOther | QFile::ExeOther));
        } else if (::getuid() != 0 || ::chown(QFile::encodeName(refused).constData(), 65534, gid_t(-1)) != 0) {
            QSKIP("Only root can give a script another owner");
        }
        const QMap<QString, QByteArray> before = snapshot(dir.path());

        const KAuth::ActionReply reply = FailureScriptRenamer(dir.path(), ::getuid()).rename(QStringLiteral("a.sh"), QStringLiteral("a.sh.disabled"));

        QCOMPARE(reply.type(), KAuth::ActionReply::HelperErrorType);
        QCOMPARE(
            reply.errorDescription(),
            QStringLiteral("The helper refuses to switch \"%1\": it must be a regular file or directory that belongs to root and that only root may change.")
                .arg(refused));
        QCOMPARE(snapshot(dir.path()), before);
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

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliaseditor.h"
#include "afickcurrentrule.h"
#include "configlinechanges.h"
#include "kcmintegrity.h"
#include "privatesystembus.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

// What the module offers the interface beyond the types it registers: the
// lines Apply would change, the check of a new alias name, and the
// configuration editor's messages with a text for a refusal. On a system bus
// without polkit every request to the helper fails at once.
class KCMIntegrityInterfaceTest : public QObject
{
    Q_OBJECT

    PrivateSystemBus m_bus;
    std::unique_ptr<KCMIntegrity> m_module;

    AfickConfigFileEditor &editor() const
    {
        return m_module->integrityFileSystemModel()->afickConfigEditor();
    }

    void loadSample() const
    {
        editor().applyConfigLines({
            QStringLiteral("# rules"),
            QStringLiteral("ETC = p+u+g"),
            QString(),
            QStringLiteral("/etc ETC"),
            QStringLiteral("/bin ETC"),
        });
    }

    static QStringList changed(const QVariantMap &changes, const char *key)
    {
        return changes.value(QString::fromLatin1(key)).toStringList();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
    }

    void init()
    {
        m_module = std::make_unique<KCMIntegrity>(nullptr, QVariantList());
    }

    void cleanup()
    {
        m_module.reset();
    }

    void lineChanges_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");

        const QStringList file{QStringLiteral("a"), QStringLiteral("/etc ETC"), QStringLiteral("b")};
        QTest::newRow("same-text-changes-nothing") << file << file << QStringList() << QStringList();
        QTest::newRow("line-rewritten-in-place-is-removed-and-added")
            << file << QStringList{QStringLiteral("a"), QStringLiteral("/etc ETC+md5"), QStringLiteral("b")} << QStringList{QStringLiteral("/etc ETC")}
            << QStringList{QStringLiteral("/etc ETC+md5")};
        QTest::newRow("appended-line-is-added") << file << file + QStringList{QStringLiteral("/tmp p")} << QStringList()
                                                << QStringList{QStringLiteral("/tmp p")};
        QTest::newRow("dropped-empty-lines-are-removed-each")
            << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString()} << QStringList{QStringLiteral("a"), QStringLiteral("b")}
            << QStringList{QString(), QString()} << QStringList();
        QTest::newRow("one-of-two-equal-lines-gone-is-removed-once")
            << QStringList{QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("y")} << QStringList{QStringLiteral("x"), QStringLiteral("y")}
            << QStringList{QStringLiteral("x")} << QStringList();
        QTest::newRow("moved-line-is-no-change") << QStringList{QStringLiteral("x"), QStringLiteral("y")}
                                                 << QStringList{QStringLiteral("y"), QStringLiteral("x")} << QStringList() << QStringList();
        QTest::newRow("lines-keep-file-order") << QStringList{QStringLiteral("k"), QStringLiteral("r2"), QStringLiteral("r1")}
                                               << QStringList{QStringLiteral("a2"), QStringLiteral("k"), QStringLiteral("a1")}
                                               << QStringList{QStringLiteral("r2"), QStringLiteral("r1")}
                                               << QStringList{QStringLiteral("a2"), QStringLiteral("a1")};
    }

    void lineChanges()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        const ConfigLineChanges changes = ConfigLineChanges::between(before, after);
        QTEST(changes.removed, "removed");
        QTEST(changes.added, "added");
    }

    // The sheet shows what the save itself would write.
    void pendingChangesFollowTheEdits()
    {
        QVariantMap changes = m_module->pendingChanges();
        QCOMPARE(changed(changes, "removed"), QStringList());
        QCOMPARE(changed(changes, "added"), QStringList());

        loadSample();
        changes = m_module->pendingChanges();
        QCOMPARE(changed(changes, "removed"), QStringList());
        QCOMPARE(changed(changes, "added"), QStringList());

        m_module->integrityFileSystemModel()->setCurrentRule(QStringLiteral("/etc"));
        AfickCurrentRule::instance()->addAttribute(QStringLiteral("md5"));
        m_module->integrityFileSystemModel()->setCurrentRule(QStringLiteral("/tmp"));
        AfickCurrentRule::instance()->addAttribute(QStringLiteral("p"));
        AfickAliasEditor::instance()->setCurrentAlias(QStringLiteral("ETC"));
        AfickAliasEditor::instance()->addAliasAttribute(QStringLiteral("sha1"));

        changes = m_module->pendingChanges();
        QCOMPARE(changed(changes, "removed"), (QStringList{QStringLiteral("ETC = p+u+g"), QStringLiteral("/etc ETC")}));
        QCOMPARE(changed(changes, "added"), (QStringList{QStringLiteral("ETC = p+u+g+sha1"), QStringLiteral("/etc ETC+md5"), QStringLiteral("/tmp p")}));
        QCOMPARE(changed(changes, "added"), ConfigLineChanges::between(editor().configLines(), editor().linesToSave()).added);
    }

    void aliasNameProblem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("problem");

        QTest::newRow("new-word-is-fine") << QStringLiteral("Binaries_2") << QString();
        QTest::newRow("underscore-start-is-fine") << QStringLiteral("_local") << QString();
        QTest::newRow("empty") << QString() << QStringLiteral("An alias needs a name.");
        const QString notAWord = QStringLiteral("A name may hold only letters, digits and underscores, and may not start with a digit.");
        QTest::newRow("space-would-split-the-rule") << QStringLiteral("my set") << notAWord;
        QTest::newRow("plus-would-split-the-attributes") << QStringLiteral("a+b") << notAWord;
        QTest::newRow("equals-would-make-an-alias-line") << QStringLiteral("x=y") << notAWord;
        QTest::newRow("leading-digit") << QStringLiteral("1st") << notAWord;
        QTest::newRow("attribute-code") << QStringLiteral("md5") << QStringLiteral("\"md5\" is the name of an attribute.");
        QTest::newRow("attribute-code-beyond-the-first-ones") << QStringLiteral("sha256") << QStringLiteral("\"sha256\" is the name of an attribute.");
        QTest::newRow("built-in-name") << QStringLiteral("all") << QStringLiteral("\"all\" is the name of one of afick's built-in attribute sets.");
        QTest::newRow("built-in-p") << QStringLiteral("P") << QStringLiteral("\"P\" is the name of one of afick's built-in attribute sets.");
        QTest::newRow("existing-alias-would-be-replaced") << QStringLiteral("ETC") << QStringLiteral("There is already an alias named \"ETC\".");
        QTest::newRow("names-are-case-sensitive") << QStringLiteral("etc") << QString();
    }

    void aliasNameProblem()
    {
        QFETCH(QString, name);
        loadSample();
        QTEST(m_module->aliasNameProblem(name), "problem");
    }

    void editorMessagesReachTheInterface_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("shown");

        QTest::newRow("read-error-text-as-given") << false << QStringLiteral("Wrong rule: /x") << QStringLiteral("Wrong rule: /x");
        QTest::newRow("read-refusal-is-named") << false << QString()
                                               << QStringLiteral("Reading the configuration was refused: you are not authorized to do it.");
        QTest::newRow("write-error-text-as-given") << true << QStringLiteral("Can't write \"/etc/afick.conf\"")
                                                   << QStringLiteral("Can't write \"/etc/afick.conf\"");
        QTest::newRow("write-refusal-is-named") << true << QString()
                                                << QStringLiteral(
                                                       "Saving the configuration was refused: you are not authorized to do it. Your changes are kept.");
    }

    void editorMessagesReachTheInterface()
    {
        QFETCH(bool, write);
        QFETCH(QString, error);
        QSignalSpy read(m_module.get(), &KCMIntegrity::readConfigError);
        QSignalSpy written(m_module.get(), &KCMIntegrity::writeConfigError);
        if (write) {
            Q_EMIT editor().writeConfigError(error);
        } else {
            Q_EMIT editor().readConfigError(error);
        }
        QSignalSpy &expected = write ? written : read;
        QCOMPARE((write ? read : written).count(), 0);
        QCOMPARE(expected.count(), 1);
        QTEST(expected.first().first().toString(), "shown");
    }

    // The save of an unread configuration is refused by the editor; its
    // message reaches the interface like any other.
    void refusedSaveOfUnreadConfigurationIsShown()
    {
        QSignalSpy written(m_module.get(), &KCMIntegrity::writeConfigError);
        m_module->saveConfig();
        QCOMPARE(written.count(), 1);
        QVERIFY(!written.first().first().toString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(KCMIntegrityInterfaceTest)

#include "kcmintegrityinterfacetest.moc"

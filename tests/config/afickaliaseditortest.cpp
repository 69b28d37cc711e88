// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliaseditor.h"
#include "recordstrings.h"

#include <QSignalSpy>
#include <QTest>

namespace
{
QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

AfickAliasMap aliasesOf(std::initializer_list<std::pair<const char *, const char *>> definitions)
{
    AfickAliasMap map;
    for (const auto &[name, attributes] : definitions) {
        map.insert(QString::fromUtf8(name), AfickAlias{QString::fromUtf8(name), words(attributes)});
    }
    return map;
}
}

class AfickAliasEditorTest : public QObject
{
    Q_OBJECT

    AfickAliasEditor *const editor = AfickAliasEditor::instance();

private Q_SLOTS:
    void init()
    {
        editor->setAliasMap(aliasesOf({{"ALIAS1", "p u"}, {"ALIAS2", "m"}}));
        editor->clearCurrentAlias();
        editor->setShowFullNames(false);
    }

    void oneInstance()
    {
        QCOMPARE(AfickAliasEditor::instance(), editor);
        QVERIFY(!editor->parent());
    }

    void rename_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QStringList>("aliases");
        QTest::addColumn<int>("signals");
        QTest::newRow("same-name-is-no-change") << "ALIAS1" << QStringList{"ALIAS1|p,u", "ALIAS2|m"} << 0;
        QTest::newRow("new-name-moves-the-record") << "BASE" << QStringList{"ALIAS2|m", "BASE|p,u"} << 1;
        QTest::newRow("existing-name-is-overwritten") << "ALIAS2" << QStringList{"ALIAS2|p,u"} << 1;
        QTest::newRow("names-are-not-validated") << "a = b" << QStringList{"ALIAS2|m", "a = b|p,u"} << 1;
        QTest::newRow("surrounding-blanks-are-no-part-of-a-name") << " BASE\t" << QStringList{"ALIAS2|m", "BASE|p,u"} << 1;
        QTest::newRow("blanks-around-the-current-name-are-no-change") << " ALIAS1 " << QStringList{"ALIAS1|p,u", "ALIAS2|m"} << 0;
    }
    void rename()
    {
        QFETCH(QString, newName);
        QFETCH(QStringList, aliases);
        QFETCH(int, signals);
        editor->setCurrentAlias(QStringLiteral("ALIAS1"));
        QSignalSpy changed(editor, &AfickAliasEditor::attributesChanged);
        editor->renameCurrentAlias(newName);
        QCOMPARE(changed.size(), signals);
        QCOMPARE(describe(editor->aliasMap()), aliases);
        QCOMPARE(editor->currentAlias(), newName.trimmed());
    }

    void selectingCreates()
    {
        QSignalSpy changed(editor, &AfickAliasEditor::attributesChanged);
        editor->setCurrentAlias(QStringLiteral("NEW"));
        QCOMPARE(editor->aliases(), words("ALIAS1 ALIAS2 NEW"));
        QCOMPARE(editor->aliasAttributes(), QStringList());
        // Not a map of the file: the selection survives a new map.
        editor->setAliasMap({});
        QCOMPARE(editor->currentAlias(), QStringLiteral("NEW"));
        QCOMPARE(changed.size(), 2);
        editor->clearCurrentAlias();
        QCOMPARE(changed.size(), 2);
    }

    void editingWithoutSelectionMakesNamelessAlias()
    {
        QSignalSpy changed(editor, &AfickAliasEditor::attributesChanged);
        editor->addAliasAttribute(QStringLiteral("md5"));
        QCOMPARE(editor->aliasMap().value(QString()), (AfickAlias{QString(), {QStringLiteral("md5")}}));
        QCOMPARE(changed.size(), 1);
    }

    // As a rule's: one copy of a term, whichever name it is given by.
    void duplicatesRefused()
    {
        editor->setCurrentAlias(QStringLiteral("ALIAS1"));
        QSignalSpy changed(editor, &AfickAliasEditor::attributesChanged);
        editor->addAliasAttribute(QStringLiteral("p"));
        editor->addAliasAttribute(QStringLiteral("user"));
        QCOMPARE(editor->aliasAttributes(), words("p u"));
        QCOMPARE(changed.size(), 0);
        editor->removeAliasAttribute(QStringLiteral("absent"));
        QCOMPARE(changed.size(), 1);
    }

    void descriptionsAcceptedWhateverTheSwitch()
    {
        editor->setCurrentAlias(QStringLiteral("ALIAS2"));
        editor->addAliasAttribute(QStringLiteral("file size"));
        QCOMPARE(editor->aliasMap().value(QStringLiteral("ALIAS2")).attributes, words("m s"));
        editor->removeAliasAttribute(QStringLiteral("mtime"));
        QCOMPARE(editor->aliasMap().value(QStringLiteral("ALIAS2")).attributes, words("s"));
    }

    // "-md5" in the file, "−md5" (U+2212) on screen, either form accepted back.
    void minusTerms()
    {
        editor->setCurrentAlias(QStringLiteral("ALIAS1"));
        editor->addAliasAttribute(QStringLiteral(" \u2212md5 checksum"));
        editor->addAliasAttribute(QStringLiteral("-s"));
        QCOMPARE(editor->aliasMap().value(QStringLiteral("ALIAS1")).attributes, words("p u -md5 -s"));
        QCOMPARE(editor->aliasAttributes(), (QStringList{"p", "u", "\u2212md5", "\u2212s"}));
        editor->setShowFullNames(true);
        QCOMPARE(editor->aliasAttributes().mid(2), (QStringList{"\u2212md5 checksum", "\u2212file size"}));
        editor->removeAliasAttribute(QStringLiteral("\u2212md5 checksum"));
        editor->removeAliasAttribute(QStringLiteral("\u2212s"));
        QCOMPARE(editor->aliasMap().value(QStringLiteral("ALIAS1")).attributes, words("p u"));
    }

    void fullNames()
    {
        editor->aliasMap().insert(QStringLiteral("p"), AfickAlias{QStringLiteral("p"), {}});
        editor->setCurrentAlias(QStringLiteral("ALIAS1"));
        QCOMPARE(editor->aliases(), (QStringList{"ALIAS1", "ALIAS2", "p"}));
        QCOMPARE(editor->aliasAttributes(), words("p u"));
        QCOMPARE(editor->unusedAliasAttributes(), words("ALIAS2 a b c d g i m md5 n s sha1 sha256 sha512 all R L P E"));

        QSignalSpy changed(editor, &AfickAliasEditor::attributesChanged);
        editor->setShowFullNames(true);
        editor->setShowFullNames(true);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(editor->aliases(), (QStringList{"ALIAS1", "ALIAS2", "p"}));
        QCOMPARE(editor->aliasAttributes(), (QStringList{"permissions", "user"}));
        QCOMPARE(editor->unusedAliasAttributes().mid(0, 4), (QStringList{"ALIAS2", "atime", "blocks", "ctime"}));
        QCOMPARE(editor->unusedAliasAttributes().mid(11), (QStringList{"sha1 checksum", "sha256 checksum", "sha512 checksum", "all", "R", "L", "P", "E"}));
    }

    // An alias called what an attribute is described as stays that alias,
    // and the attribute stays the attribute, in either form of names.
    void offeredItemsKeepTheirKind_data()
    {
        QTest::addColumn<bool>("fullNames");
        QTest::addColumn<QString>("offeredAlias");
        QTest::addColumn<QString>("offeredAttribute");
        QTest::newRow("codes") << false << "user"
                               << "u";
        QTest::newRow("full-names") << true << "user"
                                    << "user (u)";
    }
    void offeredItemsKeepTheirKind()
    {
        QFETCH(bool, fullNames);
        QFETCH(QString, offeredAlias);
        QFETCH(QString, offeredAttribute);
        editor->aliasMap().insert(QStringLiteral("user"), AfickAlias{QStringLiteral("user"), words("p g")});
        editor->setCurrentAlias(QStringLiteral("ALIAS2"));
        editor->setShowFullNames(fullNames);
        QVERIFY(editor->unusedAliasAttributes().contains(offeredAlias));
        QVERIFY(editor->unusedAliasAttributes().contains(offeredAttribute));
        editor->addAliasAttribute(offeredAlias);
        editor->addAliasAttribute(offeredAttribute);
        QCOMPARE(editor->aliasMap().value(QStringLiteral("ALIAS2")).attributes, words("m user u"));
        QCOMPARE(editor->aliasAttributes().mid(1), (QStringList{offeredAlias, offeredAttribute}));
        editor->removeAliasAttribute(offeredAttribute);
        QCOMPARE(editor->aliasMap().value(QStringLiteral("ALIAS2")).attributes, words("m user"));
    }
};

QTEST_GUILESS_MAIN(AfickAliasEditorTest)

#include "afickaliaseditortest.moc"

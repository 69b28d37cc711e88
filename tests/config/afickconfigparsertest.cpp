// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliaseditor.h"
#include "afickconfigfileeditor.h"
#include "recordstrings.h"

#include <QSignalSpy>
#include <QTest>

class AfickConfigParserTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        AfickAliasEditor::instance()->setAliasMap({});
        AfickAliasEditor::instance()->clearCurrentAlias();
    }

    void parse_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("aliases");
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QStringList>("messages");
        const QStringList none;

        QTest::newRow("alias-line-index-counts-every-line") << QStringList{"# c", "", "MyAlias = p+i+n+u"} << QStringList{"MyAlias|p,i,n,u@2"} << none << none;
        QTest::newRow("alias-simplified") << QStringList{"  MyAlias \t  =   p+u  "} << QStringList{"MyAlias|p,u@0"} << none << none;
        QTest::newRow("alias-blank-after-equals-kept") << QStringList{"MyAlias= p+u"} << QStringList{"MyAlias| p,u@0"} << none << none;
        QTest::newRow("alias-blank-before-equals-kept") << QStringList{"MyAlias =p+u"} << QStringList{"MyAlias |p,u@0"} << none << none;
        QTest::newRow("alias-blanks-around-plus-kept") << QStringList{"A = p + u"} << QStringList{"A|p , u@0"} << none << none;
        QTest::newRow("alias-two-equals-reported-raw") << QStringList{"  a = b=c "} << none << none << QStringList{"Wrong alias:   a = b=c "};
        QTest::newRow("alias-duplicate-last-wins") << QStringList{"A = p", "A = u"} << QStringList{"A|u@1"} << none << none;

        QTest::newRow("rule-plain") << QStringList{"/etc p+u"} << none << QStringList{"|/etc|p,u@0"} << none;
        QTest::newRow("rule-exclusion") << QStringList{"!/var/log all"} << none << QStringList{"!|/var/log|all@0"} << none;
        QTest::newRow("rule-equals-prefix") << QStringList{"=/tmp R"} << none << QStringList{"=|/tmp|R@0"} << none;
        QTest::newRow("rule-tab-separates") << QStringList{"/bin\tR"} << none << QStringList{"|/bin|R@0"} << none;
        QTest::newRow("rule-empty-parts-dropped") << QStringList{"/etc p++u", "/var +p+u+"} << none << QStringList{"|/etc|p,u@0", "|/var|p,u@1"} << none;
        QTest::newRow("rule-key-is-path-alone") << QStringList{"!/tmp p", "/tmp u"} << none << QStringList{"|/tmp|u@1"} << none;
        QTest::newRow("rule-equals-in-path-after-prefix") << QStringList{"=/a=b c"} << none << QStringList{"=|/a=b|c@0"} << none;
        QTest::newRow("rule-equals-in-path-reads-as-alias") << QStringList{"/a=b c"} << QStringList{"/a|b c@0"} << none << none;
        QTest::newRow("rule-without-attributes") << QStringList{"!/var/log"} << none << none << QStringList{"Wrong rule: !/var/log"};
        QTest::newRow("rule-trailing-comment") << QStringList{"/etc p+u # note"} << none << none << QStringList{"Wrong rule: /etc p+u # note"};
        QTest::newRow("rule-blank-after-prefix-three-fields") << QStringList{"! /tmp p"} << none << none << QStringList{"Wrong rule: ! /tmp p"};
        QTest::newRow("rule-blank-after-prefix-empty-path")
            << QStringList{"! /boot/map", "! /proc"} << none << none << QStringList{"Wrong rule: ! /boot/map", "Wrong rule: ! /proc"};
        QTest::newRow("rule-prefix-alone") << QStringList{"="} << none << none << QStringList{"Wrong rule: ="};
        QTest::newRow("message-substitutes-once") << QStringList{"/x %1 %2"} << none << none << QStringList{"Wrong rule: /x %1 %2"};

        QTest::newRow("skipped-silently") << QStringList{"key:=value", "key := a b", "@@ifdef X", "/etc @@x p", "  # / p", " \t "} << none << none << none;
        QTest::newRow("good-lines-around-a-bad-one") << QStringList{"/a p", "/b", "/c u"} << none << QStringList{"|/a|p@0", "|/c|u@2"}
                                                     << QStringList{"Wrong rule: /b"};
    }
    void parse()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, aliases);
        QFETCH(QStringList, rules);
        QFETCH(QStringList, messages);

        AfickConfigFileEditor editor;
        QSignalSpy errors(&editor, &AfickConfigFileEditor::readConfigError);
        QSignalSpy aliasesHandedOver(AfickAliasEditor::instance(), &AfickAliasEditor::attributesChanged);
        for (const QString &message : qAsConst(messages)) {
            QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("readConfigError: \"%1\"").arg(message)));
        }
        editor.applyConfigLines(lines);

        QCOMPARE(describeWithLines(editor.parsedAliases(), editor.aliasLineIndex()), aliases);
        QCOMPARE(describeWithLines(editor.parsedRules(), editor.ruleLineIndex()), rules);
        QCOMPARE(editor.aliasLineIndex().size(), aliases.size());
        QCOMPARE(editor.ruleLineIndex().size(), rules.size());
        QStringList reported;
        for (const QList<QVariant> &arguments : qAsConst(errors)) {
            reported.append(arguments.at(0).toString());
        }
        QCOMPARE(reported, messages);

        QCOMPARE(editor.configLines(), lines);
        QVERIFY(editor.currentRules() == editor.parsedRules());
        QVERIFY(editor.currentAliases() == editor.parsedAliases());
        QCOMPARE(aliasesHandedOver.size(), 1);
        QVERIFY(!editor.hasChanges());
    }

    void parseReplacesEverything()
    {
        AfickConfigFileEditor editor;
        QVERIFY(!editor.isConfigLoaded());
        editor.applyConfigLines({QStringLiteral("A = p"), QStringLiteral("/etc p")});
        QVERIFY(editor.isConfigLoaded());
        editor.setRule(AfickRule{QString(), QStringLiteral("/new"), {QStringLiteral("u")}});
        editor.currentAliases().insert(QStringLiteral("B"), AfickAlias{QStringLiteral("B"), {QStringLiteral("m")}});
        QVERIFY(editor.hasChanges());

        QSignalSpy aliasesHandedOver(AfickAliasEditor::instance(), &AfickAliasEditor::attributesChanged);
        editor.applyConfigLines({});
        QVERIFY(editor.isConfigLoaded());
        QVERIFY(editor.configLines().isEmpty());
        QVERIFY(editor.parsedRules().isEmpty() && editor.parsedAliases().isEmpty());
        QVERIFY(editor.currentRules().isEmpty() && AfickAliasEditor::instance()->aliasMap().isEmpty());
        QVERIFY(editor.ruleLineIndex().isEmpty() && editor.aliasLineIndex().isEmpty());
        QCOMPARE(aliasesHandedOver.size(), 1);
        QVERIFY(!editor.hasChanges());
    }

    void writeErrorsAreLogged()
    {
        AfickConfigFileEditor editor;
        QSignalSpy reported(&editor, &AfickConfigFileEditor::writeConfigError);
        QTest::ignoreMessage(QtWarningMsg, "writeConfigError: \"The configuration has not been read; nothing was saved.\"");
        editor.saveConfig();
        QCOMPARE(reported.size(), 1);
    }
};

QTEST_GUILESS_MAIN(AfickConfigParserTest)

#include "afickconfigparsertest.moc"

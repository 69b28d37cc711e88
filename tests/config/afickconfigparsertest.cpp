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
        QTest::newRow("alias-blank-after-equals") << QStringList{"MyAlias= p+u"} << QStringList{"MyAlias|p,u@0"} << none << none;
        QTest::newRow("alias-blank-before-equals") << QStringList{"MyAlias =p+u"} << QStringList{"MyAlias|p,u@0"} << none << none;
        QTest::newRow("alias-blanks-around-operators") << QStringList{"A = p + u - md5"} << QStringList{"A|p,u,-md5@0"} << none << none;
        QTest::newRow("alias-two-equals-reported-raw") << QStringList{"  a = b=c "} << none << none << QStringList{"Wrong alias:   a = b=c "};
        QTest::newRow("alias-blank-in-name") << QStringList{"My Alias = p"} << none << none << QStringList{"Wrong alias: My Alias = p"};
        QTest::newRow("alias-without-attributes") << QStringList{"A ="} << none << none << QStringList{"Wrong alias: A ="};
        QTest::newRow("alias-duplicate-last-wins") << QStringList{"A = p", "A = u"} << QStringList{"A|u@1"} << none << none;

        QTest::newRow("rule-plain") << QStringList{"/etc p+u"} << none << QStringList{"|/etc|p,u@0"} << none;
        QTest::newRow("rule-exclusion") << QStringList{"!/var/log all"} << none << QStringList{"!|/var/log|all@0"} << none;
        QTest::newRow("rule-equals-prefix") << QStringList{"=/tmp R"} << none << QStringList{"=|/tmp|R@0"} << none;
        QTest::newRow("rule-tab-separates") << QStringList{"/bin\tR"} << none << QStringList{"|/bin|R@0"} << none;
        QTest::newRow("rule-empty-parts-dropped") << QStringList{"/etc p++u", "/var +p+u+"} << none << QStringList{"|/etc|p,u@0", "|/var|p,u@1"} << none;
        QTest::newRow("rule-key-is-path-alone") << QStringList{"!/tmp p", "/tmp u"} << none << QStringList{"|/tmp|u@1"} << none;
        QTest::newRow("rule-equals-in-path-after-prefix") << QStringList{"=/a=b c"} << none << QStringList{"=|/a=b|c@0"} << none;
        QTest::newRow("rule-equals-in-path") << QStringList{"/a=b c"} << none << QStringList{"|/a=b|c@0"} << none;
        QTest::newRow("exclusion-without-attributes") << QStringList{"!/var/log/journal"} << none << QStringList{"!|/var/log/journal|@0"} << none;
        QTest::newRow("exclusion-blank-after-prefix") << QStringList{"! /boot/map", "!\t/proc"} << none << QStringList{"!|/boot/map|@0", "!|/proc|@1"} << none;
        QTest::newRow("directory-only-blank-after-prefix") << QStringList{"= /  DIR"} << none << QStringList{"=|/|DIR@0"} << none;
        QTest::newRow("minus-terms-with-blanks") << QStringList{"/etc/mtab ETC - md5 - s", "/lib/dev-state MyRule -u"} << none
                                                 << QStringList{"|/etc/mtab|ETC,-md5,-s@0", "|/lib/dev-state|MyRule,-u@1"} << none;
        QTest::newRow("minus-and-plus-mixed") << QStringList{"/etc ETC-md5+sha1"} << none << QStringList{"|/etc|ETC,-md5,sha1@0"} << none;
        QTest::newRow("minus-without-term") << QStringList{"/a p-", "/b p--u", "/c p-+u"} << none << none
                                            << QStringList{"Wrong rule: /a p-", "Wrong rule: /b p--u", "Wrong rule: /c p-+u"};
        QTest::newRow("afick-default-exclusion-with-equals")
            << QStringList{"! = /dev/scsi p+n", "!=/dev/x"} << none << QStringList{"!|/dev/scsi|p,n@0", "!|/dev/x|@1"} << none;
        QTest::newRow("equals-then-exclusion") << QStringList{"= ! /x p"} << none << none << QStringList{"Wrong rule: = ! /x p"};
        QTest::newRow("quoted-path-keeps-its-blanks") << QStringList{"\"/srv/my  files\" ETC", "! \"/a=b c\""} << none
                                                      << QStringList{"!|/a=b c|@1", "|/srv/my  files|ETC@0"} << none;
        QTest::newRow("quoted-path-unclosed-or-glued")
            << QStringList{"\"/srv/x p", "\"/srv/x\"p"} << none << none << QStringList{"Wrong rule: \"/srv/x p", "Wrong rule: \"/srv/x\"p"};
        QTest::newRow("trailing-slash-names-the-directory")
            << QStringList{"! /etc/webmin/sysstats/modules/", "/ p"} << none << QStringList{"|/|p@1", "!|/etc/webmin/sysstats/modules|@0"} << none;
        QTest::newRow("rule-without-attributes") << QStringList{"/var/log", "= /tmp"} << none << none
                                                 << QStringList{"Wrong rule: /var/log", "Wrong rule: = /tmp"};
        QTest::newRow("rule-terms-without-operator") << QStringList{"/etc p u"} << none << none << QStringList{"Wrong rule: /etc p u"};
        QTest::newRow("rule-trailing-comment") << QStringList{"/etc p+u # note"} << none << none << QStringList{"Wrong rule: /etc p+u # note"};
        QTest::newRow("rule-prefix-alone") << QStringList{"=", "!"} << none << none << QStringList{"Wrong rule: =", "Wrong rule: !"};
        QTest::newRow("message-substitutes-once") << QStringList{"/x %1 %2"} << none << none << QStringList{"Wrong rule: /x %1 %2"};

        QTest::newRow("skipped-silently") << QStringList{"key:=value", "exclude_suffix := log gz", "@@ifdef X", "/etc @@x p", "  # / p", " \t "} << none << none
                                          << none;
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
            // As the log quotes it.
            const QString quoted = QString(message).replace(QLatin1Char('"'), QLatin1String("\\\""));
            QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("readConfigError: \"%1\"").arg(quoted)));
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

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliaseditor.h"
#include "afickconfigfileeditor.h"
#include "recordstrings.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTextStream>

namespace
{
QStringList attributes(const QString &text)
{
    return text.split(QLatin1Char('+'), Qt::SkipEmptyParts);
}

// Edits as text, one per element: "rule|prefix|path|a+b", "-rule|path",
// "alias|name|a+b", "-alias|name", "rename|old|new".
void applyEdits(AfickConfigFileEditor &editor, const QStringList &edits)
{
    AfickAliasEditor *aliases = AfickAliasEditor::instance();
    for (const QString &edit : edits) {
        const QStringList f = edit.split(QLatin1Char('|'));
        if (f[0] == QLatin1String("rule")) {
            editor.setRule(AfickRule{f[1], f[2], attributes(f[3])});
        } else if (f[0] == QLatin1String("-rule")) {
            editor.currentRules().remove(f[1]);
        } else if (f[0] == QLatin1String("alias")) {
            aliases->aliasMap().insert(f[1], AfickAlias{f[1], attributes(f[2])});
        } else if (f[0] == QLatin1String("-alias")) {
            aliases->aliasMap().remove(f[1]);
        } else if (f[0] == QLatin1String("rename")) {
            aliases->setCurrentAlias(f[1]);
            aliases->renameCurrentAlias(f[2]);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown edit %1").arg(edit)));
        }
    }
}
}

class AfickConfigWriterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        AfickAliasEditor::instance()->setAliasMap({});
        AfickAliasEditor::instance()->clearCurrentAlias();
    }

    void save_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<bool>("changes");
        const QStringList file{"# head", "key := value", "A = p", "B   =   p+u", "/etc p+u", "!/var all", "/etc u", "/tmp R"};

        QTest::newRow("worked-example")
            << QStringList{"# integrity rules", "", "MyAlias = p+u", "Other = m", "key := value", "/etc MyAlias", "=/tmp p", "/var p"}
            << QStringList{"-alias|Other", "alias|New|md5", "alias|Zed|s", "rule||/etc|MyAlias+m", "-rule|/tmp", "rule||/bin|R"}
            << QStringList{"# integrity rules", "MyAlias = p+u", "Zed = s", "New = md5", "key := value", "/etc MyAlias+m", "/var p", "/bin R"} << true;
        QTest::newRow("no-edits-drops-only-empty-lines")
            << QStringList{"# a", "", "   ", "A = p", ""} << QStringList() << QStringList{"# a", "   ", "A = p"} << false;
        QTest::newRow("changed-alias-canonical-in-place")
            << file << QStringList{"alias|B|p+u+m"} << QStringList{"# head", "key := value", "A = p", "B = p+u+m", "/etc p+u", "!/var all", "/etc u", "/tmp R"}
            << true;
        QTest::newRow("unchanged-alias-keeps-its-spacing")
            << file << QStringList{"rule||/tmp|L"} << QStringList{"# head", "key := value", "A = p", "B   =   p+u", "/etc p+u", "!/var all", "/etc u", "/tmp L"}
            << true;
        QTest::newRow("prefix-change-in-place") << file << QStringList{"rule|=|/tmp|R"}
                                                << QStringList{"# head", "key := value", "A = p", "B   =   p+u", "/etc p+u", "!/var all", "/etc u", "=/tmp R"}
                                                << true;
        QTest::newRow("deleted-rule-earlier-duplicate-stays")
            << file << QStringList{"-rule|/etc"} << QStringList{"# head", "key := value", "A = p", "B   =   p+u", "/etc p+u", "!/var all", "/tmp R"} << true;
        QTest::newRow("emptied-attributes-delete") << file << QStringList{"rule|!|/var|", "alias|A|"}
                                                   << QStringList{"# head", "key := value", "B   =   p+u", "/etc p+u", "/etc u", "/tmp R"} << true;
        QTest::newRow("new-rules-appended-in-path-order")
            << file << QStringList{"rule||/b|p", "rule||/a|p", "rule||/c|"}
            << QStringList{"# head", "key := value", "A = p", "B   =   p+u", "/etc p+u", "!/var all", "/etc u", "/tmp R", "/a p", "/b p"} << true;
        QTest::newRow("new-aliases-after-last-alias-descending")
            << file << QStringList{"alias|X|p", "alias|Y|u", "alias|Z|"}
            << QStringList{"# head", "key := value", "A = p", "B   =   p+u", "Y = u", "X = p", "/etc p+u", "!/var all", "/etc u", "/tmp R"} << true;
        QTest::newRow("rename-moves-after-last-alias")
            << file << QStringList{"rename|A|C"} << QStringList{"# head", "key := value", "B   =   p+u", "C = p", "/etc p+u", "!/var all", "/etc u", "/tmp R"}
            << true;
        QTest::newRow("no-alias-line-new-alias-second")
            << QStringList{"# only", "/etc p"} << QStringList{"alias|X|p"} << QStringList{"# only", "X = p", "/etc p"} << true;
        QTest::newRow("empty-file-gets-new-records") << QStringList() << QStringList{"alias|X|p", "rule||/a|p"} << QStringList{"/a p", "X = p"} << true;
        QTest::newRow("undone-edit-is-no-change") << file << QStringList{"rule||/tmp|L", "rule||/tmp|R", "alias|A|m", "alias|A|p"} << file << false;
        QTest::newRow("attribute-order-is-a-change") << file << QStringList{"alias|B|u+p"}
                                                     << QStringList{"# head", "key := value", "A = p", "B = u+p", "/etc p+u", "!/var all", "/etc u", "/tmp R"}
                                                     << true;

        // A line break would write further, arbitrary lines into the file.
        QTest::newRow("multi-line-new-rule-not-written") << file << QStringList{"rule||/tmp/x\nexclude_re := .*|p"} << file << true;
        QTest::newRow("multi-line-change-keeps-old-line") << file << QStringList{"alias|A|p\r\n@@define X"} << file << true;
        QTest::newRow("multi-line-new-alias-not-written") << file << QStringList{"alias|N\nM|p"} << file << true;
        // Nor may a record be written whose line would read back as another.
        QTest::newRow("blank-in-path-not-written") << file << QStringList{"rule||/home/My Documents|p"} << file << true;
        QTest::newRow("equals-in-path-would-read-as-alias") << file << QStringList{"rule||/a=b|p"} << file << true;
        QTest::newRow("equals-prefix-carries-equals-in-path") << file << QStringList{"rule|=|/a=b|p"} << QStringList(file) + QStringList{"=/a=b p"} << true;
        QTest::newRow("hash-path-would-read-as-comment") << file << QStringList{"rule||#x|p"} << file << true;
        QTest::newRow("directive-in-attribute-keeps-old-line") << file << QStringList{"rule||/tmp|a:=b"} << file << true;
        QTest::newRow("equals-in-alias-attribute-keeps-old-line") << file << QStringList{"alias|A|p=u"} << file << true;
    }
    void save()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, edits);
        QFETCH(QStringList, saved);
        QFETCH(bool, changes);
        AfickConfigFileEditor editor;
        editor.applyConfigLines(lines);
        applyEdits(editor, edits);
        QCOMPARE(editor.linesToSave(), saved);
        QCOMPARE(editor.hasChanges(), changes);
        QCOMPARE(editor.configLines(), lines);
    }

    void changeDetection()
    {
        AfickConfigFileEditor editor;
        editor.applyConfigLines({QStringLiteral("A = p"), QStringLiteral("/etc p+u")});
        QVERIFY(!editor.isRuleChanged(QStringLiteral("/etc")));
        QVERIFY(!editor.isRuleChanged(QStringLiteral("/absent")));
        editor.setRule(AfickRule{QStringLiteral("!"), QStringLiteral("/etc"), {QStringLiteral("p"), QStringLiteral("u")}});
        QVERIFY(editor.isRuleChanged(QStringLiteral("/etc")));
        editor.setRule(AfickRule{QString(), QStringLiteral("/etc"), {QStringLiteral("p"), QStringLiteral("u")}});
        QVERIFY(!editor.hasChanges());
        // A record for a path without a rule counts, even before it has attributes.
        editor.setRule(AfickRule{QString(), QStringLiteral("/new"), {}});
        QVERIFY(editor.isRuleChanged(QStringLiteral("/new")));
        QVERIFY(editor.hasChanges());

        QVERIFY(!editor.isAliasChanged(QStringLiteral("A")));
        AfickAliasEditor::instance()->setCurrentAlias(QStringLiteral("A"));
        AfickAliasEditor::instance()->renameCurrentAlias(QStringLiteral("B"));
        QVERIFY(editor.isAliasChanged(QStringLiteral("A")));
        QVERIFY(editor.isAliasChanged(QStringLiteral("B")));
    }

    void unchangedRealConfigurationRoundTrips()
    {
        QFile file(QStringLiteral(AFICK_TEST_DATA_DIR "/afick.conf"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QTextStream stream(&file);
        QStringList lines;
        while (!stream.atEnd()) {
            lines.append(stream.readLine());
        }

        const QStringList messages{
            QStringLiteral("Wrong rule: = /  DIR"),
            QStringLiteral("Wrong rule: ! /boot/map"),
            QStringLiteral("Wrong rule: /etc/mtab ETC - md5 - s"),
            QStringLiteral("Wrong rule: !/etc/adjtime"),
            QStringLiteral("Wrong rule: /lib/dev-state MyRule -u"),
        };
        for (const QString &message : messages) {
            QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("readConfigError: \"%1\"").arg(message)));
        }
        AfickConfigFileEditor editor;
        QSignalSpy errors(&editor, &AfickConfigFileEditor::readConfigError);
        editor.applyConfigLines(lines);
        QCOMPARE(errors.size(), messages.size());
        QVERIFY(editor.parsedRules().size() > 10 && editor.parsedAliases().size() > 3);

        QStringList expected = lines;
        expected.removeAll(QString());
        QVERIFY(expected.size() < lines.size());
        QCOMPARE(editor.linesToSave(), expected);
        QVERIFY(!editor.hasChanges());
    }
};

QTEST_GUILESS_MAIN(AfickConfigWriterTest)

#include "afickconfigwritertest.moc"

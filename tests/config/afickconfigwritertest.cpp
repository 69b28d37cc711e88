// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliaseditor.h"
#include "afickconfigfileeditor.h"
#include "filelines.h"
#include "recordstrings.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextStream>

namespace
{
QByteArray corpusFile(const QString &name)
{
    QFile file(QStringLiteral(AFICK_TEST_DATA_DIR "/corpus/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray terminatorOf(const QByteArray &line)
{
    return line.endsWith("\r\n") ? QByteArray("\r\n") : line.endsWith('\n') ? QByteArray("\n") : QByteArray();
}

QStringList attributes(const QString &text)
{
    return text.split(QLatin1Char('+'), Qt::SkipEmptyParts);
}

// Edits as text, one per element: "rule|prefix|path|a+b", "-rule|path",
// "alias|name|a+b", "-alias|name", "rename|old|new", "add|name|attribute".
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
        } else if (f[0] == QLatin1String("add")) {
            aliases->setCurrentAlias(f[1]);
            aliases->addAliasAttribute(f[2]);
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
            << QStringList{"# integrity rules", "", "MyAlias = p+u", "Zed = s", "New = md5", "key := value", "/etc MyAlias+m", "/var p", "/bin R"} << true;
        QTest::newRow("no-edits-keeps-empty-lines") << QStringList{"# a", "", "   ", "A = p", ""} << QStringList() << QStringList{"# a", "", "   ", "A = p", ""}
                                                    << false;
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
        QTest::newRow("emptied-attributes-delete") << file << QStringList{"rule||/var|", "rule|=|/tmp|", "alias|A|"}
                                                   << QStringList{"# head", "key := value", "B   =   p+u", "/etc p+u", "/etc u"} << true;
        QTest::newRow("exclusion-without-attributes-written")
            << file << QStringList{"rule|!|/tmp|", "rule|!|/new|"}
            << QStringList{"# head", "key := value", "A = p", "B   =   p+u", "/etc p+u", "!/var all", "/etc u", "!/tmp", "!/new"} << true;
        QTest::newRow("minus-terms-written-as-afick-writes-them")
            << file << QStringList{"rule||/tmp|R+-md5+-s+sha1", "alias|A|-u+p"}
            << QStringList{"# head", "key := value", "A = -u+p", "B   =   p+u", "/etc p+u", "!/var all", "/etc u", "/tmp R-md5-s+sha1"} << true;
        QTest::newRow("alias-with-stray-blanks-edited-in-place")
            << QStringList{"MyAlias= p+u", "/etc MyAlias"} << QStringList{"add|MyAlias|md5"} << QStringList{"MyAlias = p+u+md5", "/etc MyAlias"} << true;
        QTest::newRow("alias-with-stray-blanks-renamed")
            << QStringList{"MyAlias =p+u", "/etc MyAlias"} << QStringList{"rename|MyAlias| Mine "} << QStringList{"Mine = p+u", "/etc MyAlias"} << true;
        QTest::newRow("formerly-rejected-rule-edited-in-place")
            << QStringList{"! /boot/map", "/etc/mtab ETC - md5 - s"} << QStringList{"rule||/boot/map|R", "rule||/etc/mtab|ETC+-md5"}
            << QStringList{"/boot/map R", "/etc/mtab ETC-md5"} << true;
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
        // A path with blanks is read from its quotes, blanks kept, and written back in them.
        QTest::newRow("quoted-path-round-trip") << QStringList{"\"/srv/my  files\"   ETC", "! \"/srv/old dir/\""}
                                                << QStringList{"rule||/srv/my  files|ETC+md5", "rule||/home/My Documents|p"}
                                                << QStringList{"\"/srv/my  files\" ETC+md5", "! \"/srv/old dir/\"", "\"/home/My Documents\" p"} << true;
        QTest::newRow("line-break-in-quoted-path-not-written") << file << QStringList{"rule||/a b\n/c d|p"} << file << true;
        QTest::newRow("quote-in-path-not-written") << file << QStringList{"rule||/home/\"x\" y|p"} << file << true;
        QTest::newRow("equals-in-path-written") << file << QStringList{"rule||/a=b|p"} << QStringList(file) + QStringList{"/a=b p"} << true;
        QTest::newRow("second-prefix-in-path-not-written") << file << QStringList{"rule|!|=/x|p"} << file << true;
        QTest::newRow("blank-in-alias-name-not-written")
            << file << QStringList{"rename|A|My Alias"} << QStringList{"# head", "key := value", "B   =   p+u", "/etc p+u", "!/var all", "/etc u", "/tmp R"}
            << true;
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

    // Real configurations: every line reads without a message, and after one
    // edit only the edited lines differ, byte for byte. "changes" maps a line
    // index to its new text (no text: the line is deleted); "+index" inserts
    // a line after that index, ended as the file's lines are.
    void corpusEditChangesOnlyTheEditedLines_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QVariantMap>("changes");

        const QString defaults = QStringLiteral("default-file-section.conf");
        const QString legacy = QStringLiteral("legacy-host-crlf-koi8r.conf");
        const QString mixed = QStringLiteral("cp1251-latin1-unterminated.conf");
        const QString koi8Path = QStringLiteral("/srv/") + QString::fromLatin1("\xcf\xd4\xde\xa3\xd4\xd9");
        const QByteArray koi8PathBytes = "/srv/\xcf\xd4\xde\xa3\xd4\xd9";

        QTest::newRow("no-edit") << defaults << QStringList() << QVariantMap();
        QTest::newRow("minus-terms-edited") << defaults << QStringList{"rule||/etc/mtab|ETC+-md5+-s+sha1"}
                                            << QVariantMap{{"35", QByteArray("/etc/mtab ETC-md5-s+sha1")}};
        QTest::newRow("exclusion-with-blank-becomes-rule") << defaults << QStringList{"rule||/boot/map|R"} << QVariantMap{{"31", QByteArray("/boot/map R")}};
        QTest::newRow("directory-only-root-edited") << defaults << QStringList{"rule|=|/|DIR+md5"} << QVariantMap{{"27", QByteArray("=/ DIR+md5")}};
        QTest::newRow("exclusion-deleted") << defaults << QStringList{"rule||/var/log/journal|"} << QVariantMap{{"45", QVariant()}};
        QTest::newRow("exclusion-added") << defaults << QStringList{"rule|!|/var/cache|"} << QVariantMap{{"+47", QByteArray("!/var/cache")}};
        QTest::newRow("alias-edited") << defaults << QStringList{"add|ETC|sha1"} << QVariantMap{{"21", QByteArray("ETC = p+d+i+n+u+g+s+b+md5+m+sha1")}};
        QTest::newRow("crlf-alias-with-blank-edited") << legacy << QStringList{"add|MyAlias|md5"} << QVariantMap{{"7", QByteArray("MyAlias = p+u+md5")}};
        QTest::newRow("crlf-alias-renamed") << legacy << QStringList{"rename|MyAlias|Mine"} << QVariantMap{{"7", QVariant()}, {"+9", QByteArray("Mine = p+u")}};
        QTest::newRow("koi8-path-edited-keeps-its-bytes")
            << legacy << QStringList{"rule||" + koi8Path + "|MyAlias+md5"} << QVariantMap{{"13", QByteArray(koi8PathBytes + " MyAlias+md5")}};
        QTest::newRow("crlf-rule-appended") << legacy << QStringList{"rule||/opt|p"} << QVariantMap{{"+21", QByteArray("/opt p")}};
        QTest::newRow("latin1-path-edited") << mixed
                                            << QStringList{"rule||"
                                                           + QString::fromLatin1("/opt/donn\xe9"
                                                                                 "es")
                                                           + "|DIR+md5"}
                                            << QVariantMap{{"7",
                                                            QByteArray("/opt/donn\xe9"
                                                                       "es DIR+md5")}};
        QTest::newRow("cp1251-path-minus-removed") << mixed
                                                   << QStringList{"rule||/usr/share/" + QString::fromLatin1("\xe4\xee\xea\xf3\xec\xe5\xed\xf2\xfb") + "|DIR"}
                                                   << QVariantMap{{"8", QByteArray("/usr/share/\xe4\xee\xea\xf3\xec\xe5\xed\xf2\xfb DIR")}};
        QTest::newRow("unterminated-last-line-gets-a-line-feed") << mixed << QStringList{"rule||/x|p"} << QVariantMap{{"+10", QByteArray("/x p")}};
        QTest::newRow("unterminated-last-line-edited") << mixed << QStringList{"rule||/usr/lib|p+u+md5"} << QVariantMap{{"10", QByteArray("/usr/lib p+u+md5")}};
    }
    void corpusEditChangesOnlyTheEditedLines()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, edits);
        QFETCH(QVariantMap, changes);
        const QByteArray content = corpusFile(file);
        QVERIFY(!content.isEmpty());

        AfickConfigFileEditor editor;
        QSignalSpy messages(&editor, &AfickConfigFileEditor::readConfigError);
        editor.applyConfigBytes(content);
        QCOMPARE(messages.size(), 0);
        applyEdits(editor, edits);

        const QByteArrayList lines = linesOf(content);
        const QByteArray newLine = terminatorOf(lines.first());
        QByteArrayList expected;
        for (int index = 0; index < lines.size(); ++index) {
            const QString key = QString::number(index);
            if (!changes.contains(key)) {
                expected.append(lines.at(index));
            } else if (changes.value(key).isValid()) {
                expected.append(changes.value(key).toByteArray() + terminatorOf(lines.at(index)));
            }
            if (changes.contains(QLatin1Char('+') + key)) {
                if (!expected.last().endsWith('\n')) {
                    expected.last() += newLine;
                }
                expected.append(changes.value(QLatin1Char('+') + key).toByteArray() + newLine);
            }
        }
        QString error;
        QCOMPARE(editor.bytesToSave(&error), expected.join());
        QCOMPARE(error, QString());
        QCOMPARE(editor.hasChanges(), !edits.isEmpty());
    }

    // An edit that cannot be saved is reported before anything is written;
    // without a helper to talk to, a write would add a second message.
    void refusedEditWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("message");

        QTest::newRow("line-break-in-new-rule")
            << QByteArray("/etc p\n") << QStringList{"rule||/tmp/x\nexclude_re := .*|p"}
            << "Nothing was saved: the rule for \"/tmp/x\nexclude_re := .*\" cannot be written as a line of the configuration.";
        QTest::newRow("quote-in-changed-path") << QByteArray("/etc p\n") << QStringList{"-rule|/etc", "rule||/my \"dir\"|p"}
                                               << "Nothing was saved: the rule for \"/my \"dir\"\" cannot be written as a line of the configuration.";
        QTest::newRow("renamed-alias-with-blank") << QByteArray("A = p\n") << QStringList{"rename|A|My Alias"}
                                                  << "Nothing was saved: the alias \"My Alias\" cannot be written as a line of the configuration.";
        // The alias is defined in UTF-8, the rule line holds Latin-1 bytes.
        QTest::newRow("cyrillic-in-latin1-line") << QByteArray(
            "\xd0\xa1\xd1\x83\xd0\xbc\xd0\xbc\xd0\xb0 = md5\n/opt/donn\xe9"
            "es p\n")
                                                 << QStringList{"rule||"
                                                                + QString::fromLatin1("/opt/donn\xe9"
                                                                                      "es")
                                                                + "|p+Сумма"}
                                                 << "Nothing was saved: the line \""
                + QString::fromLatin1("/opt/donn\xe9"
                                      "es")
                + " p+Сумма\" cannot be written in the encoding of its place in the file, ISO-8859-1.";
    }
    void refusedEditWritesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, edits);
        QFETCH(QString, message);
        AfickConfigFileEditor editor;
        editor.applyConfigBytes(content);
        applyEdits(editor, edits);

        QString error;
        QVERIFY(editor.bytesToSave(&error).isNull());
        QCOMPARE(error, message);
        QSignalSpy reported(&editor, &AfickConfigFileEditor::writeConfigError);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^writeConfigError: ")));
        editor.saveConfig();
        QCOMPARE(reported.size(), 1);
        QCOMPARE(reported.at(0).at(0).toString(), message);
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

        AfickConfigFileEditor editor;
        QSignalSpy errors(&editor, &AfickConfigFileEditor::readConfigError);
        editor.applyConfigLines(lines);
        QCOMPARE(errors.size(), 0);
        QVERIFY(editor.parsedRules().size() > 10 && editor.parsedAliases().size() > 3);

        QCOMPARE(editor.linesToSave(), lines);
        QVERIFY(!editor.hasChanges());
    }
};

QTEST_GUILESS_MAIN(AfickConfigWriterTest)

#include "afickconfigwritertest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickattributecheck.h"
#include "afickaliasreferences.h"

#include <QTest>

namespace
{
// "path a,b" for rules, "NAME=a,b" for aliases.
void readRecords(const QStringList &texts, AfickRuleMap *rules, AfickAliasMap *aliases)
{
    for (const QString &text : texts) {
        if (text.contains(QLatin1Char('='))) {
            const QStringList fields = text.split(QLatin1Char('='));
            aliases->insert(fields.at(0), AfickAlias{fields.at(0), fields.at(1).split(QLatin1Char(','), Qt::SkipEmptyParts)});
        } else {
            const QStringList fields = text.split(QLatin1Char(' '));
            rules->insert(fields.at(0), AfickRule{QString(), fields.at(0), fields.at(1).split(QLatin1Char(','), Qt::SkipEmptyParts)});
        }
    }
}
}

class AfickAttributeCheckTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void problem_data()
    {
        QTest::addColumn<QStringList>("read");
        QTest::addColumn<QStringList>("edited");
        QTest::addColumn<QString>("problem");

        const QStringList read{"/etc p,u", "DIR=p,i"};
        QTest::newRow("nothing-edited") << read << read << "";
        QTest::newRow("codes-built-in-sets-and-further-attributes")
            << read << QStringList{"/etc p,all,R,L,P,E,sha256,sha512,acl,xattr,md5,sha1", "DIR=p,i"} << "";
        QTest::newRow("minus-terms") << read << QStringList{"/etc R,-md5,-DIR", "DIR=p,i"} << "";
        QTest::newRow("defined-alias") << read << QStringList{"/etc DIR", "DIR=p,i"} << "";
        QTest::newRow("new-alias-used-at-once") << read << QStringList{"/etc NEW", "DIR=p,i", "NEW=u"} << "";
        QTest::newRow("unknown-code-in-a-new-rule")
            << read << QStringList{"/etc p,u", "/srv p,sha3", "DIR=p,i"}
            << "The line \"/srv p+sha3\" names \"sha3\", which is neither an afick attribute nor a defined alias. Nothing was saved.";
        QTest::newRow("codes-are-case-sensitive")
            << read << QStringList{"/etc M", "DIR=p,i"}
            << "The line \"/etc M\" names \"M\", which is neither an afick attribute nor a defined alias. Nothing was saved.";
        QTest::newRow("deleted-alias-still-used-by-an-unedited-rule")
            << QStringList{"/etc DIR", "DIR=p,i"} << QStringList{"/etc DIR"}
            << "The line \"/etc DIR\" names \"DIR\", which is neither an afick attribute nor a defined alias. Nothing was saved.";
        QTest::newRow("unknown-name-in-an-edited-alias")
            << read << QStringList{"/etc p,u", "DIR=p,i,q"}
            << "The line \"DIR = p+i+q\" names \"q\", which is neither an afick attribute nor a defined alias. Nothing was saved.";
        QTest::newRow("unknown-name-already-in-the-file-is-afick's-matter") << QStringList{"/etc p,future"} << QStringList{"/etc p,future,u"} << "";
    }

    void problem()
    {
        QFETCH(QStringList, read);
        QFETCH(QStringList, edited);
        QFETCH(QString, problem);
        AfickRuleMap readRules;
        AfickAliasMap readAliases;
        readRecords(read, &readRules, &readAliases);
        AfickRuleMap rules;
        AfickAliasMap aliases;
        readRecords(edited, &rules, &aliases);
        QCOMPARE(AfickAttributeCheck::problem(rules, aliases, readRules, readAliases), problem);
    }

    void aliasReferences_data()
    {
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<QStringList>("rulesUsing");
        QTest::addColumn<QStringList>("aliasesUsing");
        QTest::addColumn<QStringList>("renamed");
        QTest::addColumn<QStringList>("changedPaths");

        QTest::newRow("rules-and-aliases-plain-and-minus")
            << QStringList{"/etc p,DIR", "/srv R,-DIR", "/usr DIRS", "DIR=p,i", "ALL=DIR,u", "OTHER=DIRS"} << QStringList{"/etc", "/srv"} << QStringList{"ALL"}
            << QStringList{"/etc p,NEW", "/srv R,-NEW", "/usr DIRS", "ALL=NEW,u", "DIR=p,i", "OTHER=DIRS"} << QStringList{"/etc", "/srv"};
        QTest::newRow("unused-alias") << QStringList{"/etc p", "DIR=p"} << QStringList() << QStringList() << QStringList{"/etc p", "DIR=p"} << QStringList();
    }

    void aliasReferences()
    {
        QFETCH(QStringList, records);
        QFETCH(QStringList, rulesUsing);
        QFETCH(QStringList, aliasesUsing);
        QFETCH(QStringList, renamed);
        QFETCH(QStringList, changedPaths);
        AfickRuleMap rules;
        AfickAliasMap aliases;
        readRecords(records, &rules, &aliases);

        QCOMPARE(AfickAliasReferences::rulesUsing("DIR", rules), rulesUsing);
        QCOMPARE(AfickAliasReferences::aliasesUsing("DIR", aliases), aliasesUsing);
        QCOMPARE(AfickAliasReferences::rename("DIR", "NEW", rules, aliases), changedPaths);
        QStringList after;
        for (const AfickRule &rule : std::as_const(rules)) {
            after.append(rule.path + QLatin1Char(' ') + rule.attributes.join(QLatin1Char(',')));
        }
        for (const AfickAlias &alias : std::as_const(aliases)) {
            after.append(alias.name + QLatin1Char('=') + alias.attributes.join(QLatin1Char(',')));
        }
        QCOMPARE(after, renamed);
    }
};

QTEST_GUILESS_MAIN(AfickAttributeCheckTest)

#include "afickattributechecktest.moc"

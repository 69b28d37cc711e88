// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickcurrentrule.h"
#include "recordstrings.h"

#include <QSignalSpy>
#include <QTest>

namespace
{
QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}
}

class AfickCurrentRuleTest : public QObject
{
    Q_OBJECT

    AfickCurrentRule *const current = AfickCurrentRule::instance();

private Q_SLOTS:
    void init()
    {
        current->assignRule(AfickRule{QString(), QStringLiteral("/etc"), words("R p")});
        current->setAliasNames({});
        current->setShowFullNames(false);
    }

    // Loading is no edit, but what the interface shows of the rule changes.
    void loadingIsNoEdit()
    {
        QSignalSpy edited(current, &AfickCurrentRule::attributesChanged);
        QSignalSpy shown(current, &AfickCurrentRule::ruleChanged);
        QSignalSpy pathChanged(current, &AfickCurrentRule::pathChanged);
        current->assignRule(AfickRule{QStringLiteral("!"), QStringLiteral("/var"), words("p u")});
        current->setAliasNames(words("ALIAS1"));
        QCOMPARE(edited.size(), 0);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(pathChanged.size(), 1);
        QCOMPARE(current->path(), QStringLiteral("/var"));
        QCOMPARE(current->prefix(), QStringLiteral("!"));
        QCOMPARE(current->unusedAttributes().first(), QStringLiteral("ALIAS1"));

        // The same path again, as after a read: only the rule is new.
        current->assignRule(AfickRule{QString(), QStringLiteral("/var"), words("R")});
        QCOMPARE(pathChanged.size(), 1);
        QCOMPARE(shown.size(), 3);
    }

    void edits_data()
    {
        QTest::addColumn<bool>("fullNames");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("attribute");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<int>("signals");
        QTest::newRow("add-appends") << false << "add"
                                     << "md5" << words("R p md5") << 1;
        QTest::newRow("add-present-is-no-change") << false << "add"
                                                  << "R" << words("R p") << 0;
        QTest::newRow("add-present-by-its-description-is-no-change") << false << "add"
                                                                     << "permissions" << words("R p") << 0;
        QTest::newRow("codes-mode-accepts-a-description") << false << "add"
                                                          << "user" << words("R p u") << 1;
        QTest::newRow("full-names-store-the-code") << true << "add"
                                                   << "md5 checksum" << words("R p md5") << 1;
        QTest::newRow("full-names-accept-a-code") << true << "add"
                                                  << "u" << words("R p u") << 1;
        QTest::newRow("remove") << false << "remove"
                                << "R" << words("p") << 1;
        QTest::newRow("remove-absent-still-signals") << false << "remove"
                                                     << "s" << words("R p") << 1;
        QTest::newRow("remove-by-description") << true << "remove"
                                               << "permissions" << words("R") << 1;
        QTest::newRow("minus-sign-stores-a-minus-term") << false << "add"
                                                        << "\u2212md5" << words("R p -md5") << 1;
        QTest::newRow("minus-sign-with-description") << true << "add"
                                                     << "\u2212md5 checksum" << words("R p -md5") << 1;
    }
    void edits()
    {
        QFETCH(bool, fullNames);
        QFETCH(QString, edit);
        QFETCH(QString, attribute);
        QFETCH(QStringList, stored);
        QFETCH(int, signals);
        if (fullNames) {
            current->setShowFullNames(true);
        }
        QSignalSpy changed(current, &AfickCurrentRule::attributesChanged);
        QSignalSpy shown(current, &AfickCurrentRule::ruleChanged);
        if (edit == QLatin1String("add")) {
            current->addAttribute(attribute);
        } else {
            current->removeAttribute(attribute);
        }
        QCOMPARE(current->rule().attributes, stored);
        QCOMPARE(changed.size(), signals);
        QCOMPARE(shown.size(), signals);
    }

    void settersAlwaysSignal()
    {
        QSignalSpy changed(current, &AfickCurrentRule::attributesChanged);
        current->setPrefix(QString());
        current->setShowFullNames(false);
        QCOMPARE(changed.size(), 2);
    }

    void unusedAttributes()
    {
        current->assignRule(AfickRule{QString(), QStringLiteral("/etc"), words("a ALIAS2")});
        current->setAliasNames(words("ALIAS1 ALIAS2"));
        QCOMPARE(current->unusedAttributes(), words("ALIAS1 b c d g i m md5 n p u s sha1 sha256 sha512 all R L P E"));
    }

    void fullNames()
    {
        current->assignRule(AfickRule{QStringLiteral("="), QStringLiteral("/tmp"), words("p u Dir -md5 -Dir inode")});
        current->setShowFullNames(true);
        QCOMPARE(current->attributes(), (QStringList{"permissions", "user", "Dir", "\u2212md5 checksum", "\u2212Dir", "inode"}));
        QCOMPARE(current->unusedAttributes().mid(0, 2), (QStringList{"atime", "blocks"}));
        QCOMPARE(current->rule(), (AfickRule{QStringLiteral("="), QStringLiteral("/tmp"), words("p u Dir -md5 -Dir inode")}));
        // A name left in the file that is neither alias nor code goes as it is shown.
        current->removeAttribute(QStringLiteral("inode"));
        current->removeAttribute(QStringLiteral("\u2212md5 checksum"));
        current->setShowFullNames(false);
        QCOMPARE(current->attributes(), (QStringList{"p", "u", "Dir", "\u2212Dir"}));
        current->removeAttribute(QStringLiteral("\u2212Dir"));
        QCOMPARE(current->rule().attributes, words("p u Dir"));
    }

    // An alias called what an attribute is described as is added as the alias.
    void aliasNamedLikeADescription()
    {
        current->assignRule(AfickRule{QString(), QStringLiteral("/etc"), words("p")});
        current->setAliasNames(words("user"));
        current->setShowFullNames(true);
        QCOMPARE(current->unusedAttributes().mid(0, 1), QStringList{"user"});
        QVERIFY(current->unusedAttributes().contains(QStringLiteral("user (u)")));
        current->addAttribute(QStringLiteral("user"));
        current->addAttribute(QStringLiteral("user (u)"));
        QCOMPARE(current->rule().attributes, words("p user u"));
    }
};

QTEST_GUILESS_MAIN(AfickCurrentRuleTest)

#include "afickcurrentruletest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickruleedits.h"

#include <QTest>

namespace
{
// "NAME=a+b" per alias.
AfickAliasMap aliasesOf(const QStringList &texts)
{
    AfickAliasMap aliases;
    for (const QString &text : texts) {
        const QStringList fields = text.split(QLatin1Char('='));
        aliases.insert(fields.at(0), AfickAlias{fields.at(0), fields.at(1).split(QLatin1Char('+'), Qt::SkipEmptyParts)});
    }
    return aliases;
}

// "[prefix]path a+b" per rule.
AfickRuleMap rulesOf(const QStringList &texts)
{
    AfickRuleMap rules;
    for (const QString &text : texts) {
        const QStringList fields = text.split(QLatin1Char(' '));
        QString path = fields.at(0);
        QString prefix;
        if (path.startsWith(QLatin1Char('!')) || path.startsWith(QLatin1Char('='))) {
            prefix = path.left(1);
            path.remove(0, 1);
        }
        rules.insert(path, AfickRule{prefix, path, fields.value(1).split(QLatin1Char('+'), Qt::SkipEmptyParts)});
    }
    return rules;
}
}

class AfickRuleEditsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codeForReportName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");

        QTest::newRow("filesize") << "filesize"
                                  << "s";
        QTest::newRow("nlink") << "nlink"
                               << "n";
        QTest::newRow("uid") << "uid"
                             << "u";
        QTest::newRow("filemode") << "filemode"
                                  << "p";
        QTest::newRow("case-and-separators-ignored") << "File_Size"
                                                     << "s";
        QTest::newRow("upper-case-checksum") << "MD5"
                                             << "md5";
        QTest::newRow("sha512") << "SHA512"
                                << "sha512";
        QTest::newRow("no-code-for-acl") << "acl"
                                         << "";
        QTest::newRow("empty") << ""
                               << "";
    }

    void codeForReportName()
    {
        QFETCH(QString, name);
        QFETCH(QString, code);
        QCOMPARE(AfickRuleEdits::codeForReportName(name), code);
    }

    void withoutCode_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("aliases");
        QTest::addColumn<QString>("expected");

        QTest::newRow("code-named-itself-is-dropped") << "p+u+md5"
                                                      << "md5" << QStringList() << "p+u";
        QTest::newRow("alias-gets-a-minus-term") << "ETC"
                                                 << "md5" << QStringList{"ETC=p+u+md5"} << "ETC+-md5";
        QTest::newRow("alias-through-another-alias") << "ETC"
                                                     << "u" << QStringList{"ETC=BASE+md5", "BASE=p+u"} << "ETC+-u";
        QTest::newRow("alias-that-takes-it-away-already") << "ETC"
                                                          << "md5" << QStringList{"ETC=R-md5"} << "";
        QTest::newRow("built-in-R") << "R"
                                    << "s" << QStringList() << "R+-s";
        QTest::newRow("built-in-all") << "all"
                                      << "b" << QStringList() << "all+-b";
        QTest::newRow("all-has-no-access-time") << "all"
                                                << "a" << QStringList() << "";
        QTest::newRow("L-has-links") << "L"
                                     << "n" << QStringList() << "L+-n";
        QTest::newRow("term-and-set-both-bring-it") << "R+md5"
                                                    << "md5" << QStringList() << "R+-md5";
        QTest::newRow("minus-term-already-there") << "R-md5"
                                                  << "md5" << QStringList() << "";
        QTest::newRow("added-back-after-minus") << "R+-md5+md5"
                                                << "md5" << QStringList() << "R+-md5";
        QTest::newRow("own-term-dropped-alias-kept") << "p+ETC"
                                                     << "p" << QStringList{"ETC=u"} << "ETC";
        QTest::newRow("last-attribute-leaves-the-empty-set") << "md5"
                                                             << "md5" << QStringList() << "E";
        QTest::newRow("alias-loop-ends") << "A"
                                         << "md5" << QStringList{"A=B", "B=A+md5"} << "A+-md5";
        QTest::newRow("undefined-alias-compares-nothing") << "ETC"
                                                          << "md5" << QStringList() << "";
        QTest::newRow("not-compared") << "p+u"
                                      << "md5" << QStringList() << "";
    }

    void withoutCode()
    {
        QFETCH(QString, attributes);
        QFETCH(QString, code);
        QFETCH(QStringList, aliases);
        QFETCH(QString, expected);
        // "+-" in a row stands for afick's "-": the minus term is an element of its own.
        const QStringList terms = QString(attributes).replace(QLatin1String("-"), QLatin1String("+-")).split(QLatin1Char('+'), Qt::SkipEmptyParts);
        QCOMPARE(AfickRuleEdits::withoutCode(terms, code, aliasesOf(aliases)).join(QLatin1Char('+')), expected);
    }

    void isWritablePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("writable");

        QTest::newRow("plain") << "/etc/passwd" << true;
        QTest::newRow("root") << "/" << true;
        QTest::newRow("blank-written-quoted") << "/etc/cron.d/old job" << true;
        QTest::newRow("quote-would-end-the-quotes") << "/srv/\"x\" y" << false;
        QTest::newRow("tab") << "/srv/a\tb" << false;
        QTest::newRow("line-break") << "/etc/a\n/etc/b p" << false;
        QTest::newRow("equals-sign-reads-as-an-alias") << "/etc/a=b" << false;
        QTest::newRow("relative") << "etc/passwd" << false;
        QTest::newRow("empty") << "" << false;
    }

    void isWritablePath()
    {
        QFETCH(QString, path);
        QFETCH(bool, writable);
        QCOMPARE(AfickRuleEdits::isWritablePath(path), writable);
    }

    void nearestEditedRule_data()
    {
        QTest::addColumn<QStringList>("parsed");
        QTest::addColumn<QStringList>("current");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");

        const QStringList read{"/etc R", "!/var/log", "/ p"};
        QTest::newRow("nothing-edited") << read << read << "/etc/passwd"
                                        << "";
        QTest::newRow("own-rule-added") << read << (read + QStringList{"/etc/passwd R-md5"}) << "/etc/passwd"
                                        << "/etc/passwd";
        QTest::newRow("ancestor-changed") << read << QStringList{"/etc L", "!/var/log", "/ p"} << "/etc/ssl/cert.pem"
                                          << "/etc";
        QTest::newRow("ancestor-removed") << read << QStringList{"/etc R", "/ p"} << "/var/log/syslog"
                                          << "/var/log";
        QTest::newRow("nearest-of-two") << read << QStringList{"/etc L", "/etc/ssl R", "!/var/log", "/ p"} << "/etc/ssl/cert.pem"
                                        << "/etc/ssl";
        QTest::newRow("root-changed") << read << QStringList{"/etc R", "!/var/log", "/ u"} << "/usr/bin/ls"
                                      << "/";
        QTest::newRow("name-prefix-is-no-ancestor") << read << (read + QStringList{"/etc/pass R"}) << "/etc/passwd"
                                                    << "";
        QTest::newRow("wildcard-edit-names-an-ancestor") << read << (read + QStringList{"!/etc/ssl/*.d"}) << "/etc/ssl/certs.d/a.pem"
                                                         << "/etc/ssl/*.d";
        QTest::newRow("removed-wildcard-names-the-path") << (read + QStringList{"/etc/*wd R"}) << read << "/etc/passwd"
                                                         << "/etc/*wd";
        QTest::newRow("wildcard-edit-elsewhere") << read << (read + QStringList{"!/etc/ssl/*.d"}) << "/etc/ssl/certs/a.pem"
                                                 << "";
        QTest::newRow("descendant-edit-does-not-cover") << read << (read + QStringList{"/etc/ssl/x R"}) << "/etc/ssl"
                                                        << "";
    }

    void nearestEditedRule()
    {
        QFETCH(QStringList, parsed);
        QFETCH(QStringList, current);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(AfickRuleEdits::nearestEditedRule(path, rulesOf(current), rulesOf(parsed)), expected);
    }
};

QTEST_GUILESS_MAIN(AfickRuleEditsTest)

#include "afickruleeditstest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickpathscope.h"

#include <QTest>

namespace
{
// Rules as "prefix|path|a,b", the form the other configuration tests use.
AfickRuleMap rulesOf(const QStringList &texts)
{
    AfickRuleMap rules;
    for (const QString &text : texts) {
        const QStringList fields = text.split(QLatin1Char('|'));
        rules.insert(fields.at(1), AfickRule{fields.at(0), fields.at(1), fields.at(2).split(QLatin1Char(','), Qt::SkipEmptyParts)});
    }
    return rules;
}

const QStringList sampleRules{
    "|/|R",
    "|/etc|p,u,md5",
    "!|/etc/shadow|",
    "|/etc/ssl|sha1",
    "=|/tmp|p",
    "!|/var/log|all",
    "|/var/log/audit|L",
    "|/home|",
};

// Suffixes from afick's default list, which names both "log" and "LOG".
const QStringList sampleDirectives{
    "# exclude_suffix := conf",
    "exclude_suffix := log LOG ico",
    "exclude_suffix:=gz",
    "exclude_prefix := .",
    "exclude_re := ^/srv/.*/cache$ [unclosed",
    "report_url := stdout",
};
}

class AfickPathScopeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void evaluate_data()
    {
        QTest::addColumn<QStringList>("rules");
        // Directives besides the sample ones.
        QTest::addColumn<QStringList>("directives");
        // Ending in "/" when the path is a directory.
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        // The rule that decides, "prefix|path|a,b", or empty.
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("reason");

        using V = AfickPathScope::Verdict;
        const QStringList none;
        QTest::newRow("own-rule") << sampleRules << none << "/etc" << int(V::Own) << "|/etc|p,u,md5"
                                  << "";
        QTest::newRow("inherited-from-parent") << sampleRules << none << "/etc/passwd" << int(V::Inherited) << "|/etc|p,u,md5"
                                               << "";
        QTest::newRow("nearest-rule-above-wins") << sampleRules << none << "/etc/ssl/certs/ca.pem" << int(V::Inherited) << "|/etc/ssl|sha1"
                                                 << "";
        QTest::newRow("root-rule-covers-everything") << sampleRules << none << "/usr/bin/ls" << int(V::Inherited) << "|/|R"
                                                     << "";
        QTest::newRow("own-bang-rule-without-attributes") << sampleRules << none << "/etc/shadow" << int(V::Excluded) << "!|/etc/shadow|"
                                                          << "not checked: excluded by /etc/shadow";
        QTest::newRow("below-bang-rule") << sampleRules << none << "/var/log/messages.1" << int(V::Excluded) << "!|/var/log|all"
                                         << "not checked: excluded by /var/log";
        QTest::newRow("own-rule-below-bang-rule-wins") << sampleRules << none << "/var/log/audit" << int(V::Own) << "|/var/log/audit|L"
                                                       << "";
        QTest::newRow("inherited-below-bang-rule") << sampleRules << none << "/var/log/audit/audit" << int(V::Inherited) << "|/var/log/audit|L"
                                                   << "";
        QTest::newRow("equals-rule-covers-directory") << sampleRules << none << "/tmp" << int(V::Own) << "=|/tmp|p"
                                                      << "";
        QTest::newRow("equals-rule-maybe-what-is-directly-in-it")
            << sampleRules << none << "/tmp/x" << int(V::Excluded) << "=|/tmp|p"
            << "perhaps not checked: the rule of /tmp covers that directory, and afick does not say whether it checks what lies directly in it";
        QTest::newRow("equals-rule-not-its-sub-directories") << sampleRules << none << "/tmp/x/y" << int(V::Excluded) << "=|/tmp|p"
                                                             << "not checked: the rule of /tmp covers that directory only";
        QTest::newRow("equals-rule-directive-is-certain") << sampleRules << none << "/tmp/x.gz" << int(V::Excluded) << "=|/tmp|p"
                                                          << "not checked: exclude_suffix gz";
        QTest::newRow("emptied-rule-is-no-rule") << sampleRules << none << "/home/user" << int(V::Inherited) << "|/|R"
                                                 << "";
        QTest::newRow("suffix-below-a-rule") << sampleRules << none << "/etc/app/error.log" << int(V::Excluded) << "|/etc|p,u,md5"
                                             << "not checked: exclude_suffix log";
        QTest::newRow("suffix-from-compact-line") << sampleRules << none << "/etc/app/old.gz" << int(V::Excluded) << "|/etc|p,u,md5"
                                                  << "not checked: exclude_suffix gz";
        const QStringList root{"|/|R"};
        QTest::newRow("suffix-needs-its-dot") << root << none << "/var/log/syslog" << int(V::Inherited) << "|/|R"
                                              << "";
        QTest::newRow("suffix-needs-its-dot-ico") << root << none << "/usr/bin/pico" << int(V::Inherited) << "|/|R"
                                                  << "";
        QTest::newRow("suffix-with-its-dot") << root << none << "/var/log/Xorg.0.log" << int(V::Excluded) << "|/|R"
                                             << "not checked: exclude_suffix log";
        QTest::newRow("suffix-is-case-sensitive") << root << none << "/var/log/Xorg.0.Log" << int(V::Inherited) << "|/|R"
                                                  << "";
        QTest::newRow("suffix-ignoring-case") << root << QStringList{"ignore_case := yes"} << "/var/log/Xorg.0.Log" << int(V::Excluded) << "|/|R"
                                              << "not checked: exclude_suffix log";
        QTest::newRow("suffix-of-a-directory-on-the-way") << root << none << "/srv/app.log/data" << int(V::Excluded) << "|/|R"
                                                          << "not checked: exclude_suffix log";
        const QStringList onlyConf{"only_suffix := conf cfg"};
        QTest::newRow("only-suffix-leaves-out-other-files") << root << onlyConf << "/etc/passwd" << int(V::Excluded) << "|/|R"
                                                            << "not checked: only_suffix conf cfg";
        QTest::newRow("only-suffix-keeps-its-own") << root << onlyConf << "/etc/app/main.cfg" << int(V::Inherited) << "|/|R"
                                                   << "";
        QTest::newRow("only-suffix-not-for-directories") << root << onlyConf << "/etc/app/" << int(V::Inherited) << "|/|R"
                                                         << "";
        const QStringList wildcards{"|/|R", "|/boot/vmlinuz-*|L", "|/boot/vmlinuz-6.1|p", "!|/home/*/.cache|", "!|/opt/*|"};
        QTest::newRow("wildcard-rule-matches") << wildcards << none << "/boot/vmlinuz-6.2" << int(V::Inherited) << "|/boot/vmlinuz-*|L"
                                               << "";
        QTest::newRow("wildcard-rule-below-a-match") << wildcards << none << "/boot/vmlinuz-6.2/x" << int(V::Inherited) << "|/boot/vmlinuz-*|L"
                                                     << "";
        QTest::newRow("wildcard-rule-no-match") << wildcards << none << "/boot/vmlinux" << int(V::Inherited) << "|/|R"
                                                << "";
        QTest::newRow("own-rule-beats-wildcard") << wildcards << none << "/boot/vmlinuz-6.1" << int(V::Own) << "|/boot/vmlinuz-6.1|p"
                                                 << "";
        QTest::newRow("wildcard-in-a-directory-name") << wildcards << none << "/home/ann/.cache/x" << int(V::Excluded) << "!|/home/*/.cache|"
                                                      << "not checked: excluded by /home/*/.cache";
        QTest::newRow("wildcard-star-not-a-leading-dot") << wildcards << none << "/opt/.keep" << int(V::Excluded) << "|/|R"
                                                         << "not checked: exclude_prefix .";
        QTest::newRow("commented-directive-ignored") << sampleRules << none << "/etc/app.conf" << int(V::Inherited) << "|/etc|p,u,md5"
                                                     << "";
        QTest::newRow("prefix-of-a-directory-on-the-way") << sampleRules << none << "/etc/.git/config" << int(V::Excluded) << "|/etc|p,u,md5"
                                                          << "not checked: exclude_prefix .";
        QTest::newRow("regex-on-the-full-path") << sampleRules << none << "/srv/www/cache" << int(V::Excluded) << "|/|R"
                                                << "not checked: exclude_re ^/srv/.*/cache$";
        QTest::newRow("regex-below-excluded-directory") << sampleRules << none << "/srv/www/cache/page" << int(V::Excluded) << "|/|R"
                                                        << "not checked: exclude_re ^/srv/.*/cache$";
        QTest::newRow("regex-is-not-a-suffix") << sampleRules << none << "/srv/www/cache2" << int(V::Inherited) << "|/|R"
                                               << "";
        QTest::newRow("own-rule-beats-directive") << QStringList{"|/etc|p", "|/etc/app.log|md5"} << none << "/etc/app.log" << int(V::Own) << "|/etc/app.log|md5"
                                                  << "";
        QTest::newRow("directive-needs-a-rule-above") << QStringList{"|/etc|p"} << none << "/var/app.log" << int(V::Unwatched) << ""
                                                      << "";
        QTest::newRow("no-rules") << QStringList() << none << "/etc/passwd" << int(V::Unwatched) << ""
                                  << "";
        QTest::newRow("sibling-with-common-prefix-not-covered") << QStringList{"|/etc|p"} << none << "/etcetera" << int(V::Unwatched) << ""
                                                                << "";
        QTest::newRow("long-deep-path") << QStringList{"|/a|p"} << none << QStringLiteral("/a") + QStringLiteral("/segment").repeated(200) << int(V::Inherited)
                                        << "|/a|p"
                                        << "";
        QTest::newRow("path-with-blanks") << QStringList{"|/srv/my files|p"} << none << "/srv/my files/a b" << int(V::Inherited) << "|/srv/my files|p"
                                          << "";
    }

    void evaluate()
    {
        QFETCH(QStringList, rules);
        QFETCH(QStringList, directives);
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFETCH(QString, rule);
        QFETCH(QString, reason);

        AfickPathScope scope;
        scope.setRules(rulesOf(rules));
        scope.setConfigLines(sampleDirectives + directives);
        const bool isDirectory = path.size() > 1 && path.endsWith(QLatin1Char('/'));
        const AfickPathScope::Verdict verdict = scope.evaluate(isDirectory ? path.chopped(1) : path, isDirectory);
        QCOMPARE(int(verdict.kind), kind);
        const QString decided = verdict.rule.path.isEmpty()
            ? QString()
            : verdict.rule.prefix + QLatin1Char('|') + verdict.rule.path + QLatin1Char('|') + verdict.rule.attributes.join(QLatin1Char(','));
        QCOMPARE(decided, rule);
        QCOMPARE(verdict.reasonText(), reason);
    }

    // Directives are read again with each new configuration: stale ones
    // would keep excluding what the file no longer excludes.
    void newConfigLinesReplaceDirectives()
    {
        AfickPathScope scope;
        scope.setRules(rulesOf({"|/etc|p"}));
        scope.setConfigLines({"exclude_suffix := log"});
        QCOMPARE(int(scope.evaluate("/etc/a.log").kind), int(AfickPathScope::Verdict::Excluded));
        scope.setConfigLines({"exclude_suffix := gz"});
        QCOMPARE(int(scope.evaluate("/etc/a.log").kind), int(AfickPathScope::Verdict::Inherited));
    }
};

QTEST_GUILESS_MAIN(AfickPathScopeTest)

#include "afickpathscopetest.moc"

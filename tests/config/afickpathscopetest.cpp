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

const QStringList sampleDirectives{
    "# exclude_suffix := conf",
    "exclude_suffix := log gz",
    "exclude_suffix:=~",
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
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        // The rule that decides, "prefix|path|a,b", or empty.
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("reason");

        using V = AfickPathScope::Verdict;
        QTest::newRow("own-rule") << sampleRules << "/etc" << int(V::Own) << "|/etc|p,u,md5"
                                  << "";
        QTest::newRow("inherited-from-parent") << sampleRules << "/etc/passwd" << int(V::Inherited) << "|/etc|p,u,md5"
                                               << "";
        QTest::newRow("nearest-rule-above-wins") << sampleRules << "/etc/ssl/certs/ca.pem" << int(V::Inherited) << "|/etc/ssl|sha1"
                                                 << "";
        QTest::newRow("root-rule-covers-everything") << sampleRules << "/usr/bin/ls" << int(V::Inherited) << "|/|R"
                                                     << "";
        QTest::newRow("own-bang-rule-without-attributes") << sampleRules << "/etc/shadow" << int(V::Excluded) << "!|/etc/shadow|"
                                                          << "not checked: excluded by /etc/shadow";
        QTest::newRow("below-bang-rule") << sampleRules << "/var/log/messages.1" << int(V::Excluded) << "!|/var/log|all"
                                         << "not checked: excluded by /var/log";
        QTest::newRow("own-rule-below-bang-rule-wins") << sampleRules << "/var/log/audit" << int(V::Own) << "|/var/log/audit|L"
                                                       << "";
        QTest::newRow("inherited-below-bang-rule") << sampleRules << "/var/log/audit/audit" << int(V::Inherited) << "|/var/log/audit|L"
                                                   << "";
        QTest::newRow("equals-rule-covers-directory") << sampleRules << "/tmp" << int(V::Own) << "=|/tmp|p"
                                                      << "";
        QTest::newRow("equals-rule-not-its-contents") << sampleRules << "/tmp/x" << int(V::Excluded) << "=|/tmp|p"
                                                      << "not checked: the rule of /tmp covers that directory only";
        QTest::newRow("emptied-rule-is-no-rule") << sampleRules << "/home/user" << int(V::Inherited) << "|/|R"
                                                 << "";
        QTest::newRow("suffix-below-a-rule") << sampleRules << "/etc/app/error.log" << int(V::Excluded) << "|/etc|p,u,md5"
                                             << "not checked: exclude_suffix log";
        QTest::newRow("suffix-from-compact-line") << sampleRules << "/etc/fstab~" << int(V::Excluded) << "|/etc|p,u,md5"
                                                  << "not checked: exclude_suffix ~";
        QTest::newRow("commented-directive-ignored") << sampleRules << "/etc/app.conf" << int(V::Inherited) << "|/etc|p,u,md5"
                                                     << "";
        QTest::newRow("prefix-of-a-directory-on-the-way") << sampleRules << "/etc/.git/config" << int(V::Excluded) << "|/etc|p,u,md5"
                                                          << "not checked: exclude_prefix .";
        QTest::newRow("regex-on-the-full-path") << sampleRules << "/srv/www/cache" << int(V::Excluded) << "|/|R"
                                                << "not checked: exclude_re ^/srv/.*/cache$";
        QTest::newRow("regex-below-excluded-directory") << sampleRules << "/srv/www/cache/page" << int(V::Excluded) << "|/|R"
                                                        << "not checked: exclude_re ^/srv/.*/cache$";
        QTest::newRow("regex-is-not-a-suffix") << sampleRules << "/srv/www/cache2" << int(V::Inherited) << "|/|R"
                                               << "";
        QTest::newRow("own-rule-beats-directive") << QStringList{"|/etc|p", "|/etc/app.log|md5"} << "/etc/app.log" << int(V::Own) << "|/etc/app.log|md5"
                                                  << "";
        QTest::newRow("directive-needs-a-rule-above") << QStringList{"|/etc|p"} << "/var/app.log" << int(V::Unwatched) << ""
                                                      << "";
        QTest::newRow("no-rules") << QStringList() << "/etc/passwd" << int(V::Unwatched) << ""
                                  << "";
        QTest::newRow("sibling-with-common-prefix-not-covered") << QStringList{"|/etc|p"} << "/etcetera" << int(V::Unwatched) << ""
                                                                << "";
        QTest::newRow("long-deep-path") << QStringList{"|/a|p"} << QStringLiteral("/a") + QStringLiteral("/segment").repeated(200) << int(V::Inherited)
                                        << "|/a|p"
                                        << "";
        QTest::newRow("path-with-blanks") << QStringList{"|/srv/my files|p"} << "/srv/my files/a b" << int(V::Inherited) << "|/srv/my files|p"
                                          << "";
    }

    void evaluate()
    {
        QFETCH(QStringList, rules);
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFETCH(QString, rule);
        QFETCH(QString, reason);

        AfickPathScope scope;
        scope.setRules(rulesOf(rules));
        scope.setConfigLines(sampleDirectives);
        const AfickPathScope::Verdict verdict = scope.evaluate(path);
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

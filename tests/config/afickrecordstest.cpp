// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickrecords.h"
#include "recordstrings.h"

#include <QTest>

class AfickRecordsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ruleEquality_data()
    {
        QTest::addColumn<AfickRule>("left");
        QTest::addColumn<AfickRule>("right");
        QTest::addColumn<bool>("equal");
        const AfickRule etc{QString(), QStringLiteral("/etc"), {QStringLiteral("p"), QStringLiteral("u")}};
        QTest::newRow("empty-equals-default") << AfickRule{QString(), QString(), {}} << AfickRule() << true;
        QTest::newRow("path-alone-differs-from-empty") << AfickRule{QString(), QStringLiteral("/etc"), {}} << AfickRule() << false;
        QTest::newRow("field-by-field") << etc << AfickRule{QString(), QStringLiteral("/etc"), {QStringLiteral("p"), QStringLiteral("u")}} << true;
        QTest::newRow("prefix-counts") << etc << AfickRule{QStringLiteral("!"), etc.path, etc.attributes} << false;
        QTest::newRow("attribute-order-counts") << etc << AfickRule{QString(), etc.path, {QStringLiteral("u"), QStringLiteral("p")}} << false;
        QTest::newRow("case-counts") << etc << AfickRule{QString(), QStringLiteral("/ETC"), etc.attributes} << false;
    }
    void ruleEquality()
    {
        QFETCH(AfickRule, left);
        QFETCH(AfickRule, right);
        QFETCH(bool, equal);
        QCOMPARE(left == right, equal);
        QCOMPARE(left != right, !equal);
    }

    void aliasEquality()
    {
        const AfickAlias alias{QStringLiteral("Dir"), {QStringLiteral("p")}};
        QCOMPARE(alias, (AfickAlias{QStringLiteral("Dir"), {QStringLiteral("p")}}));
        QVERIFY(alias != (AfickAlias{QStringLiteral("dir"), {QStringLiteral("p")}}));
        QVERIFY(alias != (AfickAlias{QStringLiteral("Dir"), {QStringLiteral("p"), QStringLiteral("p")}}));
        QCOMPARE(AfickAlias(), (AfickAlias{QString(), {}}));
    }

    void maps()
    {
        const AfickRule a{QString(), QStringLiteral("/a"), {QStringLiteral("p")}};
        const AfickRule b{QStringLiteral("!"), QStringLiteral("/b"), {QStringLiteral("all")}};
        AfickRuleMap forward;
        forward.insert(a.path, a);
        forward.insert(b.path, b);
        AfickRuleMap backward;
        backward.insert(b.path, b);
        backward.insert(a.path, a);
        QVERIFY(forward == backward);

        AfickRuleMap withEmptyEntry = forward;
        withEmptyEntry.insert(QStringLiteral("/c"), AfickRule());
        QVERIFY(withEmptyEntry != forward);

        QCOMPARE(forward.value(QStringLiteral("/absent")), AfickRule());
        QCOMPARE(forward.size(), 2);

        // Copies are independent.
        backward.insert(a.path, AfickRule{QString(), a.path, {QStringLiteral("u")}});
        QCOMPARE(forward.value(a.path), a);
        QVERIFY(forward != backward);
    }
};

QTEST_GUILESS_MAIN(AfickRecordsTest)

#include "afickrecordstest.moc"

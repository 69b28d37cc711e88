// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "callerlanguages.h"

#include <QTest>

class CallerLanguagesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_data();
    void names();
    void helperTakesOnlyAWholeValidList_data();
    void helperTakesOnlyAWholeValidList();
    void pluginSendsTheValidNames_data();
    void pluginSendsTheValidNames();
    void whatThePluginSendsTheHelperTakes_data();
    void whatThePluginSendsTheHelperTakes();
};

namespace
{
QStringList repeated(const QString &prefix, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names.append(prefix + QString::number(i));
    }
    return names;
}
}

void CallerLanguagesTest::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");

    QTest::newRow("language") << QStringLiteral("ru") << true;
    QTest::newRow("language-and-territory") << QStringLiteral("ru_RU") << true;
    QTest::newRow("modifier") << QStringLiteral("sr@latin") << true;
    QTest::newRow("codeset-and-modifier") << QStringLiteral("ca_ES.UTF-8@valencia") << true;
    QTest::newRow("bcp47-hyphen") << QStringLiteral("en-GB") << true;
    QTest::newRow("c-locale") << QStringLiteral("C") << true;
    QTest::newRow("longest") << QString(CallerLanguages::MaximumNameLength, QLatin1Char('a')) << true;

    QTest::newRow("too-long") << QString(CallerLanguages::MaximumNameLength + 1, QLatin1Char('a')) << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("dot-is-the-locale-directory") << QStringLiteral(".") << false;
    QTest::newRow("dot-dot-climbs-out") << QStringLiteral("..") << false;
    QTest::newRow("path-up") << QStringLiteral("../ru") << false;
    QTest::newRow("path-inside") << QStringLiteral("ru/../de") << false;
    QTest::newRow("absolute-path") << QStringLiteral("/tmp/x") << false;
    QTest::newRow("language-list-separator") << QStringLiteral("ru:de") << false;
    QTest::newRow("blank") << QStringLiteral("ru RU") << false;
    QTest::newRow("line-break") << QStringLiteral("ru\n") << false;
    QTest::newRow("nul") << QStringLiteral("ru") + QChar() + QStringLiteral("x") << false;
    QTest::newRow("option-like") << QStringLiteral("-ru") << false;
    QTest::newRow("digit-first") << QStringLiteral("1ru") << false;
    QTest::newRow("underscore-first") << QStringLiteral("_ru") << false;
    QTest::newRow("non-ascii-letters") << QStringLiteral("ру") << false;
    QTest::newRow("shell-characters") << QStringLiteral("ru;id") << false;
    QTest::newRow("environment-assignment") << QStringLiteral("LANGUAGE=ru") << false;
}

void CallerLanguagesTest::names()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(CallerLanguages::isValidName(name), valid);
}

void CallerLanguagesTest::helperTakesOnlyAWholeValidList_data()
{
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<QStringList>("languages");

    const QString key = CallerLanguages::argumentKey();
    const QStringList most = repeated(QStringLiteral("l"), CallerLanguages::MaximumCount);

    QTest::newRow("one") << QVariantMap{{key, QStringList{QStringLiteral("ru")}}} << QStringList{QStringLiteral("ru")};
    QTest::newRow("order-kept") << QVariantMap{{key, QStringList{QStringLiteral("ru_RU"), QStringLiteral("ru"), QStringLiteral("en_GB")}}}
                                << QStringList{QStringLiteral("ru_RU"), QStringLiteral("ru"), QStringLiteral("en_GB")};
    QTest::newRow("most-names") << QVariantMap{{key, most}} << most;

    QTest::newRow("absent") << QVariantMap{{QStringLiteral("path"), QStringLiteral("/etc/afick.conf")}} << QStringList();
    QTest::newRow("empty-list") << QVariantMap{{key, QStringList()}} << QStringList();
    QTest::newRow("too-many-names") << QVariantMap{{key, repeated(QStringLiteral("l"), CallerLanguages::MaximumCount + 1)}} << QStringList();
    QTest::newRow("one-bad-name-spoils-the-list") << QVariantMap{{key, QStringList{QStringLiteral("ru"), QStringLiteral("../de")}}} << QStringList();
    QTest::newRow("single-string-not-a-list") << QVariantMap{{key, QStringLiteral("ru")}} << QStringList();
    QTest::newRow("variant-list-not-a-string-list") << QVariantMap{{key, QVariantList{QStringLiteral("ru")}}} << QStringList();
    QTest::newRow("number") << QVariantMap{{key, 7}} << QStringList();
    QTest::newRow("bytes") << QVariantMap{{key, QByteArray("ru")}} << QStringList();
    QTest::newRow("key-is-case-sensitive") << QVariantMap{{key.toUpper(), QStringList{QStringLiteral("ru")}}} << QStringList();
}

void CallerLanguagesTest::helperTakesOnlyAWholeValidList()
{
    QFETCH(QVariantMap, arguments);
    QFETCH(QStringList, languages);
    QCOMPARE(CallerLanguages::fromArguments(arguments), languages);
}

void CallerLanguagesTest::pluginSendsTheValidNames_data()
{
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("none") << QStringList() << QStringList();
    QTest::newRow("order-kept") << QStringList{QStringLiteral("ru"), QStringLiteral("en_GB"), QStringLiteral("en")}
                                << QStringList{QStringLiteral("ru"), QStringLiteral("en_GB"), QStringLiteral("en")};
    // KLocalizedString::languages() repeats a language it finds in several variables.
    QTest::newRow("each-once") << QStringList{QStringLiteral("ru"), QStringLiteral("en"), QStringLiteral("ru_RU"), QStringLiteral("ru")}
                               << QStringList{QStringLiteral("ru"), QStringLiteral("en"), QStringLiteral("ru_RU")};
    QTest::newRow("bad-names-left-out") << QStringList{QStringLiteral("x/y"), QStringLiteral("ru"), QString(), QStringLiteral("a:b")}
                                        << QStringList{QStringLiteral("ru")};
    QTest::newRow("only-bad-names") << QStringList{QStringLiteral("..")} << QStringList();
    QTest::newRow("cut-after-the-most") << repeated(QStringLiteral("l"), CallerLanguages::MaximumCount + 3)
                                        << repeated(QStringLiteral("l"), CallerLanguages::MaximumCount);
    QTest::newRow("bad-names-do-not-count") << QStringList{QStringLiteral("..")} + repeated(QStringLiteral("l"), CallerLanguages::MaximumCount)
                                            << repeated(QStringLiteral("l"), CallerLanguages::MaximumCount);
}

void CallerLanguagesTest::pluginSendsTheValidNames()
{
    QFETCH(QStringList, languages);
    QFETCH(QStringList, sent);
    QCOMPARE(CallerLanguages::forRequest(languages), sent);
}

void CallerLanguagesTest::whatThePluginSendsTheHelperTakes_data()
{
    QTest::addColumn<QStringList>("languages");

    QTest::newRow("plain") << QStringList{QStringLiteral("ru")};
    QTest::newRow("mixed") << QStringList{QStringLiteral("ru:de"), QStringLiteral("ru"), QStringLiteral("ru"), QStringLiteral("sr@latin")};
    QTest::newRow("long") << repeated(QStringLiteral("ru_"), 3 * CallerLanguages::MaximumCount);
    QTest::newRow("names-too-long-among-good-ones") << QStringList{QString(CallerLanguages::MaximumNameLength + 1, QLatin1Char('a')), QStringLiteral("de")};
}

void CallerLanguagesTest::whatThePluginSendsTheHelperTakes()
{
    QFETCH(QStringList, languages);
    const QStringList sent = CallerLanguages::forRequest(languages);
    QVERIFY(!sent.isEmpty());
    QCOMPARE(CallerLanguages::fromArguments({{CallerLanguages::argumentKey(), sent}}), sent);
}

QTEST_GUILESS_MAIN(CallerLanguagesTest)

#include "callerlanguagestest.moc"

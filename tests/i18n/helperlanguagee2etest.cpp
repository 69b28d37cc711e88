// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// The helper's messages reach the user in the user's language: the helper is
// started by the bus with a cleared environment, so only the languages the
// plug-in sends with each request can tell it which one.

#include "callerlanguages.h"
#include "e2eenvironment.h"
#include "helperrequest.h"

#include <KLocalizedString>

#include <QTest>

namespace
{
const QString Conf = QStringLiteral("/etc/afick.conf");
const QString CheckScript = QStringLiteral("/usr/sbin/tirvane-int-check");
const QString RussianCantRead = QStringLiteral("Не удалось открыть «/etc/afick.conf» для чтения");
const QString EnglishCantRead = QStringLiteral("Can't open to read \"/etc/afick.conf\"");
constexpr int TimeoutMs = 20000;

QVariantMap withLanguages(const QVariant &languages)
{
    return {{CallerLanguages::argumentKey(), languages}};
}
}

class HelperLanguageE2eTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void helperAnswersInTheSentLanguage_data();
    void helperAnswersInTheSentLanguage();
    void oneHelperServesCallersInTurn();
    void scriptOutcomeInTheSentLanguage();

    void pluginSendsTheUsersLanguage_data();
    void pluginSendsTheUsersLanguage();

private:
    E2eEnvironment m_env;
};

void HelperLanguageE2eTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
}

void HelperLanguageE2eTest::init()
{
    QVERIFY(m_env.reset());
    QVERIFY(!m_env.fileStatus(Conf).exists);
}

void HelperLanguageE2eTest::cleanup()
{
    KLocalizedString::clearLanguages();
}

void HelperLanguageE2eTest::helperAnswersInTheSentLanguage_data()
{
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("russian") << withLanguages(QStringList{QStringLiteral("ru")}) << RussianCantRead;
    QTest::newRow("russian-after-a-language-without-catalogue")
        << withLanguages(QStringList{QStringLiteral("de_DE"), QStringLiteral("de"), QStringLiteral("ru")}) << RussianCantRead;
    QTest::newRow("english") << withLanguages(QStringList{QStringLiteral("en_US")}) << EnglishCantRead;
    QTest::newRow("no-language") << QVariantMap() << EnglishCantRead;
    QTest::newRow("invalid-name-ignored") << withLanguages(QStringList{QStringLiteral("../../tmp/ru")}) << EnglishCantRead;
    QTest::newRow("invalid-list-ignored-whole") << withLanguages(QStringList{QStringLiteral("ru"), QStringLiteral("ru de")}) << EnglishCantRead;
    QTest::newRow("wrong-type-ignored") << withLanguages(QStringLiteral("ru")) << EnglishCantRead;
}

void HelperLanguageE2eTest::helperAnswersInTheSentLanguage()
{
    QFETCH(QVariantMap, arguments);
    QFETCH(QString, message);
    const E2eActionResult result = E2eEnvironment::runAction(QStringLiteral("readafickconfig"), arguments, TimeoutMs);
    QCOMPARE(result.error, -1);
    QCOMPARE(result.errorString, message);
    QVERIFY(result.data.isEmpty());
}

void HelperLanguageE2eTest::oneHelperServesCallersInTurn()
{
    // The helper outlives a request by seconds and serves the next caller,
    // who may speak another language or send none.
    const QVariantMap russian = withLanguages(QStringList{QStringLiteral("ru")});
    QCOMPARE(E2eEnvironment::runAction(QStringLiteral("readafickconfig"), russian, TimeoutMs).errorString, RussianCantRead);
    QCOMPARE(E2eEnvironment::runAction(QStringLiteral("readafickconfig"), {}, TimeoutMs).errorString, EnglishCantRead);
    QCOMPARE(E2eEnvironment::runAction(QStringLiteral("readafickconfig"), russian, TimeoutMs).errorString, RussianCantRead);
    QCOMPARE(E2eEnvironment::runAction(QStringLiteral("readafickconfig"), withLanguages(QStringList{QStringLiteral("..")}), TimeoutMs).errorString,
             EnglishCantRead);
}

void HelperLanguageE2eTest::scriptOutcomeInTheSentLanguage()
{
    QVERIFY(m_env.setScript(CheckScript, 3, "integrity violated\n"));
    const E2eActionResult result =
        E2eEnvironment::runAction(QStringLiteral("checkintegritymethod"), withLanguages(QStringList{QStringLiteral("ru")}), TimeoutMs);
    QCOMPARE(result.error, -1);
    const QString start = QStringLiteral("Сценарий %1 завершился с кодом 3.\nПолные сведения:\n").arg(CheckScript);
    QVERIFY2(result.errorString.startsWith(start), qPrintable(result.describe()));
    QVERIFY2(result.errorString.contains(QLatin1String("integrity violated")), qPrintable(result.describe()));
}

void HelperLanguageE2eTest::pluginSendsTheUsersLanguage_data()
{
    QTest::addColumn<QStringList>("userLanguages");
    QTest::addColumn<QString>("message");

    QTest::newRow("russian") << QStringList{QStringLiteral("ru")} << RussianCantRead;
    QTest::newRow("russian-territory-and-english-fallback")
        << QStringList{QStringLiteral("ru_RU"), QStringLiteral("ru"), QStringLiteral("en_US")} << RussianCantRead;
    QTest::newRow("english") << QStringList{QStringLiteral("en_US")} << EnglishCantRead;
    // The plug-in leaves out what the helper would refuse, so a stray entry
    // in the user's settings does not cost the user the language.
    QTest::newRow("stray-entry-left-out") << QStringList{QStringLiteral("ru:en"), QStringLiteral("ru")} << RussianCantRead;
}

void HelperLanguageE2eTest::pluginSendsTheUsersLanguage()
{
    QFETCH(QStringList, userLanguages);
    QFETCH(QString, message);
    KLocalizedString::setLanguages(userLanguages);
    const HelperReply reply = HelperRequest::run(QStringLiteral("readafickconfig"));
    QVERIFY(!reply.succeeded());
    QCOMPARE(reply.errorString, message);
}

QTEST_GUILESS_MAIN(HelperLanguageE2eTest)

#include "helperlanguagee2etest.moc"

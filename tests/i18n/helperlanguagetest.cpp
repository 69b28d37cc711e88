// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// The helper's own messages in the caller's language, with the helper's
// actions called in process. The test runs without any locale variable, as
// the system bus starts the helper, and finds the catalogue built from po/.

#include "callerlanguages.h"
#include "integritysecurityhelper.h"

#include <QTemporaryDir>
#include <QTest>

#include <clocale>

namespace
{
// A file other than the configuration is refused with a message that names it.
const QString Russian = QStringLiteral("Помощник отказывается работать с «%1»: это действие допускает только «/etc/afick.conf».");
const QString English = QStringLiteral("The helper refuses \"%1\": this action works only on \"/etc/afick.conf\".");

QVariantMap withLanguages(const QVariant &languages)
{
    return {{CallerLanguages::argumentKey(), languages}};
}
}

class HelperLanguageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void messageInTheCallersLanguage_data();
    void messageInTheCallersLanguage();
    void everyActionSetsItsOwnLanguage();
    void onlyMessagesChangeLocale();

private:
    QString readMissingFile(QVariantMap arguments);

    QTemporaryDir m_dir;
};

void HelperLanguageTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // What a cleared environment gives; the helper must cope with it.
    QCOMPARE(std::setlocale(LC_MESSAGES, nullptr), "C");
}

QString HelperLanguageTest::readMissingFile(QVariantMap arguments)
{
    arguments.insert(QStringLiteral("path"), m_dir.filePath(QStringLiteral("missing.conf")));
    const KAuth::ActionReply reply = IntegritySecurityHelper().readafickconfig(arguments);
    if (!reply.failed()) {
        return QStringLiteral("<no error>");
    }
    return reply.errorDescription();
}

void HelperLanguageTest::messageInTheCallersLanguage_data()
{
    QTest::addColumn<QVariantMap>("arguments");
    QTest::addColumn<QString>("message");

    const auto list = [](std::initializer_list<QString> names) {
        return withLanguages(QStringList(names));
    };

    QTest::newRow("russian") << list({QStringLiteral("ru")}) << Russian;
    QTest::newRow("territory-first-then-language") << list({QStringLiteral("ru_RU"), QStringLiteral("ru")}) << Russian;
    QTest::newRow("language-without-catalogue-skipped") << list({QStringLiteral("de"), QStringLiteral("ru")}) << Russian;
    QTest::newRow("english-first-wins") << list({QStringLiteral("en_US"), QStringLiteral("ru")}) << English;
    QTest::newRow("only-a-language-without-catalogue") << list({QStringLiteral("de")}) << English;
    QTest::newRow("no-language-sent") << QVariantMap() << English;
    QTest::newRow("path-like-name-ignored") << list({QStringLiteral("../ru")}) << English;
    QTest::newRow("one-bad-name-ignores-the-list") << list({QStringLiteral("ru"), QStringLiteral("ru:de")}) << English;
    QTest::newRow("string-instead-of-list-ignored") << withLanguages(QStringLiteral("ru")) << English;
    QStringList tooMany;
    for (int i = 0; i <= CallerLanguages::MaximumCount; ++i) {
        tooMany.append(QStringLiteral("ru"));
    }
    QTest::newRow("too-many-names-ignored") << withLanguages(tooMany) << English;
}

void HelperLanguageTest::messageInTheCallersLanguage()
{
    QFETCH(QVariantMap, arguments);
    QFETCH(QString, message);
    QCOMPARE(readMissingFile(arguments), message.arg(m_dir.filePath(QStringLiteral("missing.conf"))));
}

void HelperLanguageTest::everyActionSetsItsOwnLanguage()
{
    // One helper process serves several callers in turn; no language may
    // linger from the previous request.
    const QVariantMap russian = withLanguages(QStringList{QStringLiteral("ru")});
    const QString path = m_dir.filePath(QStringLiteral("missing.conf"));
    QCOMPARE(readMissingFile(russian), Russian.arg(path));
    QCOMPARE(readMissingFile({}), English.arg(path));
    QCOMPARE(readMissingFile(russian), Russian.arg(path));
    QCOMPARE(readMissingFile(withLanguages(QStringList{QStringLiteral("..")})), English.arg(path));
}

void HelperLanguageTest::onlyMessagesChangeLocale()
{
    QCOMPARE(readMissingFile(withLanguages(QStringList{QStringLiteral("ru")})), Russian.arg(m_dir.filePath(QStringLiteral("missing.conf"))));
    // Number and character handling of what the helper reads and writes stay
    // as the helper started.
    QCOMPARE(std::setlocale(LC_NUMERIC, nullptr), "C");
    QCOMPARE(std::setlocale(LC_CTYPE, nullptr), "C");
}

QTEST_GUILESS_MAIN(HelperLanguageTest)

#include "helperlanguagetest.moc"

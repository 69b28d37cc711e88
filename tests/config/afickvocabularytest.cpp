// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickvocabulary.h"

#include <QTest>

using namespace AfickVocabulary;

// Looked up by another translation unit's static initialiser, before main().
static const QString s_descriptionBeforeMain = toDescription(QStringLiteral("p"));

class AfickVocabularyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choiceNamesInOfferOrder()
    {
        const QStringList expected = QStringLiteral("a b c d g i m md5 n p u s sha1 sha256 sha512 all R L P E").split(QLatin1Char(' '));
        QCOMPARE(AttributeChoiceNames(), expected);
    }

    void lookupsBeforeMain()
    {
        QCOMPARE(s_descriptionBeforeMain, QStringLiteral("permissions"));
    }

    void toDescription_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::newRow("code-described") << "md5"
                                        << "md5 checksum";
        QTest::newRow("u-before-s-both-described") << "s"
                                                   << "file size";
        QTest::newRow("built-in-set-unchanged") << "R"
                                                << "R";
        QTest::newRow("all-unchanged") << "all"
                                       << "all";
        QTest::newRow("case-sensitive") << "A"
                                        << "A";
        QTest::newRow("alias-name-unchanged") << "MyRule"
                                              << "MyRule";
        QTest::newRow("no-trimming") << " p"
                                     << " p";
    }
    void toDescription()
    {
        QFETCH(QString, name);
        QFETCH(QString, description);
        QCOMPARE(AfickVocabulary::toDescription(name), description);
    }

    void toCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::newRow("description-to-code") << "file size"
                                             << "s";
        QTest::newRow("code-unchanged") << "s"
                                        << "s";
        QTest::newRow("source-text-is-the-description") << "user"
                                                        << "u";
        QTest::newRow("case-sensitive") << "User"
                                        << "User";
    }
    void toCode()
    {
        QFETCH(QString, text);
        QFETCH(QString, code);
        QCOMPARE(AfickVocabulary::toCode(text), code);
    }

    void listFormsKeepOrderAndDuplicates()
    {
        const QStringList names{QStringLiteral("p"), QStringLiteral("Dir"), QStringLiteral("p")};
        const QStringList descriptions{QStringLiteral("permissions"), QStringLiteral("Dir"), QStringLiteral("permissions")};
        QCOMPARE(AfickVocabulary::toDescription(names), descriptions);
        QCOMPARE(AfickVocabulary::toCode(descriptions), names);
    }
};

QTEST_GUILESS_MAIN(AfickVocabularyTest)

#include "afickvocabularytest.moc"

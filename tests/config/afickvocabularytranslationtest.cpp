// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickconfigfileeditor.h"
#include "afickvocabulary.h"

#include <KLocalizedString>

#include <QSignalSpy>
#include <QTest>

using namespace AfickVocabulary;

class AfickVocabularyTranslationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Lookups from now on would be English; the tables must not follow.
        KLocalizedString::setLanguages({QStringLiteral("en_US")});
    }

    void descriptionsAreTranslatedAtLoad_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("description");
        QTest::newRow("translated") << "u" << QStringLiteral("Benutzer");
        QTest::newRow("non-ascii-translation") << "s" << QStringLiteral("Dateigröße");
        QTest::newRow("without-translation-the-source-text") << "md5" << QStringLiteral("md5 checksum");
    }
    void descriptionsAreTranslatedAtLoad()
    {
        QFETCH(QString, code);
        QFETCH(QString, description);
        QCOMPARE(toDescription(code), description);
        QCOMPARE(toCode(description), code);
    }

    void reverseLookupAndClashes()
    {
        QCOMPARE(toCode(QStringLiteral("user")), QStringLiteral("user"));
        QCOMPARE(toCode(QStringLiteral("Zeitstempel")), QStringLiteral("c"));
        QCOMPARE(toDescription(QStringLiteral("a")), QStringLiteral("Zeitstempel"));
        QCOMPARE(AttributeDescriptions().size(), 15);
        QCOMPARE(AttributeCodesByDescription().size(), 14);
    }

    void parserMessagesAreTranslated()
    {
        KLocalizedString::setLanguages({QStringLiteral("de")});
        AfickConfigFileEditor editor;
        QSignalSpy errors(&editor, &AfickConfigFileEditor::readConfigError);
        QTest::ignoreMessage(QtWarningMsg, "readConfigError: \"Falsche Regel: /etc\"");
        editor.applyConfigLines({QStringLiteral("/etc")});
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Falsche Regel: /etc"));
    }
};

QTEST_GUILESS_MAIN(AfickVocabularyTranslationTest)

#include "afickvocabularytranslationtest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2eenvironment.h"
#include "kcmui.h"

#include <KQuickAddons/ConfigModule>

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

namespace
{
const QString configPath = QStringLiteral("/etc/afick.conf");
// Only a guard against a reply that never comes.
constexpr int replyTimeoutMs = 30000;
const QSize desktopSize(1000, 700);

const QStringList sampleLines{
    QStringLiteral("# afick configuration"),
    QStringLiteral("report_url:=stdout"),
    QStringLiteral("ETC = p+u+g"),
    QStringLiteral("/etc ETC"),
    QStringLiteral("/bin ETC"),
};

QByteArray fileText(const QStringList &lines)
{
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QString rowName(const QString &path)
{
    return QStringLiteral("fileRow_") + path;
}
}

// The rules page and the host's Apply and Reset, as a user works them:
// the installed plug-in and page, the real helper behind polkit, and the
// test as an unprivileged user.
class KcmUiRulesE2eTest : public QObject
{
    Q_OBJECT

    E2eEnvironment m_env;
    std::unique_ptr<KcmUi> m_ui;

    QStringList fileLines() const
    {
        return QString::fromUtf8(m_env.fileStatus(configPath).content).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QQuickItem *row(const QString &path) const
    {
        return m_ui->item(rowName(path));
    }

    // The rule the row of @p path shows, or "-" when there is no such row.
    QString rowRule(const QString &path) const
    {
        QQuickItem *item = row(path);
        if (!item) {
            return QStringLiteral("-");
        }
        return item->property("ruleText").toString();
    }

    bool rowMarkedChanged(const QString &path) const
    {
        QQuickItem *item = row(path);
        const QQuickItem *mark = item ? item->findChild<QQuickItem *>(QStringLiteral("changedMark")) : nullptr;
        return mark && KcmUi::isShown(mark);
    }

    QString text(const QString &objectName) const
    {
        const QObject *object = m_ui->find(objectName);
        return object ? object->property("text").toString() : QString();
    }

    bool shown(const QString &objectName) const
    {
        return KcmUi::isShown(m_ui->item(objectName));
    }

    // Selects /etc and adds md5 through the menu of unused attributes.
    void addMd5ToEtc()
    {
        QVERIFY(m_ui->click(row(QStringLiteral("/etc"))));
        QCOMPARE(text(QStringLiteral("rulePath")), QStringLiteral("/etc"));
        QVERIFY(m_ui->click(QStringLiteral("addAttributeButton")));
        QTRY_VERIFY(m_ui->find(QStringLiteral("addAttributeMenu"))->property("opened").toBool());
        QVERIFY(m_ui->click(QStringLiteral("addAttribute_md5")));
        QTRY_COMPARE(rowRule(QStringLiteral("/etc")), QStringLiteral("ETC+md5"));
    }

    // The lines the changes sheet lists, as removed (false) or added (true).
    QList<QPair<bool, QString>> sheetLines() const
    {
        QList<QPair<bool, QString>> lines;
        const QList<QQuickItem *> items = m_ui->items();
        for (QQuickItem *item : items) {
            if (KcmUi::isShown(item) && item->property("line").isValid() && item->property("added").isValid()) {
                lines.append({item->property("added").toBool(), item->property("line").toString()});
            }
        }
        return lines;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
    }

    void init()
    {
        QVERIFY(m_env.reset());
        QVERIFY(m_env.writeFile(configPath, fileText(sampleLines)));
        m_ui = std::make_unique<KcmUi>();
        QVERIFY2(m_ui->open(desktopSize), qPrintable(m_ui->problem()));
        // The page starts the first load itself; the rules appear with it.
        QTRY_COMPARE_WITH_TIMEOUT(rowRule(QStringLiteral("/etc")), QStringLiteral("ETC"), replyTimeoutMs);
        QVERIFY(!m_ui->module()->needsSave());
    }

    void cleanup()
    {
        const QStringList warnings = m_ui->qmlWarnings();
        m_ui.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    }

    void addingAnAttributeMarksTheRowAndApplyWritesIt()
    {
        QVERIFY(!rowMarkedChanged(QStringLiteral("/etc")));
        addMd5ToEtc();
        QVERIFY(rowMarkedChanged(QStringLiteral("/etc")));
        QVERIFY(m_ui->item(QStringLiteral("attribute_md5")));
        QVERIFY(m_ui->module()->needsSave());
        m_ui->saveScreenshot(QStringLiteral("rules-edited"));

        m_ui->module()->save();
        QCOMPARE(fileLines(),
                 (QStringList{QStringLiteral("# afick configuration"),
                              QStringLiteral("report_url:=stdout"),
                              QStringLiteral("ETC = p+u+g"),
                              QStringLiteral("/etc ETC+md5"),
                              QStringLiteral("/bin ETC")}));
        QVERIFY(!m_ui->module()->needsSave());
        QTRY_COMPARE(rowRule(QStringLiteral("/etc")), QStringLiteral("ETC+md5"));
        QVERIFY(!rowMarkedChanged(QStringLiteral("/etc")));
        QVERIFY(!shown(QStringLiteral("configMessage")));
    }

    void removingAnAttributeWithItsChip()
    {
        QVERIFY(m_ui->click(row(QStringLiteral("/bin"))));
        QVERIFY(m_ui->click(QStringLiteral("removeAttribute_ETC")));
        QTRY_COMPARE(rowRule(QStringLiteral("/bin")), QString());
        QVERIFY(shown(QStringLiteral("noAttributesLabel")));
        QVERIFY(m_ui->module()->needsSave());
        m_ui->module()->save();
        QVERIFY(!fileLines().contains(QStringLiteral("/bin ETC")));
    }

    void prefixIsChosenFromTheList()
    {
        QVERIFY(m_ui->click(row(QStringLiteral("/etc"))));
        QObject *prefix = m_ui->find(QStringLiteral("prefixBox"));
        QCOMPARE(prefix->property("currentIndex").toInt(), 0);
        QVERIFY(m_ui->click(qobject_cast<QQuickItem *>(prefix)));
        m_ui->key(Qt::Key_Down);
        m_ui->key(Qt::Key_Return);
        QTRY_COMPARE(rowRule(QStringLiteral("/etc")), QStringLiteral("= ETC"));
        m_ui->module()->save();
        QVERIFY(fileLines().contains(QStringLiteral("=/etc ETC")));
    }

    // Another rule loaded after an edit, then Reset: the editor shows each
    // path's rule as it stands, never one left over from before.
    void resetDiscardsTheEditsEverywhere()
    {
        addMd5ToEtc();
        m_ui->module()->load();
        QTRY_COMPARE(rowRule(QStringLiteral("/etc")), QStringLiteral("ETC"));
        QVERIFY(!rowMarkedChanged(QStringLiteral("/etc")));
        QVERIFY(!m_ui->module()->needsSave());
        QCOMPARE(text(QStringLiteral("rulePath")), QStringLiteral("/etc"));
        QVERIFY(!m_ui->item(QStringLiteral("attribute_md5")));
        QVERIFY(m_ui->item(QStringLiteral("attribute_ETC")));
        QCOMPARE(fileLines(), sampleLines);
    }

    void refusedSaveIsShownAndKeepsTheEdits()
    {
        addMd5ToEtc();
        QVERIFY(m_env.setActionVerdict(QStringLiteral("writeafickconfig"), E2eEnvironment::Verdict::No));
        m_ui->module()->save();
        QTRY_VERIFY(shown(QStringLiteral("configMessage")));
        QCOMPARE(text(QStringLiteral("configMessage")),
                 QStringLiteral("Saving the configuration was refused: you are not authorized to do it. Your changes are kept."));
        QVERIFY(m_ui->module()->needsSave());
        QCOMPARE(rowRule(QStringLiteral("/etc")), QStringLiteral("ETC+md5"));
        QCOMPARE(fileLines(), sampleLines);
        m_ui->saveScreenshot(QStringLiteral("rules-refused"));
    }

    void refusedFirstLoadIsShown()
    {
        m_ui.reset();
        QVERIFY(m_env.setActionVerdict(QStringLiteral("readafickconfig"), E2eEnvironment::Verdict::No));
        m_ui = std::make_unique<KcmUi>();
        QVERIFY2(m_ui->open(desktopSize), qPrintable(m_ui->problem()));
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("configMessage")), replyTimeoutMs);
        QCOMPARE(text(QStringLiteral("configMessage")), QStringLiteral("Reading the configuration was refused: you are not authorized to do it."));
        QCOMPARE(rowRule(QStringLiteral("/etc")), QString());
    }

    void showChangesListsWhatApplyWouldWrite()
    {
        QQuickItem *showChanges = m_ui->buttonOf(QStringLiteral("showChangesAction"));
        QVERIFY(showChanges);
        QVERIFY(!showChanges->isEnabled());

        addMd5ToEtc();
        QTRY_VERIFY(showChanges->isEnabled());
        QVERIFY(m_ui->click(showChanges));
        QTRY_VERIFY(m_ui->find(QStringLiteral("changesSheet"))->property("sheetOpen").toBool());
        QTRY_COMPARE(sheetLines(), (QList<QPair<bool, QString>>{{false, QStringLiteral("/etc ETC")}, {true, QStringLiteral("/etc ETC+md5")}}));
        m_ui->saveScreenshot(QStringLiteral("rules-changes"));
        QCOMPARE(fileLines(), sampleLines);
    }

    void restoreAsksThenPutsThePreviousFileBack()
    {
        addMd5ToEtc();
        m_ui->module()->save();
        QVERIFY(fileLines().contains(QStringLiteral("/etc ETC+md5")));
        m_ui->settle();

        QVERIFY(m_ui->click(m_ui->buttonOf(QStringLiteral("restoreAction"))));
        QTRY_VERIFY(m_ui->find(QStringLiteral("restoreDialog"))->property("opened").toBool());
        m_ui->saveScreenshot(QStringLiteral("rules-restore"));

        // Cancelling changes nothing.
        QVERIFY(m_ui->click(m_ui->buttonOf(QStringLiteral("cancelRestoreAction"))));
        QTRY_VERIFY(!m_ui->find(QStringLiteral("restoreDialog"))->property("visible").toBool());
        QVERIFY(fileLines().contains(QStringLiteral("/etc ETC+md5")));

        QVERIFY(m_ui->click(m_ui->buttonOf(QStringLiteral("restoreAction"))));
        QTRY_VERIFY(m_ui->find(QStringLiteral("restoreDialog"))->property("opened").toBool());
        QVERIFY(m_ui->click(m_ui->buttonOf(QStringLiteral("confirmRestoreAction"))));
        QTRY_COMPARE(fileLines(), sampleLines);
        QTRY_COMPARE(rowRule(QStringLiteral("/etc")), QStringLiteral("ETC"));
        QVERIFY(!m_ui->module()->needsSave());
        QVERIFY(!shown(QStringLiteral("configMessage")));
    }

    void failedRestoreIsShown()
    {
        QVERIFY(m_ui->click(m_ui->buttonOf(QStringLiteral("restoreAction"))));
        QTRY_VERIFY(m_ui->find(QStringLiteral("restoreDialog"))->property("opened").toBool());
        QVERIFY(m_ui->click(m_ui->buttonOf(QStringLiteral("confirmRestoreAction"))));
        QTRY_VERIFY(shown(QStringLiteral("configMessage")));
        QVERIFY(text(QStringLiteral("configMessage")).startsWith(QStringLiteral("The previous configuration could not be restored")));
        QCOMPARE(fileLines(), sampleLines);
    }

    void openingADirectoryListsItThroughTheHelper()
    {
        QVERIFY(m_env.makeDirectory(QStringLiteral("/etc/aaa-trustwatch-test")));
        QVERIFY(m_env.setMode(QStringLiteral("/etc/aaa-trustwatch-test"), 0700));
        QVERIFY(m_env.writeFile(QStringLiteral("/etc/aaa-trustwatch-test/secret"), "x"));
        QVERIFY(m_ui->click(row(QStringLiteral("/etc"))->findChild<QQuickItem *>(QStringLiteral("expander"))));
        QTRY_VERIFY(row(QStringLiteral("/etc/aaa-trustwatch-test")));
        // Only root may list it: the helper does.
        QVERIFY(m_ui->click(row(QStringLiteral("/etc/aaa-trustwatch-test"))->findChild<QQuickItem *>(QStringLiteral("expander"))));
        QTRY_VERIFY(row(QStringLiteral("/etc/aaa-trustwatch-test/secret")));
        QVERIFY(m_ui->click(row(QStringLiteral("/etc"))->findChild<QQuickItem *>(QStringLiteral("expander"))));
        QTRY_VERIFY(!row(QStringLiteral("/etc/aaa-trustwatch-test")));
    }

    void keyboardAlone()
    {
        // Tab reaches the tree; typing a name's start selects it.
        QQuickItem *tree = m_ui->item(QStringLiteral("fileTree"));
        for (int step = 0; step < 10 && !tree->hasActiveFocus(); ++step) {
            m_ui->key(Qt::Key_Tab);
        }
        QVERIFY(tree->hasActiveFocus());
        m_ui->type(QStringLiteral("et"));
        QCOMPARE(text(QStringLiteral("rulePath")), QStringLiteral("/etc"));
        m_ui->key(Qt::Key_Right);
        QTRY_VERIFY(row(QStringLiteral("/etc/afick.conf")));
        m_ui->key(Qt::Key_Down);
        QVERIFY(text(QStringLiteral("rulePath")).startsWith(QStringLiteral("/etc/")));
        m_ui->key(Qt::Key_Up);
        m_ui->key(Qt::Key_Left);
        QTRY_VERIFY(!row(QStringLiteral("/etc/afick.conf")));
        QCOMPARE(text(QStringLiteral("rulePath")), QStringLiteral("/etc"));

        // On into the editor: the prefix, the chip, then the add button and its menu.
        QQuickItem *add = m_ui->item(QStringLiteral("addAttributeButton"));
        for (int step = 0; step < 10 && !add->hasActiveFocus(); ++step) {
            m_ui->key(Qt::Key_Tab);
        }
        QVERIFY(add->hasActiveFocus());
        m_ui->key(Qt::Key_Space);
        QTRY_VERIFY(m_ui->find(QStringLiteral("addAttributeMenu"))->property("opened").toBool());

        m_ui->key(Qt::Key_Down);
        m_ui->key(Qt::Key_Return);
        QTRY_VERIFY(rowRule(QStringLiteral("/etc")).startsWith(QStringLiteral("ETC+")));
        const QString added = rowRule(QStringLiteral("/etc")).mid(4);

        // Back on the button once the menu has closed; the chip before it
        // takes focus and goes with Delete.
        QTRY_VERIFY(add->hasActiveFocus());
        QQuickItem *chip = m_ui->item(QStringLiteral("attribute_") + added);
        QVERIFY(chip);
        m_ui->key(Qt::Key_Tab, Qt::ShiftModifier);
        QVERIFY(chip->hasActiveFocus());
        m_ui->key(Qt::Key_Delete);
        QTRY_COMPARE(rowRule(QStringLiteral("/etc")), QStringLiteral("ETC"));
        QTRY_VERIFY(add->hasActiveFocus());
    }
};

QTEST_MAIN(KcmUiRulesE2eTest)

#include "kcmuirulese2etest.moc"

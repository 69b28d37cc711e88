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
    QStringList m_busyTexts;

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

    // What the row of @p path shows where it has no rule of its own.
    QString rowEffective(const QString &path) const
    {
        QQuickItem *item = row(path);
        const QQuickItem *label = item ? item->findChild<QQuickItem *>(QStringLiteral("effectiveLabel")) : nullptr;
        return label && KcmUi::isShown(label) ? label->property("text").toString() : QString();
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

    // Triggers the action of an inline message, which it offers when shown.
    bool triggerOffered(const QString &actionName)
    {
        QObject *action = m_ui->find(actionName);
        if (!action || !action->property("visible").toBool() || !action->property("enabled").toBool()) {
            return false;
        }
        QMetaObject::invokeMethod(action, "trigger");
        m_ui->settle();
        return true;
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

public Q_SLOTS:
    // Runs as the module or the tree announces work; the page's bindings
    // have followed by then.
    void noteBusyState()
    {
        const QQuickItem *indicator = m_ui->item(QStringLiteral("busyIndicator"));
        if (indicator && indicator->property("running").toBool() && KcmUi::isShown(indicator)) {
            m_busyTexts.append(text(QStringLiteral("busyLabel")));
        }
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

    void rowShowsWhatAfickApplies_data()
    {
        QTest::addColumn<QStringList>("extraLines");
        QTest::addColumn<bool>("editEtc");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        // Whole, in the row's tooltip and beside the rule once the row is selected.
        QTest::addColumn<QString>("scope");

        QTest::newRow("own-rule-as-written") << QStringList() << false << QStringLiteral("/etc") << QString() << QString();
        QTest::newRow("inherited") << QStringList() << false << QStringLiteral("/etc/afick.conf") << QStringLiteral("ETC · from /etc")
                                   << QStringLiteral("Checked with the rule of /etc: ETC");
        QTest::newRow("inherited-edit-before-apply") << QStringList() << true << QStringLiteral("/etc/afick.conf") << QStringLiteral("ETC+md5 · from /etc")
                                                     << QStringLiteral("Checked with the rule of /etc: ETC+md5");
        QTest::newRow("excluded") << QStringList{QStringLiteral("exclude_suffix:=conf")} << false << QStringLiteral("/etc/afick.conf")
                                  << QStringLiteral("not checked") << QStringLiteral("not checked: exclude_suffix conf");
    }

    // Every row says what afick applies to it, from the rules as edited.
    void rowShowsWhatAfickApplies()
    {
        QFETCH(QStringList, extraLines);
        QFETCH(bool, editEtc);
        QFETCH(QString, path);
        if (!extraLines.isEmpty()) {
            QVERIFY(m_env.writeFile(configPath, fileText(sampleLines + extraLines)));
            // Read in the background; the rows follow when it is done.
            m_ui->module()->load();
        }
        if (editEtc) {
            addMd5ToEtc();
        }
        QVERIFY(m_ui->click(row(QStringLiteral("/etc"))->findChild<QQuickItem *>(QStringLiteral("expander"))));
        QTRY_VERIFY(row(path));
        QFETCH(QString, shown);
        QTRY_COMPARE(rowEffective(path), shown);
        QFETCH(QString, scope);
        QCOMPARE(row(path)->property("scopeText").toString(), scope);
        QVERIFY(m_ui->click(row(path)));
        QCOMPARE(KcmUi::isShown(m_ui->item(QStringLiteral("ruleScopeMessage"))) ? text(QStringLiteral("ruleScopeMessage")) : QString(), scope);
        QVERIFY(!rowMarkedChanged(path));
        m_ui->saveScreenshot(QStringLiteral("rules-effective-") + QString::fromLatin1(QTest::currentDataTag()));
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

    // Nothing can be edited before a read succeeded, and the read can be tried again.
    void refusedFirstLoadIsShown()
    {
        m_ui.reset();
        QVERIFY(m_env.setActionVerdict(QStringLiteral("readafickconfig"), E2eEnvironment::Verdict::No));
        m_ui = std::make_unique<KcmUi>();
        QVERIFY2(m_ui->open(desktopSize), qPrintable(m_ui->problem()));
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("configMessage")), replyTimeoutMs);
        QCOMPARE(text(QStringLiteral("configMessage")), QStringLiteral("Reading the configuration was refused: you are not authorized to do it."));
        QCOMPARE(rowRule(QStringLiteral("/etc")), QString());
        QVERIFY(!m_ui->item(QStringLiteral("ruleEditor"))->isEnabled());
        QVERIFY(!m_ui->item(QStringLiteral("aliasesView"))->isEnabled());

        QVERIFY(m_env.setActionVerdict(QStringLiteral("readafickconfig"), E2eEnvironment::Verdict::Yes));
        QVERIFY(triggerOffered(QStringLiteral("tryAgainAction")));
        QTRY_COMPARE_WITH_TIMEOUT(rowRule(QStringLiteral("/etc")), QStringLiteral("ETC"), replyTimeoutMs);
        QVERIFY(m_ui->item(QStringLiteral("ruleEditor"))->isEnabled());
        QVERIFY(!shown(QStringLiteral("configMessage")));
    }

    // However many lines are not understood, they take one line of the page.
    void linesNotUnderstoodAreOneWarningWithDetails()
    {
        m_ui.reset();
        QStringList lines = sampleLines;
        for (int line = 0; line < 50; ++line) {
            lines.append(QStringLiteral("/odd%1 p u").arg(line));
        }
        QVERIFY(m_env.writeFile(configPath, fileText(lines)));
        m_ui = std::make_unique<KcmUi>();
        QVERIFY2(m_ui->open(QSize(800, 600)), qPrintable(m_ui->problem()));
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("configProblemsMessage")), replyTimeoutMs);
        QCOMPARE(text(QStringLiteral("configProblemsMessage")), QStringLiteral("50 lines of /etc/afick.conf are not understood; they are kept as written."));
        QVERIFY(!shown(QStringLiteral("configMessage")));
        QVERIFY(m_ui->item(QStringLiteral("fileTree"))->height() > 400);

        QVERIFY(triggerOffered(QStringLiteral("configProblemsDetailsAction")));
        QTRY_VERIFY(m_ui->find(QStringLiteral("configProblemsDialog"))->property("opened").toBool());
        const QStringList details = text(QStringLiteral("configProblemsDialogText")).split(QLatin1Char('\n'));
        QCOMPARE(details.size(), 50);
        QCOMPARE(details.first(), QStringLiteral("Line 6: /odd0 p u"));
        QCOMPARE(details.last(), QStringLiteral("Line 55: /odd49 p u"));

        // Mended elsewhere: the next read clears the warning.
        QVERIFY(m_env.writeFile(configPath, fileText(sampleLines)));
        m_ui->module()->load();
        QTRY_VERIFY(!shown(QStringLiteral("configProblemsMessage")));
    }

    void refusedListingOffersToListAgain()
    {
        QVERIFY(m_env.setActionVerdict(QStringLiteral("entryinfolist"), E2eEnvironment::Verdict::No));
        QVERIFY(m_ui->click(row(QStringLiteral("/etc"))->findChild<QQuickItem *>(QStringLiteral("expander"))));
        QTRY_VERIFY(KcmUi::isShown(row(QStringLiteral("/etc"))->findChild<QQuickItem *>(QStringLiteral("listingFailedLabel"))));
        QVERIFY(!row(QStringLiteral("/etc/afick.conf")));

        QVERIFY(m_env.setActionVerdict(QStringLiteral("entryinfolist"), E2eEnvironment::Verdict::Yes));
        QVERIFY(m_ui->click(row(QStringLiteral("/etc"))->findChild<QQuickItem *>(QStringLiteral("retryListingButton"))));
        QTRY_VERIFY(row(QStringLiteral("/etc/afick.conf")));
        QVERIFY(!KcmUi::isShown(row(QStringLiteral("/etc"))->findChild<QQuickItem *>(QStringLiteral("listingFailedLabel"))));
    }

    void busyWhileWorking_data()
    {
        QTest::addColumn<QString>("work");
        QTest::addColumn<QString>("busy");
        QTest::newRow("reset-reads") << QStringLiteral("reset") << QStringLiteral("Reading the configuration…");
        QTest::newRow("apply") << QStringLiteral("apply") << QStringLiteral("Applying…");
        QTest::newRow("opening-a-folder-lists-it") << QStringLiteral("list") << QStringLiteral("Listing the folder…");
        QTest::newRow("restore") << QStringLiteral("restore") << QStringLiteral("Restoring the previous configuration…");
    }

    void busyWhileWorking()
    {
        QFETCH(QString, work);
        if (work != QLatin1String("list")) {
            addMd5ToEtc();
        }
        if (work == QLatin1String("restore")) {
            m_ui->module()->save();
            m_ui->settle();
            QVERIFY(m_ui->click(m_ui->buttonOf(QStringLiteral("restoreAction"))));
            QTRY_VERIFY(m_ui->find(QStringLiteral("restoreDialog"))->property("opened").toBool());
        }
        QObject *model = m_ui->module()->property("integrityFileSystemModel").value<QObject *>();
        QVERIFY(connect(m_ui->module(), SIGNAL(activityChanged()), this, SLOT(noteBusyState())));
        QVERIFY(connect(model, SIGNAL(listingChanged()), this, SLOT(noteBusyState())));
        m_busyTexts.clear();

        if (work == QLatin1String("reset")) {
            m_ui->module()->load();
        } else if (work == QLatin1String("apply")) {
            m_ui->module()->save();
        } else if (work == QLatin1String("list")) {
            QVERIFY(m_ui->click(row(QStringLiteral("/etc"))->findChild<QQuickItem *>(QStringLiteral("expander"))));
        } else {
            QVERIFY(m_ui->click(m_ui->buttonOf(QStringLiteral("confirmRestoreAction"))));
        }
        QFETCH(QString, busy);
        QTRY_VERIFY2(m_busyTexts.contains(busy), qPrintable(m_busyTexts.join(QLatin1String(", "))));
        QTRY_VERIFY(!shown(QStringLiteral("busyIndicator")));
    }

    // A reload keeps the tree as the user left it: the folder open, the row
    // selected, the view scrolled; the editor shows that row's rule as read.
    void reloadKeepsTheTreeInPlace_data()
    {
        QTest::addColumn<QString>("reload");
        QTest::addColumn<bool>("md5Kept");
        QTest::newRow("apply") << QStringLiteral("apply") << true;
        QTest::newRow("reset") << QStringLiteral("reset") << false;
        QTest::newRow("try-again-after-a-refused-read") << QStringLiteral("try-again") << false;
    }

    void reloadKeepsTheTreeInPlace()
    {
        QFETCH(QString, reload);
        QFETCH(bool, md5Kept);
        const QString path = QStringLiteral("/etc/afick.conf");
        QVERIFY(m_ui->click(row(QStringLiteral("/etc"))->findChild<QQuickItem *>(QStringLiteral("expander"))));
        QTRY_VERIFY(row(path));
        QVERIFY(m_ui->click(row(path)));
        QVERIFY(m_ui->click(QStringLiteral("addAttributeButton")));
        QTRY_VERIFY(m_ui->find(QStringLiteral("addAttributeMenu"))->property("opened").toBool());
        QVERIFY(m_ui->click(QStringLiteral("addAttribute_md5")));
        QTRY_COMPARE(rowRule(path), QStringLiteral("md5"));
        QQuickItem *tree = m_ui->item(QStringLiteral("fileTree"));
        tree->setProperty("contentY", 20);
        m_ui->settle();
        const int current = tree->property("currentIndex").toInt();
        const int rows = tree->property("count").toInt();

        if (reload == QLatin1String("apply")) {
            m_ui->module()->save();
        } else if (reload == QLatin1String("reset")) {
            m_ui->module()->load();
        } else {
            QVERIFY(m_env.setActionVerdict(QStringLiteral("readafickconfig"), E2eEnvironment::Verdict::No));
            m_ui->module()->load();
            QTRY_VERIFY(shown(QStringLiteral("configMessage")));
            QVERIFY(m_env.setActionVerdict(QStringLiteral("readafickconfig"), E2eEnvironment::Verdict::Yes));
            QVERIFY(triggerOffered(QStringLiteral("tryAgainAction")));
        }
        QTRY_COMPARE(rowRule(path), md5Kept ? QStringLiteral("md5") : QString());
        QCOMPARE(tree->property("count").toInt(), rows);
        QCOMPARE(tree->property("currentIndex").toInt(), current);
        QCOMPARE(tree->property("contentY").toReal(), 20.0);
        QVERIFY(row(path)->property("highlighted").toBool());
        QCOMPARE(text(QStringLiteral("rulePath")), path);
        QCOMPARE(bool(m_ui->item(QStringLiteral("attribute_md5"))), md5Kept);
    }

    void showChangesListsWhatApplyWouldWrite()
    {
        QQuickItem *showChanges = m_ui->buttonOf(QStringLiteral("showChangesAction"));
        QVERIFY(showChanges);
        QVERIFY(!showChanges->isEnabled());

        addMd5ToEtc();
        QTRY_VERIFY(showChanges->isEnabled());
        QVERIFY(m_ui->click(showChanges));
        QTRY_VERIFY(m_ui->find(QStringLiteral("changesDialog"))->property("opened").toBool());
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

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2eenvironment.h"
#include "kcmui.h"

#include <KLocalizedString>
#include <KQuickAddons/ConfigModule>

#include <QAccessible>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QTest>

namespace
{
// Only a guard against a reply that never comes.
constexpr int replyTimeoutMs = 30000;
const QSize desktopSize(1000, 700);
const QSize handsetSize(360, 720);
// kcmshell5's window when it opens.
const QSize hostSize(800, 600);

const QByteArray sample =
    "ETC = p+u+g\n"
    "Logs = p+n\n"
    "/etc ETC\n";
}

// The aliases page, and what every page owes any user: it fits a handset's
// width, and each control has a name for assistive technology.
class KcmUiLayoutE2eTest : public QObject
{
    Q_OBJECT

    E2eEnvironment m_env;
    std::unique_ptr<KcmUi> m_ui;

    void open(const QSize &size)
    {
        m_ui = std::make_unique<KcmUi>();
        QVERIFY2(m_ui->open(size), qPrintable(m_ui->problem()));
        QTRY_VERIFY_WITH_TIMEOUT(m_ui->item(QStringLiteral("fileRow_/etc")), replyTimeoutMs);
        QTRY_COMPARE(m_ui->item(QStringLiteral("fileRow_/etc"))->property("ruleText").toString(), QStringLiteral("ETC"));
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

    // The shown controls a user works: what takes the focus by Tab, and buttons.
    QList<QQuickItem *> shownControls() const
    {
        QList<QQuickItem *> controls;
        const QList<QQuickItem *> items = m_ui->items();
        for (QQuickItem *item : items) {
            if (KcmUi::isShown(item) && item->width() > 0 && (item->inherits("QQuickAbstractButton") || item->activeFocusOnTab())) {
                controls.append(item);
            }
        }
        return controls;
    }

    static QString describe(const QQuickItem *item)
    {
        return QString::fromLatin1(item->metaObject()->className()) + QLatin1Char(' ') + item->objectName();
    }

    // Every page of the module, one after the other, with @p check run on each.
    template<typename Check>
    void onEveryPage(Check check)
    {
        for (const QString &tab : {QStringLiteral("rulesTab"), QStringLiteral("aliasesTab"), QStringLiteral("checksTab")}) {
            QVERIFY(m_ui->click(tab));
            check(tab);
            if (QTest::currentTestFailed()) {
                return;
            }
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
        // Assistive technology asks the items' accessible interfaces for their names.
        QAccessible::setActive(true);
    }

    void init()
    {
        QVERIFY(m_env.reset());
        QVERIFY(m_env.writeFile(QStringLiteral("/etc/afick.conf"), sample));
        QVERIFY(m_env.writeFile(QStringLiteral("/etc/tirvane-integrity/failure.d/mail.sh"), "#!/bin/sh\n", 0755));
    }

    void cleanup()
    {
        const QStringList warnings = m_ui ? m_ui->qmlWarnings() : QStringList();
        m_ui.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    }

    void aliasIsEditedRenamedAndCreated()
    {
        open(desktopSize);
        QVERIFY(m_ui->click(QStringLiteral("aliasesTab")));
        QTRY_VERIFY(m_ui->item(QStringLiteral("alias_ETC")));
        QVERIFY(m_ui->click(QStringLiteral("alias_ETC")));
        QCOMPARE(text(QStringLiteral("aliasNameField")), QStringLiteral("ETC"));
        QVERIFY(m_ui->item(QStringLiteral("attribute_p")));

        QQuickItem *add = m_ui->item(QStringLiteral("aliasAttributes"))->findChild<QQuickItem *>(QStringLiteral("addAttributeButton"));
        QVERIFY(m_ui->click(add));
        QTRY_VERIFY(add->findChild<QObject *>(QStringLiteral("addAttributeMenu"))->property("opened").toBool());
        // The alias is not offered as a member of itself; the other one is.
        QVERIFY(!m_ui->find(QStringLiteral("addAttribute_ETC")));
        QVERIFY(m_ui->find(QStringLiteral("addAttribute_Logs")));
        QVERIFY(m_ui->click(QStringLiteral("addAttribute_sha1")));
        QTRY_VERIFY(m_ui->item(QStringLiteral("attribute_sha1")));
        QVERIFY(m_ui->module()->needsSave());

        // A name taken, or one afick would misread, cannot be chosen.
        QQuickItem *name = m_ui->item(QStringLiteral("aliasNameField"));
        QQuickItem *rename = m_ui->item(QStringLiteral("renameAliasButton"));
        const QList<QPair<QString, QString>> refused{
            {QStringLiteral("Logs"), QStringLiteral("There is already an alias named \"Logs\".")},
            {QStringLiteral("md5"), QStringLiteral("\"md5\" is the name of an attribute.")},
            {QStringLiteral("My set"), QStringLiteral("A name may hold only letters, digits and underscores, and may not start with a digit.")},
        };
        for (const auto &[typed, problem] : refused) {
            name->setProperty("text", typed);
            m_ui->settle();
            QVERIFY2(!rename->isEnabled(), qPrintable(typed));
            QCOMPARE(text(QStringLiteral("renameProblem")), problem);
        }
        name->setProperty("text", QStringLiteral("System"));
        m_ui->settle();
        QVERIFY(rename->isEnabled());
        QVERIFY(!shown(QStringLiteral("renameProblem")));
        QVERIFY(m_ui->click(rename));
        // The rule of /etc names it: asked first.
        QTRY_VERIFY(m_ui->find(QStringLiteral("renameAliasDialog"))->property("opened").toBool());
        QVERIFY(m_ui->click(m_ui->buttonOf(QStringLiteral("confirmRenameAliasAction"))));
        QTRY_VERIFY(m_ui->item(QStringLiteral("alias_System")));
        QVERIFY(!m_ui->item(QStringLiteral("alias_ETC")));
        m_ui->saveScreenshot(QStringLiteral("aliases"));

        // A new alias starts empty and selected.
        QQuickItem *newName = m_ui->item(QStringLiteral("newAliasName"));
        newName->setProperty("text", QStringLiteral("Logs"));
        m_ui->settle();
        QVERIFY(!m_ui->item(QStringLiteral("createAliasButton"))->isEnabled());
        QCOMPARE(text(QStringLiteral("newAliasProblem")), QStringLiteral("There is already an alias named \"Logs\"."));
        newName->setProperty("text", QStringLiteral("Boot"));
        m_ui->settle();
        QVERIFY(m_ui->click(QStringLiteral("createAliasButton")));
        QTRY_VERIFY(m_ui->item(QStringLiteral("alias_Boot")));
        QCOMPARE(text(QStringLiteral("aliasNameField")), QStringLiteral("Boot"));
        QVERIFY(shown(QStringLiteral("aliasAttributes")));
        QVERIFY(!m_ui->item(QStringLiteral("attribute_p")));

        m_ui->module()->save();
        const QString file = QString::fromUtf8(m_env.fileStatus(QStringLiteral("/etc/afick.conf")).content);
        QVERIFY2(file.contains(QStringLiteral("System = p+u+g+sha1\n")), qPrintable(file));
        QVERIFY2(!file.contains(QStringLiteral("ETC =")), qPrintable(file));
    }

    void aliasUsersAreNamedFirst_data()
    {
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("written");

        QTest::newRow("rename-carries-into-the-rules")
            << QStringLiteral("ETC") << QStringLiteral("renameAliasButton") << QStringLiteral("renameAliasDialog") << QStringLiteral("confirmRenameAliasAction")
            << QStringLiteral("Renaming \"ETC\" to \"System\" renames it in these too:\nThe rule of /etc")
            << QStringList{QStringLiteral("System = p+u+g"), QStringLiteral("Logs = p+n"), QStringLiteral("/etc System")};
        QTest::newRow("delete-unused") << QStringLiteral("Logs") << QStringLiteral("deleteAliasButton") << QStringLiteral("deleteAliasDialog")
                                       << QStringLiteral("confirmDeleteAliasAction") << QStringLiteral("No rule or alias uses \"Logs\".")
                                       << QStringList{QStringLiteral("ETC = p+u+g"), QStringLiteral("/etc ETC")};
        // Deleting an alias in use is allowed, after a warning: the file is
        // refused at Apply until the rule is changed.
        QTest::newRow("delete-used") << QStringLiteral("ETC") << QStringLiteral("deleteAliasButton") << QStringLiteral("deleteAliasDialog")
                                     << QStringLiteral("confirmDeleteAliasAction")
                                     << QStringLiteral(
                                            "These still name \"ETC\"; until they are changed, Apply will refuse to write the file:\nThe rule of /etc")
                                     << QStringList{QStringLiteral("ETC = p+u+g"), QStringLiteral("Logs = p+n"), QStringLiteral("/etc ETC")};
    }

    // Renaming or deleting an alias says first which rules and aliases use it.
    void aliasUsersAreNamedFirst()
    {
        QFETCH(QString, alias);
        QFETCH(QString, button);
        QFETCH(QString, dialog);
        open(desktopSize);
        QVERIFY(m_ui->click(QStringLiteral("aliasesTab")));
        QTRY_VERIFY(m_ui->item(QStringLiteral("alias_") + alias));
        QVERIFY(m_ui->click(QStringLiteral("alias_") + alias));
        if (button == QLatin1String("renameAliasButton")) {
            m_ui->item(QStringLiteral("aliasNameField"))->setProperty("text", QStringLiteral("System"));
            m_ui->settle();
        }
        QVERIFY(m_ui->click(button));
        QTRY_VERIFY(m_ui->find(dialog)->property("opened").toBool());
        QTEST(m_ui->find(dialog)->property("subtitle").toString(), "question");
        // Nothing happens before the answer.
        QVERIFY(m_ui->item(QStringLiteral("alias_") + alias));
        QVERIFY(!m_ui->module()->needsSave());
        m_ui->saveScreenshot(QStringLiteral("aliases-") + QString::fromLatin1(QTest::currentDataTag()));

        QFETCH(QString, confirm);
        QVERIFY(m_ui->click(m_ui->buttonOf(confirm)));
        QTRY_VERIFY(!m_ui->item(QStringLiteral("alias_") + alias));
        m_ui->module()->save();
        m_ui->settle();
        // In any order: where a renamed alias's line goes is the writer's affair.
        QStringList lines = QString::fromUtf8(m_env.fileStatus(QStringLiteral("/etc/afick.conf")).content).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QFETCH(QStringList, written);
        lines.sort();
        written.sort();
        QCOMPARE(lines, written);
    }

    void pagesFitAHandset()
    {
        open(handsetSize);
        onEveryPage([this](const QString &tab) {
            for (const QQuickItem *control : shownControls()) {
                const QRectF area = control->mapRectToScene(QRectF(0, 0, control->width(), control->height()));
                QVERIFY2(area.left() >= -0.5 && area.right() <= handsetSize.width() + 0.5,
                         qPrintable(tab + QLatin1String(": ") + describe(control) + QLatin1String(" spans ") + QString::number(area.left()) + QLatin1Char('-')
                                    + QString::number(area.right())));
            }
            m_ui->saveScreenshot(QStringLiteral("handset-") + tab);
        });
    }

    void pagesFitTheHostsWindowInEveryLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("english") << QStringLiteral("en_US");
        // Longer words: the header's actions and the warning's button overflowed first.
        QTest::newRow("russian") << QStringLiteral("ru");
    }

    void pagesFitTheHostsWindowInEveryLanguage()
    {
        QFETCH(QString, language);
        KLocalizedString::setLanguages({language});
        const auto restore = qScopeGuard([] {
            KLocalizedString::setLanguages({QStringLiteral("en_US")});
        });
        QVERIFY(m_env.writeFile(QStringLiteral("/etc/afick.conf"), sample + "/odd p u\n"));
        open(hostSize);
        QTRY_VERIFY(shown(QStringLiteral("configProblemsMessage")));
        QVERIFY(m_ui->click(QStringLiteral("fileRow_/etc")));
        onEveryPage([&](const QString &tab) {
            const QList<QQuickItem *> items = m_ui->items();
            for (const QQuickItem *item : items) {
                if (!KcmUi::isShown(item) || item->width() <= 0) {
                    continue;
                }
                const QRectF area = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
                QVERIFY2(area.right() <= hostSize.width() + 0.5,
                         qPrintable(tab + QLatin1String(": ") + describe(item) + QLatin1String(" ends at ") + QString::number(area.right())));
            }
            m_ui->saveScreenshot(QStringLiteral("host-") + language + QLatin1Char('-') + tab);
        });
    }

    // On a handset the rule editor takes the place of the tree and gives it back.
    void handsetShowsTreeOrEditor()
    {
        open(handsetSize);
        QVERIFY(shown(QStringLiteral("fileTree")));
        QVERIFY(!shown(QStringLiteral("ruleEditor")));
        QVERIFY(m_ui->click(QStringLiteral("fileRow_/etc")));
        QTRY_VERIFY(shown(QStringLiteral("ruleEditor")));
        QVERIFY(!shown(QStringLiteral("fileTree")));
        QCOMPARE(text(QStringLiteral("rulePath")), QStringLiteral("/etc"));
        m_ui->saveScreenshot(QStringLiteral("handset-rule"));
        QVERIFY(m_ui->click(QStringLiteral("backToTreeButton")));
        QTRY_VERIFY(shown(QStringLiteral("fileTree")));
        QVERIFY(!shown(QStringLiteral("ruleEditor")));

        // The same on the keyboard: Return opens, Escape goes back.
        QQuickItem *tree = m_ui->item(QStringLiteral("fileTree"));
        QVERIFY(tree->hasActiveFocus());
        m_ui->key(Qt::Key_Return);
        QTRY_VERIFY(shown(QStringLiteral("ruleEditor")));
        m_ui->key(Qt::Key_Escape);
        QTRY_VERIFY(shown(QStringLiteral("fileTree")));
        QVERIFY(tree->hasActiveFocus());
    }

    void everyControlHasAName_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("desktop") << desktopSize;
        QTest::newRow("handset") << handsetSize;
    }

    void everyControlHasAName()
    {
        QFETCH(QSize, size);
        open(size);
        // A rule and an alias selected, so that their editors are shown too.
        QVERIFY(m_ui->click(QStringLiteral("fileRow_/etc")));
        if (shown(QStringLiteral("backToTreeButton"))) {
            QVERIFY(m_ui->click(QStringLiteral("backToTreeButton")));
        }
        onEveryPage([this](const QString &tab) {
            if (tab == QLatin1String("aliasesTab")) {
                QVERIFY(m_ui->click(QStringLiteral("alias_ETC")));
            }
            const QList<QQuickItem *> controls = shownControls();
            QVERIFY(!controls.isEmpty());
            for (QQuickItem *control : controls) {
                QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
                QVERIFY2(accessible, qPrintable(describe(control)));
                QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
                         qPrintable(tab + QLatin1String(": ") + describe(control) + QLatin1String(" has no name")));
            }
        });
    }
};

QTEST_MAIN(KcmUiLayoutE2eTest)

#include "kcmuilayoute2etest.moc"

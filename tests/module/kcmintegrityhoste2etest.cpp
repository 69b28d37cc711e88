// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2eenvironment.h"
#include "protocol.h"

#include <KCModule>
#include <KCModuleLoader>
#include <KPluginMetaData>

#include <QAbstractItemModel>
#include <QDBusConnection>
#include <QFileInfo>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWidget>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace
{
const QString configPath = QStringLiteral("/etc/afick.conf");
// Only a guard against a reply that never comes.
constexpr int replyTimeoutMs = 30000;
// KAuth's helper announces each action it runs on the bus, with its ID.
constexpr int actionStartedSignal = 0;

const QStringList sampleLines{
    QStringLiteral("ETC = p+u+g+md5"),
    QStringLiteral("/etc ETC"),
};

QByteArray fileText(const QStringList &lines)
{
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QQuickItem *findItem(QQuickItem *item, const QString &objectName)
{
    if (!item || item->objectName() == objectName) {
        return item;
    }
    const QList<QQuickItem *> children = item->childItems();
    for (QQuickItem *child : children) {
        if (QQuickItem *found = findItem(child, objectName)) {
            return found;
        }
    }
    return nullptr;
}
}

// The module in the settings host's own wrapper: the KCModule that
// KCModuleLoader makes for the installed plug-in, which kcmshell5 and System
// Settings hold too. Its load() and save() are the host's Reset and Apply,
// and its changed(bool) enables Apply and the prompt about unsaved changes.
// The page is reached as the user reaches it; the real helper answers.
class KCMIntegrityHostE2eTest : public QObject
{
    Q_OBJECT

private:
    E2eEnvironment m_env;
    KPluginMetaData m_metaData;
    std::unique_ptr<KCModule> m_host;
    std::unique_ptr<QSignalSpy> m_changed;
    QQuickItem *m_page = nullptr;
    QObject *m_module = nullptr;
    QAbstractItemModel *m_model = nullptr;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QObject> m_editors;
    QStringList m_actionsRun;

    // Opens the module as the host does: made, shown, then loaded, and waits
    // for the configuration.
    void open()
    {
        show();
        if (QTest::currentTestFailed()) {
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(!m_module->property("reading").toBool(), replyTimeoutMs);
    }

    void show()
    {
        m_host.reset(KCModuleLoader::loadModule(m_metaData));
        QVERIFY(m_host);
        m_changed = std::make_unique<QSignalSpy>(m_host.get(), qOverload<bool>(&KCModule::changed));
        m_host->resize(900, 650);
        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
        m_host->load();
        auto *view = m_host->findChild<QQuickWidget *>();
        QVERIFY(view);
        QTRY_VERIFY((m_page = findItem(view->rootObject(), QStringLiteral("integrityControl"))));
        m_module = QQmlEngine::contextForObject(m_page)->contextProperty(QStringLiteral("kcm")).value<QObject *>();
        QVERIFY(m_module);
        m_model = qobject_cast<QAbstractItemModel *>(m_module->property("integrityFileSystemModel").value<QObject *>());
        QVERIFY(m_model);
    }

    QQuickItem *pageItem(const char *objectName) const
    {
        return findItem(m_page, QString::fromLatin1(objectName));
    }

    void click(QQuickItem *item)
    {
        auto *view = m_host->findChild<QQuickWidget *>();
        const QPoint centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, centre);
    }

    bool applyEnabled() const
    {
        QCoreApplication::processEvents();
        return !m_changed->isEmpty() && m_changed->constLast().constFirst().toBool();
    }

    QObject *currentRule() const
    {
        return m_editors->property("rule").value<QObject *>();
    }

    QStringList attributesOf(const QString &path) const
    {
        QMetaObject::invokeMethod(m_model, "setCurrentRule", Q_ARG(QString, path));
        return currentRule()->property("attributes").toStringList();
    }

    void addSha1ToEtc()
    {
        QCOMPARE(attributesOf(QStringLiteral("/etc")), QStringList{QStringLiteral("ETC")});
        QVERIFY(QMetaObject::invokeMethod(currentRule(), "addAttribute", Q_ARG(QString, QStringLiteral("sha1"))));
        QVERIFY(applyEnabled());
    }

    QStringList fileLines() const
    {
        return QString::fromUtf8(m_env.fileStatus(configPath).content).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    int readsRun() const
    {
        return m_actionsRun.count(E2eEnvironment::actionId(QStringLiteral("readafickconfig")));
    }

public Q_SLOTS:
    void actionStarted(int type, const QString &action, const QByteArray &)
    {
        if (type == actionStartedSignal) {
            m_actionsRun.append(action);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
        m_metaData = KPluginMetaData::findPluginById(QStringLiteral("plasma/kcms/systemsettings"), QStringLiteral("kcm_trustwatch"));
        QVERIFY2(m_metaData.isValid(), "the installed plug-in was not found");
        QVERIFY(QDBusConnection::systemBus().connect(QString(),
                                                     QString(),
                                                     QStringLiteral("org.kde.kf5auth"),
                                                     QStringLiteral("remoteSignal"),
                                                     this,
                                                     SLOT(actionStarted(int, QString, QByteArray))));

        m_engine = std::make_unique<QQmlEngine>();
    }

    void init()
    {
        QVERIFY(m_env.reset());
        QVERIFY(m_env.writeFile(configPath, fileText(sampleLines)));
        m_actionsRun.clear();
    }

    void cleanup()
    {
        m_editors.reset();
        m_page = nullptr;
        m_module = nullptr;
        m_model = nullptr;
        m_changed.reset();
        m_host.reset();
    }

    void cleanupTestCase()
    {
        m_engine.reset();
    }

    // The host's Help opens the page X-DocPath names, from the installed
    // handbook; its Apply carries the shield of the action Apply runs.
    void hostConventions()
    {
        m_host.reset(KCModuleLoader::loadModule(m_metaData));
        QVERIFY(m_host);
        QCOMPARE(m_host->authAction().name(), Protocol::actionId(Protocol::Action::WriteConfig));

        const QString docPath = m_metaData.value(QStringLiteral("X-DocPath"));
        QVERIFY2(docPath.endsWith(QLatin1String("/index.html")), qPrintable(docPath));
        const QString handbook = QStringLiteral("doc/HTML/en/") + QFileInfo(docPath).path() + QStringLiteral("/index.cache.bz2");
        QVERIFY2(!QStandardPaths::locate(QStandardPaths::GenericDataLocation, handbook).isEmpty(), qPrintable(handbook + QStringLiteral(" is not installed")));
    }

    // The page and the host's first load() both used to read the file.
    void openingReadsTheConfigurationOnce()
    {
        open();
        QVERIFY(m_module->property("configLoaded").toBool());
        QCOMPARE(readsRun(), 1);
        QVERIFY(!applyEnabled());
    }

    // While polkit waits for an administrator's password for the listing
    // of "/", the page is there and answers the user.
    void pageAnswersWhileTheListingAwaitsAPassword()
    {
        QVERIFY(m_env.holdAction(QStringLiteral("entryinfolist")));
        show();
        QTRY_VERIFY_WITH_TIMEOUT(m_env.isActionHeld(QStringLiteral("entryinfolist")), replyTimeoutMs);
        QQuickItem *busy = pageItem("treeBusyIndicator");
        QQuickItem *tree = pageItem("fileTree");
        QQuickItem *tabs = pageItem("tabs");
        QVERIFY(busy && tree && tabs);
        QVERIFY(busy->property("running").toBool());

        click(pageItem("aliasesTab"));
        QCOMPARE(tabs->property("currentIndex").toInt(), 1);
        QTRY_VERIFY(pageItem("aliasesView")->isVisible());
        click(pageItem("checksTab"));
        QCOMPARE(tabs->property("currentIndex").toInt(), 2);
        QTRY_VERIFY(pageItem("checksView")->isVisible());
        QCOMPARE(tree->property("count").toInt(), 0);

        // The administrator closes the dialog, then tries again and is allowed.
        QVERIFY(m_env.dismissAuthentication(QStringLiteral("entryinfolist")));
        QTRY_VERIFY_WITH_TIMEOUT(m_model->property("rootListingFailed").toBool(), replyTimeoutMs);
        QVERIFY(!busy->property("running").toBool());
        QVERIFY(m_env.setActionVerdict(QStringLiteral("entryinfolist"), E2eEnvironment::Verdict::Yes));
        QVERIFY(QMetaObject::invokeMethod(m_page->findChild<QObject *>(QStringLiteral("retryRootListingAction")), "trigger"));
        QTRY_VERIFY_WITH_TIMEOUT(tree->property("count").toInt() > 0, replyTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_module->property("configLoaded").toBool(), replyTimeoutMs);
        QCOMPARE(readsRun(), 1);
    }

    void applyAfterAFailedWriteKeepsTheEditsAndApply_data()
    {
        QTest::addColumn<E2eEnvironment::Verdict>("verdict");
        QTest::newRow("refused") << E2eEnvironment::Verdict::No;
        QTest::newRow("no-administrator-to-authenticate") << E2eEnvironment::Verdict::AuthAdmin;
    }

    void applyAfterAFailedWriteKeepsTheEditsAndApply()
    {
        QFETCH(E2eEnvironment::Verdict, verdict);
        open();
        editors();
        addSha1ToEtc();
        QVERIFY(m_env.setActionVerdict(QStringLiteral("writeafickconfig"), verdict));

        m_host->save();
        QTRY_VERIFY(applyEnabled());
        QCOMPARE(fileLines(), sampleLines);
        QCOMPARE(attributesOf(QStringLiteral("/etc")), (QStringList{QStringLiteral("ETC"), QStringLiteral("sha1")}));

        // Allowed now: the same Apply writes the kept edits and is done.
        QVERIFY(m_env.setActionVerdict(QStringLiteral("writeafickconfig"), E2eEnvironment::Verdict::Yes));
        m_host->save();
        QCOMPARE(fileLines(), (QStringList{QStringLiteral("ETC = p+u+g+md5"), QStringLiteral("/etc ETC+sha1")}));
        // What save() leaves for the event loop has run once applyEnabled() returns.
        QVERIFY(!applyEnabled());
    }

    void resetDiscardsTheEdits()
    {
        open();
        editors();
        addSha1ToEtc();
        // Someone else changed the file meanwhile: Reset shows the file as it is now.
        QVERIFY(m_env.writeFile(configPath, fileText({QStringLiteral("/etc p+u")})));

        m_host->load();
        QVERIFY(!applyEnabled());
        QCOMPARE(attributesOf(QStringLiteral("/etc")), (QStringList{QStringLiteral("p"), QStringLiteral("u")}));
        QCOMPARE(fileLines(), QStringList{QStringLiteral("/etc p+u")});
        QCOMPARE(readsRun(), 2);
    }

    // A refused first read leaves nothing to edit and offers to read again.
    void tryAgainAfterARefusedFirstRead()
    {
        QVERIFY(m_env.setActionVerdict(QStringLiteral("readafickconfig"), E2eEnvironment::Verdict::No));
        open();
        QVERIFY(m_module->property("readFailed").toBool());
        QVERIFY(!m_module->property("configLoaded").toBool());
        QObject *tryAgain = m_page->findChild<QObject *>(QStringLiteral("tryAgainAction"));
        QVERIFY(tryAgain);
        QVERIFY(tryAgain->property("visible").toBool());

        QVERIFY(m_env.setActionVerdict(QStringLiteral("readafickconfig"), E2eEnvironment::Verdict::Yes));
        QVERIFY(QMetaObject::invokeMethod(tryAgain, "trigger"));
        QTRY_VERIFY_WITH_TIMEOUT(m_module->property("configLoaded").toBool(), replyTimeoutMs);
        QVERIFY(!m_module->property("readFailed").toBool());
        QVERIFY(!tryAgain->property("visible").toBool());
        editors();
        QCOMPARE(attributesOf(QStringLiteral("/etc")), QStringList{QStringLiteral("ETC")});
        // The refused one and the one tried again.
        QCOMPARE(readsRun(), 2);
    }

private:
    void editors()
    {
        QQmlComponent component(m_engine.get());
        component.setData(
            "import QtQml 2.15\n"
            "import AfickCurrentRule 1.0\n"
            "QtObject { property QtObject rule: AfickCurrentRule }\n",
            QUrl());
        m_editors.reset(component.create());
        QVERIFY2(m_editors, qPrintable(component.errorString()));
    }
};

QTEST_MAIN(KCMIntegrityHostE2eTest)

#include "kcmintegrityhoste2etest.moc"

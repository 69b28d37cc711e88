// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "kcmintegrity.h"
#include "afickaliaseditor.h"
#include "afickcurrentrule.h"
#include "failurescriptshelper.h"
#include "integritycontrolscriptcaller.h"
#include "privatesystembus.h"
#include "servicehelper.h"

#include <KAboutData>
#include <KPluginFactory>
#include <KPluginMetaData>

#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// The plug-in as the settings host loads it, and the module object itself.
// The plug-in carries its own copy of the module's code, so what the test
// reaches of a module made by the factory is what the host reaches: the base
// class, properties and the meta-object. On a system bus without polkit every
// request to the helper fails, which shows whether one was made.
class KCMIntegrityTest : public QObject
{
    Q_OBJECT

public:
    enum Edit {
        AddRuleAttribute,
        RemoveRuleAttribute,
        ChangeRulePrefix,
        AddAliasAttribute,
        RemoveAliasAttribute,
    };
    Q_ENUM(Edit)

private:
    PrivateSystemBus m_bus;
    KPluginMetaData m_metaData;

    static std::unique_ptr<KCMIntegrity> createModule()
    {
        return std::make_unique<KCMIntegrity>(nullptr, QVariantList());
    }

    static bool isModule(const QObject *object)
    {
        return object && object->metaObject()->className() == QByteArrayLiteral("KCMIntegrity");
    }

    static void loadSampleConfig(KCMIntegrity &module)
    {
        module.integrityFileSystemModel()->afickConfigEditor().applyConfigLines({
            QStringLiteral("ETC = p+u+g+md5"),
            QStringLiteral("/etc ETC"),
            QStringLiteral("!/var/log p+u"),
        });
    }

    static void edit(Edit edit, bool undo)
    {
        AfickCurrentRule *rule = AfickCurrentRule::instance();
        AfickAliasEditor *aliases = AfickAliasEditor::instance();
        switch (edit) {
        case AddRuleAttribute:
            undo ? rule->removeAttribute(QStringLiteral("sha1")) : rule->addAttribute(QStringLiteral("sha1"));
            break;
        case RemoveRuleAttribute:
            undo ? rule->addAttribute(QStringLiteral("ETC")) : rule->removeAttribute(QStringLiteral("ETC"));
            break;
        case ChangeRulePrefix:
            rule->setPrefix(undo ? QString() : QStringLiteral("="));
            break;
        case AddAliasAttribute:
            undo ? aliases->removeAliasAttribute(QStringLiteral("sha1")) : aliases->addAliasAttribute(QStringLiteral("sha1"));
            break;
        case RemoveAliasAttribute:
            undo ? aliases->addAliasAttribute(QStringLiteral("md5")) : aliases->removeAliasAttribute(QStringLiteral("md5"));
            break;
        }
    }

    static void select(KCMIntegrity &module)
    {
        module.integrityFileSystemModel()->setCurrentRule(QStringLiteral("/etc"));
        AfickAliasEditor::instance()->setCurrentAlias(QStringLiteral("ETC"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
        m_metaData = KPluginMetaData::findPluginById(QStringLiteral("plasma/kcms/systemsettings"), QStringLiteral("kcm_trustwatch"));
        QVERIFY2(m_metaData.isValid(), "the built plug-in was not found");
    }

    void metadata_data()
    {
        QTest::addColumn<QStringList>("keyPath");
        QTest::addColumn<QJsonValue>("expected");

        const auto plugin = [](const char *key) {
            return QStringList{QStringLiteral("KPlugin"), QString::fromUtf8(key)};
        };
        QTest::newRow("name-in-russian") << plugin("Name[ru]") << QJsonValue(QStringLiteral("Контроль целостности"));
        QTest::newRow("form-factors-in-order") << plugin("FormFactors")
                                               << QJsonValue(QJsonArray{QStringLiteral("tablet"), QStringLiteral("handset"), QStringLiteral("desktop")});
        QTest::newRow("keywords-beside-kplugin") << QStringList{QStringLiteral("X-KDE-Keywords")} << QJsonValue(QStringLiteral("integrity,control,security"));
        QTest::newRow("weight-is-a-number") << QStringList{QStringLiteral("X-KDE-Weight")} << QJsonValue(50);
        QTest::newRow("placed-in-system-administration")
            << QStringList{QStringLiteral("X-KDE-System-Settings-Parent-Category")} << QJsonValue(QStringLiteral("system-administration"));
    }

    void metadata()
    {
        QFETCH(QStringList, keyPath);
        QFETCH(QJsonValue, expected);

        QJsonValue value = m_metaData.rawData();
        for (const QString &key : std::as_const(keyPath)) {
            value = value.toObject().value(key);
        }
        QCOMPARE(value, expected);
    }

    void pluginEntry()
    {
        const QJsonObject metaData = QPluginLoader(m_metaData.fileName()).metaData();
        QCOMPARE(metaData.value(QLatin1String("IID")).toString(), QStringLiteral("org.kde.KPluginFactory"));
        QCOMPARE(metaData.value(QLatin1String("className")).toString(), QStringLiteral("KCMIntegrityFactory"));
    }

    void oneFactoryPerProcess()
    {
        QPluginLoader loader(m_metaData.fileName());
        QPointer<QObject> first = loader.instance();
        QVERIFY(qobject_cast<KPluginFactory *>(first));
        QCOMPARE(QPluginLoader(m_metaData.fileName()).instance(), first.data());

        delete first.data();
        QVERIFY(first.isNull());
        auto *second = qobject_cast<KPluginFactory *>(loader.instance());
        QVERIFY(second);
        std::unique_ptr<KQuickAddons::ConfigModule> module(second->create<KQuickAddons::ConfigModule>());
        QVERIFY(isModule(module.get()));
    }

    void moduleFromFactory_data()
    {
        QTest::addColumn<bool>("withParent");
        QTest::newRow("without-parent") << false;
        QTest::newRow("with-parent") << true;
    }

    void moduleFromFactory()
    {
        QFETCH(bool, withParent);

        QObject owner;
        const auto result = KPluginFactory::instantiatePlugin<KQuickAddons::ConfigModule>(m_metaData, withParent ? &owner : nullptr);
        std::unique_ptr<KQuickAddons::ConfigModule> module(result.plugin);
        QVERIFY2(isModule(module.get()), qPrintable(result.errorString));
        QCOMPARE(module->parent(), withParent ? &owner : nullptr);
        QCOMPARE(int(module->buttons()), 5);

        QObject *model = module->property("integrityFileSystemModel").value<QObject *>();
        QVERIFY(model);
        QCOMPARE(model->metaObject()->className(), "IntegrityFileSystemModel");
        QCOMPARE(model->parent(), module.get());

        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        const KAboutData *about = module->aboutData();
        QT_WARNING_POP
        QVERIFY(about);
        QCOMPARE(about->componentName(), QStringLiteral("kcm_trustwatch"));
        QCOMPARE(about->displayName(), QStringLiteral("Integrity control"));
    }

    // Every module registers the types again; the registrations must not
    // depend on the module that made them staying alive.
    void typesForTheInterface()
    {
        std::unique_ptr<KCMIntegrity> gone = createModule();
        std::unique_ptr<KCMIntegrity> module = createModule();
        gone.reset();

        auto engine = std::make_unique<QQmlEngine>();
        QQmlComponent component(engine.get());
        component.setData(
            "import QtQml 2.15\n"
            "import IntegrityFileSystemModel 1.0\n"
            "import ServiceHelper 1.0\n"
            "import FailureScriptsHelper 1.0\n"
            "import IntegrityControlScriptCaller 1.0\n"
            "import AfickAliasEditor 1.0\n"
            "import AfickCurrentRule 1.0\n"
            "QtObject {\n"
            "    property QtObject model: IntegrityFileSystemModel {}\n"
            "    property QtObject service: ServiceHelper {}\n"
            "    property QtObject scripts: FailureScriptsHelper {}\n"
            "    property QtObject caller: IntegrityControlScriptCaller {}\n"
            "    property QtObject aliases: AfickAliasEditor\n"
            "    property QtObject rule: AfickCurrentRule\n"
            "    property bool ruleShowsCodes: !AfickCurrentRule.showFullNames\n"
            "}\n",
            QUrl());
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));

        const auto object = [&root](const char *name) {
            return root->property(name).value<QObject *>();
        };
        QVERIFY(qobject_cast<IntegrityFileSystemModel *>(object("model")));
        QVERIFY(object("model") != module->integrityFileSystemModel());
        QVERIFY(qobject_cast<ServiceHelper *>(object("service")));
        QVERIFY(qobject_cast<FailureScriptsHelper *>(object("scripts")));
        QVERIFY(qobject_cast<IntegrityControlScriptCaller *>(object("caller")));
        QCOMPARE(object("aliases"), AfickAliasEditor::instance());
        QCOMPARE(object("rule"), AfickCurrentRule::instance());
        QCOMPARE(root->property("ruleShowsCodes").toBool(), !AfickCurrentRule::instance()->showFullNames());

        // The singletons belong to the process: an engine that goes must
        // leave them for the next one.
        root.reset();
        engine.reset();
        QCOMPARE(AfickAliasEditor::instance()->objectName(), QString());
        QCOMPARE(AfickCurrentRule::instance()->objectName(), QString());
    }

    void changeTracking_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::newRow("attribute-added-to-a-rule") << AddRuleAttribute;
        QTest::newRow("attribute-removed-from-a-rule") << RemoveRuleAttribute;
        QTest::newRow("rule-prefix-changed") << ChangeRulePrefix;
        QTest::newRow("attribute-added-to-an-alias") << AddAliasAttribute;
        QTest::newRow("attribute-removed-from-an-alias") << RemoveAliasAttribute;
    }

    void changeTracking()
    {
        QFETCH(Edit, edit);

        std::unique_ptr<KCMIntegrity> module = createModule();
        loadSampleConfig(*module);
        select(*module);
        QVERIFY(!module->needsSave());

        QSignalSpy needsSave(module.get(), &KQuickAddons::ConfigModule::needsSaveChanged);
        KCMIntegrityTest::edit(edit, false);
        QVERIFY(module->needsSave());
        QCOMPARE(needsSave.count(), 1);

        KCMIntegrityTest::edit(edit, true);
        QVERIFY(!module->needsSave());
        QCOMPARE(needsSave.count(), 2);
    }

    void twoModulesFollowTheSameEditors()
    {
        std::unique_ptr<KCMIntegrity> first = createModule();
        std::unique_ptr<KCMIntegrity> second = createModule();
        loadSampleConfig(*first);
        loadSampleConfig(*second);
        select(*first);

        edit(AddAliasAttribute, false);
        QVERIFY(first->needsSave());
        QVERIFY(second->needsSave());
        edit(AddAliasAttribute, true);
        QVERIFY(!first->needsSave());
        QVERIFY(!second->needsSave());

        // Each model writes the selected rule into its own configuration.
        edit(AddRuleAttribute, false);
        QVERIFY(first->needsSave());
        QVERIFY(second->needsSave());
        second.reset();
        edit(AddRuleAttribute, true);
        QVERIFY(!first->needsSave());
    }

    // A check report's edit reaches the rules without the rule editor; the
    // host must still learn that there is something to apply.
    void reportEditIsAPendingChange()
    {
        std::unique_ptr<KCMIntegrity> module = createModule();
        loadSampleConfig(*module);
        QSignalSpy needsSave(module.get(), &KQuickAddons::ConfigModule::needsSaveChanged);

        QVERIFY(module->integrityFileSystemModel()->stopComparing(QStringLiteral("/etc/passwd"), QStringLiteral("md5")));

        QVERIFY(module->needsSave());
        QCOMPARE(needsSave.count(), 1);
        const QVariantMap changes = module->pendingChanges();
        QCOMPARE(changes.value(QStringLiteral("removed")).toStringList(), QStringList());
        const QStringList added = changes.value(QStringLiteral("added")).toStringList();
        QCOMPARE(added.size(), 1);
        QCOMPARE(added.at(0), QStringLiteral("/etc/passwd ETC-md5"));
    }

    // The host calls load() when it shows the module and on Reset, save() on
    // Apply. Before anything was read, Apply writes nothing; the first
    // load() reads once, and a failed read leaves nothing to edit.
    void firstHostLoadReadsOnce()
    {
        std::unique_ptr<KCMIntegrity> module = createModule();
        AfickConfigFileEditor &editor = module->integrityFileSystemModel()->afickConfigEditor();
        QSignalSpy readErrors(&editor, &AfickConfigFileEditor::readConfigError);
        QSignalSpy writeErrors(&editor, &AfickConfigFileEditor::writeConfigError);

        module->save();
        QCOMPARE(writeErrors.count(), 0);
        module->load();
        QTRY_VERIFY(!module->isReading());
        // Whatever the read left for the event loop must start no other.
        QCoreApplication::processEvents();
        QVERIFY(!module->isReading());
        QCOMPARE(readErrors.count(), 1);
        QVERIFY(module->readFailed());
        QVERIFY(!module->isConfigLoaded());
    }

    void resetAfterTheFirstLoadReadsAgain()
    {
        std::unique_ptr<KCMIntegrity> module = createModule();
        AfickConfigFileEditor &editor = module->integrityFileSystemModel()->afickConfigEditor();
        QSignalSpy readErrors(&editor, &AfickConfigFileEditor::readConfigError);

        module->initAfickSync();
        QTRY_COMPARE(readErrors.count(), 1);
        module->load();
        QCOMPARE(readErrors.count(), 2);
    }
};

QTEST_MAIN(KCMIntegrityTest)

#include "kcmintegritytest.moc"

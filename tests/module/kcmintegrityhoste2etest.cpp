// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "e2eenvironment.h"

#include <KPluginFactory>
#include <KPluginMetaData>
#include <KQuickAddons/ConfigModule>

#include <QAbstractItemModel>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace
{
const QString configPath = QStringLiteral("/etc/afick.conf");
// Only a guard against a reply that never comes.
constexpr int replyTimeoutMs = 30000;

const QStringList sampleLines{
    QStringLiteral("ETC = p+u+g+md5"),
    QStringLiteral("/etc ETC"),
};

QByteArray fileText(const QStringList &lines)
{
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}
}

// The settings host's side: the installed plug-in, the module its factory
// makes, the host's Apply (save()) and Reset (load()), and the base's
// needs-save state that enables Apply. The test reaches the module only as
// the host and the interface do: the base class, the meta-object and QML.
class KCMIntegrityHostE2eTest : public QObject
{
    Q_OBJECT

private:
    E2eEnvironment m_env;
    KPluginMetaData m_metaData;
    std::unique_ptr<KQuickAddons::ConfigModule> m_module;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QObject> m_editors;
    QAbstractItemModel *m_model = nullptr;

    QObject *currentRule() const
    {
        return m_editors->property("rule").value<QObject *>();
    }

    QStringList attributesOf(const QString &path) const
    {
        QMetaObject::invokeMethod(m_model, "setCurrentRule", Q_ARG(QString, path));
        return currentRule()->property("attributes").toStringList();
    }

    QStringList fileLines() const
    {
        return QString::fromUtf8(m_env.fileStatus(configPath).content).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
        m_metaData = KPluginMetaData::findPluginById(QStringLiteral("plasma/kcms/systemsettings"), QStringLiteral("kcm_trustwatch"));
        QVERIFY2(m_metaData.isValid(), "the installed plug-in was not found");
    }

    // The host creates the module and calls load() before the page shows;
    // the page then starts the first load itself.
    void init()
    {
        QVERIFY(m_env.reset());
        QVERIFY(m_env.writeFile(configPath, fileText(sampleLines)));

        const auto result = KPluginFactory::instantiatePlugin<KQuickAddons::ConfigModule>(m_metaData);
        m_module.reset(result.plugin);
        QVERIFY2(m_module, qPrintable(result.errorString));
        m_model = qobject_cast<QAbstractItemModel *>(m_module->property("integrityFileSystemModel").value<QObject *>());
        QVERIFY(m_model);
        m_module->load();

        m_engine = std::make_unique<QQmlEngine>();
        QQmlComponent component(m_engine.get());
        component.setData(
            "import QtQml 2.15\n"
            "import AfickCurrentRule 1.0\n"
            "QtObject { property QtObject rule: AfickCurrentRule }\n",
            QUrl());
        m_editors.reset(component.create());
        QVERIFY2(m_editors, qPrintable(component.errorString()));

        QSignalSpy shown(m_model, &QAbstractItemModel::modelReset);
        QVERIFY(QMetaObject::invokeMethod(m_module.get(), "initAfickSync"));
        QVERIFY(shown.wait(replyTimeoutMs));
        QCOMPARE(attributesOf(QStringLiteral("/etc")), QStringList{QStringLiteral("ETC")});
        QVERIFY(!m_module->needsSave());
    }

    void cleanup()
    {
        m_editors.reset();
        m_engine.reset();
        m_module.reset();
    }

    void applyWritesTheConfiguration()
    {
        QSignalSpy needsSave(m_module.get(), &KQuickAddons::ConfigModule::needsSaveChanged);
        QVERIFY(QMetaObject::invokeMethod(currentRule(), "addAttribute", Q_ARG(QString, QStringLiteral("sha1"))));
        QVERIFY(m_module->needsSave());

        m_module->save();
        QCOMPARE(fileLines(), (QStringList{QStringLiteral("ETC = p+u+g+md5"), QStringLiteral("/etc ETC+sha1")}));
        QVERIFY(!m_module->needsSave());
        QCOMPARE(needsSave.count(), 2);
    }

    void resetDiscardsTheEdits()
    {
        QVERIFY(QMetaObject::invokeMethod(currentRule(), "addAttribute", Q_ARG(QString, QStringLiteral("sha1"))));
        QVERIFY(m_module->needsSave());
        // Someone else changed the file meanwhile: Reset shows the file as it is now.
        QVERIFY(m_env.writeFile(configPath, fileText({QStringLiteral("/etc p+u")})));

        m_module->load();
        QVERIFY(!m_module->needsSave());
        QCOMPARE(attributesOf(QStringLiteral("/etc")), (QStringList{QStringLiteral("p"), QStringLiteral("u")}));
        QCOMPARE(fileLines(), QStringList{QStringLiteral("/etc p+u")});
    }
};

QTEST_MAIN(KCMIntegrityHostE2eTest)

#include "kcmintegrityhoste2etest.moc"

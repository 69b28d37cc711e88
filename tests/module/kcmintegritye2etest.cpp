// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliaseditor.h"
#include "afickcurrentrule.h"
#include "kcmintegrity.h"

#include "e2eenvironment.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace
{
const QString configPath = QStringLiteral("/etc/afick.conf");
const QString backupPath = QStringLiteral("/etc/afick.conf.old");
// Only a guard against a reply that never comes.
constexpr int replyTimeoutMs = 30000;

const QStringList sampleLines{
    QStringLiteral("# afick configuration"),
    QStringLiteral("ETC = p+u+g+md5"),
    QStringLiteral("/etc ETC"),
    QStringLiteral("!/var/log p+u"),
};

QByteArray fileText(const QStringList &lines)
{
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QStringList linesOf(const QByteArray &content)
{
    return QString::fromUtf8(content).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
}

// The module's configuration operations against the real helper and the
// real /etc/afick.conf of the environment.
class KCMIntegrityE2eTest : public QObject
{
    Q_OBJECT

private:
    E2eEnvironment m_env;

    static AfickConfigFileEditor &editorOf(KCMIntegrity &module)
    {
        return module.integrityFileSystemModel()->afickConfigEditor();
    }

    // A module whose interface has made the first load, as it does on showing.
    static std::unique_ptr<KCMIntegrity> loadedModule()
    {
        auto module = std::make_unique<KCMIntegrity>(nullptr, QVariantList());
        QSignalSpy loaded(&editorOf(*module), &AfickConfigFileEditor::initEnd);
        module->initAfickSync();
        if (!loaded.wait(replyTimeoutMs)) {
            qWarning() << "the first load did not end";
            return nullptr;
        }
        return module;
    }

    static void addSha1ToEtc(KCMIntegrity &module)
    {
        module.integrityFileSystemModel()->setCurrentRule(QStringLiteral("/etc"));
        AfickCurrentRule::instance()->addAttribute(QStringLiteral("sha1"));
    }

    QStringList fileLines(const QString &path) const
    {
        return linesOf(m_env.fileStatus(path).content);
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
    }

    void firstLoadRunsInTheBackground()
    {
        KCMIntegrity module(nullptr, QVariantList());
        QSignalSpy loaded(&editorOf(module), &AfickConfigFileEditor::initEnd);
        module.initAfickSync();
        QCOMPARE(loaded.count(), 0);
        QVERIFY(loaded.wait(replyTimeoutMs));
        QCOMPARE(editorOf(module).configLines(), sampleLines);
        QVERIFY(!module.needsSave());
    }

    void saveWritesTheEditsAndMakesThemTheBaseline()
    {
        std::unique_ptr<KCMIntegrity> module = loadedModule();
        QVERIFY(module);
        AfickAliasEditor::instance()->setCurrentAlias(QStringLiteral("ETC"));
        addSha1ToEtc(*module);
        QVERIFY(module->needsSave());

        QSignalSpy writeErrors(&editorOf(*module), &AfickConfigFileEditor::writeConfigError);
        module->saveConfig();
        QCOMPARE(writeErrors.count(), 0);

        QStringList saved = sampleLines;
        saved[2] = QStringLiteral("/etc ETC+sha1");
        QCOMPARE(fileLines(configPath), saved);
        QCOMPARE(fileLines(backupPath), sampleLines);
        QCOMPARE(editorOf(*module).configLines(), saved);
        QVERIFY(!module->needsSave());
        QCOMPARE(AfickAliasEditor::instance()->currentAlias(), QString());
    }

    // A refused or failed write must not cost the user the edits: they stay,
    // and Apply stays available to try again.
    void failedSaveKeepsTheEdits_data()
    {
        QTest::addColumn<E2eEnvironment::Verdict>("verdict");
        QTest::newRow("refused-by-polkit") << E2eEnvironment::Verdict::No;
        QTest::newRow("no-administrator-to-authenticate") << E2eEnvironment::Verdict::AuthAdmin;
    }

    void failedSaveKeepsTheEdits()
    {
        QFETCH(E2eEnvironment::Verdict, verdict);

        std::unique_ptr<KCMIntegrity> module = loadedModule();
        QVERIFY(module);
        addSha1ToEtc(*module);
        QVERIFY(m_env.setActionVerdict(QStringLiteral("writeafickconfig"), verdict));

        QSignalSpy writeErrors(&editorOf(*module), &AfickConfigFileEditor::writeConfigError);
        module->saveConfig();
        QCOMPARE(writeErrors.count(), 1);
        QCOMPARE(fileLines(configPath), sampleLines);
        QVERIFY(module->needsSave());
        QCOMPARE(editorOf(*module).currentRules().value(QStringLiteral("/etc")).attributes, (QStringList{QStringLiteral("ETC"), QStringLiteral("sha1")}));

        QVERIFY(m_env.setActionVerdict(QStringLiteral("writeafickconfig"), E2eEnvironment::Verdict::Yes));
        module->saveConfig();
        QCOMPARE(writeErrors.count(), 1);
        QVERIFY(fileLines(configPath).contains(QStringLiteral("/etc ETC+sha1")));
        QVERIFY(!module->needsSave());
    }

    void loadDiscardsTheEditsAndReadsTheFileAgain()
    {
        std::unique_ptr<KCMIntegrity> module = loadedModule();
        QVERIFY(module);
        addSha1ToEtc(*module);
        const QStringList changed{QStringLiteral("/etc p+u"), QStringLiteral("/opt md5")};
        QVERIFY(m_env.writeFile(configPath, fileText(changed)));

        QSignalSpy reloaded(module->integrityFileSystemModel(), &IntegrityFileSystemModel::rulesReloaded);
        module->loadConfig();
        QCOMPARE(reloaded.count(), 1);
        QCOMPARE(editorOf(*module).configLines(), changed);
        QVERIFY(editorOf(*module).currentRules().contains(QStringLiteral("/opt")));
        QVERIFY(!module->needsSave());
    }

    void rollback_data()
    {
        QTest::addColumn<E2eEnvironment::Verdict>("verdict");
        QTest::addColumn<bool>("restored");
        QTest::newRow("allowed-puts-the-backup-back") << E2eEnvironment::Verdict::Yes << true;
        QTest::newRow("refused-leaves-the-file") << E2eEnvironment::Verdict::No << false;
    }

    void rollback()
    {
        QFETCH(E2eEnvironment::Verdict, verdict);
        QFETCH(bool, restored);

        const QStringList previous{QStringLiteral("/usr p+u")};
        QVERIFY(m_env.writeFile(backupPath, fileText(previous)));
        std::unique_ptr<KCMIntegrity> module = loadedModule();
        QVERIFY(module);
        addSha1ToEtc(*module);
        QVERIFY(m_env.setActionVerdict(QStringLiteral("rollbackconfig"), verdict));

        QSignalSpy needsSave(module.get(), &KQuickAddons::ConfigModule::needsSaveChanged);
        QCOMPARE(module->rollbackConfig(), restored);
        QCOMPARE(fileLines(configPath), restored ? previous : sampleLines);
        // Only the interface decides when to read the file again.
        QCOMPARE(editorOf(*module).configLines(), sampleLines);
        QVERIFY(module->needsSave());
        QCOMPARE(needsSave.count(), 0);
    }
};

QTEST_MAIN(KCMIntegrityE2eTest)

#include "kcmintegritye2etest.moc"

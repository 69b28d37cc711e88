// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// The integrity file-system model as the module uses it, run by an
// unprivileged client: every listing goes through KAuth, polkit and the
// helper, and the configuration is read from the environment's /etc.

#include "afickcurrentrule.h"
#include "e2eenvironment.h"
#include "integrityfilesystemmodel.h"

#include <KDescendantsProxyModel>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace
{
const QString SecretDirectory = QStringLiteral("/etc/trustwatch-models-secret");
const QString ConfigPath = QStringLiteral("/etc/afick.conf");
const QByteArray Config = "# rules\n/etc/afick.conf p+u\n!/var/log/x md5\n/etc/trustwatch-models-secret/inner.conf R\n";

constexpr int FilePathRole = Qt::UserRole + 1;
constexpr int PermissionsRole = Qt::UserRole + 3;
constexpr int PrefixRole = Qt::UserRole + 4;
constexpr int AttributesRole = Qt::UserRole + 5;
constexpr int ChangedRole = Qt::UserRole + 6;
// Only a guard against a reply that never comes.
constexpr int replyTimeoutMs = 30000;

// The descendants proxy and its tester fetch the root again and again, which
// lists nothing but is announced all the same.
QStringList loadedBelowRoot(const QSignalSpy &spy)
{
    QStringList paths;
    for (const QList<QVariant> &arguments : spy) {
        if (arguments.first().toString() != QLatin1String("/")) {
            paths.append(arguments.first().toString());
        }
    }
    return paths;
}

QStringList namesBelow(const QAbstractItemModel &model, const QModelIndex &parent)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        names.append(model.index(row, 0, parent).data().toString());
    }
    return names;
}
}

class IntegrityFileSystemModelE2eTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void listsRootAndRootOnlyDirectory();
    void refusedListingLeavesDirectoryEmpty();
    void rulesDirectoriesAreListedAfterInitEnd();
    void reloadListsRuleDirectoriesBelowListedOnes();
    void rolesShowAndEditRules();
    void selectingPathsNeverWritesRule();

private:
    void createModel();

    E2eEnvironment m_env;
    std::unique_ptr<IntegrityFileSystemModel> m_model;
    std::unique_ptr<KDescendantsProxyModel> m_descendants;
    std::unique_ptr<QAbstractItemModelTester> m_modelTester;
    std::unique_ptr<QAbstractItemModelTester> m_descendantsTester;
};

void IntegrityFileSystemModelE2eTest::initTestCase()
{
    QVERIFY2(m_env.isUsable(), qPrintable(m_env.problem()));
}

void IntegrityFileSystemModelE2eTest::init()
{
    QVERIFY(m_env.reset());
    QVERIFY(m_env.makeDirectory(SecretDirectory, 0700));
    QVERIFY(m_env.writeFile(SecretDirectory + QStringLiteral("/inner.conf"), "x\n", 0600));
    QVERIFY(m_env.makeDirectory(SecretDirectory + QStringLiteral("/sub"), 0700));
    QVERIFY(m_env.writeFile(ConfigPath, Config, 0600));
    // Proves that what the model shows of it came from the helper.
    QVERIFY(!QDir(SecretDirectory).isReadable());
    AfickCurrentRule::instance()->assignRule(AfickRule());
}

void IntegrityFileSystemModelE2eTest::cleanup()
{
    m_descendantsTester.reset();
    m_modelTester.reset();
    m_descendants.reset();
    m_model.reset();
}

void IntegrityFileSystemModelE2eTest::createModel()
{
    m_model = std::make_unique<IntegrityFileSystemModel>();
    m_descendants = std::make_unique<KDescendantsProxyModel>();
    m_descendants->setSourceModel(m_model.get());
    m_modelTester = std::make_unique<QAbstractItemModelTester>(m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    m_descendantsTester = std::make_unique<QAbstractItemModelTester>(m_descendants.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    // The rows of "/" arrive after the testers are attached, as after a view's.
    QSignalSpy rootListed(m_model.get(), &PolkitFileSystemModel::rootPathChanged);
    QVERIFY(rootListed.wait(replyTimeoutMs));
}

void IntegrityFileSystemModelE2eTest::listsRootAndRootOnlyDirectory()
{
    createModel();
    const QStringList names = namesBelow(*m_model, QModelIndex());
    QVERIFY2(names.contains(QStringLiteral("etc")) && names.contains(QStringLiteral("usr")), qPrintable(names.join(QLatin1Char(' '))));
    QVERIFY(!names.contains(QStringLiteral(".")));
    QVERIFY(!m_model->canFetchMore(QModelIndex()));
    const QModelIndex etc = m_model->indexForPath(QStringLiteral("/etc"));
    QCOMPARE(etc.data(PermissionsRole).toInt() & int(QFileDevice::ReadOwner), int(QFileDevice::ReadOwner));
    QVERIFY(m_model->canFetchMore(etc));
    QSignalSpy loaded(m_model.get(), &PolkitFileSystemModel::directoryLoaded);

    m_model->loadDirectory(QStringLiteral("/etc"));
    m_model->loadDirectory(SecretDirectory);

    QCOMPARE(loadedBelowRoot(loaded), (QStringList{QStringLiteral("/etc"), SecretDirectory}));
    const QModelIndex secret = m_model->indexForPath(SecretDirectory);
    QCOMPARE(namesBelow(*m_model, secret), (QStringList{QStringLiteral("inner.conf"), QStringLiteral("sub")}));
    QCOMPARE(m_model->indexForPath(SecretDirectory + QStringLiteral("/inner.conf")).data(FilePathRole).toString(),
             SecretDirectory + QStringLiteral("/inner.conf"));
}

void IntegrityFileSystemModelE2eTest::refusedListingLeavesDirectoryEmpty()
{
    createModel();
    QVERIFY(m_env.setActionVerdict(QStringLiteral("entryinfolist"), E2eEnvironment::Verdict::No));
    QSignalSpy loaded(m_model.get(), &PolkitFileSystemModel::directoryLoaded);

    m_model->loadDirectory(QStringLiteral("/usr"));

    const QModelIndex usr = m_model->indexForPath(QStringLiteral("/usr"));
    QCOMPARE(loadedBelowRoot(loaded), QStringList{QStringLiteral("/usr")});
    QCOMPARE(m_model->rowCount(usr), 0);
    QVERIFY(!m_model->canFetchMore(usr));

    // Refusal is per listing: another directory is listed once allowed again.
    QVERIFY(m_env.setActionVerdict(QStringLiteral("entryinfolist"), E2eEnvironment::Verdict::Yes));
    m_model->loadDirectory(QStringLiteral("/etc"));
    QVERIFY(m_model->rowCount(m_model->indexForPath(QStringLiteral("/etc"))) > 0);
}

void IntegrityFileSystemModelE2eTest::rulesDirectoriesAreListedAfterInitEnd()
{
    createModel();
    QSignalSpy initEnd(&m_model->afickConfigEditor(), &AfickConfigFileEditor::initEnd);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy reloaded(m_model.get(), &IntegrityFileSystemModel::rulesReloaded);

    m_model->afickConfigEditor().loadConfigAsync();
    QVERIFY(initEnd.wait(20000));

    // The rules change, the listed tree does not: no reset.
    QCOMPARE(reset.size(), 0);
    QCOMPARE(reloaded.size(), 1);
    // /etc lies below the listed root; /var/log below /var, which is not listed.
    const QModelIndex conf = m_model->indexForPath(ConfigPath);
    QVERIFY(conf.isValid());
    QCOMPARE(conf.data(AttributesRole).toString(), QStringLiteral("p+u"));
    QVERIFY(m_model->canFetchMore(m_model->indexForPath(QStringLiteral("/var"))));
    QVERIFY(!m_model->indexForPath(QStringLiteral("/var/log")).isValid());
    // Listed because /etc was, by the rule before it in path order.
    const QModelIndex secret = m_model->indexForPath(SecretDirectory);
    QVERIFY(!m_model->canFetchMore(secret));
    QCOMPARE(namesBelow(*m_model, secret), (QStringList{QStringLiteral("inner.conf"), QStringLiteral("sub")}));
}

void IntegrityFileSystemModelE2eTest::reloadListsRuleDirectoriesBelowListedOnes()
{
    createModel();
    m_model->loadDirectory(QStringLiteral("/var"));
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy reloaded(m_model.get(), &IntegrityFileSystemModel::rulesReloaded);

    m_model->reloadConfig();

    QCOMPARE(reset.size(), 0);
    QCOMPARE(reloaded.size(), 1);
    QVERIFY(!m_model->canFetchMore(m_model->indexForPath(QStringLiteral("/etc"))));
    QVERIFY(!m_model->canFetchMore(m_model->indexForPath(QStringLiteral("/var/log"))));
    QCOMPARE(m_model->afickConfigEditor().currentRules().size(), 3);
}

void IntegrityFileSystemModelE2eTest::rolesShowAndEditRules()
{
    createModel();
    m_model->reloadConfig();
    const QModelIndex conf = m_model->indexForPath(ConfigPath);
    QVERIFY(conf.isValid());
    QCOMPARE(conf.data(PrefixRole).toString(), QString());
    QCOMPARE(conf.data(AttributesRole).toString(), QStringLiteral("p+u"));
    QCOMPARE(conf.data(ChangedRole).toBool(), false);
    const QModelIndex passwd = m_model->indexForPath(QStringLiteral("/etc/passwd"));
    QVERIFY(passwd.isValid());
    QCOMPARE(passwd.data(AttributesRole).toString(), QString());

    QVERIFY(m_model->setData(conf, QStringLiteral("!"), PrefixRole));
    QVERIFY(m_model->setData(passwd, QStringList{QStringLiteral("md5")}, AttributesRole));
    QVERIFY(!m_model->setData(conf, true, ChangedRole));

    QCOMPARE(conf.data(PrefixRole).toString(), QStringLiteral("!"));
    QCOMPARE(conf.data(ChangedRole).toBool(), true);
    QCOMPARE(passwd.data(AttributesRole).toString(), QStringLiteral("md5"));
    QVERIFY(m_model->afickConfigEditor().hasChanges());
    // Editing is in memory until the module saves.
    QCOMPARE(m_env.fileStatus(ConfigPath).content, Config);
}

void IntegrityFileSystemModelE2eTest::selectingPathsNeverWritesRule()
{
    createModel();
    m_model->reloadConfig();
    const AfickRuleMap before = m_model->afickConfigEditor().currentRules();
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    for (const QString &path : {ConfigPath, QStringLiteral("/etc/passwd"), QStringLiteral("/var/log/x"), QStringLiteral("/"), QStringLiteral("/not/listed")}) {
        m_model->setCurrentRule(path);
        QCOMPARE(AfickCurrentRule::instance()->path(), path);
    }

    QCOMPARE(m_model->afickConfigEditor().currentRules(), before);
    QVERIFY(!m_model->afickConfigEditor().hasChanges());
    QCOMPARE(changed.size(), 0);
}

QTEST_MAIN(IntegrityFileSystemModelE2eTest)

#include "integrityfilesystemmodele2etest.moc"

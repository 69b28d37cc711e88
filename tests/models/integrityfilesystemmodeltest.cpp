// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integrityfilesystemmodel.h"
#include "afickaliaseditor.h"
#include "afickcurrentrule.h"
#include "fakelisting.h"

#include <KDescendantsProxyModel>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTest>

#include <memory>

namespace
{
constexpr int filePathRole = Qt::UserRole + 1;
constexpr int prefixRole = Qt::UserRole + 4;
constexpr int attributesRole = Qt::UserRole + 5;
constexpr int changedRole = Qt::UserRole + 6;
constexpr int effectiveAttributesRole = Qt::UserRole + 9;
constexpr int effectiveSourceRole = Qt::UserRole + 10;
constexpr int excludedReasonRole = Qt::UserRole + 11;
constexpr int effectiveStateRole = Qt::UserRole + 12;
const QVector<int> scopeRoles{effectiveAttributesRole, effectiveSourceRole, excludedReasonRole, effectiveStateRole};

// The announcements of rule roles, without those of the effective roles,
// which an edit also makes for the rows below the edited path.
QList<QList<QVariant>> ruleAnnouncements(const QSignalSpy &spy)
{
    QList<QList<QVariant>> announcements;
    for (const QList<QVariant> &arguments : spy) {
        if (arguments.at(2).value<QVector<int>>() != scopeRoles) {
            announcements.append(arguments);
        }
    }
    return announcements;
}

// The paths of every row a spy's announcements of the effective roles cover.
QStringList scopeAnnouncedPaths(const QSignalSpy &spy)
{
    QStringList paths;
    for (const QList<QVariant> &arguments : spy) {
        if (arguments.at(2).value<QVector<int>>() != scopeRoles) {
            continue;
        }
        const QModelIndex first = arguments.at(0).toModelIndex();
        const QModelIndex last = arguments.at(1).toModelIndex();
        for (int row = first.row(); row <= last.row(); ++row) {
            paths.append(first.siblingAtRow(row).data(filePathRole).toString());
        }
    }
    paths.sort();
    return paths;
}

const QStringList sampleConfig{
    QStringLiteral("# afick configuration"),
    QStringLiteral("ALIAS2 = p"),
    QStringLiteral("ALIAS1 = p+u"),
    QStringLiteral("/etc R+md5"),
    QStringLiteral("!/var/log/x p"),
    QStringLiteral("=/usr/share/doc ALIAS1"),
};
}

Q_DECLARE_METATYPE(AfickRule)

char *toString(const AfickRule &rule)
{
    return QTest::toString(rule.prefix + rule.path + QLatin1Char(' ') + rule.attributes.join(QLatin1Char('+')));
}

class IntegrityFileSystemModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void constructionListsRootWithFilters();
    void dataShowsRuleOfExactPath_data();
    void dataShowsRuleOfExactPath();
    void setDataWritesRule_data();
    void setDataWritesRule();
    void setDataRefusesOtherRoles_data();
    void setDataRefusesOtherRoles();
    void setDataWithInvalidIndexEditsRootRule();
    void loadDirectoryNeedsListedItem();
    void setCurrentRuleNeverWritesRule();
    void currentRuleEditIsWrittenToItsPath_data();
    void currentRuleEditIsWrittenToItsPath();
    void currentRuleEditWithoutSelectionWritesNothing();
    void emptyRuleWhereTheFileHasNoneIsNoChange_data();
    void emptyRuleWhereTheFileHasNoneIsNoChange();
    void initEndListsRuleDirectories_data();
    void initEndListsRuleDirectories();
    void reloadKeepsTheTreeAndShowsTheNewRules();
    void passesModelTesterUnderProxiesWhileEditing();
    void effectiveRolesFollowTheEditedRules_data();
    void effectiveRolesFollowTheEditedRules();
    void editAnnouncesTheListedRowsBelow_data();
    void editAnnouncesTheListedRowsBelow();
    void reportEditMakesAPendingRule_data();
    void reportEditMakesAPendingRule();
    void reportEditReachesTheSelectedRule();

private:
    AfickRuleMap rules() const;

    std::unique_ptr<FakeListing> m_listing;
    std::unique_ptr<IntegrityFileSystemModel> m_model;
};

void IntegrityFileSystemModelTest::init()
{
    AfickCurrentRule::instance()->assignRule(AfickRule());
    AfickCurrentRule::instance()->setAliasNames({});
    m_listing.reset(FakeListing::withSampleTree());
    m_model = std::make_unique<IntegrityFileSystemModel>();
    // "/" is listed in the background.
    QSignalSpy rootListed(m_model.get(), &PolkitFileSystemModel::rootPathChanged);
    QVERIFY(rootListed.wait());
    m_model->afickConfigEditor().applyConfigLines(sampleConfig);
}

void IntegrityFileSystemModelTest::cleanup()
{
    m_model.reset();
    m_listing.reset();
}

AfickRuleMap IntegrityFileSystemModelTest::rules() const
{
    return m_model->afickConfigEditor().currentRules();
}

void IntegrityFileSystemModelTest::constructionListsRootWithFilters()
{
    const QVariantMap expected{{QStringLiteral("path"), QStringLiteral("/")}, {QStringLiteral("filters"), 0x6003}};
    QCOMPARE(m_listing->requests, QList<QVariantMap>{expected});
    QCOMPARE(m_model->rowCount(), 4);
    QCOMPARE(m_model->roleNames(),
             (QHash<int, QByteArray>{{Qt::DecorationRole, "fileIcon"},
                                     {filePathRole, "filePath"},
                                     {Qt::UserRole + 2, "fileName"},
                                     {Qt::UserRole + 3, "filePermissions"},
                                     {prefixRole, "integrityPrefix"},
                                     {attributesRole, "integrityAttributes"},
                                     {changedRole, "integrityElementChanged"},
                                     {Qt::UserRole + 7, "fileIsDirectory"},
                                     {Qt::UserRole + 8, "fileListingFailed"},
                                     {effectiveAttributesRole, "effectiveAttributes"},
                                     {effectiveSourceRole, "effectiveSource"},
                                     {excludedReasonRole, "excludedReason"},
                                     {effectiveStateRole, "effectiveState"}}));
}

void IntegrityFileSystemModelTest::dataShowsRuleOfExactPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("attributes-joined-with-plus") << QStringLiteral("/etc") << attributesRole << QVariant(QStringLiteral("R+md5"));
    QTest::newRow("bang-prefix") << QStringLiteral("/var/log/x") << prefixRole << QVariant(QStringLiteral("!"));
    QTest::newRow("alias-name-as-attribute") << QStringLiteral("/usr/share/doc") << attributesRole << QVariant(QStringLiteral("ALIAS1"));
    QTest::newRow("no-inheritance-of-attributes") << QStringLiteral("/etc/passwd") << attributesRole << QVariant(QString());
    QTest::newRow("no-inheritance-of-prefix") << QStringLiteral("/var/log/syslog") << prefixRole << QVariant(QString());
    QTest::newRow("rule-as-read-is-unchanged") << QStringLiteral("/etc") << changedRole << QVariant(false);
    QTest::newRow("base-roles-still-served") << QStringLiteral("/etc/passwd") << filePathRole << QVariant(QStringLiteral("/etc/passwd"));
}

void IntegrityFileSystemModelTest::dataShowsRuleOfExactPath()
{
    QFETCH(QString, path);
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    for (const QString &directory :
         {QStringLiteral("/etc"), QStringLiteral("/var"), QStringLiteral("/var/log"), QStringLiteral("/usr"), QStringLiteral("/usr/share")}) {
        m_model->loadDirectory(directory);
    }
    const QModelIndex index = m_model->indexForPath(path);
    QVERIFY(index.isValid());
    QCOMPARE(m_model->data(index, role), expected);
}

void IntegrityFileSystemModelTest::setDataWritesRule_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<AfickRule>("rule");
    QTest::addColumn<QString>("shown");

    QTest::newRow("prefix-on-unruled-path-creates-rule") << QStringLiteral("/etc/passwd") << prefixRole << QVariant(QStringLiteral("!"))
                                                         << AfickRule{QStringLiteral("!"), QStringLiteral("/etc/passwd"), {}} << QStringLiteral("!");
    QTest::newRow("prefix-keeps-attributes") << QStringLiteral("/etc") << prefixRole << QVariant(QStringLiteral("="))
                                             << AfickRule{QStringLiteral("="), QStringLiteral("/etc"), {QStringLiteral("R"), QStringLiteral("md5")}}
                                             << QStringLiteral("=");
    QTest::newRow("attribute-list-replaces-attributes")
        << QStringLiteral("/etc") << attributesRole << QVariant(QStringList{QStringLiteral("p"), QStringLiteral("u")})
        << AfickRule{QString(), QStringLiteral("/etc"), {QStringLiteral("p"), QStringLiteral("u")}} << QStringLiteral("p+u");
    QTest::newRow("single-string-is-one-attribute-not-split")
        << QStringLiteral("/etc/passwd") << attributesRole << QVariant(QStringLiteral("p+u"))
        << AfickRule{QString(), QStringLiteral("/etc/passwd"), {QStringLiteral("p+u")}} << QStringLiteral("p+u");
}

void IntegrityFileSystemModelTest::setDataWritesRule()
{
    QFETCH(QString, path);
    QFETCH(int, role);
    QFETCH(QVariant, value);
    QFETCH(AfickRule, rule);
    QFETCH(QString, shown);
    m_model->loadDirectory(QStringLiteral("/etc"));
    const QModelIndex index = m_model->indexForPath(path);
    QVERIFY(index.isValid());
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    QVERIFY(m_model->setData(index, value, role));

    QCOMPARE(rules().value(path), rule);
    QCOMPARE(rules().size(), 3 + (path == QLatin1String("/etc") ? 0 : 1));
    const QList<QList<QVariant>> announced = ruleAnnouncements(changed);
    QCOMPARE(announced.size(), 1);
    QCOMPARE(announced.first().at(0).toModelIndex(), index);
    QCOMPARE(announced.first().at(2).value<QVector<int>>(), (QVector<int>{role, changedRole}));
    QCOMPARE(index.data(role).toString(), shown);
    QCOMPARE(index.data(changedRole).toBool(), true);
    QVERIFY(m_model->afickConfigEditor().hasChanges());
}

void IntegrityFileSystemModelTest::setDataRefusesOtherRoles_data()
{
    QTest::addColumn<int>("role");
    QTest::newRow("changed-flag") << changedRole;
    QTest::newRow("file-path") << filePathRole;
}

void IntegrityFileSystemModelTest::setDataRefusesOtherRoles()
{
    QFETCH(int, role);
    const QModelIndex etc = m_model->indexForPath(QStringLiteral("/etc"));
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    const AfickRuleMap before = rules();

    QVERIFY(!m_model->setData(etc, QStringLiteral("!"), role));

    QCOMPARE(rules(), before);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(etc.data(filePathRole).toString(), QStringLiteral("/etc"));
}

void IntegrityFileSystemModelTest::setDataWithInvalidIndexEditsRootRule()
{
    QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    QVERIFY(m_model->setData(QModelIndex(), QStringList{QStringLiteral("u")}, attributesRole));

    QCOMPARE(rules().value(QStringLiteral("/")), (AfickRule{QString(), QStringLiteral("/"), {QStringLiteral("u")}}));
    QCOMPARE(rules().value(QStringLiteral("/etc")).attributes, (QStringList{QStringLiteral("R"), QStringLiteral("md5")}));
    // The root has no row that could announce it.
    QCOMPARE(ruleAnnouncements(changed).size(), 0);
}

void IntegrityFileSystemModelTest::loadDirectoryNeedsListedItem()
{
    m_listing->requests.clear();
    m_model->loadDirectory(QStringLiteral("/usr/share"));
    m_model->loadDirectory(QStringLiteral("/"));
    QCOMPARE(m_listing->requestedPaths(), QStringList());

    m_model->loadDirectory(QStringLiteral("/usr"));
    m_model->loadDirectory(QStringLiteral("/usr/share"));
    m_model->loadDirectory(QStringLiteral("/usr"));
    QCOMPARE(m_listing->requestedPaths(), (QStringList{QStringLiteral("/usr"), QStringLiteral("/usr/share")}));
    QCOMPARE(m_model->rowCount(m_model->indexForPath(QStringLiteral("/usr/share"))), 1);
}

void IntegrityFileSystemModelTest::setCurrentRuleNeverWritesRule()
{
    m_model->loadDirectory(QStringLiteral("/etc"));
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy edited(AfickCurrentRule::instance(), &AfickCurrentRule::attributesChanged);
    const AfickRuleMap before = rules();

    m_model->setCurrentRule(QStringLiteral("/etc/passwd"));
    QCOMPARE(AfickCurrentRule::instance()->rule(), (AfickRule{QString(), QStringLiteral("/etc/passwd"), {}}));
    m_model->setCurrentRule(QStringLiteral("/var/log/x"));
    QCOMPARE(AfickCurrentRule::instance()->rule(), (AfickRule{QStringLiteral("!"), QStringLiteral("/var/log/x"), {QStringLiteral("p")}}));
    QCOMPARE(AfickCurrentRule::instance()->unusedAttributes().mid(0, 2), (QStringList{QStringLiteral("ALIAS1"), QStringLiteral("ALIAS2")}));

    QCOMPARE(rules(), before);
    QVERIFY(!m_model->afickConfigEditor().hasChanges());
    QCOMPARE(changed.size(), 0);
    QCOMPARE(edited.size(), 0);
}

void IntegrityFileSystemModelTest::currentRuleEditIsWrittenToItsPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("listed");

    QTest::newRow("listed-path") << QStringLiteral("/etc/passwd") << true;
    QTest::newRow("unlisted-path-is-not-root") << QStringLiteral("/usr/share/doc") << false;
    QTest::newRow("path-never-listed-anywhere") << QStringLiteral("/opt/app/bin") << false;
    QTest::newRow("root-path") << QStringLiteral("/") << false;
}

void IntegrityFileSystemModelTest::currentRuleEditIsWrittenToItsPath()
{
    QFETCH(QString, path);
    QFETCH(bool, listed);
    m_model->loadDirectory(QStringLiteral("/etc"));
    m_model->setCurrentRule(path);
    const AfickRule before = rules().value(path);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    AfickCurrentRule::instance()->addAttribute(QStringLiteral("sha1"));

    AfickRule expected = before;
    expected.path = path;
    expected.attributes.append(QStringLiteral("sha1"));
    QCOMPARE(rules().value(path), expected);
    if (path != QLatin1String("/")) {
        QVERIFY(!rules().contains(QStringLiteral("/")));
    }
    QVERIFY(m_model->afickConfigEditor().isRuleChanged(path));
    const QList<QList<QVariant>> announced = ruleAnnouncements(changed);
    QCOMPARE(announced.size(), listed ? 2 : 0);
    if (listed) {
        const QModelIndex index = m_model->indexForPath(path);
        QCOMPARE(announced.at(0).at(0).toModelIndex(), index);
        QCOMPARE(announced.at(0).at(2).value<QVector<int>>(), (QVector<int>{prefixRole, changedRole}));
        QCOMPARE(announced.at(1).at(2).value<QVector<int>>(), (QVector<int>{attributesRole, changedRole}));
        QCOMPARE(index.data(attributesRole).toString(), QStringLiteral("sha1"));
    }
}

void IntegrityFileSystemModelTest::currentRuleEditWithoutSelectionWritesNothing()
{
    const AfickRuleMap before = rules();
    AfickCurrentRule::instance()->setShowFullNames(false);
    QCOMPARE(rules(), before);
}

void IntegrityFileSystemModelTest::emptyRuleWhereTheFileHasNoneIsNoChange_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("dataChanges");

    QTest::newRow("full-names-switch-alone") << QStringLiteral("full-names") << 0;
    QTest::newRow("no-prefix-chosen") << QStringLiteral("no-prefix") << 0;
    QTest::newRow("directory-only-prefix-alone") << QStringLiteral("directory-only") << 0;
    QTest::newRow("attribute-added-then-removed") << QStringLiteral("add-remove") << 3;
}

void IntegrityFileSystemModelTest::emptyRuleWhereTheFileHasNoneIsNoChange()
{
    QFETCH(QString, edit);
    const QString path = QStringLiteral("/etc/passwd");
    m_model->loadDirectory(QStringLiteral("/etc"));
    m_model->setCurrentRule(path);
    const AfickRuleMap before = rules();
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    AfickCurrentRule *rule = AfickCurrentRule::instance();
    if (edit == QLatin1String("full-names")) {
        rule->setShowFullNames(true);
        rule->setShowFullNames(false);
    } else if (edit == QLatin1String("no-prefix")) {
        rule->setPrefix(QString());
    } else if (edit == QLatin1String("directory-only")) {
        rule->setPrefix(QStringLiteral("="));
    } else {
        rule->addAttribute(QStringLiteral("md5"));
        QVERIFY(m_model->afickConfigEditor().hasChanges());
        rule->removeAttribute(QStringLiteral("md5"));
    }

    QCOMPARE(rules(), before);
    QVERIFY(!m_model->afickConfigEditor().hasChanges());
    QVERIFY(!m_model->indexForPath(path).data(changedRole).toBool());
    // Adding wrote prefix and attributes; the removal announced the row once more.
    QFETCH(int, dataChanges);
    QCOMPARE(ruleAnnouncements(changed).size(), dataChanges);
}

void IntegrityFileSystemModelTest::initEndListsRuleDirectories_data()
{
    QTest::addColumn<bool>("varListedBefore");
    QTest::addColumn<QStringList>("requested");

    QTest::newRow("var-not-listed-so-var-log-is-not") << false << QStringList{QStringLiteral("/etc")};
    QTest::newRow("var-listed-so-var-log-is") << true << QStringList{QStringLiteral("/etc"), QStringLiteral("/var/log")};
}

void IntegrityFileSystemModelTest::initEndListsRuleDirectories()
{
    QFETCH(bool, varListedBefore);
    QFETCH(QStringList, requested);
    if (varListedBefore) {
        m_model->loadDirectory(QStringLiteral("/var"));
    }
    m_listing->requests.clear();
    // Rules whose parents are "/" itself or do not exist list nothing more.
    m_model->afickConfigEditor().applyConfigLines({QStringLiteral("/var/log/x p"),
                                                   QStringLiteral("/etc/afick.conf p"),
                                                   QStringLiteral("/ p"),
                                                   QStringLiteral("/etc u"),
                                                   QStringLiteral("/no/such/directory/x p")});
    QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);

    Q_EMIT m_model->afickConfigEditor().initEnd();

    QCOMPARE(reset.size(), 0);
    QCOMPARE(m_listing->requestedPaths(), requested);
    QCOMPARE(m_model->indexForPath(QStringLiteral("/etc/afick.conf")).data(attributesRole).toString(), QStringLiteral("p"));
}

// A flattening view keeps its expanded folders and its rows only when the
// reload announces changed rules rather than a new tree.
void IntegrityFileSystemModelTest::reloadKeepsTheTreeAndShowsTheNewRules()
{
    KDescendantsProxyModel descendants;
    descendants.setExpandsByDefault(false);
    descendants.setSourceModel(m_model.get());
    QAbstractItemModelTester tester(&descendants, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m_model->loadDirectory(QStringLiteral("/etc"));
    descendants.expandSourceIndex(m_model->indexForPath(QStringLiteral("/etc")));
    const int rows = descendants.rowCount();
    const QModelIndex passwd = m_model->indexForPath(QStringLiteral("/etc/passwd"));
    QVERIFY(descendants.mapFromSource(passwd).isValid());
    QSignalSpy removed(&descendants, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&descendants, &QAbstractItemModel::modelReset);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy reloaded(m_model.get(), &IntegrityFileSystemModel::rulesReloaded);

    m_model->afickConfigEditor().applyConfigLines({QStringLiteral("/etc/passwd p+u")});
    Q_EMIT m_model->afickConfigEditor().initEnd();

    QCOMPARE(reset.size(), 0);
    QCOMPARE(removed.size(), 0);
    QCOMPARE(descendants.rowCount(), rows);
    QCOMPARE(reloaded.size(), 1);
    const auto announced = [&](const QModelIndex &index) {
        return std::any_of(changed.cbegin(), changed.cend(), [&](const QList<QVariant> &signal) {
            const QModelIndex first = signal.at(0).toModelIndex();
            const QModelIndex last = signal.at(1).toModelIndex();
            return first.parent() == index.parent() && first.row() <= index.row() && index.row() <= last.row()
                && signal.at(2).value<QVector<int>>().contains(attributesRole);
        });
    };
    QVERIFY(announced(passwd));
    QCOMPARE(descendants.mapFromSource(passwd).data(attributesRole).toString(), QStringLiteral("p+u"));
}

void IntegrityFileSystemModelTest::passesModelTesterUnderProxiesWhileEditing()
{
    using Tester = QAbstractItemModelTester;
    KDescendantsProxyModel descendants;
    descendants.setSourceModel(m_model.get());
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(m_model.get());
    sorted.setSortRole(attributesRole);
    sorted.sort(0);
    Tester modelTester(m_model.get(), Tester::FailureReportingMode::Fatal);
    Tester descendantsTester(&descendants, Tester::FailureReportingMode::Fatal);
    Tester sortedTester(&sorted, Tester::FailureReportingMode::Fatal);

    Q_EMIT m_model->afickConfigEditor().initEnd();
    m_model->loadDirectory(QStringLiteral("/var"));
    m_model->setCurrentRule(QStringLiteral("/var/log/syslog"));
    AfickCurrentRule::instance()->addAttribute(QStringLiteral("md5"));
    m_model->setCurrentRule(QStringLiteral("/usr/share/doc"));
    AfickCurrentRule::instance()->setPrefix(QStringLiteral("!"));
    QVERIFY(m_model->setData(m_model->indexForPath(QStringLiteral("/usr")), QStringLiteral("z"), attributesRole));
    QVERIFY(m_model->setData(QModelIndex(), QStringLiteral("!"), prefixRole));
    m_model->afickConfigEditor().applyConfigLines(sampleConfig);
    Q_EMIT m_model->afickConfigEditor().initEnd();
    m_model->setCurrentRule(QStringLiteral("/var/log/x"));
    AfickCurrentRule::instance()->removeAttribute(QStringLiteral("p"));

    // /var was listed by hand, /var/log for its rule once /var was there.
    QCOMPARE(descendants.rowCount(), 4 + 1 + 2);
    QCOMPARE(descendants.index(6, 0).data(prefixRole).toString(), QStringLiteral("!"));
    QCOMPARE(descendants.index(6, 0).data(attributesRole).toString(), QString());
    // The rule edits before the reload are gone; /etc's attributes sort last.
    QCOMPARE(sorted.index(3, 0).data().toString(), QStringLiteral("etc"));
}

void IntegrityFileSystemModelTest::effectiveRolesFollowTheEditedRules_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("expected");

    // expected: attributes, source, reason, state.
    QTest::newRow("own-rule") << QString() << "/etc" << QStringList{"R+md5", "", "", "own"};
    QTest::newRow("inherited-from-parent") << QString() << "/etc/passwd" << QStringList{"R+md5", "/etc", "", "inherited"};
    QTest::newRow("own-bang-rule") << QString() << "/var/log/x" << QStringList{"", "", "not checked: excluded by /var/log/x", "excluded"};
    QTest::newRow("directive-from-the-lines-read") << QString() << "/etc/ssl/openssl.cnf" << QStringList{"", "", "not checked: exclude_suffix cnf", "excluded"};
    QTest::newRow("no-rule-above") << QString() << "/var/log/syslog" << QStringList{"", "", "", "unwatched"};
    QTest::newRow("directly-in-a-directory-only-rule")
        << QString() << "/usr/share/doc/README"
        << QStringList{
               "",
               "",
               "perhaps not checked: the rule of /usr/share/doc covers that directory, and afick does not say whether it checks what lies directly in it",
               "perhapsExcluded"};
    QTest::newRow("minus-terms-as-afick-writes-them") << QString() << "/bin/ls" << QStringList{"ALIAS1-md5-s", "/bin", "", "inherited"};
    QTest::newRow("edit-shows-before-apply") << "/etc"
                                             << "/etc/passwd" << QStringList{"", "", "not checked: excluded by /etc", "excluded"};
    QTest::newRow("unlisted-path") << "/etc"
                                   << "/etc/ssl/certs/ca.pem" << QStringList{"", "", "not checked: excluded by /etc", "excluded"};
}

void IntegrityFileSystemModelTest::effectiveRolesFollowTheEditedRules()
{
    QFETCH(QString, edit);
    QFETCH(QString, path);
    QFETCH(QStringList, expected);
    m_model->afickConfigEditor().applyConfigLines(sampleConfig + QStringList{QStringLiteral("exclude_suffix := cnf"), QStringLiteral("/bin ALIAS1 - md5 - s")});
    for (const QString &directory : {QStringLiteral("/etc"), QStringLiteral("/etc/ssl"), QStringLiteral("/var"), QStringLiteral("/var/log")}) {
        m_model->loadDirectory(directory);
    }
    if (!edit.isEmpty()) {
        m_model->setCurrentRule(edit);
        AfickCurrentRule::instance()->setPrefix(QStringLiteral("!"));
    }

    const QVariantMap invokable = m_model->effectiveRule(path);
    QStringList shown;
    for (const char *name : {"effectiveAttributes", "effectiveSource", "excludedReason", "effectiveState"}) {
        shown.append(invokable.value(QLatin1String(name)).toString());
    }
    QCOMPARE(shown, expected);
    const QModelIndex index = m_model->indexForPath(path);
    if (index.isValid()) {
        QStringList rowShown;
        for (const int role : scopeRoles) {
            rowShown.append(index.data(role).toString());
        }
        QCOMPARE(rowShown, expected);
    }
}

void IntegrityFileSystemModelTest::editAnnouncesTheListedRowsBelow_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("announced");

    QTest::newRow("directory-and-everything-listed-below")
        << "/etc" << QStringList{"/etc", "/etc/afick.conf", "/etc/passwd", "/etc/ssl", "/etc/ssl/certs", "/etc/ssl/openssl.cnf"};
    QTest::newRow("file-alone") << "/etc/passwd" << QStringList{"/etc/passwd"};
    QTest::newRow("root-reaches-every-listed-row")
        << "/" << QStringList{"/bin", "/etc", "/etc/afick.conf", "/etc/passwd", "/etc/ssl", "/etc/ssl/certs", "/etc/ssl/openssl.cnf", "/usr", "/var"};
}

void IntegrityFileSystemModelTest::editAnnouncesTheListedRowsBelow()
{
    QFETCH(QString, path);
    QFETCH(QStringList, announced);
    m_model->loadDirectory(QStringLiteral("/etc"));
    m_model->loadDirectory(QStringLiteral("/etc/ssl"));
    QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    m_model->setCurrentRule(path);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    AfickCurrentRule::instance()->setPrefix(QStringLiteral("!"));

    QCOMPARE(scopeAnnouncedPaths(changed), announced);
}

void IntegrityFileSystemModelTest::reportEditMakesAPendingRule_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("attribute"); // empty: stop checking the path
    QTest::addColumn<bool>("made");
    QTest::addColumn<AfickRule>("rule");

    const AfickRule none;
    QTest::newRow("stop-checking-an-inherited-path") << "/etc/passwd"
                                                     << "" << true << AfickRule{"!", "/etc/passwd", {}};
    QTest::newRow("stop-checking-replaces-an-own-rule") << "/etc"
                                                        << "" << true << AfickRule{"!", "/etc", {}};
    QTest::newRow("stop-checking-an-excluded-path") << "/var/log/x/y"
                                                    << "" << false << none;
    QTest::newRow("stop-checking-an-unwatched-path") << "/usr/lib"
                                                     << "" << false << none;
    QTest::newRow("stop-checking-a-path-with-blanks") << "/etc/old job"
                                                      << "" << true << AfickRule{"!", "/etc/old job", {}};
    QTest::newRow("stop-checking-a-path-no-line-can-name") << "/etc/\"old\" job"
                                                           << "" << false << none;
    QTest::newRow("stop-checking-what-a-directory-only-rule-may-check") << "/usr/share/doc/x"
                                                                        << "" << true << AfickRule{"!", "/usr/share/doc/x", {}};
    QTest::newRow("checksum-from-a-set-becomes-a-minus-term") << "/etc/passwd"
                                                              << "md5" << true << AfickRule{"", "/etc/passwd", {"R", "-md5"}};
    QTest::newRow("own-directory-only-rule-keeps-its-prefix") << "/usr/share/doc"
                                                              << "uid" << true << AfickRule{"=", "/usr/share/doc", {"ALIAS1", "-u"}};
    QTest::newRow("below-a-directory-only-rule") << "/usr/share/doc/x"
                                                 << "uid" << false << none;
    QTest::newRow("attribute-the-rule-does-not-compare") << "/etc/passwd"
                                                         << "atime" << false << none;
    QTest::newRow("attribute-without-a-code") << "/etc/passwd"
                                              << "acl" << false << none;
    QTest::newRow("stop-comparing-on-a-path-no-line-can-name") << "/etc/\"old\" job"
                                                               << "md5" << false << none;
}

void IntegrityFileSystemModelTest::reportEditMakesAPendingRule()
{
    QFETCH(QString, path);
    QFETCH(QString, attribute);
    QFETCH(bool, made);
    QFETCH(AfickRule, rule);
    const AfickRuleMap before = rules();
    QSignalSpy rulesChanged(m_model.get(), &IntegrityFileSystemModel::rulesChanged);

    QCOMPARE(attribute.isEmpty() ? m_model->stopChecking(path) : m_model->stopComparing(path, attribute), made);

    AfickRuleMap expected = before;
    if (made) {
        expected.insert(path, rule);
    }
    QCOMPARE(rules(), expected);
    QCOMPARE(rulesChanged.size(), made ? 1 : 0);
}

void IntegrityFileSystemModelTest::reportEditReachesTheSelectedRule()
{
    m_model->setCurrentRule(QStringLiteral("/etc/passwd"));
    QVERIFY(m_model->stopComparing(QStringLiteral("/etc/passwd"), QStringLiteral("md5")));

    // The rule editor writes its whole rule back; the report's edit survives it.
    AfickCurrentRule::instance()->addAttribute(QStringLiteral("sha1"));
    QCOMPARE(rules().value(QStringLiteral("/etc/passwd")).attributes, (QStringList{QStringLiteral("R"), QStringLiteral("-md5"), QStringLiteral("sha1")}));
}

QTEST_MAIN(IntegrityFileSystemModelTest)

#include "integrityfilesystemmodeltest.moc"

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "polkitfilesystemmodel.h"
#include "fakelisting.h"
#include "polkitfilesystemtreeitem.h"

#include <KDescendantsProxyModel>

#include <QAbstractItemModelTester>
#include <QDataStream>
#include <QDir>
#include <QIcon>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTest>

#include <memory>

namespace
{
const QVector<int> fetchedRoles{Qt::DisplayRole, Qt::UserRole + 1, Qt::UserRole + 2, Qt::DecorationRole, Qt::UserRole + 3, Qt::UserRole + 8};
constexpr int listingFailedRole = Qt::UserRole + 8;

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << value;
    return bytes;
}
}

class PolkitFileSystemModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void decodesReplyElements_data();
    void decodesReplyElements();

    void setRootPathListsRootOnce();
    void rootListedInBackgroundArrivesAsInsertedRows();
    void fetchMoreAnnouncesRows();
    void fetchMoreOfLoadedItemSendsNoRequest();
    void refusedListingLeavesDirectoryEmptyAndLoaded();
    void refusedListingIsRememberedAndRetried_data();
    void refusedListingIsRememberedAndRetried();
    void dataByRole_data();
    void dataByRole();
    void indexAndParentStayInRange();
    void indexForPath_data();
    void indexForPath();
    void fetchFromInsideListingInsertsRowsOnce();
    void rebuildDuringListingDropsStaleFetch();
    void passesModelTesterUnderProxiesWhileFetching();

private:
    QModelIndex fetch(const QString &path);

    std::unique_ptr<FakeListing> m_listing;
    std::unique_ptr<PolkitFileSystemModel> m_model;
};

void PolkitFileSystemModelTest::init()
{
    m_listing.reset(FakeListing::withSampleTree());
    m_model = std::make_unique<PolkitFileSystemModel>();
    m_model->setFilters(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    m_model->setRootPath(QStringLiteral("/"));
    m_listing->requests.clear();
}

void PolkitFileSystemModelTest::cleanup()
{
    m_model.reset();
    m_listing.reset();
}

QModelIndex PolkitFileSystemModelTest::fetch(const QString &path)
{
    const QModelIndex index = m_model->indexForPath(path);
    m_model->fetchMore(index);
    return index;
}

void PolkitFileSystemModelTest::decodesReplyElements_data()
{
    QTest::addColumn<QVariant>("element");
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("iconName");
    QTest::addColumn<int>("permissions");

    EntryInfo full = FakeListing::entry(QStringLiteral("/etc"), QStringLiteral("afick.conf"));
    full.setPermissions(0x6000);
    const QByteArray encoded = FakeListing::encode(full);
    const QByteArray pathOnly = encoded.left(4 + 2 * full.filePath().size());

    QTest::newRow("complete-entry-round-trips") << QVariant(encoded) << full.filePath() << full.fileName() << full.iconName() << 0x6000;
    EntryInfo bare = full;
    bare.setFilePath(QString());
    QTest::newRow("left-out-path-is-the-directory-and-name")
        << QVariant(FakeListing::encode(bare)) << full.filePath() << full.fileName() << full.iconName() << 0x6000;
    EntryInfo parent = FakeListing::entry(QStringLiteral("/"), QStringLiteral(".."));
    parent.setFilePath(QStringLiteral("/"));
    parent.omitPathIn(EntryInfo::listingDirectory(QStringLiteral("/etc")));
    QTest::newRow("dot-dot-keeps-its-path") << QVariant(FakeListing::encode(parent)) << QStringLiteral("/") << QStringLiteral("..") << parent.iconName()
                                            << parent.permissions();
    // A damaged record is dropped whole rather than mixed with leftovers.
    QTest::newRow("cut-after-path-reads-nothing") << QVariant(pathOnly) << QString() << QString() << QString() << 0;
    QTest::newRow("length-beyond-data-reads-nothing") << QVariant(bigEndian32(0x7ffffffe) + QByteArray("abcd")) << QString() << QString() << QString() << 0;
    QTest::newRow("string-element-is-no-entry") << QVariant(QString::fromLatin1(encoded.toHex())) << QString() << QString() << QString() << 0;
}

void PolkitFileSystemModelTest::decodesReplyElements()
{
    QFETCH(QVariant, element);
    const QVector<EntryInfo> entries =
        PolkitFileSystemTreeItem::decodeListing(QStringLiteral("/etc"), {{QStringLiteral("entryinfolist"), QVariantList{element}}});
    QCOMPARE(entries.size(), 1);
    QTEST(entries.first().filePath(), "filePath");
    QTEST(entries.first().fileName(), "fileName");
    QTEST(entries.first().iconName(), "iconName");
    QTEST(static_cast<int>(entries.first().permissions()), "permissions");
}

void PolkitFileSystemModelTest::setRootPathListsRootOnce()
{
    QSignalSpy rootChanged(m_model.get(), &PolkitFileSystemModel::rootPathChanged);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);

    // Whatever path is given, the tree is that of "/".
    QCOMPARE(m_model->setRootPath(QStringLiteral("/usr")), QModelIndex());
    QCOMPARE(m_listing->requestedPaths(), QStringList{QStringLiteral("/")});
    QCOMPARE(rootChanged.size(), 1);
    QCOMPARE(rootChanged.first().first().toString(), QStringLiteral("/usr"));
    QCOMPARE(reset.size(), 1);
    QCOMPARE(m_model->rowCount(), 4);
    QVERIFY(!m_model->canFetchMore(QModelIndex()));
    QVERIFY(m_model->hasChildren(QModelIndex()));
}

void PolkitFileSystemModelTest::rootListedInBackgroundArrivesAsInsertedRows()
{
    QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy rootChanged(m_model.get(), &PolkitFileSystemModel::rootPathChanged);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);

    m_model->startRootListing(QStringLiteral("/"));
    QCOMPARE(m_model->rowCount(), 0);
    QVERIFY(m_model->isListing());
    // Meanwhile a view's fetch must not list "/" a second time.
    QVERIFY(!m_model->canFetchMore(QModelIndex()));
    m_model->fetchMore(QModelIndex());

    QVERIFY(rootChanged.wait());
    QCOMPARE(m_listing->requestedPaths(), QStringList{QStringLiteral("/")});
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(m_model->rowCount(), 4);
    QVERIFY(!m_model->isListing());
}

void PolkitFileSystemModelTest::fetchMoreAnnouncesRows()
{
    const QModelIndex etc = m_model->indexForPath(QStringLiteral("/etc"));
    QVERIFY(etc.isValid());
    QCOMPARE(m_model->rowCount(etc), 0);
    QVERIFY(!m_model->hasChildren(etc));
    QVERIFY(m_model->canFetchMore(etc));

    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy loaded(m_model.get(), &PolkitFileSystemModel::directoryLoaded);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    // Views ask for the row count while the insertion is announced: it must still be the old one.
    int rowsWhenAnnounced = -1;
    connect(m_model.get(), &QAbstractItemModel::rowsAboutToBeInserted, this, [&](const QModelIndex &parent) {
        rowsWhenAnnounced = m_model->rowCount(parent);
    });

    m_model->fetchMore(etc);

    QCOMPARE(rowsWhenAnnounced, 0);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.first().at(0).toModelIndex(), etc);
    QCOMPARE(inserted.first().at(1).toInt(), 0);
    QCOMPARE(inserted.first().at(2).toInt(), 2);
    QVERIFY(m_model->hasChildren(etc));
    QVERIFY(!m_model->canFetchMore(etc));
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(loaded.first().first().toString(), QStringLiteral("/etc"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), etc);
    QCOMPARE(changed.first().at(2).value<QVector<int>>(), fetchedRoles);
    // A file is fetchable too until fetched; fetching it lists nothing.
    const QModelIndex passwd = m_model->indexForPath(QStringLiteral("/etc/passwd"));
    QVERIFY(m_model->canFetchMore(passwd));
    m_model->fetchMore(passwd);
    QVERIFY(!m_model->canFetchMore(passwd));
    QCOMPARE(inserted.size(), 1);
}

void PolkitFileSystemModelTest::fetchMoreOfLoadedItemSendsNoRequest()
{
    const QModelIndex etc = fetch(QStringLiteral("/etc"));
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy loaded(m_model.get(), &PolkitFileSystemModel::directoryLoaded);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    m_model->fetchMore(etc);
    m_model->fetchMore(QModelIndex());

    QCOMPARE(m_listing->requestedPaths(), QStringList{QStringLiteral("/etc")});
    QCOMPARE(inserted.size(), 0);
    QCOMPARE(m_model->rowCount(etc), 3);
    QCOMPARE(loaded.size(), 2);
    QCOMPARE(loaded.at(1).first().toString(), QStringLiteral("/"));
    // The root has no row of its own: only /etc's data is announced.
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), etc);
}

void PolkitFileSystemModelTest::refusedListingLeavesDirectoryEmptyAndLoaded()
{
    m_listing->refuse(QStringLiteral("/var"));
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy loaded(m_model.get(), &PolkitFileSystemModel::directoryLoaded);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    const QModelIndex var = fetch(QStringLiteral("/var"));
    m_model->fetchMore(var);

    QCOMPARE(m_model->rowCount(var), 0);
    QVERIFY(!m_model->hasChildren(var));
    QVERIFY(!m_model->canFetchMore(var));
    QCOMPARE(inserted.size(), 0);
    QCOMPARE(loaded.size(), 2);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(m_listing->requests.size(), 1);
}

void PolkitFileSystemModelTest::refusedListingIsRememberedAndRetried_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("rows");
    QTest::newRow("directory") << QStringLiteral("/var") << 1;
    QTest::newRow("root") << QStringLiteral("/") << 4;
}

void PolkitFileSystemModelTest::refusedListingIsRememberedAndRetried()
{
    QFETCH(QString, path);
    QFETCH(int, rows);
    const bool root = path == QLatin1String("/");
    m_listing->refuse(path);
    if (root) {
        m_model->setRootPath(path);
    } else {
        fetch(path);
    }
    QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QModelIndex index = m_model->indexForPath(path);
    QCOMPARE(m_model->rowCount(index), 0);
    QCOMPARE(root ? m_model->rootListingFailed() : index.data(listingFailedRole).toBool(), true);
    QSignalSpy rootFailed(m_model.get(), &PolkitFileSystemModel::rootListingFailedChanged);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    m_listing->requests.clear();
    m_model->retryListing(path);
    QCOMPARE(m_listing->requests.size(), 1);
    QCOMPARE(m_model->rowCount(index), 0);

    m_listing->allow(path);
    m_model->retryListing(path);
    QCOMPARE(m_model->rowCount(index), rows);
    QCOMPARE(root ? m_model->rootListingFailed() : index.data(listingFailedRole).toBool(), false);
    QCOMPARE(rootFailed.size(), root ? 1 : 0);
    if (!root) {
        QVERIFY(changed.last().at(2).value<QVector<int>>().contains(listingFailedRole));
    }

    // A directory that was listed is not listed again.
    m_model->retryListing(path);
    QCOMPARE(m_listing->requests.size(), 2);
}

void PolkitFileSystemModelTest::dataByRole_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    const QString ssl = QStringLiteral("/etc/ssl");
    const int permissions = FakeListing::entry(QStringLiteral("/etc"), QStringLiteral("ssl/")).permissions();
    QTest::newRow("display-role-is-name") << ssl << int(Qt::DisplayRole) << QVariant(QStringLiteral("ssl"));
    QTest::newRow("filePath") << ssl << int(Qt::UserRole + 1) << QVariant(QStringLiteral("/etc/ssl"));
    QTest::newRow("fileName") << ssl << int(Qt::UserRole + 2) << QVariant(QStringLiteral("ssl"));
    QTest::newRow("filePermissions-are-the-listed-flags") << ssl << int(Qt::UserRole + 3) << QVariant(permissions);
    QTest::newRow("unlisted-directory-is-a-directory") << ssl << int(Qt::UserRole + 7) << QVariant(true);
    QTest::newRow("file-is-no-directory") << QStringLiteral("/etc/passwd") << int(Qt::UserRole + 7) << QVariant(false);
    QTest::newRow("role-256-is-unknown") << ssl << int(Qt::UserRole) << QVariant();
    QTest::newRow("role-260-is-not-this-models") << ssl << int(Qt::UserRole + 4) << QVariant();
}

void PolkitFileSystemModelTest::dataByRole()
{
    QFETCH(QString, path);
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    fetch(QStringLiteral("/etc"));
    const QModelIndex index = m_model->indexForPath(path);
    QVERIFY(index.isValid());
    QCOMPARE(m_model->data(index, role), expected);
    QCOMPARE(m_model->data(QModelIndex(), role), QVariant());
}

void PolkitFileSystemModelTest::indexAndParentStayInRange()
{
    const QModelIndex etc = fetch(QStringLiteral("/etc"));
    QCOMPARE(m_model->data(etc, Qt::DecorationRole).userType(), qMetaTypeId<QIcon>());
    QCOMPARE(m_model->roleNames(),
             (QHash<int, QByteArray>{{Qt::DecorationRole, "fileIcon"},
                                     {Qt::UserRole + 1, "filePath"},
                                     {Qt::UserRole + 2, "fileName"},
                                     {Qt::UserRole + 3, "filePermissions"},
                                     {Qt::UserRole + 7, "fileIsDirectory"},
                                     {listingFailedRole, "fileListingFailed"}}));
    QVERIFY(!m_model->index(0, 1).isValid());
    QVERIFY(!m_model->index(3, 0, etc).isValid());

    // An index of another model is none of this tree's items.
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(m_model.get());
    const QModelIndex foreign = proxy.mapFromSource(etc);
    QVERIFY(foreign.isValid());
    QCOMPARE(m_model->data(foreign, Qt::UserRole + 1), QVariant());
    QCOMPARE(m_model->rowCount(foreign), 0);
    QVERIFY(!m_model->canFetchMore(foreign));
}

void PolkitFileSystemModelTest::indexForPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("listEtc");
    QTest::addColumn<QString>("found");

    QTest::newRow("slash-is-root") << QStringLiteral("/") << true << QString();
    QTest::newRow("empty-is-root") << QString() << true << QString();
    QTest::newRow("listed-file") << QStringLiteral("/etc/afick.conf") << true << QStringLiteral("/etc/afick.conf");
    QTest::newRow("parent-not-listed") << QStringLiteral("/etc/afick.conf") << false << QString();
    QTest::newRow("trailing-slash-not-matched") << QStringLiteral("/etc/") << true << QString();
    QTest::newRow("double-slash-not-matched") << QStringLiteral("//etc") << true << QString();
    QTest::newRow("case-sensitive") << QStringLiteral("/ETC") << true << QString();
    QTest::newRow("unknown-name") << QStringLiteral("/etc/shadow") << true << QString();
    QTest::newRow("below-a-file") << QStringLiteral("/etc/passwd/x") << true << QString();
}

void PolkitFileSystemModelTest::indexForPath()
{
    QFETCH(QString, path);
    QFETCH(bool, listEtc);
    QFETCH(QString, found);
    if (listEtc) {
        fetch(QStringLiteral("/etc"));
    }
    const int requests = m_listing->requests.size();

    const QModelIndex index = m_model->indexForPath(path);

    QCOMPARE(index.isValid(), !found.isEmpty());
    QCOMPARE(index.data(Qt::UserRole + 1).toString(), found);
    QCOMPARE(m_listing->requests.size(), requests);
}

void PolkitFileSystemModelTest::fetchFromInsideListingInsertsRowsOnce()
{
    // The listing waits in an event loop, where a view may fetch the same directory again.
    const QModelIndex etc = m_model->indexForPath(QStringLiteral("/etc"));
    m_listing->duringRequest = [&](const QString &path) {
        if (path == QLatin1String("/etc") && m_listing->requests.size() == 1) {
            m_model->fetchMore(etc);
        }
    };
    QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);

    m_model->fetchMore(etc);

    QCOMPARE(inserted.size(), 1);
    QCOMPARE(m_model->rowCount(etc), 3);
    QCOMPARE(m_model->index(2, 0, etc).data().toString(), QStringLiteral("ssl"));
}

void PolkitFileSystemModelTest::rebuildDuringListingDropsStaleFetch()
{
    const QModelIndex etc = m_model->indexForPath(QStringLiteral("/etc"));
    m_listing->duringRequest = [&](const QString &path) {
        if (path == QLatin1String("/etc")) {
            m_model->setRootPath(QStringLiteral("/"));
        }
    };
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy loaded(m_model.get(), &PolkitFileSystemModel::directoryLoaded);

    m_model->fetchMore(etc);

    QCOMPARE(inserted.size(), 0);
    QCOMPARE(loaded.size(), 0);
    QCOMPARE(m_model->rowCount(), 4);
    QVERIFY(m_model->canFetchMore(m_model->indexForPath(QStringLiteral("/etc"))));
}

void PolkitFileSystemModelTest::passesModelTesterUnderProxiesWhileFetching()
{
    using Tester = QAbstractItemModelTester;
    KDescendantsProxyModel descendants;
    descendants.setSourceModel(m_model.get());
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(m_model.get());
    sorted.setRecursiveFilteringEnabled(true);
    sorted.setFilterRegularExpression(QStringLiteral("^[^b]"));
    sorted.sort(0, Qt::DescendingOrder);
    Tester modelTester(m_model.get(), Tester::FailureReportingMode::Fatal);
    Tester descendantsTester(&descendants, Tester::FailureReportingMode::Fatal);
    Tester sortedTester(&sorted, Tester::FailureReportingMode::Fatal);

    for (const QString &path : {QStringLiteral("/var"),
                                QStringLiteral("/etc"),
                                QStringLiteral("/var/log"),
                                QStringLiteral("/etc/ssl"),
                                QStringLiteral("/usr"),
                                QStringLiteral("/usr/share"),
                                QStringLiteral("/bin"),
                                QStringLiteral("/etc/ssl/certs")}) {
        fetch(path);
    }
    QCOMPARE(descendants.rowCount(), 15);
    QCOMPARE(descendants.index(0, 0).data().toString(), QStringLiteral("bin"));
    QCOMPARE(descendants.index(14, 0).data().toString(), QStringLiteral("x"));
    QCOMPARE(sorted.index(0, 0).data().toString(), QStringLiteral("var"));
    QCOMPARE(sorted.rowCount(), 3);

    m_model->setRootPath(QStringLiteral("/"));
    QCOMPARE(descendants.rowCount(), 4);
    fetch(QStringLiteral("/etc"));
    QCOMPARE(descendants.rowCount(), 7);
}

QTEST_MAIN(PolkitFileSystemModelTest)

#include "polkitfilesystemmodeltest.moc"

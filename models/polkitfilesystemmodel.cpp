// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "polkitfilesystemmodel.h"

#include "polkitfilesystemtreeitem.h"

#include <QIcon>

#include <vector>

PolkitFileSystemModel::PolkitFileSystemModel(QObject *parent)
    : QAbstractItemModel(parent)
{
}

PolkitFileSystemModel::~PolkitFileSystemModel() = default;

PolkitFileSystemTreeItem *PolkitFileSystemModel::itemFor(const QModelIndex &index) const
{
    if (!index.isValid()) {
        return m_rootItem.get();
    }
    // Another model's internal pointer is not an item of this tree.
    if (index.model() != this) {
        return nullptr;
    }
    auto *item = static_cast<PolkitFileSystemTreeItem *>(index.internalPointer());
    return item ? item : m_rootItem.get();
}

QModelIndex PolkitFileSystemModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent)) {
        return QModelIndex();
    }
    PolkitFileSystemTreeItem *child = itemFor(parent)->child(row);
    return child ? createIndex(row, column, child) : QModelIndex();
}

QModelIndex PolkitFileSystemModel::parent(const QModelIndex &child) const
{
    if (!child.isValid()) {
        return QModelIndex();
    }
    const PolkitFileSystemTreeItem *item = itemFor(child);
    PolkitFileSystemTreeItem *parentItem = item ? item->parentItem() : nullptr;
    if (!parentItem || !parentItem->parentItem()) {
        return m_rootIndex;
    }
    return createIndex(parentItem->row(), 0, parentItem);
}

int PolkitFileSystemModel::rowCount(const QModelIndex &parent) const
{
    const PolkitFileSystemTreeItem *item = itemFor(parent);
    return item ? item->childCount() : 0;
}

int PolkitFileSystemModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool PolkitFileSystemModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant PolkitFileSystemModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid()) {
        return QVariant();
    }
    const PolkitFileSystemTreeItem *item = itemFor(index);
    if (!item) {
        return QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
    case FileNameRole:
        return item->fileName();
    case Qt::DecorationRole:
        return QIcon::fromTheme(item->iconName());
    case FilePathRole:
        return item->filePath();
    case FilePermissionsRole:
        return item->permissions();
    case FileIsDirectoryRole:
        return item->isDirectory();
    case FileListingFailedRole:
        return item->listingFailed();
    default:
        return QVariant();
    }
}

void PolkitFileSystemModel::fetchMore(const QModelIndex &parent)
{
    PolkitFileSystemTreeItem *item = itemFor(parent);
    // Views may fetch from their handlers of the insertion being announced.
    if (!item || item == m_inserting || item == m_awaitedRoot) {
        return;
    }
    item->setFilters(m_filters);
    if (!item->isLoaded()) {
        // The listing waits in a local event loop; the rows are announced
        // only once the entries are at hand, so that views never see a
        // directory whose rows exist before they were announced.
        const QPointer<PolkitFileSystemTreeItem> listed(item);
        bool failed = false;
        const QVector<EntryInfo> entries = list(item, &failed);
        // Meanwhile the tree may have been rebuilt, or this directory
        // listed by a call made from that event loop.
        if (!listed) {
            return;
        }
        if (!item->isLoaded()) {
            takeListing(item, parent, entries, failed);
        }
    }
    Q_EMIT directoryLoaded(item->filePath());
    // The root has no row whose data could change.
    if (parent.isValid()) {
        Q_EMIT dataChanged(parent, parent, {Qt::DisplayRole, FilePathRole, FileNameRole, Qt::DecorationRole, FilePermissionsRole, FileListingFailedRole});
    }
}

void PolkitFileSystemModel::takeListing(PolkitFileSystemTreeItem *item, const QModelIndex &parent, const QVector<EntryInfo> &entries, bool failed)
{
    if (failed) {
        item->setListingFailed();
    } else if (entries.isEmpty()) {
        item->setEntries(entries);
    } else {
        m_inserting = item;
        beginInsertRows(parent, 0, entries.size() - 1);
        item->setEntries(entries);
        endInsertRows();
        m_inserting = nullptr;
    }
}

QVector<EntryInfo> PolkitFileSystemModel::list(PolkitFileSystemTreeItem *item, bool *failed)
{
    beginListing();
    const QVector<EntryInfo> entries = item->listDirectory(failed);
    endListing();
    return entries;
}

void PolkitFileSystemModel::beginListing()
{
    if (m_listings++ == 0) {
        Q_EMIT listingChanged();
    }
}

void PolkitFileSystemModel::endListing()
{
    if (--m_listings == 0) {
        Q_EMIT listingChanged();
    }
}

bool PolkitFileSystemModel::isListing() const
{
    return m_listings > 0;
}

bool PolkitFileSystemModel::rootListingFailed() const
{
    return m_rootItem && m_rootItem->listingFailed();
}

void PolkitFileSystemModel::retryListing(const QString &path)
{
    const QModelIndex index = indexForPath(path, 0);
    PolkitFileSystemTreeItem *item = itemFor(index);
    // A path that is not listed has no index, and the invalid one stands for "/".
    if (!item || !item->listingFailed() || item->filePath() != path) {
        return;
    }
    item->forgetListing();
    fetchMore(index);
    if (!index.isValid() && !item->listingFailed()) {
        Q_EMIT rootListingFailedChanged();
    }
}

void PolkitFileSystemModel::announceListedData(const QVector<int> &roles)
{
    std::vector<PolkitFileSystemTreeItem *> pending{m_rootItem.get()};
    while (!pending.empty()) {
        PolkitFileSystemTreeItem *item = pending.back();
        pending.pop_back();
        const int count = item ? item->childCount() : 0;
        if (count == 0) {
            continue;
        }
        Q_EMIT dataChanged(createIndex(0, 0, item->child(0)), createIndex(count - 1, 0, item->child(count - 1)), roles);
        for (int row = 0; row < count; ++row) {
            if (item->child(row)->childCount() > 0) {
                pending.push_back(item->child(row));
            }
        }
    }
}

bool PolkitFileSystemModel::canFetchMore(const QModelIndex &parent) const
{
    const PolkitFileSystemTreeItem *item = itemFor(parent);
    return item && !item->isLoaded() && item != m_inserting && item != m_awaitedRoot;
}

QHash<int, QByteArray> PolkitFileSystemModel::roleNames() const
{
    static const QHash<int, QByteArray> names{
        {Qt::DecorationRole, QByteArrayLiteral("fileIcon")},
        {FilePathRole, QByteArrayLiteral("filePath")},
        {FileNameRole, QByteArrayLiteral("fileName")},
        {FilePermissionsRole, QByteArrayLiteral("filePermissions")},
        {FileIsDirectoryRole, QByteArrayLiteral("fileIsDirectory")},
        {FileListingFailedRole, QByteArrayLiteral("fileListingFailed")},
    };
    return names;
}

void PolkitFileSystemModel::setFilters(int filters)
{
    m_filters = filters;
}

QModelIndex PolkitFileSystemModel::setRootPath(const QString &path)
{
    // The root is always "/", whatever the path. It is listed before the old
    // tree goes, so attached views never hold indexes into a destroyed tree.
    auto rootItem = std::make_unique<PolkitFileSystemTreeItem>();
    rootItem->setFilters(m_filters);
    bool failed = false;
    const QVector<EntryInfo> entries = list(rootItem.get(), &failed);
    if (failed) {
        rootItem->setListingFailed();
    } else {
        rootItem->setEntries(entries);
    }
    replaceRoot(std::move(rootItem), path);
    Q_EMIT rootPathChanged(path);
    return m_rootIndex;
}

void PolkitFileSystemModel::startRootListing(const QString &path)
{
    auto rootItem = std::make_unique<PolkitFileSystemTreeItem>();
    rootItem->setFilters(m_filters);
    const QPointer<PolkitFileSystemTreeItem> awaited(rootItem.get());
    replaceRoot(std::move(rootItem), path);
    beginListing();
    awaited->startListing(this, [this, awaited, path](const QVector<EntryInfo> &entries, bool failed) {
        endListing();
        // A tree rebuilt meanwhile has a root of its own.
        if (!awaited || awaited != m_awaitedRoot) {
            return;
        }
        m_awaitedRoot.clear();
        takeListing(awaited, QModelIndex(), entries, failed);
        if (failed) {
            Q_EMIT rootListingFailedChanged();
        }
        Q_EMIT directoryLoaded(awaited->filePath());
        Q_EMIT rootPathChanged(path);
    });
}

void PolkitFileSystemModel::replaceRoot(std::unique_ptr<PolkitFileSystemTreeItem> rootItem, const QString &path)
{
    m_rootPath = path;
    const bool failedBefore = rootListingFailed();
    // The swap is a reset, so attached views drop every index of the old tree.
    beginResetModel();
    m_rootItem = std::move(rootItem);
    // Before the views hear of the new root: they fetch it at once.
    m_awaitedRoot = m_rootItem->isLoaded() ? nullptr : m_rootItem.get();
    endResetModel();
    if (rootListingFailed() != failedBefore) {
        Q_EMIT rootListingFailedChanged();
    }
    m_rootIndex = QModelIndex();
}

QModelIndex PolkitFileSystemModel::indexForPath(const QString &path, int column) const
{
    const QStringList components = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (components.isEmpty() || !m_rootItem) {
        return m_rootIndex;
    }
    QModelIndex current = m_rootIndex;
    const PolkitFileSystemTreeItem *item = m_rootItem.get();
    for (const QString &component : components) {
        if (item->filePath() == path) {
            return current;
        }
        current = index(item->indexOfName(component), column, current);
        if (!current.isValid()) {
            return current;
        }
        item = itemFor(current);
    }
    return item->filePath() == path ? current : QModelIndex();
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "entryinfo.h"

#include <QAbstractItemModel>
#include <QPointer>
#include <QVector>

#include <memory>

class PolkitFileSystemTreeItem;

/**
 * The whole file system as a lazily listed tree.
 *
 * Directories are listed by the privileged helper, so that directories only
 * root may read can be browsed too. Each directory is listed once, when a view
 * fetches it. The invalid index stands for the root item "/".
 */
class PolkitFileSystemModel : public QAbstractItemModel
{
    Q_OBJECT
    /// Whether a directory is being listed right now.
    Q_PROPERTY(bool listing READ isListing NOTIFY listingChanged)
    /// Whether the listing of "/" was refused or failed, so that nothing is listed.
    Q_PROPERTY(bool rootListingFailed READ rootListingFailed NOTIFY rootListingFailedChanged)

public:
    enum Roles {
        FilePathRole = Qt::UserRole + 1,
        FileNameRole,
        FilePermissionsRole,
        // After the integrity model's three roles: whether the entry is a
        // directory, so that a view can offer to open one before it is listed.
        FileIsDirectoryRole = Qt::UserRole + 7,
        // Whether the entry's listing was refused or failed, so that a view
        // can offer to list it again instead of showing an empty folder.
        FileListingFailedRole = Qt::UserRole + 8,
    };

    explicit PolkitFileSystemModel(QObject *parent = nullptr);
    ~PolkitFileSystemModel() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    void fetchMore(const QModelIndex &parent) override;
    bool canFetchMore(const QModelIndex &parent) const override;
    QHash<int, QByteArray> roleNames() const override;

    /// Filter flags (QDir::Filters) sent with the listings made from now on.
    void setFilters(int filters);
    /// Rebuilds the tree and lists "/" at once.
    QModelIndex setRootPath(const QString &path);
    /**
     * Rebuilds the tree with "/" not yet listed, and lists it without
     * waiting: its rows are inserted when the listing arrives, and
     * rootPathChanged() follows. Meanwhile "/" cannot be fetched.
     */
    void startRootListing(const QString &path);
    /// The index of an already listed @p path, written as the helper writes paths.
    QModelIndex indexForPath(const QString &path, int column = 0) const;

    bool isListing() const;
    bool rootListingFailed() const;
    /// Lists @p path again if its last listing was refused or failed.
    Q_INVOKABLE void retryListing(const QString &path);

Q_SIGNALS:
    void rootPathChanged(const QString &newPath);
    void directoryLoaded(const QString &path);
    void listingChanged();
    void rootListingFailedChanged();

protected:
    /// Tells views that @p roles of every listed entry may have changed,
    /// one notification per listed directory; rows and expansion stay.
    void announceListedData(const QVector<int> &roles);

private:
    PolkitFileSystemTreeItem *itemFor(const QModelIndex &index) const;
    QVector<EntryInfo> list(PolkitFileSystemTreeItem *item, bool *failed);
    void beginListing();
    void endListing();
    /// Makes @p entries the rows of @p item, announced as inserted below @p parent.
    void takeListing(PolkitFileSystemTreeItem *item, const QModelIndex &parent, const QVector<EntryInfo> &entries, bool failed);
    /// Replaces the tree by @p rootItem; one not listed yet is awaited.
    void replaceRoot(std::unique_ptr<PolkitFileSystemTreeItem> rootItem, const QString &path);

    QModelIndex m_rootIndex;
    QString m_rootPath;
    int m_filters = -1;
    std::unique_ptr<PolkitFileSystemTreeItem> m_rootItem;
    int m_listings = 0;
    // The item whose rows are being announced, not yet listed for views.
    PolkitFileSystemTreeItem *m_inserting = nullptr;
    // The root whose listing is on its way; fetching it would list it twice.
    QPointer<PolkitFileSystemTreeItem> m_awaitedRoot;
};

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QAbstractItemModel>

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

public:
    enum Roles {
        FilePathRole = Qt::UserRole + 1,
        FileNameRole,
        FilePermissionsRole,
        // After the integrity model's three roles: whether the entry is a
        // directory, so that a view can offer to open one before it is listed.
        FileIsDirectoryRole = Qt::UserRole + 7,
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
    /// The index of an already listed @p path, written as the helper writes paths.
    QModelIndex indexForPath(const QString &path, int column = 0) const;

Q_SIGNALS:
    void rootPathChanged(const QString &newPath);
    void directoryLoaded(const QString &path);

private:
    PolkitFileSystemTreeItem *itemFor(const QModelIndex &index) const;

    QModelIndex m_rootIndex;
    QString m_rootPath;
    int m_filters = -1;
    std::unique_ptr<PolkitFileSystemTreeItem> m_rootItem;
};

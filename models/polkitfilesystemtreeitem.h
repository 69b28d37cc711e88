// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "entryinfo.h"

#include <QObject>
#include <QVariantMap>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

struct HelperReply;

/**
 * One node of the privileged file-system tree: a listed file or directory, or
 * the root "/".
 *
 * An item does not store its own entry: its parent keeps the entries of its
 * directory and the child items at the same positions. The item does keep its
 * row, so that the model finds an index's row without searching its siblings.
 */
class PolkitFileSystemTreeItem : public QObject
{
    Q_OBJECT

public:
    /// Answers one "entryinfolist" request, given its arguments.
    using ListingRequest = std::function<HelperReply(const QVariantMap &arguments)>;
    /// Receives a listing that was not waited for, and whether it was refused or failed.
    using ListingDone = std::function<void(const QVector<EntryInfo> &entries, bool failed)>;

    explicit PolkitFileSystemTreeItem(PolkitFileSystemTreeItem *parentItem = nullptr, int row = 0);
    ~PolkitFileSystemTreeItem() override;

    PolkitFileSystemTreeItem *parentItem() const;
    PolkitFileSystemTreeItem *child(int row) const;
    int childCount() const;
    int row() const;
    bool isLoaded() const;
    /// Whether the last listing was refused or failed; the item then counts
    /// as loaded and empty until forgetListing().
    bool listingFailed() const;

    QString filePath() const;
    QString fileName() const;
    QString iconName() const;
    int permissions() const;
    /// Whether the helper listed the entry as a directory (its MIME type is inode/directory).
    bool isDirectory() const;

    void setFilters(int filters);
    int indexOfName(const QString &name) const;

    /// Asks for the entries of this item's directory; waits for the answer.
    /// @p failed, when given, tells whether the request was refused or failed.
    QVector<EntryInfo> listDirectory(bool *failed = nullptr) const;
    /// Asks for the entries of this item's directory and returns at once;
    /// @p done runs later on this thread, unless @p context is gone by then.
    void startListing(QObject *context, ListingDone done) const;
    /// Takes @p entries as the directory's contents and marks the item loaded.
    void setEntries(const QVector<EntryInfo> &entries);
    /// Marks the item loaded, empty, and its listing failed.
    void setListingFailed();
    /// Makes a failed item unlisted again, so that it can be listed anew.
    void forgetListing();

    /// Decodes the data of an "entryinfolist" reply to a listing of @p directory.
    static QVector<EntryInfo> decodeListing(const QString &directory, const QVariantMap &replyData);

    /**
     * Sends every later listing to @p request instead of the privileged helper,
     * so that tests and benchmarks can list in-process; an empty function
     * restores the helper.
     */
    static void setListingRequest(ListingRequest request);

private:
    const EntryInfo &entry() const;
    QVariantMap listingArguments() const;

    PolkitFileSystemTreeItem *const m_parentItem;
    const int m_row;
    bool m_loaded = false;
    bool m_listingFailed = false;
    QVector<EntryInfo> m_entries;
    std::vector<std::unique_ptr<PolkitFileSystemTreeItem>> m_children;
    int m_filters = -1;
};

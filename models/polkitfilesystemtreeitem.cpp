// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "polkitfilesystemtreeitem.h"

#include "helperrequest.h"
#include "protocol.h"

#include <QTimer>

namespace
{
PolkitFileSystemTreeItem::ListingRequest &listingRequest()
{
    static PolkitFileSystemTreeItem::ListingRequest request;
    return request;
}

const EntryInfo &rootEntry()
{
    static const EntryInfo root = [] {
        EntryInfo entry;
        entry.setFilePath(QStringLiteral("/"));
        entry.setFileName(QStringLiteral("/"));
        entry.setIconName(QStringLiteral("inode-directory"));
        // 0755 as a plain number, not in the permission-flag form of listed entries.
        entry.setPermissions(493);
        return entry;
    }();
    return root;
}
}

PolkitFileSystemTreeItem::PolkitFileSystemTreeItem(PolkitFileSystemTreeItem *parentItem, int row)
    : m_parentItem(parentItem)
    , m_row(parentItem ? row : 0)
{
}

PolkitFileSystemTreeItem::~PolkitFileSystemTreeItem() = default;

PolkitFileSystemTreeItem *PolkitFileSystemTreeItem::parentItem() const
{
    return m_parentItem;
}

PolkitFileSystemTreeItem *PolkitFileSystemTreeItem::child(int row) const
{
    if (row < 0 || row >= childCount()) {
        return nullptr;
    }
    return m_children[static_cast<size_t>(row)].get();
}

int PolkitFileSystemTreeItem::childCount() const
{
    return static_cast<int>(m_children.size());
}

int PolkitFileSystemTreeItem::row() const
{
    return m_row;
}

bool PolkitFileSystemTreeItem::isLoaded() const
{
    return m_loaded;
}

bool PolkitFileSystemTreeItem::listingFailed() const
{
    return m_listingFailed;
}

const EntryInfo &PolkitFileSystemTreeItem::entry() const
{
    return m_parentItem ? m_parentItem->m_entries.at(m_row) : rootEntry();
}

QString PolkitFileSystemTreeItem::filePath() const
{
    return entry().filePath();
}

QString PolkitFileSystemTreeItem::fileName() const
{
    return entry().fileName();
}

QString PolkitFileSystemTreeItem::iconName() const
{
    return entry().iconName();
}

int PolkitFileSystemTreeItem::permissions() const
{
    return entry().permissions();
}

bool PolkitFileSystemTreeItem::isDirectory() const
{
    // The entry carries no file type of its own; the helper names a
    // directory's icon after its MIME type, links to directories included.
    return entry().iconName() == QLatin1String("inode-directory");
}

void PolkitFileSystemTreeItem::setFilters(int filters)
{
    m_filters = filters;
}

int PolkitFileSystemTreeItem::indexOfName(const QString &name) const
{
    for (int row = 0; row < m_entries.size(); ++row) {
        if (m_entries.at(row).fileName() == name) {
            return row;
        }
    }
    return -1;
}

QVariantMap PolkitFileSystemTreeItem::listingArguments() const
{
    return {
        {Protocol::Argument::Path, filePath()},
        {Protocol::Argument::Filters, m_filters},
    };
}

QVector<EntryInfo> PolkitFileSystemTreeItem::listDirectory(bool *failed) const
{
    const QVariantMap arguments = listingArguments();
    // A refused or failed request carries no listing: the directory reads as empty.
    const HelperReply reply = listingRequest() ? listingRequest()(arguments) : HelperRequest::run(Protocol::Action::ListEntries, arguments);
    if (failed) {
        *failed = !reply.succeeded();
    }
    // The item may be gone by now: a rebuild can run while the request waits.
    return decodeListing(arguments.value(Protocol::Argument::Path).toString(), reply.data);
}

void PolkitFileSystemTreeItem::startListing(QObject *context, ListingDone done) const
{
    const auto finish = [done = std::move(done), directory = filePath()](const HelperReply &reply) {
        done(decodeListing(directory, reply.data), !reply.succeeded());
    };
    if (listingRequest()) {
        // An in-process answer comes later as well, as the helper's would.
        QTimer::singleShot(0, context, [request = listingRequest(), arguments = listingArguments(), finish] {
            finish(request(arguments));
        });
    } else {
        HelperRequest::start(Protocol::Action::ListEntries, listingArguments(), context, finish);
    }
}

void PolkitFileSystemTreeItem::setEntries(const QVector<EntryInfo> &entries)
{
    m_entries = entries;
    m_children.clear();
    m_children.reserve(static_cast<size_t>(m_entries.size()));
    for (int row = 0; row < m_entries.size(); ++row) {
        m_children.push_back(std::make_unique<PolkitFileSystemTreeItem>(this, row));
    }
    m_loaded = true;
    m_listingFailed = false;
}

void PolkitFileSystemTreeItem::setListingFailed()
{
    setEntries({});
    m_listingFailed = true;
}

void PolkitFileSystemTreeItem::forgetListing()
{
    if (m_listingFailed) {
        m_loaded = false;
        m_listingFailed = false;
    }
}

QVector<EntryInfo> PolkitFileSystemTreeItem::decodeListing(const QString &directory, const QVariantMap &replyData)
{
    return EntryInfo::fromListing(directory, replyData.value(Protocol::Reply::EntryInfoList).toList());
}

void PolkitFileSystemTreeItem::setListingRequest(ListingRequest request)
{
    listingRequest() = std::move(request);
}

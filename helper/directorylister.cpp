// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "directorylister.h"

#include "callerreadablefile.h"
#include "entryinfo.h"
#include "localfilesystem.h"
#include "protocol.h"

#include <KLocalizedString>
#include <QBuffer>
#include <QDataStream>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace
{
// A QVariant holding a byte array adds its type, a null flag and a length.
constexpr qint64 VariantOverhead = 9;

const QMimeDatabase &mimeDatabase()
{
    static const QMimeDatabase database;
    return database;
}

// The content decides only where the name leaves the type open, and then
// only for what the caller could read; everything else is typed as a file
// manager without access would type it: by name, and by the kind of inode,
// which QMimeDatabase takes from stat() without opening anything.
QString iconName(int directoryFd, const LocalFileSystem &fileSystem, const QFileInfo &info, const CallerAccess &caller, bool entriesReachable)
{
    const QMimeDatabase &database = mimeDatabase();
    if (entriesReachable && info.isFile() && !info.isSymLink()) {
        CallerReadableFile content(directoryFd, fileSystem, QFile::encodeName(info.fileName()), caller);
        const QMimeType type = database.mimeTypeForFileNameAndData(info.fileName(), &content);
        if (!content.wasRefused()) {
            return type.iconName();
        }
    }
    return database.mimeTypeForFile(info, QMimeDatabase::MatchExtension).iconName();
}

// Where the listed directory really is, whatever links the path went through.
QByteArray resolvedPath(int directoryFd)
{
    return QFile::encodeName(QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(directoryFd)).symLinkTarget());
}

// What an entry takes in the reply at the least, whatever its icon name and
// whether its path is left out.
qint64 leastEncodedSize(const QFileInfo &info)
{
    return VariantOverhead + 4 + 4 + 2 * qint64(info.fileName().size()) + 4 + 4;
}

// An entry with the keys it is sorted by, worked out once rather than at
// every comparison.
struct SortableEntry {
    QFileInfo info;
    QString name;
    QString suffix;
};

// The order QDir::entryInfoList() gives.
class EntryOrder
{
public:
    explicit EntryOrder(QDir::SortFlags sort)
        : m_sort(sort)
    {
    }

    SortableEntry sortable(const QFileInfo &info) const
    {
        if (!sorts()) {
            return {info, QString(), QString()};
        }
        const bool ignoreCase = m_sort & QDir::IgnoreCase;
        const QString suffix = (m_sort & QDir::Type) ? info.suffix() : QString();
        return {info, ignoreCase ? info.fileName().toLower() : info.fileName(), ignoreCase ? suffix.toLower() : suffix};
    }

    bool operator()(const SortableEntry &first, const SortableEntry &second) const
    {
        if (m_sort & (QDir::DirsFirst | QDir::DirsLast) && first.info.isDir() != second.info.isDir()) {
            return (m_sort & QDir::DirsFirst) ? first.info.isDir() : second.info.isDir();
        }
        const int sortBy = int(m_sort & QDir::SortByMask) | int(m_sort & QDir::Type);
        qint64 order = 0;
        switch (sortBy) {
        case QDir::Time:
            order = first.info.lastModified().toUTC().msecsTo(second.info.lastModified().toUTC());
            break;
        case QDir::Size:
            order = second.info.size() - first.info.size();
            break;
        case QDir::Type:
            order = compare(first.suffix, second.suffix);
            break;
        default:
            break;
        }
        if (order == 0 && sortBy != QDir::Unsorted) {
            order = compare(first.name, second.name);
        }
        return (m_sort & QDir::Reversed) ? order > 0 : order < 0;
    }

    bool sorts() const
    {
        return (m_sort & QDir::SortByMask) != QDir::Unsorted;
    }

private:
    int compare(const QString &first, const QString &second) const
    {
        return (m_sort & QDir::LocaleAware) ? first.localeAwareCompare(second) : first.compare(second);
    }

    QDir::SortFlags m_sort;
};

// Keeps the first entries in listing order as long as they could fit in the
// budget, and only counts the others: a directory of millions of entries
// must not be held in memory for a reply that shows a few thousand.
class LeadingEntries
{
public:
    LeadingEntries(QDir::SortFlags sort, qint64 budgetBytes)
        : m_order(sort)
        , m_budgetBytes(budgetBytes)
    {
    }

    void add(const QFileInfo &info)
    {
        ++m_total;
        if (!m_order.sorts() && m_keptBytes > m_budgetBytes) {
            return;
        }
        m_entries.push_back(m_order.sortable(info));
        m_keptBytes += leastEncodedSize(info);
        // Trimming only once twice the budget is held keeps the sorting cost
        // in proportion to the entries seen.
        if (m_keptBytes > 2 * m_budgetBytes + 1) {
            trim();
        }
    }

    QFileInfoList take()
    {
        trim();
        QFileInfoList infos;
        infos.reserve(int(m_entries.size()));
        for (SortableEntry &entry : m_entries) {
            infos.append(std::move(entry.info));
        }
        m_entries.clear();
        return infos;
    }

    int total() const
    {
        return m_total;
    }

private:
    void trim()
    {
        if (m_order.sorts()) {
            std::stable_sort(m_entries.begin(), m_entries.end(), m_order);
        }
        qint64 bytes = 0;
        size_t kept = 0;
        while (kept < m_entries.size() && bytes <= m_budgetBytes) {
            bytes += leastEncodedSize(m_entries.at(kept).info);
            ++kept;
        }
        m_entries.erase(m_entries.begin() + std::ptrdiff_t(kept), m_entries.end());
        m_keptBytes = bytes;
    }

    EntryOrder m_order;
    qint64 m_budgetBytes;
    std::vector<SortableEntry> m_entries;
    qint64 m_keptBytes = 0;
    int m_total = 0;
};
}

KAuth::ActionReply DirectoryLister::list(const QString &path,
                                         const QStringList &nameFilters,
                                         QDir::Filters filters,
                                         QDir::SortFlags sort,
                                         const CallerAccess &caller,
                                         qint64 budgetBytes,
                                         int timeLimitMs)
{
    const QDeadlineTimer deadline(timeLimitMs);
    bool timedOut = false;
    // QDir would quietly drop a NUL and everything after it.
    QDir directory(path.contains(QChar()) ? QString() : path);
    const int directoryFd = path.contains(QChar()) ? -1 : ::open(QFile::encodeName(directory.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Contents are only ever read through this descriptor, never by path.
    LeadingEntries entries(sort == QDir::NoSort ? directory.sorting() : sort, budgetBytes);
    if (directoryFd >= 0) {
        directory.setNameFilters(nameFilters);
        directory.setFilter(filters == QDir::NoFilter ? directory.filter() : filters);
        QDirIterator it(directory);
        while (it.hasNext()) {
            if (deadline.hasExpired()) {
                timedOut = true;
                break;
            }
            it.next();
            entries.add(it.fileInfo());
        }
    }
    const QFileInfoList leading = entries.take();
    const bool entriesReachable = directoryFd >= 0 && caller.mayReachEntriesOf(resolvedPath(directoryFd));

    // One stream for all records: a stream of its own per record would
    // cost a buffer device each.
    QVariantList encoded;
    encoded.reserve(leading.size());
    QByteArray buffer;
    QBuffer device(&buffer);
    device.open(QIODevice::WriteOnly);
    QDataStream stream(&device);
    qint64 used = 0;
    const QString listingDirectory = EntryInfo::listingDirectory(path);
    const LocalFileSystem fileSystem(directoryFd);
    for (const QFileInfo &info : leading) {
        // Past the time limit what has been found is still listed, typed by
        // name alone; looking into files is what may take long.
        EntryInfo entry(info, iconName(directoryFd, fileSystem, info, caller, entriesReachable && !deadline.hasExpired()));
        entry.omitPathIn(listingDirectory);
        device.seek(0);
        stream << entry;
        const QByteArray record = buffer.left(int(device.pos()));
        used += VariantOverhead + record.size();
        if (used > budgetBytes) {
            break;
        }
        encoded.append(record);
    }
    if (directoryFd >= 0) {
        ::close(directoryFd);
    }
    QVariantMap data{{Protocol::Reply::EntryInfoList, encoded}};
    const int omitted = entries.total() - encoded.size();
    if (timedOut) {
        // How many more there were is unknown: the listing stopped early.
        data.insert(
            Protocol::Reply::Notice,
            i18np("Listing \"%2\" took too long: only %1 entry is shown.", "Listing \"%2\" took too long: only %1 entries are shown.", encoded.size(), path));
    } else if (omitted > 0) {
        data.insert(Protocol::Reply::OmittedEntries, omitted);
        data.insert(Protocol::Reply::Notice,
                    i18np("\"%2\" holds too many entries to list at once: %1 entry is not shown.",
                          "\"%2\" holds too many entries to list at once: %1 entries are not shown.",
                          omitted,
                          path));
    }
    KAuth::ActionReply reply = KAuth::ActionReply::SuccessReply();
    reply.setData(data);
    return reply;
}

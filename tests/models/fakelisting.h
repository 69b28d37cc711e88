// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "entryinfo.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <functional>

/**
 * An in-memory file system that answers the tree's listing requests in place
 * of the privileged helper, for as long as it lives.
 *
 * Names ending in "/" are directories. Replies are encoded as the helper
 * encodes them, so the tree's decoding is exercised as well.
 */
class FakeListing
{
public:
    FakeListing();
    ~FakeListing();
    FakeListing(const FakeListing &) = delete;
    FakeListing &operator=(const FakeListing &) = delete;

    /// A small tree: / holds etc, usr, var and bin; etc holds afick.conf, passwd, ssl; and so on.
    static FakeListing *withSampleTree();

    void addDirectory(const QString &path, const QStringList &names);
    /// Requests for @p path are refused, as polkit refuses them.
    void refuse(const QString &path);
    /// Requests for @p path are answered again.
    void allow(const QString &path);

    static EntryInfo entry(const QString &directory, const QString &name);
    static QByteArray encode(const EntryInfo &entry);

    /// The paths asked for, in order.
    QStringList requestedPaths() const;
    QList<QVariantMap> requests;
    /// Runs inside each request, as events would during the helper's round trip.
    std::function<void(const QString &path)> duringRequest;

private:
    QHash<QString, QVector<EntryInfo>> m_directories;
    QSet<QString> m_refused;
};

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

/**
 * Root's hands for a test that runs as an unprivileged user: puts files where
 * the helper expects them and reports what the helper left on disk, including
 * root-only content. Served at "/files". It changes nothing outside /etc and
 * /usr, which the end-to-end namespace overlays with throw-away copies, and
 * never follows a symbolic link when it changes something.
 */
class FileAgent : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "local.trustwatch.e2e.Files")

public:
    explicit FileAgent(QObject *parent = nullptr);

public Q_SLOTS:
    // Replaces the path (a symbolic link too) with a new file owned by root.
    void WriteFile(const QString &path, const QByteArray &content, uint mode);
    // The entry itself, not what a link points to: "exists", and when it does
    // "type" (file, directory, symlink, other), "mode", "uid", "gid", "size",
    // "inode", "target" for a link and "content" for a file.
    QVariantMap Inspect(const QString &path);
    // Every name in the directory, hidden ones too, without "." and "..".
    QStringList List(const QString &path);
    // Creates missing parents too; the last directory gets the mode.
    void MakeDirectory(const QString &path, uint mode);
    void MakeSymlink(const QString &target, const QString &path);
    void SetMode(const QString &path, uint mode);
    // A directory goes with everything in it; a missing entry is no error.
    void Remove(const QString &path);

private:
    bool mayChange(const QString &path);
    void fail(const QString &what, const QString &path);
};

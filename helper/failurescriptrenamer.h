// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QString>

#include <sys/types.h>

/**
 * Switches a failure script on or off by renaming it in the failure-scripts
 * directory: "NAME.sh" runs when a check fails, "NAME.sh.disabled" does not.
 *
 * Root runs every "*.sh" there, so this is no general rename: it only moves
 * a name between those two forms, with NAME a plain word that no shell,
 * glob or option parser reads as anything else, and only for a regular file
 * (no link, directory or device) that belongs to the trusted owner and that
 * nobody else may change, in a directory of that owner that nobody else may
 * change either. A check and the rename cannot be raced there, since only
 * the owner could swap the entry. The rename never replaces an entry.
 */
class FailureScriptRenamer
{
public:
    /// @p trustedOwner is root in the helper; tests pass their own uid.
    explicit FailureScriptRenamer(const QString &directory, uid_t trustedOwner = 0);

    KAuth::ActionReply rename(const QString &oldName, const QString &newName) const;

    /// Whether renaming @p oldName to @p newName switches one script.
    static bool isSwitch(const QString &oldName, const QString &newName);

private:
    bool isTrusted(const struct stat &status) const;

    QString m_directory;
    uid_t m_trustedOwner;
};

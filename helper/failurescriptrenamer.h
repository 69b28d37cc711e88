// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QString>

/**
 * Renames one entry of the failure-scripts directory, which is how a
 * failure script is switched on or off. The rename never replaces an
 * existing entry.
 */
class FailureScriptRenamer
{
public:
    explicit FailureScriptRenamer(const QString &directory);

    KAuth::ActionReply rename(const QString &oldName, const QString &newName) const;

private:
    QString m_directory;
};

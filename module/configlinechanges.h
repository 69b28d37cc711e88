// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QStringList>

/**
 * The lines one version of a text file loses and gains against another,
 * for showing what a save will do.
 *
 * Lines are matched as a multiset: a line counts as kept as often as it
 * occurs in both versions, wherever it stands. Saving the configuration only
 * rewrites lines in place, appends and inserts lines, and drops empty ones,
 * so that is exactly what it changes; a line that merely moved is not shown.
 */
struct ConfigLineChanges {
    static ConfigLineChanges between(const QStringList &before, const QStringList &after);

    /// Lines of the first version that the second lacks, in file order.
    QStringList removed;
    /// Lines of the second version that the first lacks, in file order.
    QStringList added;
};

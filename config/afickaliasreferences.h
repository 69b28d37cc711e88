// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickrecords.h"

/**
 * The rules and aliases that name an alias, as itself or taken away ("-NAME"),
 * so that deleting or renaming an alias leaves no rule naming an alias that
 * no longer exists.
 */
namespace AfickAliasReferences
{
/// Paths of the rules that name @p alias, in path order.
QStringList rulesUsing(const QString &alias, const AfickRuleMap &rules);
/// Names of the other aliases that name @p alias, in name order.
QStringList aliasesUsing(const QString &alias, const AfickAliasMap &aliases);
/**
 * Makes every rule and alias that names @p oldName name @p newName instead,
 * keeping a "-" before it and the order of the attributes; returns the paths
 * of the rules changed. The aliases' own names are left as they are.
 */
QStringList rename(const QString &oldName, const QString &newName, AfickRuleMap &rules, AfickAliasMap &aliases);
}

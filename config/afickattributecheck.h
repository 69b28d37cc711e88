// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickrecords.h"

/**
 * Whether the attributes of rules and aliases name something afick knows:
 * an attribute code, a built-in set, or a defined alias, each possibly
 * preceded by "-" to take it away. afick refuses a whole file over one
 * unknown name, so nothing is saved while an edit introduces one.
 */
namespace AfickAttributeCheck
{
/// Whether afick itself knows @p name ("md5", "-md5", "R", "sha256"...), aliases aside.
bool isAfickName(const QString &name);

/**
 * Why the edited rules and aliases cannot be saved, ready to show, or empty
 * when they can. Only a name that the edits made unknown counts: a line
 * whose unknown name was already in the file as read is afick's matter,
 * and the module writes it back untouched.
 */
QString problem(const AfickRuleMap &rules, const AfickAliasMap &aliases, const AfickRuleMap &readRules, const AfickAliasMap &readAliases);
}

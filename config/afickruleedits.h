// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickrecords.h"

#include <QSet>

/**
 * The rule edits that turn a check's finding into a rule change, as afick's
 * own afick_learn would: what attributes a rule compares once its aliases and
 * built-in sets are expanded, how to say the same without one of them, and
 * which pending edits reach a path.
 */
namespace AfickRuleEdits
{
/**
 * The attribute code ("s", "md5", "n"...) of an attribute as afick's compare
 * output names it ("filesize", "MD5", "nlink"...), or empty when the module
 * has no code for it ("acl"...).
 */
QString codeForReportName(const QString &name);

/// The attribute codes that @p attributes compare, aliases and built-in sets expanded and "-" terms taken away.
QSet<QString> comparedCodes(const QStringList &attributes, const AfickAliasMap &aliases);

/**
 * @p attributes without @p code: the term itself dropped where that is
 * enough, otherwise an alias or set that brings it kept and "-code" added,
 * so that "ETC" becomes "ETC-md5" rather than its expansion. Nothing left
 * becomes "E", the empty set, for an empty rule would write no line and hand
 * the path to the rule above it. Empty when @p attributes do not compare @p code.
 */
QStringList withoutCode(const QStringList &attributes, const QString &code, const AfickAliasMap &aliases);

/// Whether a rule line can name @p path and read back as that path: absolute,
/// with no "=", no double quote and no white space but blanks (written quoted).
bool isWritablePath(const QString &path);

/**
 * The nearest of @p path and its ancestors whose rule in @p currentRules
 * differs from the one in @p parsedRules (added, changed or removed), or
 * empty when none does. An edited wildcard rule counts where it names the
 * path or an ancestor; it is returned as written.
 */
QString nearestEditedRule(const QString &path, const AfickRuleMap &currentRules, const AfickRuleMap &parsedRules);
}

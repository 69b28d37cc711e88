// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickrecords.h"

#include <QRegularExpression>
#include <QVector>

/**
 * What afick applies to a path, under its own rules of scope: a rule covers
 * its path and everything below it, an "=" rule the directory itself only,
 * a "!" rule excludes its path and everything below it, the nearest rule
 * above a path wins, and the exclude_suffix, exclude_prefix and exclude_re
 * directives leave out matching names below any rule.
 *
 * Evaluating a path looks up only the path and its ancestors, so a view can
 * ask for every row of a large tree.
 */
class AfickPathScope
{
public:
    struct Verdict {
        enum Kind {
            Unwatched, ///< no rule covers the path
            Own, ///< the path has a rule of its own
            Inherited, ///< the rule of an ancestor covers it
            Excluded, ///< afick leaves it out; see reason
        };
        enum Reason {
            NoReason,
            ByRule, ///< a "!" rule of the path or an ancestor
            DirectoryOnly, ///< below an "=" rule, which covers its directory only
            ExcludeSuffix,
            ExcludePrefix,
            ExcludeRe,
        };
        Kind kind = Unwatched;
        Reason reason = NoReason;
        /// The rule that decides: the path's own, the inherited one, or the excluding one.
        AfickRule rule;
        /// The value of the directive that excludes the path.
        QString directiveValue;

        /// Ready to show: "not checked: excluded by /var/log", or empty unless excluded.
        QString reasonText() const;
    };

    AfickPathScope() = default;

    void setRules(const AfickRuleMap &rules);
    const AfickRuleMap &rules() const;
    /**
     * Takes the exclude_* directives from the configuration's lines
     * ("exclude_suffix := log gz", values separated by blanks); lines of any
     * other kind are ignored. A regular expression that does not compile
     * excludes nothing.
     */
    void setConfigLines(const QStringList &lines);
    const QStringList &configLines() const;

    /// @p path is absolute, written as the helper writes paths ("/etc/passwd").
    Verdict evaluate(const QString &path) const;

private:
    bool isExcludedName(const QString &path, Verdict *verdict) const;

    AfickRuleMap m_rules;
    QStringList m_configLines;
    QStringList m_suffixes;
    QStringList m_prefixes;
    QVector<QRegularExpression> m_expressions;
};

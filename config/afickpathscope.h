// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickrecords.h"

#include <QHash>
#include <QRegularExpression>
#include <QVector>

/**
 * What afick applies to a path, under its own rules of scope: a rule covers
 * its path and everything below it, a rule whose path holds shell wildcards
 * ("/boot/vmlinuz-*") every path they match and everything below those, an
 * "=" rule its directory but not its sub-directories, a "!" rule excludes
 * its path and everything below it, and the nearest rule above a path wins.
 * Below a rule, the exclude_suffix, exclude_prefix and exclude_re directives
 * leave out matching names, directories included, and afick does not
 * descend into what they leave out; only_suffix, when set, leaves out every
 * file whose name has none of its suffixes.
 *
 * Evaluating a path looks up only the path and its ancestors, and matches
 * only the wildcard rules that have as many names as an ancestor and whose
 * plain beginning is one of its ancestors; so a view can ask for every row
 * of a large tree, however many rules there are.
 */
class AfickPathScope
{
public:
    struct Verdict {
        enum Kind {
            Unwatched, ///< no rule covers the path
            Own, ///< the path has a rule of its own
            Inherited, ///< the rule of an ancestor, or a wildcard rule matching the path, covers it
            Excluded, ///< afick leaves it out, or may; see reason
        };
        enum Reason {
            NoReason,
            ByRule, ///< a "!" rule of the path or an ancestor
            DirectoryOnly, ///< in a sub-directory of an "=" rule's directory
            /// Directly in an "=" rule's directory: afick's words leave open
            /// whether it checks what lies there, so it may.
            MaybeDirectoryOnly,
            ExcludeSuffix,
            ExcludePrefix,
            ExcludeRe,
            OnlySuffix, ///< a file without any of only_suffix's suffixes
        };
        Kind kind = Unwatched;
        Reason reason = NoReason;
        /// The rule that decides: the path's own, the inherited one, or the excluding one.
        AfickRule rule;
        /// The value of the directive that excludes the path.
        QString directiveValue;

        /// Whether afick checks the path, or may: a rule of its own can stop that.
        bool mayBeChecked() const;
        /// Ready to show: "not checked: excluded by /var/log", or empty unless excluded.
        QString reasonText() const;
    };

    AfickPathScope() = default;

    void setRules(const AfickRuleMap &rules);
    const AfickRuleMap &rules() const;
    /**
     * Takes the directives that decide what afick leaves out from the
     * configuration's lines ("exclude_suffix := log gz", values separated by
     * blanks; "ignore_case := yes"); lines of any other kind are ignored. A
     * regular expression that does not compile excludes nothing.
     */
    void setConfigLines(const QStringList &lines);
    const QStringList &configLines() const;

    /**
     * @p path is absolute, written as the helper writes paths ("/etc/passwd");
     * only_suffix leaves out files only, so a directory says so.
     */
    Verdict evaluate(const QString &path, bool isDirectory = false) const;

    /**
     * Whether the rule path @p rulePath, with afick's wildcards, names
     * @p path itself: name for name, as the shell expands them. False for a
     * rule path without wildcards.
     */
    static bool wildcardNames(const QString &rulePath, const QString &path);
    /// Whether @p rulePath holds one of afick's wildcards: "*", "?" or "[".
    static bool hasWildcard(const QString &rulePath);

private:
    struct WildcardRule {
        AfickRule rule;
        /// One shell pattern per name of the rule's path, in the file's encoding.
        QVector<QByteArray> patterns;
    };
    struct NameRange {
        int start;
        int end;
    };

    /// The rule that applies at the ancestor of @p path made of @p depth names, if any.
    const AfickRule *ruleAt(const QString &path, const QVector<NameRange> &names, int depth) const;
    bool isExcludedName(const QString &path, QStringView name, Verdict *verdict) const;

    AfickRuleMap m_rules;
    // Wildcard rules by their number of names, then by the path of the names
    // before the first wildcard.
    QHash<int, QHash<QString, QVector<WildcardRule>>> m_wildcardRules;
    // For each number of names, how many plain names the wildcard rules begin with, most first.
    QHash<int, QVector<int>> m_plainNameCounts;

    QStringList m_configLines;
    QStringList m_suffixes;
    QStringList m_prefixes;
    QVector<QRegularExpression> m_expressions;
    QStringList m_onlySuffixes;
    QStringList m_onlySuffixNames;
    Qt::CaseSensitivity m_suffixCase = Qt::CaseSensitive;
};

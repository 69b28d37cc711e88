// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "afickrecords.h"

/**
 * The lines of an afick configuration as the module reads and writes them.
 *
 * A rule is "[!|=][blanks]path[ expression]", an alias "name = expression".
 * A path with blanks is written in double quotes ("\"/srv/my files\" R"); a
 * path's trailing slashes are no part of it; "! = path" is an exclusion.
 * An expression is a sequence of attribute terms joined by "+" or "-", with
 * optional blanks around the operators ("ETC - md5 - s"); a term after "-" is
 * kept with its sign ("-md5"). Only an exclusion ("!") may have no
 * expression. Comments, ":=" directives and "@@" lines are not the module's
 * to edit.
 */
namespace AfickConfigSyntax
{
/// What one line of the file is to the module.
struct LineReading {
    enum Kind {
        Skipped,
        Alias,
        Rule,
        WrongAlias,
        WrongRule,
    };
    Kind kind = Skipped;
    AfickAlias alias;
    AfickRule rule;
};

LineReading readLine(const QString &line);

/// The terms as afick writes them: "ETC-md5-s+sha1".
QString joinTerms(const QStringList &terms);

/// "name = terms", or an empty string (no line) when the alias has no terms.
QString formatAliasLine(const AfickAlias &alias);
/// @p path as a rule line writes it: in double quotes when it holds a blank.
QString formatPath(const QString &path);
/// "[prefix]path terms"; "!path" for an exclusion without terms; otherwise
/// an empty string (no line) when the rule has no terms.
QString formatRuleLine(const AfickRule &rule);
}

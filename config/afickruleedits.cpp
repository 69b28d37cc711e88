// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickruleedits.h"

#include "afickpathscope.h"
#include "afickvocabulary.h"

#include <QHash>

#include <algorithm>

namespace
{
// afick's compare output has named some attributes differently across
// versions; every spelling seen is accepted, compared without case, blanks,
// "_" or "-".
const QHash<QString, QString> &codesByReportName()
{
    static const QHash<QString, QString> codes{
        {QStringLiteral("atime"), QStringLiteral("a")},
        {QStringLiteral("accesstime"), QStringLiteral("a")},
        {QStringLiteral("blocks"), QStringLiteral("b")},
        {QStringLiteral("block"), QStringLiteral("b")},
        {QStringLiteral("nblocks"), QStringLiteral("b")},
        {QStringLiteral("ctime"), QStringLiteral("c")},
        {QStringLiteral("changetime"), QStringLiteral("c")},
        {QStringLiteral("device"), QStringLiteral("d")},
        {QStringLiteral("dev"), QStringLiteral("d")},
        {QStringLiteral("gid"), QStringLiteral("g")},
        {QStringLiteral("group"), QStringLiteral("g")},
        {QStringLiteral("inode"), QStringLiteral("i")},
        {QStringLiteral("ino"), QStringLiteral("i")},
        {QStringLiteral("mtime"), QStringLiteral("m")},
        {QStringLiteral("modificationtime"), QStringLiteral("m")},
        {QStringLiteral("md5"), QStringLiteral("md5")},
        {QStringLiteral("md5sum"), QStringLiteral("md5")},
        {QStringLiteral("links"), QStringLiteral("n")},
        {QStringLiteral("link"), QStringLiteral("n")},
        {QStringLiteral("nlink"), QStringLiteral("n")},
        {QStringLiteral("nlinks"), QStringLiteral("n")},
        {QStringLiteral("hardlinks"), QStringLiteral("n")},
        {QStringLiteral("perm"), QStringLiteral("p")},
        {QStringLiteral("perms"), QStringLiteral("p")},
        {QStringLiteral("permissions"), QStringLiteral("p")},
        {QStringLiteral("mode"), QStringLiteral("p")},
        {QStringLiteral("filemode"), QStringLiteral("p")},
        {QStringLiteral("uid"), QStringLiteral("u")},
        {QStringLiteral("user"), QStringLiteral("u")},
        {QStringLiteral("owner"), QStringLiteral("u")},
        {QStringLiteral("filesize"), QStringLiteral("s")},
        {QStringLiteral("size"), QStringLiteral("s")},
        {QStringLiteral("sha1"), QStringLiteral("sha1")},
        {QStringLiteral("sha1sum"), QStringLiteral("sha1")},
        {QStringLiteral("sha256"), QStringLiteral("sha256")},
        {QStringLiteral("sha256sum"), QStringLiteral("sha256")},
        {QStringLiteral("sha512"), QStringLiteral("sha512")},
        {QStringLiteral("sha512sum"), QStringLiteral("sha512")},
    };
    return codes;
}

// One term, an alias met again on the way in (a loop) counting as empty.
QSet<QString> expand(const QString &name, const AfickAliasMap &aliases, QSet<QString> &visiting)
{
    if (const QStringList *set = AfickVocabulary::builtInSet(name)) {
        return QSet<QString>(set->cbegin(), set->cend());
    }
    const auto alias = aliases.constFind(name);
    if (alias == aliases.cend()) {
        return {name};
    }
    if (visiting.contains(name)) {
        return {};
    }
    visiting.insert(name);
    QSet<QString> codes;
    for (const QString &term : alias->attributes) {
        if (term.startsWith(QLatin1Char('-'))) {
            codes.subtract(expand(term.mid(1), aliases, visiting));
        } else {
            codes.unite(expand(term, aliases, visiting));
        }
    }
    visiting.remove(name);
    return codes;
}

QString parentOf(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}
}

namespace AfickRuleEdits
{
QString codeForReportName(const QString &name)
{
    QString key = name.toLower();
    key.remove(QLatin1Char('_')).remove(QLatin1Char('-')).remove(QLatin1Char(' '));
    return codesByReportName().value(key);
}

QSet<QString> comparedCodes(const QStringList &attributes, const AfickAliasMap &aliases)
{
    QSet<QString> visiting;
    QSet<QString> codes;
    for (const QString &term : attributes) {
        if (term.startsWith(QLatin1Char('-'))) {
            codes.subtract(expand(term.mid(1), aliases, visiting));
        } else {
            codes.unite(expand(term, aliases, visiting));
        }
    }
    return codes;
}

QStringList withoutCode(const QStringList &attributes, const QString &code, const AfickAliasMap &aliases)
{
    if (!comparedCodes(attributes, aliases).contains(code)) {
        return {};
    }
    QStringList remaining = attributes;
    remaining.removeAll(code);
    if (comparedCodes(remaining, aliases).contains(code)) {
        remaining.append(QLatin1Char('-') + code);
    }
    const bool comparesNothing = std::all_of(remaining.cbegin(), remaining.cend(), [](const QString &term) {
        return term.startsWith(QLatin1Char('-'));
    });
    return comparesNothing ? QStringList{QStringLiteral("E")} : remaining;
}

bool isWritablePath(const QString &path)
{
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QLatin1Char('=')) || path.contains(QLatin1Char('"'))) {
        return false;
    }
    // Blanks are written in quotes; any other white space (a line break
    // above all) would not read back as the same path.
    return std::none_of(path.cbegin(), path.cend(), [](QChar character) {
        return character.isSpace() && character != QLatin1Char(' ');
    });
}

QString nearestEditedRule(const QString &path, const AfickRuleMap &currentRules, const AfickRuleMap &parsedRules)
{
    QStringList editedWildcards;
    for (const AfickRuleMap *rules : {&currentRules, &parsedRules}) {
        for (auto rule = rules->cbegin(); rule != rules->cend(); ++rule) {
            if (AfickPathScope::hasWildcard(rule.key()) && !editedWildcards.contains(rule.key())
                && currentRules.value(rule.key()) != parsedRules.value(rule.key())) {
                editedWildcards.append(rule.key());
            }
        }
    }
    QString ancestor = path;
    while (!ancestor.isEmpty()) {
        if (currentRules.value(ancestor) != parsedRules.value(ancestor)) {
            return ancestor;
        }
        for (const QString &wildcard : std::as_const(editedWildcards)) {
            if (AfickPathScope::wildcardNames(wildcard, ancestor)) {
                return wildcard;
            }
        }
        if (ancestor == QLatin1String("/")) {
            break;
        }
        ancestor = parentOf(ancestor);
    }
    return QString();
}
}

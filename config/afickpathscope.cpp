// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickpathscope.h"

#include <KLocalizedString>

#include <QFile>

#include <algorithm>

#include <fnmatch.h>

namespace
{
// A rule without attributes and without "!" is what an edit leaves behind
// when the user takes everything off a rule: it writes no line, so afick
// never sees it.
bool isInEffect(const AfickRule &rule)
{
    return rule.prefix == QLatin1String("!") || !rule.attributes.isEmpty();
}

// Suffixes are matched with their dot: "log" leaves out "Xorg.0.log", not "syslog".
QStringList dotted(const QStringList &suffixes)
{
    QStringList names;
    names.reserve(suffixes.size());
    for (const QString &suffix : suffixes) {
        names.append(QLatin1Char('.') + suffix);
    }
    return names;
}

const QString *endingOf(QStringView name, const QStringList &endings, Qt::CaseSensitivity sensitivity)
{
    const auto it = std::find_if(endings.cbegin(), endings.cend(), [&](const QString &ending) {
        return name.endsWith(ending, sensitivity);
    });
    return it == endings.cend() ? nullptr : &*it;
}
}

bool AfickPathScope::Verdict::mayBeChecked() const
{
    return kind == Own || kind == Inherited || reason == MaybeDirectoryOnly;
}

QString AfickPathScope::Verdict::reasonText() const
{
    switch (reason) {
    case NoReason:
        return QString();
    case ByRule:
        return i18nc("@info a path afick does not check", "not checked: excluded by %1", rule.path);
    case DirectoryOnly:
        return i18nc("@info a path afick does not check", "not checked: the rule of %1 covers that directory only", rule.path);
    case MaybeDirectoryOnly:
        return i18nc("@info a path afick may not check",
                     "perhaps not checked: the rule of %1 covers that directory, and afick does not say whether it checks what lies directly in it",
                     rule.path);
    case ExcludeSuffix:
        return i18nc("@info a path afick does not check; exclude_suffix is a configuration keyword", "not checked: exclude_suffix %1", directiveValue);
    case ExcludePrefix:
        return i18nc("@info a path afick does not check; exclude_prefix is a configuration keyword", "not checked: exclude_prefix %1", directiveValue);
    case ExcludeRe:
        return i18nc("@info a path afick does not check; exclude_re is a configuration keyword", "not checked: exclude_re %1", directiveValue);
    case OnlySuffix:
        return i18nc("@info a path afick does not check; only_suffix is a configuration keyword", "not checked: only_suffix %1", directiveValue);
    }
    return QString();
}

void AfickPathScope::setRules(const AfickRuleMap &rules)
{
    m_rules = rules;
    m_wildcardRules.clear();
    m_plainNameCounts.clear();
    for (const AfickRule &rule : rules) {
        if (!isInEffect(rule) || !hasWildcard(rule.path)) {
            continue;
        }
        const QStringList names = rule.path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        WildcardRule wildcard{rule, {}};
        int plainNames = -1;
        for (int index = 0; index < names.size(); ++index) {
            wildcard.patterns.append(QFile::encodeName(names.at(index)));
            if (plainNames < 0 && hasWildcard(names.at(index))) {
                plainNames = index;
            }
        }
        const QString plainPath = QLatin1Char('/') + names.mid(0, plainNames).join(QLatin1Char('/'));
        m_wildcardRules[names.size()][plainPath].append(wildcard);
        QVector<int> &counts = m_plainNameCounts[names.size()];
        if (!counts.contains(plainNames)) {
            counts.append(plainNames);
            std::sort(counts.begin(), counts.end(), std::greater<int>());
        }
    }
}

const AfickRuleMap &AfickPathScope::rules() const
{
    return m_rules;
}

void AfickPathScope::setConfigLines(const QStringList &lines)
{
    m_configLines = lines;
    m_suffixes.clear();
    m_prefixes.clear();
    m_expressions.clear();
    m_onlySuffixes.clear();
    m_onlySuffixNames.clear();
    m_suffixCase = Qt::CaseSensitive;
    for (const QString &line : lines) {
        const QString simplified = line.simplified();
        const int assignment = simplified.indexOf(QLatin1String(":="));
        if (simplified.startsWith(QLatin1Char('#')) || assignment < 0) {
            continue;
        }
        const QString key = simplified.left(assignment).trimmed();
        const QStringList values = simplified.mid(assignment + 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (key == QLatin1String("exclude_suffix")) {
            m_suffixes += dotted(values);
        } else if (key == QLatin1String("exclude_prefix")) {
            m_prefixes += values;
        } else if (key == QLatin1String("only_suffix")) {
            m_onlySuffixNames += values;
            m_onlySuffixes += dotted(values);
        } else if (key == QLatin1String("ignore_case")) {
            const QString value = values.value(0).toLower();
            m_suffixCase = value == QLatin1String("yes") || value == QLatin1String("1") ? Qt::CaseInsensitive : Qt::CaseSensitive;
        } else if (key == QLatin1String("exclude_re")) {
            for (const QString &value : values) {
                const QRegularExpression expression(value);
                if (expression.isValid()) {
                    m_expressions.append(expression);
                }
            }
        }
    }
}

const QStringList &AfickPathScope::configLines() const
{
    return m_configLines;
}

const AfickRule *AfickPathScope::ruleAt(const QString &path, const QVector<NameRange> &names, int depth) const
{
    const QString ancestor = depth == 0 ? QStringLiteral("/") : path.left(names.at(depth - 1).end);
    const auto own = m_rules.constFind(ancestor);
    if (own != m_rules.cend() && isInEffect(own.value())) {
        return &own.value();
    }
    const auto byDepth = m_wildcardRules.constFind(depth);
    if (byDepth == m_wildcardRules.cend()) {
        return nullptr;
    }
    QVector<QByteArray> encodedNames(depth);
    for (const int plainNames : m_plainNameCounts.value(depth)) {
        const QString plainPath = plainNames == 0 ? QStringLiteral("/") : path.left(names.at(plainNames - 1).end);
        const auto candidates = byDepth->constFind(plainPath);
        if (candidates == byDepth->cend()) {
            continue;
        }
        for (const WildcardRule &wildcard : candidates.value()) {
            bool matches = true;
            for (int index = plainNames; matches && index < depth; ++index) {
                if (encodedNames.at(index).isNull()) {
                    const NameRange range = names.at(index);
                    encodedNames[index] = QFile::encodeName(path.mid(range.start, range.end - range.start));
                }
                // As the shell expands them: "*" does not match a leading dot.
                matches = fnmatch(wildcard.patterns.at(index).constData(), encodedNames.at(index).constData(), FNM_PERIOD) == 0;
            }
            if (matches) {
                return &wildcard.rule;
            }
        }
    }
    return nullptr;
}

bool AfickPathScope::hasWildcard(const QString &rulePath)
{
    return rulePath.contains(QLatin1Char('*')) || rulePath.contains(QLatin1Char('?')) || rulePath.contains(QLatin1Char('['));
}

bool AfickPathScope::wildcardNames(const QString &rulePath, const QString &path)
{
    if (!hasWildcard(rulePath)) {
        return false;
    }
    const QStringList patterns = rulePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (patterns.size() != names.size()) {
        return false;
    }
    for (int index = 0; index < names.size(); ++index) {
        if (fnmatch(QFile::encodeName(patterns.at(index)).constData(), QFile::encodeName(names.at(index)).constData(), FNM_PERIOD) != 0) {
            return false;
        }
    }
    return true;
}

AfickPathScope::Verdict AfickPathScope::evaluate(const QString &path, bool isDirectory) const
{
    Verdict verdict;
    if (path.isEmpty()) {
        return verdict;
    }
    QVector<NameRange> names;
    for (int slash = path.indexOf(QLatin1Char('/')); slash >= 0 && slash + 1 < path.size();) {
        const int next = path.indexOf(QLatin1Char('/'), slash + 1);
        names.append(NameRange{slash + 1, next < 0 ? int(path.size()) : next});
        slash = next;
    }

    int ruleDepth = names.size();
    const AfickRule *rule = nullptr;
    for (; ruleDepth >= 0 && !rule; --ruleDepth) {
        rule = ruleAt(path, names, ruleDepth);
    }
    if (!rule) {
        return verdict;
    }
    ++ruleDepth;
    verdict.rule = *rule;

    if (rule->prefix == QLatin1String("!")) {
        verdict.kind = Verdict::Excluded;
        verdict.reason = Verdict::ByRule;
        return verdict;
    }
    if (ruleDepth == names.size()) {
        verdict.kind = rule->path == path ? Verdict::Own : Verdict::Inherited;
        return verdict;
    }
    if (rule->prefix == QLatin1String("=") && ruleDepth + 1 < names.size()) {
        verdict.kind = Verdict::Excluded;
        verdict.reason = Verdict::DirectoryOnly;
        return verdict;
    }
    // afick does not descend into an excluded directory, so every name
    // between the rule and the path counts, not only the path's own.
    for (int depth = ruleDepth; depth < names.size(); ++depth) {
        const NameRange range = names.at(depth);
        if (isExcludedName(path.left(range.end), QStringView(path).mid(range.start, range.end - range.start), &verdict)) {
            verdict.kind = Verdict::Excluded;
            return verdict;
        }
    }
    if (rule->prefix == QLatin1String("=")) {
        verdict.kind = Verdict::Excluded;
        verdict.reason = Verdict::MaybeDirectoryOnly;
        return verdict;
    }
    const NameRange last = names.constLast();
    if (!isDirectory && !m_onlySuffixes.isEmpty() && !endingOf(QStringView(path).mid(last.start, last.end - last.start), m_onlySuffixes, m_suffixCase)) {
        verdict.kind = Verdict::Excluded;
        verdict.reason = Verdict::OnlySuffix;
        verdict.directiveValue = m_onlySuffixNames.join(QLatin1Char(' '));
        return verdict;
    }
    verdict.kind = Verdict::Inherited;
    return verdict;
}

bool AfickPathScope::isExcludedName(const QString &path, QStringView name, Verdict *verdict) const
{
    if (const QString *suffix = endingOf(name, m_suffixes, m_suffixCase)) {
        verdict->reason = Verdict::ExcludeSuffix;
        verdict->directiveValue = suffix->mid(1);
        return true;
    }
    for (const QString &prefix : m_prefixes) {
        if (name.startsWith(prefix)) {
            verdict->reason = Verdict::ExcludePrefix;
            verdict->directiveValue = prefix;
            return true;
        }
    }
    for (const QRegularExpression &expression : m_expressions) {
        if (expression.match(path).hasMatch()) {
            verdict->reason = Verdict::ExcludeRe;
            verdict->directiveValue = expression.pattern();
            return true;
        }
    }
    return false;
}

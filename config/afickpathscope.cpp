// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickpathscope.h"

#include <KLocalizedString>

namespace
{
// A rule without attributes and without "!" is what an edit leaves behind
// when the user takes everything off a rule: it writes no line, so afick
// never sees it.
bool isInEffect(const AfickRule &rule)
{
    return rule.prefix == QLatin1String("!") || !rule.attributes.isEmpty();
}

QString parentOf(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}
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
    case ExcludeSuffix:
        return i18nc("@info a path afick does not check; exclude_suffix is a configuration keyword", "not checked: exclude_suffix %1", directiveValue);
    case ExcludePrefix:
        return i18nc("@info a path afick does not check; exclude_prefix is a configuration keyword", "not checked: exclude_prefix %1", directiveValue);
    case ExcludeRe:
        return i18nc("@info a path afick does not check; exclude_re is a configuration keyword", "not checked: exclude_re %1", directiveValue);
    }
    return QString();
}

void AfickPathScope::setRules(const AfickRuleMap &rules)
{
    m_rules = rules;
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
    for (const QString &line : lines) {
        const QString simplified = line.simplified();
        const int assignment = simplified.indexOf(QLatin1String(":="));
        if (simplified.startsWith(QLatin1Char('#')) || assignment < 0) {
            continue;
        }
        const QString key = simplified.left(assignment).trimmed();
        const QStringList values = simplified.mid(assignment + 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (key == QLatin1String("exclude_suffix")) {
            m_suffixes += values;
        } else if (key == QLatin1String("exclude_prefix")) {
            m_prefixes += values;
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

AfickPathScope::Verdict AfickPathScope::evaluate(const QString &path) const
{
    Verdict verdict;
    QString ancestor = path;
    while (true) {
        const auto it = m_rules.constFind(ancestor);
        if (it != m_rules.cend() && isInEffect(it.value())) {
            verdict.rule = it.value();
            break;
        }
        if (ancestor == QLatin1String("/") || ancestor.isEmpty()) {
            return verdict;
        }
        ancestor = parentOf(ancestor);
    }

    if (verdict.rule.prefix == QLatin1String("!")) {
        verdict.kind = Verdict::Excluded;
        verdict.reason = Verdict::ByRule;
        return verdict;
    }
    if (ancestor == path) {
        verdict.kind = Verdict::Own;
        return verdict;
    }
    if (verdict.rule.prefix == QLatin1String("=")) {
        verdict.kind = Verdict::Excluded;
        verdict.reason = Verdict::DirectoryOnly;
        return verdict;
    }
    // afick does not descend into an excluded directory, so every name
    // between the rule and the path counts, not only the path's own.
    int start = ancestor == QLatin1String("/") ? 0 : ancestor.size();
    while (start < path.size()) {
        int end = path.indexOf(QLatin1Char('/'), start + 1);
        if (end < 0) {
            end = path.size();
        }
        if (isExcludedName(path.left(end), &verdict)) {
            verdict.kind = Verdict::Excluded;
            return verdict;
        }
        start = end;
    }
    verdict.kind = Verdict::Inherited;
    return verdict;
}

bool AfickPathScope::isExcludedName(const QString &path, Verdict *verdict) const
{
    const QStringRef name = path.midRef(path.lastIndexOf(QLatin1Char('/')) + 1);
    for (const QString &suffix : m_suffixes) {
        if (name.endsWith(suffix)) {
            verdict->reason = Verdict::ExcludeSuffix;
            verdict->directiveValue = suffix;
            return true;
        }
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

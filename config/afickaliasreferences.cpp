// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "afickaliasreferences.h"

namespace
{
bool names(const QStringList &attributes, const QString &alias)
{
    return attributes.contains(alias) || attributes.contains(QLatin1Char('-') + alias);
}

bool renameIn(QStringList &attributes, const QString &oldName, const QString &newName)
{
    bool changed = false;
    for (QString &attribute : attributes) {
        if (attribute == oldName) {
            attribute = newName;
            changed = true;
        } else if (attribute == QLatin1Char('-') + oldName) {
            attribute = QLatin1Char('-') + newName;
            changed = true;
        }
    }
    return changed;
}
}

namespace AfickAliasReferences
{
QStringList rulesUsing(const QString &alias, const AfickRuleMap &rules)
{
    QStringList paths;
    for (auto it = rules.cbegin(); it != rules.cend(); ++it) {
        if (names(it.value().attributes, alias)) {
            paths.append(it.key());
        }
    }
    return paths;
}

QStringList aliasesUsing(const QString &alias, const AfickAliasMap &aliases)
{
    QStringList users;
    for (auto it = aliases.cbegin(); it != aliases.cend(); ++it) {
        if (it.key() != alias && names(it.value().attributes, alias)) {
            users.append(it.key());
        }
    }
    return users;
}

QStringList rename(const QString &oldName, const QString &newName, AfickRuleMap &rules, AfickAliasMap &aliases)
{
    QStringList changed;
    for (const QString &path : rulesUsing(oldName, rules)) {
        renameIn(rules[path].attributes, oldName, newName);
        changed.append(path);
    }
    for (auto it = aliases.begin(); it != aliases.end(); ++it) {
        renameIn(it.value().attributes, oldName, newName);
    }
    return changed;
}
}

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

/**
 * One rule line of the afick configuration: "[prefix]path attr+attr".
 *
 * A default-constructed rule is the empty record that lookups of absent
 * paths yield; it differs from any rule that names a path.
 */
struct AfickRule {
    /// "", "!" or "=": the character written directly before the path.
    QString prefix;
    QString path;
    /// Attribute codes, built-in set names or alias names, in file order.
    QStringList attributes;

    bool operator==(const AfickRule &other) const
    {
        return prefix == other.prefix && path == other.path && attributes == other.attributes;
    }
    bool operator!=(const AfickRule &other) const
    {
        return !(*this == other);
    }
};

/// One alias definition of the afick configuration: "name = attr+attr".
struct AfickAlias {
    QString name;
    QStringList attributes;

    bool operator==(const AfickAlias &other) const
    {
        return name == other.name && attributes == other.attributes;
    }
    bool operator!=(const AfickAlias &other) const
    {
        return !(*this == other);
    }
};

Q_DECLARE_TYPEINFO(AfickRule, Q_MOVABLE_TYPE);
Q_DECLARE_TYPEINFO(AfickAlias, Q_MOVABLE_TYPE);

/// Rules by path.
using AfickRuleMap = QMap<QString, AfickRule>;
/// Aliases by name.
using AfickAliasMap = QMap<QString, AfickAlias>;
/// Path or alias name to the 0-based index of its line in the configuration.
using LineIndexMap = QMap<QString, int>;

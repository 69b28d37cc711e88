// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QLatin1String>
#include <QVariantMap>

#include <initializer_list>
#include <optional>
#include <utility>

/**
 * The types an action accepts for its arguments.
 *
 * QVariant converts nearly anything into anything: the string "no" becomes
 * true, an empty string a one-line list, a list of any length a string. A
 * request that is not the plug-in's own could steer root that way, so every
 * argument present must hold exactly the type the protocol gives it, as
 * QVariant::userType() reports it. Absent arguments take their defaults.
 */
class ArgumentTypes
{
public:
    using Expected = std::pair<QLatin1String, int>;

    /// The reply that refuses @p args, naming the first argument whose type
    /// is not the one @p expected gives, or nothing when all are right.
    static std::optional<KAuth::ActionReply> refuseWrongTypes(const QVariantMap &args, std::initializer_list<Expected> expected);
};

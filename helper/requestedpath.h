// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QLatin1String>
#include <QVariantMap>

#include <optional>

/**
 * The "path" argument of an action that owns exactly one file or directory.
 *
 * polkit asks the administrator about the integrity configuration only, and
 * the authorization is kept for the session: an action that took any path
 * would let code in the caller's process read /etc/shadow or write into
 * /etc/cron.d as root. The plug-in never sends "path", so only its absence or
 * the action's own path itself is accepted.
 *
 * Returns the reply that refuses the request, naming the refused path, or
 * nothing when the request may go on.
 */
std::optional<KAuth::ActionReply> refuseForeignPath(const QVariantMap &args, QLatin1String ownPath);

// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>
#include <QString>

/// A helper error that tells the user what went wrong, in @p description.
KAuth::ActionReply errorReply(const QString &description);

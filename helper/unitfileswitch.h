// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KAuth/ActionReply>

/**
 * Enables or disables the periodic integrity-check unit through systemd's
 * manager on the system bus. It changes only whether the unit is enabled:
 * the unit is neither started nor stopped.
 */
class UnitFileSwitch
{
public:
    static KAuth::ActionReply setEnabled(bool enabled);
};

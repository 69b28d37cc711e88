// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "kcmintegrityfactory.h"

#include "kcmintegrity.h"

KCMIntegrityFactory::KCMIntegrityFactory()
{
    registerPlugin<KCMIntegrity>();
}

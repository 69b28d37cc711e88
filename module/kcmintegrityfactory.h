// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KPluginFactory>

/**
 * The plug-in's entry: the settings host reads the embedded metadata and asks
 * this factory for the module object. Qt's plug-in instance function keeps at
 * most one factory per process and makes a new one only after it was deleted.
 */
class KCMIntegrityFactory : public KPluginFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KPluginFactory_iid FILE "kcm_trustwatch.json")
    Q_INTERFACES(KPluginFactory)

public:
    KCMIntegrityFactory();
};

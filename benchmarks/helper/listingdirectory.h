// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

/**
 * Fills @p directory with @p count files that the listing benchmarks share:
 * mixed extensions, a third of them with none, and contents that a MIME
 * sniffer tells apart. Returns false when a file cannot be written.
 */
bool populateListingDirectory(const QString &directory, int count);

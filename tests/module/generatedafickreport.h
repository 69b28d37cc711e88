// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

/**
 * afick's compare output, laid out as afick 3.6.0 prints it, for a check that
 * found @p newFiles new, @p deletedFiles deleted and @p changedFiles changed
 * files: the header with its directives (the archive among them), both the
 * summary and the detailed section, and afick's closing totals. A changed
 * file's details are its md5 and its size; the report of 20,000 changed files
 * is about 4.4 MB, as after a system upgrade.
 */
QByteArray generatedAfickReport(int newFiles, int deletedFiles, int changedFiles);

/// The path of the @p number th finding (from 0) of a kind: "new", "deleted" or "changed".
QString generatedFindingPath(const QString &kind, int number);

/// The archive directory the header of a generated report names.
QString generatedReportArchive();

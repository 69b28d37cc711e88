// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "generatedafickreport.h"

namespace
{
const char Archive[] = "/var/lib/afick/archive";

QByteArray findingLine(const char *kind, int number)
{
    return QByteArray(kind) + " file : " + generatedFindingPath(QLatin1String(kind), number).toUtf8() + '\n';
}
}

QString generatedFindingPath(const QString &kind, int number)
{
    return QStringLiteral("/usr/lib/x86_64-linux-gnu/upgraded/%1/lib%2.so.%3").arg(kind).arg(number, 6, 10, QLatin1Char('0')).arg(number % 7);
}

QString generatedReportArchive()
{
    return QLatin1String(Archive);
}

QByteArray generatedAfickReport(int newFiles, int deletedFiles, int changedFiles)
{
    QByteArray report;
    report.reserve((newFiles + deletedFiles) * 160 + changedFiles * 230 + 4096);
    report +=
        "# Afick (3.6.0) compare at 2018/09/06 17:14:44 with options (/etc/afick.conf):\n"
        "# archive:=";
    report += Archive;
    report +=
        "\n# database:=/var/lib/afick/afick\n"
        "# report_summary:=yes\n"
        "# warn_dead_symlinks:=no\n"
        "# last run on 2018/09/06 17:09:21 with afick version 3.6.0\n"
        "# summary changes\n";
    const auto allFindings = [&](bool detailed) {
        for (int number = 0; number < newFiles; ++number) {
            report += findingLine("new", number);
            if (detailed) {
                report += "\tmtime\t\t : Thu Sep  6 17:12:01 2018\n";
            }
        }
        for (int number = 0; number < deletedFiles; ++number) {
            report += findingLine("deleted", number);
            if (detailed) {
                report += "\tmtime\t\t : Wed Aug  1 09:30:12 2018\n";
            }
        }
        for (int number = 0; number < changedFiles; ++number) {
            report += findingLine("changed", number);
            if (detailed) {
                report += "\tmd5\t\t : " + QByteArray::number(0x5b2d0f8aLL * (number + 1), 16).rightJustified(32, '0') + '\t'
                    + QByteArray::number(0x9c1a7e55LL * (number + 3), 16).rightJustified(32, '0') + '\n';
                report += "\tfilesize\t\t : " + QByteArray::number(10000 + number) + '\t' + QByteArray::number(10100 + number) + '\n';
            }
        }
    };
    allFindings(false);
    report += "\n# detailed changes\n";
    allFindings(true);
    const int changes = newFiles + deletedFiles + changedFiles;
    report += "# " + QByteArray(65, '#') + "\n# MD5 hash of /var/lib/afick/afick => 8d1bd1ff0bb2de94a4d3e8fa3b51ee9c\n\n";
    report += "# Hash database : 48806 files scanned, " + QByteArray::number(changes) + " changed (new : " + QByteArray::number(newFiles)
        + "; delete : " + QByteArray::number(deletedFiles) + "; changed : " + QByteArray::number(changedFiles)
        + "; dangling : 12; exclude_suffix : 774; exclude_prefix : 0; exclude_re : 0; degraded : 22)\n";
    report += "# user time : 18.49; system time : 1.12; real time : 20\n";
    return report;
}

#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Mails the check's report to the administrator.
set -eu
report=${1:-/var/lib/afick/last-report}
mail -s "Integrity check failed on $(hostname)" root <"$report"

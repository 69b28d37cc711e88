#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Leaves a trace of the failed check in the system log.
set -eu
logger -p auth.alert -t tirvane-integrity "integrity check failed: see /var/lib/afick/last-report"

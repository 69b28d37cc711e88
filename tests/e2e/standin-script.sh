#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Stands in for one of the integrity scripts. Each run reads what to do from
# its control directory (written by the test through E2eEnvironment), so every
# test sets the exit code, the output, the run time and an ending by signal.
# It logs "start" with its arguments and "end" once its run time has passed.
# The helper starts it with a cleared environment, hence the fixed PATH.
set -eu
PATH=/usr/sbin:/usr/bin:/sbin:/bin
export PATH
control=@CONTROL@
umask 022

setting()
{
    if [ -f "$control/$1" ]; then
        cat "$control/$1"
    else
        printf '%s' "$2"
    fi
}

{
    printf 'start'
    for argument in "$@"; do
        printf ' %s' "$argument"
    done
    printf '\n'
} >>"$control/log"

setting stdout ''
setting stderr '' >&2
sleep "$(setting sleep 0)"
echo end >>"$control/log"

signal=$(setting signal '')
if [ -n "$signal" ]; then
    kill -s "$signal" $$
fi
exit "$(setting exit-code 0)"

#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Extracts the translatable texts into a template, the way KDE's translation
# scripts run ../Messages.sh: the same xgettext keywords, every file (QML
# included) read as C++, KDE's %1 placeholders marked as kde-format.
#
#   po/extract-messages.sh [--merge] [OUTDIR]
#
# writes OUTDIR/kcm_trustwatch.pot (OUTDIR defaults to the current directory)
# and prints its path; --merge then brings every po/<language>/kcm_trustwatch.po
# up to date with it, new texts untranslated and changed ones fuzzy.
set -eu

merge=
if [ "${1:-}" = --merge ]; then
    merge=1
    shift
fi
out=$(realpath -m "${1:-.}")
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"

XGETTEXT="xgettext --copyright-holder=Integrity_control_developers --package-name=kcm_trustwatch
    --from-code=UTF-8 -C --kde -ci18n
    -ki18n:1 -ki18nc:1c,2 -ki18np:1,2 -ki18ncp:1c,2,3
    -ki18nd:2 -ki18ndc:2c,3 -ki18ndp:2,3 -ki18ndcp:2c,3,4
    -kki18n:1 -kki18nc:1c,2 -kki18np:1,2 -kki18ncp:1c,2,3
    -kki18nd:2 -kki18ndc:2c,3 -kki18ndp:2,3 -kki18ndcp:2c,3,4
    -kxi18n:1 -kxi18nc:1c,2 -kxi18np:1,2 -kxi18ncp:1c,2,3
    -kkxi18n:1 -kkxi18nc:1c,2 -kkxi18np:1,2 -kkxi18ncp:1c,2,3
    -kI18N_NOOP:1 -kI18NC_NOOP:1c,2 -kI18N_NOOP2:1c,2 -kI18N_NOOP2_NOSTRIP:1c,2
    -ktr2i18n:1 -ktr2xi18n:1"
podir=$out
export XGETTEXT podir
(cd "$here/.." && bash ./Messages.sh)

if [ -n "$merge" ]; then
    for po in "$here"/*/kcm_trustwatch.po; do
        msgmerge --quiet --update --backup=none "$po" "$out/kcm_trustwatch.pot"
    done
fi
echo "$out/kcm_trustwatch.pot"

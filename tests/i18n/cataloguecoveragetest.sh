#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Checks every catalogue in po/ against the texts the sources hold now: each
# extracted message must have a translation that is neither empty nor fuzzy,
# with the same %N placeholders as its source text, and the catalogue must
# pass msgfmt --check. Prints every message that falls short.
#
#   cataloguecoveragetest.sh SOURCE_DIR WORK_DIR
set -eu

source_dir=$1
work=$2
rm -rf "$work"
mkdir -p "$work"

"$source_dir/po/extract-messages.sh" "$work" >/dev/null
template=$work/kcm_trustwatch.pot
if ! grep -q '^msgid "[^"]' "$template"; then
    echo "no message was extracted from $source_dir: the extraction itself is broken" >&2
    exit 1
fi

# One line per message: its context in brackets, then its text, line breaks as \n.
describe='[ -n "$MSGEXEC_MSGID" ] || exit 0
printf "%s%s\n" "${MSGEXEC_MSGCTXT+[$MSGEXEC_MSGCTXT] }" "$MSGEXEC_MSGID" | sed ":a;N;\$!ba;s/\n/\\\\n/g"'

# The placeholders of the translation (standard input) against those of the
# source text; in a plural entry every form carries those of both source forms,
# since in Russian the first form also stands for 21, 31 and so on.
placeholders='placeholders() { grep -o "%[1-9][0-9]*" | sort -u | tr "\n" " " | sed "s/ $//"; }
[ -n "$MSGEXEC_MSGID" ] || exit 0
want=$(printf "%s\n%s\n" "$MSGEXEC_MSGID" "${MSGEXEC_MSGID_PLURAL-}" | placeholders)
got=$(placeholders)
[ "$want" = "$got" ] && exit 0
printf "placeholders \"%s\" in the source but \"%s\" in the translation%s: %s\n" "$want" "$got" \
    "${MSGEXEC_PLURAL_FORM+ (plural form $MSGEXEC_PLURAL_FORM)}" "$MSGEXEC_MSGID"
exit 1'

failed=0
catalogues=0
for po in "$source_dir"/po/*/kcm_trustwatch.po; do
    [ -e "$po" ] || continue
    catalogues=$((catalogues + 1))
    language=$(basename "$(dirname "$po")")
    merged=$work/$language.po

    if ! msgfmt --check -o /dev/null "$po" 2>"$work/$language.msgfmt"; then
        echo "$language: msgfmt --check fails:"
        cat "$work/$language.msgfmt"
        failed=1
    fi

    # Without fuzzy matching a new text shows up as untranslated rather than
    # borrowing the translation of a similar one.
    msgmerge --quiet --no-fuzzy-matching -o "$merged" "$po" "$template"

    missing=$(msgattrib --untranslated --no-obsolete "$merged" | msgexec sh -c "$describe" | awk '!seen[$0]++')
    if [ -n "$missing" ]; then
        echo "$language: not translated:"
        printf '%s\n' "$missing" | sed 's/^/    /'
        failed=1
    fi
    fuzzy=$(msgattrib --only-fuzzy --no-obsolete "$merged" | msgexec sh -c "$describe" | awk '!seen[$0]++')
    if [ -n "$fuzzy" ]; then
        echo "$language: fuzzy, to be checked by a translator:"
        printf '%s\n' "$fuzzy" | sed 's/^/    /'
        failed=1
    fi
    if ! mismatched=$(msgattrib --translated --no-fuzzy --no-obsolete "$merged" | msgexec sh -c "$placeholders"); then
        echo "$language: placeholders differ:"
        printf '%s\n' "$mismatched" | sed 's/^/    /'
        failed=1
    fi
    echo "$language: $(msgfmt --statistics -o /dev/null "$merged" 2>&1)"
    # Texts the sources no longer hold cost nothing at run time; say so only.
    stale=$(msgattrib --only-obsolete "$merged" | msgattrib --clear-obsolete | msgexec sh -c "$describe")
    if [ -n "$stale" ]; then
        echo "$language: note: translated but no longer used:"
        printf '%s\n' "$stale" | sed 's/^/    /'
    fi
done

if [ "$catalogues" = 0 ]; then
    echo "there is no catalogue po/<language>/kcm_trustwatch.po in $source_dir" >&2
    exit 1
fi
exit "$failed"

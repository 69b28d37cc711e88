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

# One pass over a merged catalogue: a program per message, as msgexec runs,
# costs seconds. A message is described by its context in brackets, then its
# text as the catalogue writes it (line breaks as \n). The placeholders of
# every form of a translation must be those of both source forms, since in
# Russian the first plural form also stands for 21, 31 and so on.
review='
function unquote(line) {
    sub(/^[^"]*"/, "", line)
    sub(/"[ \t]*$/, "", line)
    return line
}
function placeholders(text,    seen, list, count, found, i, j, swap, joined) {
    count = 0
    while (match(text, /%[1-9][0-9]*/)) {
        found = substr(text, RSTART, RLENGTH)
        text = substr(text, RSTART + RLENGTH)
        if (!(found in seen)) {
            seen[found] = 1
            list[++count] = found
        }
    }
    for (i = 2; i <= count; ++i) {
        for (j = i; j > 1 && list[j - 1] > list[j]; --j) {
            swap = list[j]; list[j] = list[j - 1]; list[j - 1] = swap
        }
    }
    joined = ""
    for (i = 1; i <= count; ++i) {
        joined = joined (i > 1 ? " " : "") list[i]
    }
    return joined
}
function note(kind, text) {
    if (!((kind, text) in noted)) {
        noted[kind, text] = 1
        report[kind] = report[kind] "    " text "\n"
    }
}
function flush(    description, untranslated, want, got, i) {
    if (entry && (id != "" || context != "")) {
        gsub(/\\"/, "\"", id)
        description = (context != "" ? "[" context "] " : "") id
        untranslated = forms == 0
        for (i = 0; i < forms; ++i) {
            untranslated = untranslated || form[i] == ""
        }
        if (obsolete) {
            note("stale", description)
        } else {
            if (untranslated) {
                note("missing", description)
            }
            if (fuzzy) {
                note("fuzzy", description)
            }
            if (!untranslated && !fuzzy) {
                want = placeholders(id "\n" plural)
                for (i = 0; i < forms; ++i) {
                    got = placeholders(form[i])
                    if (want != got) {
                        note("mismatched", sprintf("placeholders \"%s\" in the source but \"%s\" in the translation%s: %s", \
                            want, got, plural != "" ? " (plural form " i ")" : "", id))
                    }
                }
            }
        }
    }
    entry = obsolete = fuzzy = forms = 0
    id = context = plural = field = ""
    split("", form)
}
/^#~/ { obsolete = 1; sub(/^#~ ?/, "") }
/^#,.*fuzzy/ { fuzzy = 1 }
/^#/ { next }
/^msgctxt / { context = unquote($0); field = "context"; entry = 1; next }
/^msgid / { id = unquote($0); field = "id"; entry = 1; next }
/^msgid_plural / { plural = unquote($0); field = "plural"; next }
/^msgstr/ { field = forms++; form[field] = unquote($0); next }
/^"/ {
    if (field == "context") context = context unquote($0)
    else if (field == "id") id = id unquote($0)
    else if (field == "plural") plural = plural unquote($0)
    else if (field != "") form[field] = form[field] unquote($0)
    next
}
/^[ \t]*$/ { flush() }
END {
    flush()
    if (report["missing"] != "") printf "%s: not translated:\n%s", language, report["missing"]
    if (report["fuzzy"] != "") printf "%s: fuzzy, to be checked by a translator:\n%s", language, report["fuzzy"]
    if (report["mismatched"] != "") printf "%s: placeholders differ:\n%s", language, report["mismatched"]
    print language ": " statistics
    # Texts the sources no longer hold cost nothing at run time; say so only.
    if (report["stale"] != "") printf "%s: note: translated but no longer used:\n%s", language, report["stale"]
    exit (report["missing"] report["fuzzy"] report["mismatched"]) != ""
}'

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

    statistics=$(msgfmt --statistics -o /dev/null "$merged" 2>&1)
    awk -v language="$language" -v statistics="$statistics" "$review" "$merged" || failed=1
done

if [ "$catalogues" = 0 ]; then
    echo "there is no catalogue po/<language>/kcm_trustwatch.po in $source_dir" >&2
    exit 1
fi
exit "$failed"

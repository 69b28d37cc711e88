#!/bin/bash
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# The sandbox's part as the user, on the display and a session bus of its own
# (namespace.sh starts it): opens the module in kcmshell5.
#
#   session.sh window
#   session.sh screenshot --width N --out FILE --log FILE
#
# In screenshot mode it selects /etc in the file tree, opens it and writes a
# screenshot of the screen to FILE; kcmshell5's output goes to the log. Every
# step waits for what it needs to see on the screen, not for a fixed time.
set -eu

shell_pid=''
window=''
log=''
shots=''
size=''

fail()
{
    echo "sandbox: $*" >&2
    [ -z "$log" ] || cat "$log" >&2
    exit 1
}

run_kcmshell()
{
    if [ -n "${SANDBOX_PRELOAD:-}" ]; then
        # The host itself is not instrumented: its leaks are not the module's.
        LD_PRELOAD=$SANDBOX_PRELOAD ASAN_OPTIONS=detect_leaks=0 kcmshell5 kcm_trustwatch
    else
        kcmshell5 kcm_trustwatch
    fi
}

# Runs CONDITION every fifth of a second until it holds (status 0) or SECONDS
# have passed (status 1); kcmshell5 ending on the way is an error at once.
poll()
{
    local seconds=$1 end
    shift
    end=$((SECONDS + seconds))
    until "$@"; do
        kill -0 "$shell_pid" 2>/dev/null || fail "kcmshell5 ended while waiting for $*"
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

await()
{
    local seconds=$1 what=$2
    shift 2
    poll "$seconds" "$@" || fail "$what within $seconds s"
}

window_mapped()
{
    window=$(xdotool search --onlyvisible --class kcmshell5 2>/dev/null | head -n 1)
    [ -n "$window" ]
}

capture()
{
    import -silent -window "$window" -depth 8 "rgb:$1"
}

# The tree is filled once a click lands on a row: the row then shows Breeze's
# selection colour over at least a few thousand pixels.
selection_shown()
{
    local count
    import -silent -window "$window" "$shots/selection.png"
    count=$(convert "$shots/selection.png" -alpha off -fuzz 5% -fill black +opaque '#3daee9' -fill white \
        -opaque '#3daee9' -format '%[fx:int(mean*w*h+0.5)]' info:)
    [ "$count" -ge 2000 ]
}

click_selects_row()
{
    xdotool mousemove "$1" "$2" click 1
    # Clicks a second apart stay single clicks.
    poll 1 selection_shown
}

# Nothing on the window changes for a little while: an animation or a pending
# listing would.
window_still()
{
    capture "$shots/before.rgb"
    sleep 0.4
    capture "$shots/after.rgb"
    cmp -s "$shots/before.rgb" "$shots/after.rgb"
}

# More than a row's worth of pixels differs from the capture in $1.
rows_changed_since()
{
    local differing
    capture "$shots/now.rgb"
    differing=$(compare -size "$size" -depth 8 -metric AE "rgb:$1" "rgb:$shots/now.rgb" null: 2>&1 || true)
    differing=${differing%% *}
    [ "${differing%.*}" -gt 3000 ]
}

screenshot()
{
    local width=$1 out=$2 X Y WIDTH HEIGHT
    shots=$(mktemp -d)
    run_kcmshell >"$log" 2>&1 &
    shell_pid=$!

    await 120 "no window of the module appeared" window_mapped
    # Driven at a desktop's width: on a handset's a click on a row opens its
    # rule instead of selecting it. Without a window manager the window takes
    # a size at once, or the nearest its minimum allows.
    xdotool windowsize "$window" 1000 800 windowmove "$window" 0 0
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
    size=${WIDTH}x$HEIGHT

    # Into the file tree: the first listing of / and of the configuration goes
    # through the helper, much more slowly in a sanitizer build.
    xdotool windowfocus --sync "$window"
    await 180 "no row of the file tree could be selected" click_selects_row "$((X + WIDTH / 5))" "$((Y + HEIGHT / 2))"

    # Type-ahead to /etc, then open it: its rows come through the helper too.
    xdotool type --delay 150 etc
    await 30 "the window did not settle after typing" window_still
    capture "$shots/closed.rgb"
    xdotool key Right
    await 120 "the rows of /etc did not appear" rows_changed_since "$shots/closed.rgb"
    await 30 "the window did not settle after opening /etc" window_still
    if [ "$width" != "$WIDTH" ]; then
        xdotool windowsize "$window" "$width" 800
        await 30 "the window did not settle at the width asked for" window_still
    fi

    import -silent -window root "$out"
    kill "$shell_pid" 2>/dev/null || true
    wait "$shell_pid" 2>/dev/null || true
    rm -rf "$shots"
}

main()
{
    local mode=${1:-} width=1000 out=''
    shift || true
    while [ $# -gt 0 ]; do
        case $1 in
        --width) width=${2:?}; shift 2 ;;
        --out) out=${2:?}; shift 2 ;;
        --log) log=${2:?}; shift 2 ;;
        *) fail "session.sh: unknown argument '$1'" ;;
        esac
    done
    case $mode in
    window) run_kcmshell ;;
    screenshot) screenshot "$width" "$out" ;;
    *) fail "session.sh: say window or screenshot" ;;
    esac
}

main "$@"

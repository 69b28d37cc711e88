#!/bin/bash
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Apply in the real kcmshell5 while the write is refused because nobody gives
# the administrator's password (polkit answers auth_admin and there is no
# agent to ask; a plain "no" would have the host disable Apply, since it asks
# polkit about Apply's action up front): the file stays as it was, and the
# edit and Apply stay, so that Apply pressed again once the write is allowed
# writes the edit; after that Apply is done. kcmshell5 runs
# as an unprivileged user on a virtual X server of its own and is driven with
# xdotool as a user would: a click on the file tree, type-ahead to /etc, and
# the keyboard to change its rule's "Applies to" and to press Apply (Alt+A).
# Every step waits for what it needs: a window, a request to the helper and
# its answer on the private system bus, the file's contents, or how the
# host's Reset button looks, which the host enables and disables together
# with Apply. kcmshell5 asks about unsaved changes only when another module
# is chosen, never when it is left, so that question cannot be seen here.
#
#   e2e-run.sh ... --as-root -- kcmshellapplye2etest.sh SESSION_BUS_CONF OUT_DIR
#
# Runs as root inside the end-to-end environment, which it needs to read the
# configuration file and to watch the bus. A machine without Xvfb, xdotool,
# ImageMagick or kcmshell5 cannot host it: exit 77. On failure the screen
# goes to OUT_DIR/failure.png.
set -eu

user=nobody
base=/run/trustwatch-e2e
scratch=$base/kcmshell
helper=ru.vantorix.integritysecurityhelper
write_verdict=''
config=/etc/afick.conf
original='ETC = p+u+g+md5
/etc ETC'
edited='ETC = p+u+g+md5
=/etc ETC'
out_dir=''
xvfb_pid=''
monitor_pid=''
shell_pid=''
window=''
width=''
height=''
row_x=''
row_y=''

skip()
{
    echo "kcmshellapplye2etest: skipped: $*"
    exit 77
}

fail()
{
    echo "kcmshellapplye2etest: $*" >&2
    if [ -n "$window" ] && [ -n "$out_dir" ]; then
        import -silent -window root "$out_dir/failure.png" 2>/dev/null &&
            echo "kcmshellapplye2etest: the screen: $(outside "$out_dir")/failure.png" >&2
    fi
    echo "----- kcmshell5 -----" >&2
    cat "$scratch/kcmshell.log" >&2 2>/dev/null || true
    exit 1
}

# The caller's path for a file below the private /tmp's original.
outside()
{
    case $1 in
    "$base/host-tmp"/*) echo "/tmp/${1#"$base/host-tmp/"}" ;;
    *) echo "$1" ;;
    esac
}

stop()
{
    local pid
    for pid in "$shell_pid" "$monitor_pid" "$xvfb_pid"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}

# Runs CONDITION every tenth of a second until it holds (status 0) or SECONDS
# have passed (status 1); kcmshell5 ending on the way fails at once.
poll()
{
    local seconds=$1 end
    shift
    end=$((SECONDS + seconds))
    until "$@"; do
        [ -z "$shell_pid" ] || kill -0 "$shell_pid" 2>/dev/null || fail "kcmshell5 ended while waiting for: $*"
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

await()
{
    local seconds=$1 what=$2
    shift 2
    poll "$seconds" "$@" || fail "$what within $seconds s"
}

# /tmp becomes private, so that the X server's socket and lock stay in the
# namespace; OUT_DIR stays reachable through the original.
private_tmp()
{
    mkdir -p "$base/host-tmp"
    mount --rbind /tmp "$base/host-tmp"
    mount -t tmpfs -o mode=1777 trustwatch-kcmshell-tmp /tmp
    install -d -m 1777 /tmp/.X11-unix
    case $out_dir in
    /tmp/*) out_dir=$base/host-tmp/${out_dir#/tmp/} ;;
    esac
}

start_virtual_screen()
{
    local number
    mkfifo "$scratch/displayfd"
    Xvfb -displayfd 3 -screen 0 1280x860x24 -nolisten tcp 3>"$scratch/displayfd" >"$scratch/xvfb.log" 2>&1 &
    xvfb_pid=$!
    read -r -t 30 number <"$scratch/displayfd" || fail "the virtual screen did not start: $(cat "$scratch/xvfb.log")"
    export DISPLAY=:$number
}

# Every call to the helper and every answer, in the order the bus saw them.
start_monitor()
{
    dbus-monitor --system >"$scratch/bus.log" 2>&1 &
    monitor_pid=$!
    await 10 "the bus monitor did not start" grep -q '^signal.*NameAcquired\|^method call' "$scratch/bus.log"
}

# How many requests for the helper's ACTION have been answered, a refusal
# included: performAction calls matched with their reply by sender and serial.
answered()
{
    awk -v action="\"$helper.$1\"" '
        /^method call .*member=performAction/ {
            match($0, /sender=[^ ]+/); sender = substr($0, RSTART + 7, RLENGTH - 7)
            match($0, / serial=[0-9]+/); serial = substr($0, RSTART + 8, RLENGTH - 8)
            pending = sender " " serial
            next
        }
        pending != "" {
            if ($1 == "string" && $2 == action) {
                calls[pending] = 1
            }
            pending = ""
        }
        /^(method return|error) / {
            match($0, /destination=[^ ]+/); to = substr($0, RSTART + 12, RLENGTH - 12)
            match($0, /reply_serial=[0-9]+/); serial = substr($0, RSTART + 13, RLENGTH - 13)
            if ((to " " serial) in calls) {
                ++count
            }
        }
        END { print count + 0 }
    ' "$scratch/bus.log"
}

answered_at_least()
{
    [ "$(answered "$1")" -ge "$2" ]
}

config_is()
{
    [ "$(cat "$config")" = "$1" ]
}

start_kcmshell()
{
    local uid gid preload
    uid=$(id -u "$user")
    gid=$(id -g "$user")
    install -d -o "$uid" -g "$gid" -m 0700 "$scratch/home" "$scratch/runtime" "$scratch/config" "$scratch/cache" \
        "$scratch/data" "$scratch/tmp"
    # A plug-in built with sanitizers needs their runtimes loaded before the
    # host's own libraries; the host's leaks are not the module's.
    preload=$(ldd /usr/lib/*/qt5/plugins/plasma/kcms/systemsettings/kcm_trustwatch.so 2>/dev/null |
        awk '/lib(asan|ubsan)\.so/ { printf "%s ", $3 }')
    setpriv --reuid="$uid" --regid="$gid" --clear-groups \
        env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$scratch/home" USER="$user" LOGNAME="$user" \
        DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$scratch/runtime" TMPDIR="$scratch/tmp" \
        XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache" XDG_DATA_HOME="$scratch/data" \
        DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" QT_QUICK_CONTROLS_STYLE=org.kde.desktop \
        QT_QPA_PLATFORM=xcb LANGUAGE=en_US LC_ALL=C.UTF-8 \
        ${preload:+LD_PRELOAD="$preload" ASAN_OPTIONS=detect_leaks=0} \
        dbus-run-session --config-file="$scratch/session.conf" -- kcmshell5 kcm_trustwatch \
        >"$scratch/kcmshell.log" 2>&1 &
    shell_pid=$!
}

main_window_mapped()
{
    window=$(xdotool search --onlyvisible --name '^Integrity control' 2>/dev/null | head -n 1)
    [ -n "$window" ]
}

# The row under a click shows Breeze's selection colour over a few thousand
# pixels once the tree has rows to select.
selection_shown()
{
    local count
    import -silent -window "$window" "$scratch/selection.png"
    count=$(convert "$scratch/selection.png" -alpha off -fuzz 5% -fill black +opaque '#3daee9' -fill white \
        -opaque '#3daee9' -format '%[fx:int(mean*w*h+0.5)]' info:)
    [ "$count" -ge 2000 ]
}

click_selects_row()
{
    xdotool mousemove "$1" "$2" click 1
    # Clicks a second apart stay single clicks.
    poll 1 selection_shown
}

focus_main_window()
{
    xdotool windowfocus --sync "$window"
}

# Breeze draws the frame of the control with the keyboard focus in its focus
# colour; in the editor's half of the window nothing else has it.
focus_in_editor()
{
    local count
    import -silent -window "$window" "$scratch/editor.png"
    count=$(convert "$scratch/editor.png" -gravity east -crop 44%x100%+0+0 +repage -alpha off \
        -fill black -opaque white -fuzz 10% -fill white -opaque '#26709e' -opaque '#3daee9' \
        -fuzz 0 -fill black +opaque white -format '%[fx:int(mean*w*h+0.5)]' info:)
    [ "$count" -ge 200 ]
}

edit_etc_rule()
{
    local tabs=0
    # Type-ahead selects /etc and Return opens its rule; the keys are handled
    # in order. Tab then leads to the first control of the rule, "Applies to",
    # where Down turns "the path and everything below it" into "the path only" (=).
    xdotool type --delay 100 etc
    xdotool key Return
    until [ "$tabs" -ge 6 ]; do
        xdotool key Tab
        tabs=$((tabs + 1))
        ! poll 3 focus_in_editor || break
    done
    if [ "$tabs" -ge 6 ] && ! focus_in_editor; then
        echo "kcmshellapplye2etest: Tab did not lead into the rule of /etc" >&2
        return 1
    fi
    xdotool key Down
}

apply()
{
    focus_main_window
    xdotool key alt+a
}

# Sized at a desktop's width, where a click on a row selects it instead of
# opening its rule; without a window manager the window takes the size at
# once. Then the tree is filled and the configuration read, and nothing is
# edited yet: the buttons show the host's state with nothing to apply.
open_module()
{
    local X Y WIDTH HEIGHT
    await 60 "no window of the module appeared" main_window_mapped
    xdotool windowsize "$window" 1000 800 windowmove "$window" 0 0
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
    width=$WIDTH
    height=$HEIGHT
    focus_main_window
    await 60 "the configuration was not read" answered_at_least readafickconfig 1
    row_x=$((X + WIDTH / 5))
    row_y=$((Y + HEIGHT / 2))
    await 60 "no row of the file tree could be selected" click_selects_row "$row_x" "$row_y"
    # Out of the window, so that no hover or tooltip changes what is seen.
    xdotool mousemove 1279 859
    capture_reset_button "$scratch/saved.rgb"
}

# The bottom left corner of the window holds the host's Reset button alone.
capture_reset_button()
{
    import -silent -window "$window" "$scratch/window.png"
    convert "$scratch/window.png" -crop "$((width / 4))x44+0+$((height - 44))" +repage -depth 8 "rgb:$1"
}

reset_button_looks_like()
{
    capture_reset_button "$scratch/now.rgb"
    cmp -s "$scratch/now.rgb" "$1"
}

# Enabled by the edit, and drawn the same twice in a row.
reset_button_enabled_anew()
{
    ! reset_button_looks_like "$scratch/saved.rgb" &&
        capture_reset_button "$scratch/unsaved.rgb" && reset_button_looks_like "$scratch/unsaved.rgb"
}

main()
{
    [ $# = 2 ] || { echo "usage: kcmshellapplye2etest.sh SESSION_BUS_CONF OUT_DIR" >&2; exit 2; }
    session_bus_conf=$1
    out_dir=$2
    if [ "$(id -u)" != 0 ] || [ -z "${TRUSTWATCH_E2E_CONTROL:-}" ]; then
        echo "kcmshellapplye2etest: run it as root through e2e-run.sh --as-root" >&2
        exit 2
    fi
    write_verdict=$TRUSTWATCH_E2E_CONTROL/verdicts/$helper.writeafickconfig
    for tool in Xvfb xdotool kcmshell5 dbus-run-session dbus-monitor import convert; do
        command -v "$tool" >/dev/null || skip "'$tool' is missing (scripts/install-deps.sh installs it)"
    done

    mkdir -p "$scratch" "$out_dir"
    rm -f "$out_dir/failure.png"
    # Taken before /tmp turns private: the checkout may lie below it.
    install -m 0644 "$session_bus_conf" "$scratch/session.conf"
    private_tmp
    trap stop EXIT
    start_virtual_screen
    start_monitor

    printf '%s\n' "$original" >"$config"
    chmod 0600 "$config"
    printf 'auth_admin\n' >"$write_verdict"

    start_kcmshell
    open_module
    # Under load the typed keys may reach the tree before it has taken the
    # keyboard, or the focus may not reach the rule: then another row keeps
    # the selection (a rule without attributes for it records nothing) or
    # nothing is edited at all. Either way the edit is simply tried again.
    local attempt=1
    until edit_etc_rule && poll 10 reset_button_enabled_anew; do
        [ "$attempt" -lt 3 ] || fail "the edit of the rule of /etc did not enable Apply in $attempt attempts"
        attempt=$((attempt + 1))
        await 30 "no row of the file tree could be selected" click_selects_row "$row_x" "$row_y"
        xdotool mousemove 1279 859
    done

    # Refused: nothing is written, and the edit and Apply stay.
    apply
    await 30 "Apply made no request to write the configuration" answered_at_least writeafickconfig 1
    config_is "$original" || fail "a refused Apply changed $config: $(cat "$config")"
    poll 10 reset_button_looks_like "$scratch/unsaved.rgb" ||
        fail "after a refused Apply the host disabled Apply: the kept edit can no longer be applied"

    # Allowed: the same Apply writes the kept edit, and then has nothing left
    # to do once the file has been read back.
    printf 'yes\n' >"$write_verdict"
    apply
    await 30 "the second Apply made no request to write the configuration" answered_at_least writeafickconfig 2
    # The bus may show the answer a moment before the file is seen renamed into place.
    poll 30 config_is "$edited" || fail "Apply did not write the kept edit; $config holds: $(cat "$config")"
    await 30 "the configuration was not read back after Apply" answered_at_least readafickconfig 2
    poll 10 reset_button_looks_like "$scratch/saved.rgb" || fail "after a successful Apply, Apply stayed enabled"
    echo "kcmshellapplye2etest: a refused Apply kept the edit and Apply; the next one wrote it"
}

main "$@"

#!/bin/bash
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# The sandbox's part as root inside the private namespace that e2e-run.sh
# built: a private /tmp, the display, what the stand-in scripts report, then
# the module's session as the user (session.sh).
#
#   namespace.sh --user NAME --mode window|screenshot --width N --language LANG
#                --out FILE --xauthority FILE
#
#   --out         where the screenshot goes (its log beside it, .log)
#   --xauthority  the cookie of the caller's display, in window mode
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$(dirname "$here")")
scratch=/tmp/trustwatch-sandbox
xvfb_pid=''
display=''

fail()
{
    echo "sandbox: $*" >&2
    exit 1
}

# /tmp becomes private. Kept reachable: this checkout and the output directory
# when they live below /tmp, and in window mode the caller's X sockets. The
# virtual screen's sockets stay private, so the caller's display numbers are
# neither seen nor touched.
private_tmp()
{
    local mode=$1 out_dir=$2 kept top
    mkdir -p /run/trustwatch-e2e/host-tmp
    mount --rbind /tmp /run/trustwatch-e2e/host-tmp
    mount -t tmpfs -o mode=1777 trustwatch-sandbox-tmp /tmp
    for kept in "$source_dir" "$out_dir"; do
        case $kept in
        /tmp/?*)
            top=${kept#/tmp/}
            top=${top%%/*}
            if [ ! -e "/tmp/$top" ]; then
                mkdir "/tmp/$top"
                mount --rbind "/run/trustwatch-e2e/host-tmp/$top" "/tmp/$top"
            fi
            ;;
        esac
    done
    install -d -m 1777 /tmp/.X11-unix
    if [ "$mode" = window ] && [ -d /run/trustwatch-e2e/host-tmp/.X11-unix ]; then
        mount --bind /run/trustwatch-e2e/host-tmp/.X11-unix /tmp/.X11-unix
    fi
}

# The user's directories, and its copies of the session's script and bus
# configuration: the checkout may sit below a directory the user cannot enter.
user_files()
{
    local uid=$1 gid=$2
    install -d -o "$uid" -g "$gid" -m 0700 "$scratch" "$scratch/home" "$scratch/runtime" "$scratch/config" \
        "$scratch/cache" "$scratch/data"
    install -m 0755 "$here/session.sh" "$scratch/session.sh"
    install -m 0644 "$source_dir/data/session-bus.conf" "$scratch/session.conf"
}

# The stand-in scripts read their behaviour from the control directory:
# creating the database succeeds; a check takes a moment and reports
# differences, as afick does when files have changed.
standin_behaviour()
{
    cp -R "$source_dir/data/sandbox/standins/." "$TRUSTWATCH_E2E_CONTROL/scripts/"
}

# Xvfb picks the first display number nobody holds and writes it once it
# accepts clients. It also listens on the abstract socket, shared with the
# machine: a number the machine's X server holds fails there, so a client can
# never reach that server instead. Sets display.
start_virtual_screen()
{
    local number
    mkfifo "$scratch/displayfd"
    Xvfb -displayfd 3 -screen 0 1280x860x24 -nolisten tcp 3>"$scratch/displayfd" >"$scratch/xvfb.log" 2>&1 &
    xvfb_pid=$!
    read -r -t 30 number <"$scratch/displayfd" || fail "the virtual screen did not start: $(cat "$scratch/xvfb.log")"
    display=:$number
}

stop_virtual_screen()
{
    [ -n "$xvfb_pid" ] || return 0
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
}

# A plug-in built with sanitizers needs their runtimes loaded before the
# host's own libraries.
sanitizer_preload()
{
    ldd /usr/lib/*/qt5/plugins/plasma/kcms/systemsettings/kcm_trustwatch.so 2>/dev/null |
        awk '/lib(asan|ubsan)\.so/ { printf "%s ", $3 }'
}

run_session()
{
    local user=$1 uid=$2 gid=$3 display=$4 language=$5 preload
    shift 5
    preload=$(sanitizer_preload)
    setpriv --reuid="$uid" --regid="$gid" --clear-groups \
        env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$scratch/home" USER="$user" LOGNAME="$user" \
        DISPLAY="$display" XAUTHORITY="$scratch/xauthority" XDG_RUNTIME_DIR="$scratch/runtime" \
        XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache" XDG_DATA_HOME="$scratch/data" \
        DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" QT_QUICK_CONTROLS_STYLE=org.kde.desktop \
        QT_QPA_PLATFORM=xcb LANG="${LANG:-C.UTF-8}" ${language:+LANGUAGE="$language"} \
        ${preload:+SANDBOX_PRELOAD="$preload"} \
        dbus-run-session --config-file="$scratch/session.conf" -- "$scratch/session.sh" "$@"
}

main()
{
    local user='' mode='' width='' language='' out='' xauth_file=''
    while [ $# -gt 0 ]; do
        case $1 in
        --user) user=${2:?}; shift 2 ;;
        --mode) mode=${2:?}; shift 2 ;;
        --width) width=${2:?}; shift 2 ;;
        --language) language=$2; shift 2 ;;
        --out) out=${2:?}; shift 2 ;;
        --xauthority) xauth_file=${2:?}; shift 2 ;;
        *) fail "namespace.sh: unknown argument '$1'" ;;
        esac
    done
    local uid gid status=0
    uid=$(id -u "$user")
    gid=$(id -g "$user")

    private_tmp "$mode" "$(dirname "$out")"
    user_files "$uid" "$gid"
    standin_behaviour

    if [ "$mode" = window ]; then
        if [ -s "$xauth_file" ]; then
            install -o "$uid" -g "$gid" -m 0600 "$xauth_file" "$scratch/xauthority"
        fi
        run_session "$user" "$uid" "$gid" "$DISPLAY" "$language" window || status=$?
        return "$status"
    fi

    trap stop_virtual_screen EXIT
    start_virtual_screen
    run_session "$user" "$uid" "$gid" "$display" "$language" \
        screenshot --width "$width" --out "$scratch/screenshot.png" --log "$scratch/kcmshell.log" || status=$?
    cp "$scratch/kcmshell.log" "${out%.png}.log" 2>/dev/null || true
    [ "$status" != 0 ] || cp "$scratch/screenshot.png" "$out"
    return "$status"
}

main "$@"

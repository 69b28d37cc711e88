#!/bin/bash
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Try the module without touching the machine: installs what is needed,
# builds, stages an install under the build directory, and opens the module
# in kcmshell5 as an unprivileged user inside a private copy of the system
# (tests/e2e/e2e-run.sh): its own system bus, the real polkitd with a rule
# that allows the requests, a stand-in systemd, stand-in integrity scripts, a
# demonstration /etc/afick.conf and failure scripts. With a usable X display
# ($DISPLAY; a Wayland session's Xwayland counts) the module opens in a
# window there; without one it opens on a virtual screen, selects /etc, and
# writes a screenshot whose path it prints. Only the namespace and the build
# directory are changed.
#
#   scripts/sandbox.sh [options]
#
#   --build-dir DIR   build directory (default: build-sandbox)
#   --no-build        use the build directory as it is: no packages, no build
#   --screenshot      use the virtual screen and write the screenshot even
#                     when a display is usable
#   --width N         width of the module's window on the virtual screen
#   --user NAME       user that runs the module (default: nobody)
#   --language LANG   e.g. ru: the module's language (default: the caller's)
#
# Run as root.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")

usage()
{
    sed -n '/^#   scripts\/sandbox.sh/,/^#   --language/s/^# \{0,1\}//p' "$0" >&2
    exit 2
}

say()
{
    echo "sandbox: $*" >&2
}

fail()
{
    say "$*"
    exit 1
}

# ---------------------------------------------------------------------------
# Inside the private namespace, as root: a private /tmp, the display, the
# demonstration state of the stand-ins, then the module as the user.
# ---------------------------------------------------------------------------

inside()
{
    local user=$1 mode=$2 width=$3 language=$4 out=$5 xauth_file=$6
    local scratch=/tmp/trustwatch-sandbox uid gid control=$TRUSTWATCH_E2E_CONTROL
    uid=$(id -u "$user")
    gid=$(id -g "$user")

    # The machine's X sockets stay reachable under the private /tmp, and so
    # do this checkout and its build when they live below /tmp.
    if [ -d /tmp/.X11-unix ]; then
        mkdir -p /run/trustwatch-e2e/x11-unix
        mount --bind /tmp/.X11-unix /run/trustwatch-e2e/x11-unix
    fi
    mkdir -p /run/trustwatch-e2e/host-tmp
    mount --rbind /tmp /run/trustwatch-e2e/host-tmp
    mount -t tmpfs -o mode=1777 trustwatch-sandbox-tmp /tmp
    local kept top
    for kept in "$source_dir" "$(dirname "$out")"; do
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
    if [ -d /run/trustwatch-e2e/x11-unix ]; then
        mkdir -p /tmp/.X11-unix
        mount --bind /run/trustwatch-e2e/x11-unix /tmp/.X11-unix
    else
        install -d -m 1777 /tmp/.X11-unix
    fi
    install -d -o "$uid" -g "$gid" -m 0700 "$scratch" "$scratch/home" "$scratch/runtime" "$scratch/config" \
        "$scratch/cache" "$scratch/data"

    # What the stand-in scripts do when the module runs them.
    demo_scripts "$control/scripts"

    # The user runs its part from a copy: the checkout may sit below a
    # directory the user cannot enter.
    install -m 0755 "$0" "$scratch/sandbox.sh"

    # The user reads the session bus configuration from a copy, as the script.
    install -m 0644 "$source_dir/data/session-bus.conf" "$scratch/session.conf"

    # A plug-in built with sanitizers needs their runtimes loaded before the
    # host's own libraries.
    local preload
    preload=$(ldd /usr/lib/*/qt5/plugins/plasma/kcms/systemsettings/kcm_trustwatch.so 2>/dev/null |
        awk '/lib(asan|ubsan)\.so/ { printf "%s ", $3 }')

    local display xvfb_pid=
    if [ "$mode" = window ]; then
        display=$DISPLAY
        if [ -s "$xauth_file" ]; then
            install -o "$uid" -g "$gid" -m 0600 "$xauth_file" "$scratch/xauthority"
        fi
    else
        display=:7
        Xvfb "$display" -screen 0 1280x860x24 -nolisten tcp -nolisten local >"$scratch/xvfb.log" 2>&1 &
        xvfb_pid=$!
        local tries=0
        until DISPLAY=$display xdpyinfo >/dev/null 2>&1; do
            tries=$((tries + 1))
            [ "$tries" -lt 100 ] || fail "the virtual screen did not start: $(cat "$scratch/xvfb.log")"
            sleep 0.1
        done
    fi

    local status=0
    setpriv --reuid="$uid" --regid="$gid" --clear-groups \
        env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$scratch/home" USER="$user" LOGNAME="$user" \
        DISPLAY="$display" XAUTHORITY="$scratch/xauthority" XDG_RUNTIME_DIR="$scratch/runtime" \
        XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache" XDG_DATA_HOME="$scratch/data" \
        DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" QT_QUICK_CONTROLS_STYLE=org.kde.desktop \
        QT_QPA_PLATFORM=xcb LANG="${LANG:-C.UTF-8}" ${language:+LANGUAGE="$language"} \
        ${preload:+SANDBOX_PRELOAD="$preload"} \
        dbus-run-session --config-file="$scratch/session.conf" -- \
        "$scratch/sandbox.sh" --as-user "$mode" "$width" "$scratch" || status=$?

    if [ "$mode" = screenshot ]; then
        cp "$scratch/kcmshell.log" "${out%.png}.log" 2>/dev/null || true
        [ "$status" != 0 ] || cp "$scratch/screenshot.png" "$out"
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    return "$status"
}

# The stand-ins read their behaviour from the control directory: creating the
# database succeeds; a check takes a moment and reports differences, as afick
# does when files have changed.
demo_scripts()
{
    local scripts=$1
    printf '1\n' >"$scripts/tirvane-create-int-db/sleep"
    printf 'afick: database /var/lib/afick/afick created, 48213 files\n' >"$scripts/tirvane-create-int-db/stdout"
    printf '2\n' >"$scripts/tirvane-int-check/sleep"
    printf '1\n' >"$scripts/tirvane-int-check/exit-code"
    cat >"$scripts/tirvane-int-check/stdout" <<'REPORT'
# afick 3.8.0 compare mode, database /var/lib/afick/afick
changed file : /etc/passwd
	md5                      : 5b2d0f8a1c7e0c6f3e1d9c3a0b7e4f21	9c1a7e55d04e3b2f6a8c0d1e2f3a4b5c
	filesize                 : 1843	1901
new file : /etc/sudoers.d/90-temporary
deleted file : /etc/cron.d/nightly backup
changed directory : /etc/sudoers.d
	mtime                    : Mon Dec  7 08:00:00 2026	Mon Dec  7 08:50:00 2026
	nlink                    : 2	3
# #################### summary of changes ####################
# new : 1
# delete : 1
# changed : 2
# dangling : 0
REPORT
}

# ---------------------------------------------------------------------------
# As the user, on the display and a session bus of its own.
# ---------------------------------------------------------------------------

as_user()
{
    local mode=$1 width=$2 scratch=$3
    local shell_pid window tries=0
    if [ "$mode" = window ]; then
        run_kcmshell
        return
    fi

    run_kcmshell >"$scratch/kcmshell.log" 2>&1 &
    shell_pid=$!
    until window=$(xdotool search --onlyvisible --class kcmshell5 2>/dev/null | head -n 1) && [ -n "$window" ]; do
        kill -0 "$shell_pid" 2>/dev/null || fail "kcmshell5 ended before its window appeared: $(cat "$scratch/kcmshell.log")"
        tries=$((tries + 1))
        [ "$tries" -lt 600 ] || fail "no window of the module appeared within a minute: $(cat "$scratch/kcmshell.log")"
        sleep 0.1
    done

    xdotool windowsize "$window" "$width" 800 windowmove "$window" 0 0
    # The first listing of / and of the configuration goes through the helper,
    # much more slowly in a sanitizer build.
    sleep "$([ -n "${SANDBOX_PRELOAD:-}" ] && echo 15 || echo 4)"
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # Into the file tree, then type-ahead to /etc, open it, and show its rule.
    xdotool windowfocus --sync "$window"
    xdotool mousemove "$((X + WIDTH / 5))" "$((Y + HEIGHT / 2))" click 1
    sleep 0.5
    xdotool type --delay 150 etc
    sleep 0.5
    xdotool key Right
    sleep 3
    import -window root "$scratch/screenshot.png"
    kill "$shell_pid" 2>/dev/null || true
    wait "$shell_pid" 2>/dev/null || true
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

# ---------------------------------------------------------------------------
# Outside, as root: packages, build, stage, then into the namespace.
# ---------------------------------------------------------------------------

display_usable()
{
    [ -n "${DISPLAY:-}" ] && command -v xdpyinfo >/dev/null && xdpyinfo >/dev/null 2>&1
}

main()
{
    local build=build-sandbox build_it=1 force_screenshot= width=1000 user=nobody language=
    while [ $# -gt 0 ]; do
        case $1 in
        --inside) shift; inside "$@"; return ;;
        --as-user) shift; as_user "$@"; return ;;
        --build-dir) build=${2:?}; shift 2 ;;
        --no-build) build_it=; shift ;;
        --screenshot) force_screenshot=1; shift ;;
        --width) width=${2:?}; shift 2 ;;
        --user) user=${2:?}; shift 2 ;;
        --language) language=${2:?}; shift 2 ;;
        *) usage ;;
        esac
    done

    [ "$(id -u)" = 0 ] || fail "run it as root: it installs packages and builds a private namespace"
    cd "$source_dir"
    case $build in /*) ;; *) build=$source_dir/$build ;; esac

    if [ -n "$build_it" ]; then
        ./scripts/install-deps.sh
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
            -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=OFF
        cmake --build "$build" -j "$(nproc)"
    fi
    local standin=$build/bin/trustwatch-e2e-standin
    [ -x "$standin" ] || fail "$standin is missing: build first, or drop --no-build"

    local stage=$build/sandbox-stage
    rm -rf "$stage"
    DESTDIR=$stage cmake --install "$build" >/dev/null

    local mode=screenshot xauth_file=$build/sandbox-xauthority
    rm -f "$xauth_file"
    if [ -z "$force_screenshot" ] && display_usable; then
        mode=window
        # The user's own copy of the display's cookie, if it has one.
        (umask 077 && xauth nextract - "$DISPLAY" 2>/dev/null | xauth -f "$xauth_file" nmerge - 2>/dev/null) || true
    elif [ -n "${WAYLAND_DISPLAY:-}" ]; then
        say "no X display is usable (a Wayland session without Xwayland?): using a virtual screen instead"
    fi

    local out=$build/sandbox-screenshot.png
    rm -f "$out"
    local status=0
    "$source_dir/tests/e2e/e2e-run.sh" --stage "$stage" --standin "$standin" --verdict yes \
        --etc-tree "$source_dir/data/sandbox/etc" --as-root -- \
        "$here/sandbox.sh" --inside "$user" "$mode" "$width" "$language" "$out" "$xauth_file" || status=$?
    rm -f "$xauth_file"
    [ "$status" = 0 ] || fail "the module could not be shown (exit status $status)"
    if [ "$mode" = screenshot ]; then
        [ -s "$out" ] || fail "no screenshot was written"
        echo "Screenshot: $out"
    fi
}

main "$@"

#!/bin/bash
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Runs one command inside a private copy of the system that the module and its
# helper expect: a private mount and PID namespace with a dbus-daemon as the
# system bus (production configuration, D-Bus activation through the setuid
# launch helper), the real polkitd whose verdict is read from a file on every
# check, a stand-in for systemd's manager, stand-ins for the two integrity
# scripts, and writable copies of /etc and /usr that vanish with the namespace.
# The command runs as an unprivileged user; the exit status is the command's.
#
#   e2e-run.sh --stage DIR --standin BIN [options] [--] COMMAND [ARG...]
#
#   --stage DIR      staged install (DESTDIR of `cmake --install`, holding usr/)
#   --standin BIN    trustwatch-e2e-standin (systemd manager and root file agent)
#   --verdict V      initial polkit verdict for every action: yes (default),
#                    no, auth_admin
#   --etc-tree DIR   copied over the private /etc before the start (demo files)
#   --user NAME      user that runs COMMAND (default nobody)
#   --as-root        run COMMAND as root instead, e.g. a shell for debugging
#
# COMMAND gets DBUS_SYSTEM_BUS_ADDRESS, TRUSTWATCH_E2E_CONTROL (the control
# directory it owns, see e2eenvironment.h), and its own HOME, TMPDIR and
# XDG_RUNTIME_DIR. Needs root, unshare, overlayfs, dbus and polkitd; a machine
# without them is no fault of the code under test, so the script then says
# why and exits 77, which CTest reports as a skipped test (SKIP_RETURN_CODE).
# A missing stage, stand-in or test program is a broken build and fails. Everything it starts is stopped by PID when COMMAND ends, and
# the PID namespace ends whatever is left even when this script is killed.
set -eu

usage()
{
    sed -n '/^#   e2e-run.sh/,/^#   --as-root/s/^# \{0,1\}//p' "$0" >&2
    exit 2
}

skip()
{
    echo "e2e-run.sh: skipped: $*"
    exit 77
}

fail()
{
    echo "e2e-run.sh: cannot set up the end-to-end environment: $*" >&2
    exit 1
}

base=/run/trustwatch-e2e
control=$base/control
stage=
standin=
verdict=yes
etc_tree=
user=nobody
as_root=
bus_pid=
polkit_pid=
standin_pid=

# Outside the namespace: everything that can be checked before mounting, so a
# machine that cannot host the environment gets a reason instead of a failure.
check_host()
{
    [ "$(id -u)" = 0 ] || skip "it needs root (it mounts inside a private namespace; the command itself runs as '$user')"
    for tool in unshare setpriv dbus-daemon dbus-send; do
        command -v "$tool" >/dev/null || skip "'$tool' is missing (scripts/install-deps.sh installs it)"
    done
    for file in /usr/lib/polkit-1/polkitd /usr/lib/dbus-1.0/dbus-daemon-launch-helper /usr/share/dbus-1/system.conf; do
        [ -e "$file" ] || skip "'$file' is missing (scripts/install-deps.sh installs it)"
    done
    grep -qw overlay /proc/filesystems || modprobe overlay 2>/dev/null || skip "the kernel has no overlayfs"
    if [ -z "$stage" ] || [ ! -d "$stage/usr" ]; then
        fail "no staged install given (--stage DIR with DIR/usr from 'cmake --install')"
    fi
    if [ -z "$standin" ] || [ ! -x "$standin" ]; then
        fail "no systemd stand-in given (--standin BIN)"
    fi
    case $stage in *[,:]*) fail "the stage path '$stage' contains ',' or ':', which overlayfs options cannot carry" ;; esac
    [ -n "$as_root" ] || id -u "$user" >/dev/null 2>&1 || skip "there is no user '$user'"
    case $1 in
    */*) [ -f "$1" ] || fail "there is no program '$1' (not built?)" ;;
    esac
    unshare --mount --pid --fork --kill-child --mount-proc --propagation private true 2>/dev/null ||
        skip "'unshare --mount --pid' is not permitted here (a container without CAP_SYS_ADMIN?)"
}

log_has_sanitizer_report()
{
    grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error: ' "$1" 2>/dev/null
}

stop_pid()
{
    local pid=$1 tries=0
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    # A zombie counts as gone; it is reaped below or by the end of the namespace.
    while [ -d "/proc/$pid" ] && ! grep -q '^State:.*Z' "/proc/$pid/status" 2>/dev/null; do
        tries=$((tries + 1))
        if [ "$tries" -gt 200 ]; then
            kill -KILL "$pid" 2>/dev/null || true
            break
        fi
        sleep 0.01
    done
}

bus_owner_pid()
{
    dbus-send --system --print-reply=literal --reply-timeout=1000 --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetConnectionUnixProcessID "string:$1" 2>/dev/null | awk '{ print $2 }'
}

teardown()
{
    local status=$? pid log
    trap - EXIT INT TERM HUP
    # Stopping goes on past any failure: nothing may outlive the command.
    set +e
    if [ -n "$bus_pid" ]; then
        stop_pid "$(bus_owner_pid ru.vantorix.integritysecurityhelper)"
    fi
    stop_pid "$standin_pid"
    stop_pid "$polkit_pid"
    stop_pid "$bus_pid"
    # Whatever is left (a script the helper abandoned, say) lives in this
    # namespace only, so every other PID here is ours to end.
    for pid in /proc/[0-9]*; do
        pid=${pid#/proc/}
        [ "$pid" = $$ ] || kill -KILL "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    # The helper writes to the bus's log: activation hands it the bus's stderr.
    for log in "$base"/logs/*.log; do
        if log_has_sanitizer_report "$log"; then
            echo "e2e-run.sh: sanitizer report in the $(basename "$log" .log) log" >&2
            [ "$status" != 0 ] || status=1
        fi
    done
    if [ "$status" != 0 ]; then
        for log in "$base"/logs/*.log; do
            [ -s "$log" ] || continue
            echo "----- $(basename "$log" .log) -----" >&2
            cat "$log" >&2
        done
    fi
    exit "$status"
}

wait_for_name()
{
    local name=$1 pid=$2 what=$3 tries=0
    until dbus-send --system --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$name" 2>/dev/null | grep -q true; do
        [ -d "/proc/$pid" ] || fail "$what exited before it owned $name (see its log below)"
        tries=$((tries + 1))
        [ "$tries" -lt 1000 ] || fail "$what did not own $name within 10 s"
        sleep 0.01
    done
}

# Lays out the private /run, /etc and /usr. The machine's system bus socket
# is out of reach, and the scratch space disappears with the namespace.
build_file_systems()
{
    local here uid gid script etc_lower
    here=$(cd "$(dirname "$0")" && pwd)
    uid=$(id -u "$user")
    gid=$(id -g "$user")

    mount -t tmpfs -o mode=0755 trustwatch-e2e /run
    mkdir -p /run/dbus "$base/logs" "$base/polkit-rules" "$base/usr-layer/sbin" \
        "$base/etc-upper" "$base/etc-work" "$base/usr-upper" "$base/usr-work"
    install -d -o "$uid" -g "$gid" -m 0755 "$control" "$control/verdicts" "$control/scripts"
    install -d -o "$uid" -g "$gid" -m 0700 "$base/home" "$base/tmp" "$base/runtime"
    printf '%s\n' "$verdict" >"$control/verdict"
    chown "$uid:$gid" "$control/verdict"
    for script in tirvane-create-int-db tirvane-int-check; do
        install -d -o "$uid" -g "$gid" -m 0755 "$control/scripts/$script"
        sed "s|@CONTROL@|$control/scripts/$script|" "$here/standin-script.sh" >"$base/usr-layer/sbin/$script"
        chmod 0755 "$base/usr-layer/sbin/$script"
    done
    sed "s|@CONTROL@|$control|" "$here/trustwatch-e2e.rules" >"$base/polkit-rules/00-trustwatch-e2e.rules"
    chmod 0644 "$base/polkit-rules/00-trustwatch-e2e.rules"

    etc_lower=/etc
    if [ -d "$stage/etc" ]; then
        etc_lower=$stage/etc:/etc
    fi
    mount -t overlay trustwatch-e2e-etc -o "lowerdir=$etc_lower,upperdir=$base/etc-upper,workdir=$base/etc-work" /etc
    mount -t overlay trustwatch-e2e-usr \
        -o "lowerdir=$base/usr-layer:$stage/usr:/usr,upperdir=$base/usr-upper,workdir=$base/usr-work" /usr

    mkdir -p /etc/polkit-1/rules.d /etc/dbus-1/system.d
    mount --bind "$base/polkit-rules" /etc/polkit-1/rules.d
    install -m 0644 "$here/trustwatch-e2e-bus.conf" /etc/dbus-1/system.d/trustwatch-e2e.conf
    rm -rf /etc/afick.conf /etc/afick.conf.old /etc/tirvane-integrity/failure.d
    mkdir -p /etc/tirvane-integrity/failure.d
    if [ -n "$etc_tree" ]; then
        cp -R "$etc_tree/." /etc/
    fi
}

# A checkout or build below a directory others may not search (/root, or a
# mktemp -d directory) would keep the unprivileged user from its own test
# program. Inside the namespace such a directory is overlaid with a copy that
# others may search but still not list; the machine's directory is untouched.
open_ancestors()
{
    local path dir=/ part mode layer
    path=$(realpath -m "$1")
    local IFS=/
    for part in ${path#/}; do
        dir=${dir%/}/$part
        [ -d "$dir" ] || return 0
        mode=$(stat -c %a "$dir")
        if [ $((8#$mode & 8#001)) = 0 ]; then
            layer=$(mktemp -d "$base/open.XXXXXX")
            mkdir "$layer/upper" "$layer/work"
            chmod "$(printf %o $((8#$mode | 8#011)))" "$layer/upper"
            mount -t overlay trustwatch-e2e-open -o "lowerdir=$dir,upperdir=$layer/upper,workdir=$layer/work" "$dir" ||
                fail "cannot make '$dir' searchable for '$user'"
        fi
    done
}

start_services()
{
    local address
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/run/dbus/system_bus_socket
    mkfifo "$base/bus-address"
    dbus-daemon --system --nofork --nopidfile --nosyslog --print-address=3 \
        3>"$base/bus-address" >"$base/logs/dbus-daemon.log" 2>&1 &
    bus_pid=$!
    read -r -t 10 address <"$base/bus-address" || fail "dbus-daemon did not start (see its log below)"
    [ -n "$address" ] || fail "dbus-daemon did not start (see its log below)"

    /usr/lib/polkit-1/polkitd --no-debug >"$base/logs/polkitd.log" 2>&1 &
    polkit_pid=$!
    "$standin" >"$base/logs/standin.log" 2>&1 &
    standin_pid=$!
    wait_for_name org.freedesktop.PolicyKit1 "$polkit_pid" polkitd
    wait_for_name org.freedesktop.systemd1 "$standin_pid" "the systemd stand-in"
    wait_for_name local.trustwatch.e2e "$standin_pid" "the systemd stand-in"
}

run_command()
{
    local status
    set +e
    if [ "$user" = root ]; then
        env -u DBUS_SESSION_BUS_ADDRESS HOME="$base/home" TMPDIR="$base/tmp" XDG_RUNTIME_DIR="$base/runtime" \
            TRUSTWATCH_E2E_CONTROL="$control" "$@"
    else
        setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
            env -u DBUS_SESSION_BUS_ADDRESS HOME="$base/home" TMPDIR="$base/tmp" XDG_RUNTIME_DIR="$base/runtime" \
            USER="$user" LOGNAME="$user" TRUSTWATCH_E2E_CONTROL="$control" "$@"
    fi
    status=$?
    set -e
    return "$status"
}

# Everything runs from here, once bash has read the whole file: editing the
# script while a long test runs cannot change what the running copy does.
main()
{
    while [ $# -gt 0 ]; do
        case $1 in
        --stage) stage=${2:?}; shift 2 ;;
        --standin) standin=${2:?}; shift 2 ;;
        --verdict) verdict=${2:?}; shift 2 ;;
        --etc-tree) etc_tree=${2:?}; shift 2 ;;
        --user) user=${2:?}; shift 2 ;;
        --as-root) as_root=1; shift ;;
        --) shift; break ;;
        -*) usage ;;
        *) break ;;
        esac
    done
    [ $# -gt 0 ] || usage

    if [ -z "${TRUSTWATCH_E2E_NAMESPACE:-}" ]; then
        check_host "$1"
        stage=$(cd "$stage" && pwd)
        export TRUSTWATCH_E2E_NAMESPACE=1
        exec unshare --mount --pid --fork --kill-child --mount-proc --propagation private \
            "$0" --stage "$stage" --standin "$standin" --verdict "$verdict" ${etc_tree:+--etc-tree "$etc_tree"} \
            --user "$user" ${as_root:+--as-root} -- "$@"
    fi
    unset TRUSTWATCH_E2E_NAMESPACE

    # From here on this shell is PID 1 of a new PID namespace with its own mounts.
    trap teardown EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP
    if [ -n "$as_root" ]; then
        user=root
    fi
    build_file_systems
    if [ "$user" != root ]; then
        case $1 in */*) open_ancestors "$1" ;; esac
        open_ancestors "$PWD"
        open_ancestors "$(dirname "$0")"
    fi
    start_services
    run_command "$@"
}

main "$@"

#!/bin/bash
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Try the module without touching the machine: installs what is needed,
# builds the plug-in, the helper and the stand-ins (no tests), stages an
# install under the build directory, and opens the module in kcmshell5 as an
# unprivileged user inside a private copy of the system (tests/e2e/e2e-run.sh):
# its own system bus, the real polkitd with a rule that allows the requests, a
# stand-in systemd, stand-in integrity scripts, a demonstration
# /etc/afick.conf and failure scripts. With a usable X display ($DISPLAY; a
# Wayland session's Xwayland counts) the module opens in a window there;
# without one it opens on a virtual screen, selects /etc, and writes a
# screenshot whose path it prints. Only the namespace and the build directory
# are changed.
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
# Run as root. The roles are one file each: this one prepares and starts the
# namespace, sandbox/namespace.sh sets it up as root, sandbox/session.sh runs
# the module as the user.
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

# Only what the sandbox runs: the plug-in, the helper, their translations and
# the stand-ins; BUILD_TESTING=OFF leaves out the tests, and with them the
# benchmarks and fuzz targets a build directory shared with tests might enable.
build()
{
    local build=$1
    "$here/install-deps.sh"
    cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DBUILD_TESTING=OFF -DBUILD_STANDINS=ON -DBUILD_BENCHMARKS=OFF -DBUILD_FUZZERS=OFF
    cmake --build "$build"
}

# The install a package would make, below the build directory; the namespace
# lays it over /usr and /etc.
stage()
{
    local build=$1 stage=$2
    rm -rf "$stage"
    DESTDIR=$stage cmake --install "$build" >/dev/null
}

display_usable()
{
    [ -n "${DISPLAY:-}" ] && command -v xdpyinfo >/dev/null && xdpyinfo >/dev/null 2>&1
}

main()
{
    local build=build-sandbox build_it=1 force_screenshot='' width=1000 user=nobody language=''
    while [ $# -gt 0 ]; do
        case $1 in
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
    case $build in /*) ;; *) build=$source_dir/$build ;; esac
    local standin=$build/bin/trustwatch-e2e-standin stage_dir=$build/sandbox-stage
    local out=$build/sandbox-screenshot.png xauth_file=$build/sandbox-xauthority

    local mode=screenshot
    if [ -z "$force_screenshot" ] && display_usable; then
        mode=window
    elif [ -z "$force_screenshot" ] && [ -n "${WAYLAND_DISPLAY:-}" ]; then
        say "no X display is usable (a Wayland session without Xwayland?): using a virtual screen instead"
    fi

    say "build directory: $build"
    say "staged install: $stage_dir"
    if [ "$mode" = screenshot ]; then
        say "screenshot: $out, the module's log beside it: ${out%.png}.log"
    fi

    if [ -n "$build_it" ]; then
        build "$build"
    fi
    [ -x "$standin" ] || fail "$standin is missing: build first, or drop --no-build"
    stage "$build" "$stage_dir"

    rm -f "$xauth_file" "$out"
    if [ "$mode" = window ]; then
        # The user's own copy of the display's cookie, if it has one.
        (umask 077 && xauth nextract - "$DISPLAY" 2>/dev/null | xauth -f "$xauth_file" nmerge - 2>/dev/null) || true
    fi

    local status=0
    "$source_dir/tests/e2e/e2e-run.sh" --stage "$stage_dir" --standin "$standin" --verdict yes \
        --etc-tree "$source_dir/data/sandbox/etc" --as-root -- \
        "$here/sandbox/namespace.sh" --user "$user" --mode "$mode" --width "$width" --language "$language" \
        --out "$out" --xauthority "$xauth_file" || status=$?
    rm -f "$xauth_file"
    [ "$status" = 0 ] || fail "the module could not be shown (exit status $status)"
    if [ "$mode" = screenshot ]; then
        [ -s "$out" ] || fail "no screenshot was written"
        echo "Screenshot: $out"
    fi
}

main "$@"

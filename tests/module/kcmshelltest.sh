#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Installs the build into a stage and checks that the settings host finds the
# module there and opens it in a window of an X server of its own.
#
#   kcmshelltest.sh BUILD_DIR SCRATCH_DIR PLUGIN_DIR DATA_DIR
#
# PLUGIN_DIR and DATA_DIR are the absolute installation directories, which
# the stage holds below its own root.
set -eu

build=$1
scratch=$2
plugin_dir=$3
data_dir=$4

fail()
{
    echo "kcmshelltest: $*" >&2
    exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch/config" "$scratch/cache" "$scratch/data"
install -d -m 0700 "$scratch/runtime"
stage=$scratch/stage
DESTDIR=$stage cmake --install "$build" >"$scratch/install.log" || fail "staging the install failed: $(cat "$scratch/install.log")"

icon=$stage$data_dir/icons/hicolor/scalable/apps/kcm-integrity-icon.svg
[ -s "$icon" ] || fail "the module's icon is not installed at $icon"

export QT_PLUGIN_PATH=$stage$plugin_dir
export XDG_DATA_DIRS=$stage$data_dir:/usr/local/share:/usr/share
export XDG_CONFIG_HOME=$scratch/config XDG_CACHE_HOME=$scratch/cache XDG_DATA_HOME=$scratch/data
export XDG_RUNTIME_DIR=$scratch/runtime
export QT_QUICK_CONTROLS_STYLE=org.kde.desktop
export LANGUAGE=en_US LC_ALL=C.UTF-8
# No system bus: the module's requests to the helper fail instead of reaching the machine's.
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$scratch/no-system-bus
unset QT_STYLE_OVERRIDE QT_QPA_PLATFORM

# A plug-in built with sanitizers needs their runtimes loaded before the
# host's own libraries. The host's leaks are not the module's; memory errors
# in the module still end the host and are looked for below.
plugin=$stage$plugin_dir/plasma/kcms/systemsettings/kcm_trustwatch.so
KCMSHELL_PRELOAD=$(ldd "$plugin" | awk '/lib(asan|ubsan)\.so/ { printf "%s ", $3 }')
export KCMSHELL_PRELOAD
if [ -n "$KCMSHELL_PRELOAD" ]; then
    export ASAN_OPTIONS=detect_leaks=0
fi

QT_QPA_PLATFORM=offscreen LD_PRELOAD=$KCMSHELL_PRELOAD kcmshell5 --list >"$scratch/list.log" 2>&1 || fail "kcmshell5 --list failed: $(cat "$scratch/list.log")"
grep -Eq '^kcm_trustwatch +- Integrity control$' "$scratch/list.log" ||
    fail "kcmshell5 --list does not list the module: $(cat "$scratch/list.log")"

# Runs inside the X server and the session bus: opens the module and waits
# for its window and for the host's first load(), which comes once the page
# is built and, with no system bus, ends in a refused read; then closes it.
cat >"$scratch/open.sh" <<'OPEN'
#!/bin/sh
set -u
log=$1
LD_PRELOAD=$KCMSHELL_PRELOAD kcmshell5 kcm_trustwatch >"$log" 2>&1 &
shell=$!
found=1
loaded=1
tries=0
while [ $tries -lt 300 ]; do
    if ! kill -0 $shell 2>/dev/null; then
        echo "kcmshell5 exited early" >>"$log"
        break
    fi
    if [ $found = 1 ] && xwininfo -root -tree 2>/dev/null | grep -q '"Integrity control'; then
        found=0
    fi
    if [ $found = 0 ] && grep -q 'readConfigError:' "$log"; then
        loaded=0
        break
    fi
    tries=$((tries + 1))
    sleep 0.1
done
kill $shell 2>/dev/null
wait $shell 2>/dev/null
[ $found = 0 ] || exit 1
[ $loaded = 0 ] || { echo "the module's page never asked for the configuration" >>"$log"; exit 1; }
OPEN
chmod +x "$scratch/open.sh"

status=0
xvfb-run -a -s "-screen 0 1280x800x24" \
    dbus-run-session --config-file="$(dirname "$0")/../../data/session-bus.conf" -- "$scratch/open.sh" "$scratch/open.log" || status=$?
[ "$status" = 0 ] || fail "no window of the module appeared: $(cat "$scratch/open.log")"
if grep -Eq 'Error loading QML|Invalid KPackage|Could not find module|kcm_trustwatch/contents/ui/|is not a type|is not installed|ERROR: AddressSanitizer|runtime error:' "$scratch/open.log"; then
    fail "the module's page did not load: $(cat "$scratch/open.log")"
fi
echo "kcmshell5 lists and opens kcm_trustwatch"

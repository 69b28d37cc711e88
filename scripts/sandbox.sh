#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Sets everything up on a fresh Debian 12 machine, builds, and stages an
# install of the module and its helper under the build directory.
set -eu
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

build=${BUILD_DIR:-build-sandbox}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF
cmake --build "$build"
rm -rf "$build/stage"
DESTDIR="$PWD/$build/stage" cmake --install "$build"
echo "Staged install: $PWD/$build/stage"

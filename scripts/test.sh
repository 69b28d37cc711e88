#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Sets everything up on a fresh Debian 12 machine, checks that every file
# carries its copyright and licence (reuse lint), and runs the whole test
# suite, built with AddressSanitizer and UndefinedBehaviorSanitizer; the
# benchmarks are built too, so that they keep compiling. With gcc
# the fuzz targets replay their seeds and mutations of them for a few
# seconds each. Then scripts/fuzz.sh builds the whole tree once more with
# clang and runs each fuzz target under libFuzzer for 20 seconds on its
# corpus; a crash fails the run. Last, the unit tests run under valgrind's
# memcheck.
# Run as root: the end-to-end tests build a private mount namespace.
set -eu
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
reuse lint

build=${BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=ON \
    -DTRUSTWATCH_WERROR=ON \
    -DBUILD_FUZZERS=ON \
    -DBUILD_BENCHMARKS=ON \
    -DECM_ENABLE_SANITIZERS='address;undefined'
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"

# clang's warnings differ from gcc's, and the fuzzers only find with
# libFuzzer's coverage: about five minutes on two cores, most of it the build.
BUILD_DIR="$build-fuzz" ./scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

# The unit tests once more under valgrind's memcheck, which needs a build
# without sanitizers; about five minutes on two cores.
BUILD_DIR="$build-valgrind" ./scripts/valgrind.sh -j "$(nproc)" "$@"

#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Builds the whole tree with clang, warnings as errors, and the fuzz targets
# as libFuzzer programs (with AddressSanitizer and UndefinedBehaviorSanitizer),
# then runs each of them. The whole tree, so that a clang-only warning in a
# test or benchmark fails here rather than on someone else's machine.
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]
#
# SECONDS per target (default 600); TARGETs default to all of them. What a
# run finds goes to <build>/fuzz/found/<target>, a crashing input to
# <build>/fuzz/crash-*.
set -eu
cd "$(dirname "$0")/.."

seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=${*:-"configroundtripfuzzer entryinfofuzzer helperslotsfuzzer"}
build=$(realpath -m "${BUILD_DIR:-build-fuzz}")
seeds=$(pwd)/fuzz/corpus

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=ON \
    -DBUILD_BENCHMARKS=ON \
    -DBUILD_FUZZERS=ON \
    -DTRUSTWATCH_WERROR=ON \
    -DECM_ENABLE_SANITIZERS='address;undefined' >/dev/null
cmake --build "$build"

export LSAN_OPTIONS="suppressions=$(pwd)/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# Absolute paths throughout: a target may change its working directory.
for target in $targets; do
    mkdir -p "$build/fuzz/found/$target"
    echo "fuzz.sh: $target for $seconds s"
    "$build/bin/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz/" "$build/fuzz/found/$target" "$seeds/$target"
done

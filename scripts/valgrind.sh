#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Runs every unit test (not the end-to-end or fuzz smoke tests) under
# valgrind's memcheck; a definite leak or a memory error fails the test.
# valgrind cannot run sanitized programs, so this uses a build of its own.
#
#   scripts/valgrind.sh [ctest options, e.g. -R helper]
set -eu
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-valgrind}
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DBUILD_TESTING=ON \
    -DBUILD_BENCHMARKS=OFF \
    -DTRUSTWATCH_WERROR=ON >/dev/null
cmake --build "$build"
# Code that PCRE2 compiles at run time looks uninitialised to valgrind, and
# a child between fork and exec is no test's memory.
export QT_ENABLE_REGEXP_JIT=0
ctest --test-dir "$build" -T memcheck -LE 'e2e|fuzz' --output-on-failure \
    --overwrite MemoryCheckCommand="$(command -v valgrind)" \
    --overwrite "MemoryCheckCommandOptions=--leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite --error-exitcode=97 --child-silent-after-fork=yes --num-callers=30 --suppressions=$(pwd)/scripts/valgrind.supp" \
    "$@"

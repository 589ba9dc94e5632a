#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds QVProg twice (plain, and with AddressSanitizer +
# UndefinedBehaviorSanitizer) and runs every test in both builds, checks the plain build's Debian
# package, then gives every fuzz target a short run (about 20 s each).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
JOBS=$(nproc)
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.cache/ccache}"
# The window's precompiled Qt headers can be cached only with these.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
export QT_QPA_PLATFORM=offscreen

# Line tables only (-g1): enough for a failing test's backtrace, and a quarter less compile time.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVPROG_WERROR=ON -DQVPROG_BUILD_BENCH=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure -j"$JOBS"
# The Debian package of that build, unpacked into a scratch root and tried there.
./scripts/check-package.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQVPROG_SANITIZE=ON -DQVPROG_WERROR=ON \
    -DCMAKE_CXX_FLAGS_DEBUG="-g1"
cmake --build build-asan -j"$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$JOBS"

FUZZ_BUILD_JOBS="$JOBS" FUZZ_JOBS="$JOBS" ./scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

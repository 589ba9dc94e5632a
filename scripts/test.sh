#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds QVProg twice (plain, and with AddressSanitizer +
# UndefinedBehaviorSanitizer) and runs every test in both builds, checks the plain build's Debian
# package, then gives every fuzz target a short run (about 20 s each).
# Every stage runs even when an earlier one failed (but for the set-up); the last line sums them
# all up, "N passed, N failed, N skipped", and the exit status is non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh test || exit 1
JOBS=$(nproc)
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.cache/ccache}"
# The window's precompiled Qt headers can be cached only with these.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
export QT_QPA_PLATFORM=offscreen
LOGS=$PWD/build-logs
mkdir -p "$LOGS"
start=$(date +%s)

passed=0 failed=0 skipped=0
failures=()
count() { # stage passed failed skipped
    passed=$((passed + $2)) failed=$((failed + $3)) skipped=$((skipped + $4))
    echo "== $1: $2 passed, $3 failed, $4 skipped"
    (($3 == 0)) || failures+=("$1")
}
# A build that fails counts as one failure; its log's end is shown.
build() { # stage, then the cmake configure arguments
    local stage=$1 dir=$2
    shift
    local log=$LOGS/${stage// /-}.log
    echo "== $stage"
    if cmake -S . -B "$@" >"$log" 2>&1 && cmake --build "$dir" -j"$JOBS" >>"$log" 2>&1; then
        return 0
    fi
    tail -40 "$log"
    count "$stage" 0 1 0
    return 1
}
# ctest counts a skipped test among the passed ones; the sum here keeps them apart.
run_ctest() { # stage dir
    local log=$LOGS/${1// /-}.log
    echo "== $1"
    ctest --test-dir "$2" --output-on-failure -j"$JOBS" 2>&1 | tee "$log"
    local total fail skip
    total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$log" | tail -1)
    fail=$(sed -n 's/.* \([0-9]*\) tests failed out of .*/\1/p' "$log" | tail -1)
    skip=$(grep -c '^ *[0-9]*/[0-9]* Test .*\*\*\*Skipped' "$log")
    if [ -z "$total" ]; then
        count "$1" 0 1 0 # ctest did not finish
    else
        count "$1" $((total - fail - skip)) "$fail" "$skip"
    fi
}

# Line tables only (-g1): enough for a failing test's backtrace, and a quarter less compile time.
if build plain build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVPROG_WERROR=ON \
    -DQVPROG_BUILD_BENCH=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"; then
    run_ctest "plain tests" build
    # The Debian package of that build, unpacked into a scratch root and tried there.
    echo "== package"
    ./scripts/check-package.sh build 2>&1 | tee "$LOGS/package.log"
    package_rc=${PIPESTATUS[0]}
    package_failed=$(grep -c '^FAIL' "$LOGS/package.log")
    ((package_rc == 0 || package_failed > 0)) || package_failed=1 # it stopped on its own
    count package "$(grep -c '^ok:' "$LOGS/package.log")" "$package_failed" 0
fi

if build "sanitizer build" build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQVPROG_SANITIZE=ON \
    -DQVPROG_WERROR=ON -DCMAKE_CXX_FLAGS_DEBUG="-g1"; then
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_ctest "sanitizer tests" build-asan
fi

echo "== fuzz"
FUZZ_BUILD_JOBS="$JOBS" FUZZ_JOBS="$JOBS" ./scripts/fuzz.sh "${FUZZ_SECONDS:-20}" 2>&1 |
    tee "$LOGS/fuzz.log"
fuzz_ok=$(grep -c '^fuzz .*: ok' "$LOGS/fuzz.log")
fuzz_bad=$(grep -c '^fuzz .*: FINDING' "$LOGS/fuzz.log")
((fuzz_ok + fuzz_bad)) || fuzz_bad=1 # the fuzz build failed
count "fuzz targets" "$fuzz_ok" "$fuzz_bad" 0

minutes=$((($(date +%s) - start + 30) / 60))
if ((failed)); then
    echo "test.sh: $passed passed, $failed failed, $skipped skipped (failed: ${failures[*]};" \
         "logs in build-logs/), $minutes min"
    exit 1
fi
echo "test.sh: $passed passed, $failed failed, $skipped skipped, $minutes min"

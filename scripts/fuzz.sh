#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# each for a bounded time, starting from the seed corpus in fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]   run every target (or the ones named) SECONDS each
#                                           (default 20); FUZZ_JOBS targets at a time (default 2)
#   scripts/fuzz.sh --merge [TARGET...]     minimise the seeds and the small inputs the runs
#                                           found into fuzz/corpus/<target>/
#   scripts/fuzz.sh --seeds                 write the seeds the core's writers make into
#                                           fuzz/corpus/ (kept files stay)
#
# New inputs go to build-fuzz/corpus/<target>/, logs to build-fuzz/logs/, and anything found
# (crash, leak, time-out, sanitizer report) to build-fuzz/artifacts/<target>/; the script then
# fails. Every finding is to be mended in the core and its input kept as a GoogleTest.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
export CCACHE_DIR="${CCACHE_DIR:-$ROOT/.cache/ccache}"

mode=run
seconds=20
if [[ ${1:-} == --merge || ${1:-} == --seeds ]]; then
    mode=${1#--}
    shift
elif [[ ${1:-} =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DQVPROG_BUILD_FUZZ=ON -DQVPROG_BUILD_TESTS=OFF -DQVPROG_BUILD_QT=OFF >/dev/null
cmake --build "$BUILD" --target fuzz_all -j"${FUZZ_BUILD_JOBS:-$(nproc)}"

if [[ $mode == seeds ]]; then
    "$BUILD/fuzz/fuzz_make_seeds" "$ROOT/fuzz/corpus"
    exit 0
fi

targets=("$@")
if ((${#targets[@]} == 0)); then
    for f in fuzz/*_fuzz.cpp; do
        f=${f##*/}
        targets+=("${f%_fuzz.cpp}")
    done
fi

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$BUILD/logs"

if [[ $mode == merge ]]; then
    # The corpus stays small: the seeds, and of the other inputs only those of at most
    # FUZZ_KEEP_BYTES bytes (default 1024) that add coverage.
    seeds=$(mktemp -d)
    "$BUILD/fuzz/fuzz_make_seeds" "$seeds"
    for t in "${targets[@]}"; do
        fresh=$(mktemp -d)
        small=$(mktemp -d)
        mkdir -p "$BUILD/corpus/$t" "$seeds/$t"
        for d in "$ROOT/fuzz/corpus/$t" "$BUILD/corpus/$t"; do # equal names: equal contents
            find "$d" -type f -size -"$((${FUZZ_KEEP_BYTES:-1024} + 1))"c -exec cp -f -t "$small" {} +
        done
        "$BUILD/fuzz/fuzz_$t" -merge=1 -timeout=10 "$fresh" "$seeds/$t" "$small" \
            >"$BUILD/logs/$t.merge.log" 2>&1
        rm -rf "$ROOT/fuzz/corpus/$t" "$small"
        mv "$fresh" "$ROOT/fuzz/corpus/$t"
        chmod 755 "$ROOT/fuzz/corpus/$t"
        echo "$t: $(ls "$ROOT/fuzz/corpus/$t" | wc -l) inputs," \
            "$(du -s --apparent-size -k "$ROOT/fuzz/corpus/$t" | cut -f1) KB"
    done
    rm -rf "$seeds"
    exit 0
fi

run_one() {
    local t=$1 seconds=$2 build=$3 root=$4
    mkdir -p "$build/corpus/$t" "$build/artifacts/$t"
    local log="$build/logs/$t.log"
    local rc=0
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$t/" \
        "$build/corpus/$t" "$root/fuzz/corpus/$t" >"$log" 2>&1 || rc=$?
    local execs rate cov
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -aEo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
    if ((rc == 0)); then
        echo "fuzz $t: ok, ${execs:-?} runs, ${rate:-?}/s, ${cov:-no coverage line}"
    else
        echo "fuzz $t: FINDING (exit $rc), see $log and $build/artifacts/$t/"
        grep -aE '^(==[0-9]+==ERROR|SUMMARY|fuzz property)|runtime error' "$log" | head -5
    fi
    return $rc
}
export -f run_one

printf '%s\n' "${targets[@]}" |
    xargs -P "${FUZZ_JOBS:-2}" -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$BUILD" "$ROOT"

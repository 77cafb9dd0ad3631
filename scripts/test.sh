#!/usr/bin/env bash
# Installs what is needed, builds Quenzal and runs the whole test suite:
#   1. every test on a normal build,
#   2. every test again on a build with AddressSanitizer and
#      UndefinedBehaviorSanitizer,
#   3. the threaded tests on a ThreadSanitizer build,
#   4. a build made with the "Ninja Multi-Config" generator and its tests
#      that need no namespaces,
#   5. each libFuzzer target for a bounded time (QUENZAL_FUZZ_SECONDS, 60 s),
#      the targets side by side.
# With --quick only the first: the normal build and its tests.
# Tests that open the tool's sockets run inside network namespaces they make
# themselves (tests/netns/run-in-netns.sh), so this needs root.
#
# Budget: the whole run within 25 minutes on a fresh clone on two cores. The
# summary gives each stage's minutes, the build and the tests apart.
#
# CTest runs QUENZAL_TEST_JOBS tests at once (default: twice the cores, since
# most tests wait on the network or a timer); a test that must have the
# machine to itself says so with RUN_SERIAL in its CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
case "${1:-}" in
    --quick) quick=1 ;;
    "") ;;
    *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac

scripts/install-deps.sh --test
jobs="$(nproc)"
test_jobs="${QUENZAL_TEST_JOBS:-$((jobs * 2))}"
fuzz_seconds="${QUENZAL_FUZZ_SECONDS:-60}"
summary=()
total_passed=0
total_failed=0
run_start=$SECONDS

# minutes seconds: "1.5 min"
minutes() {
    awk -v s="$1" 'BEGIN { printf "%.1f min", s / 60 }'
}

# run_suite build-dir label cmake-args...
# BUILD_ARGS (extra arguments of cmake --build, e.g. the targets) and
# CTEST_ARGS (e.g. a label to run) narrow a suite.
run_suite() {
    local dir="$1" label="$2"
    shift 2
    local t0=$SECONDS
    echo "=== ${label}: configure and build (${dir})"
    # A folder configured earlier with another generator (scripts/start.sh
    # uses the default one) is made anew.
    local args=("$@") gen="" i
    for ((i = 0; i < ${#args[@]}; ++i)); do
        [ "${args[i]}" = "-G" ] && gen="${args[i + 1]:-}"
    done
    if [ -n "$gen" ] && [ -f "$dir/CMakeCache.txt" ] \
        && ! grep -qx "CMAKE_GENERATOR:INTERNAL=${gen}" "$dir/CMakeCache.txt"; then
        rm -rf "$dir"
    fi
    cmake -S . -B "$dir" "$@" >/dev/null
    local built=1
    # shellcheck disable=SC2086
    cmake --build "$dir" -j"$jobs" ${BUILD_ARGS:-} || built=0
    local t1=$SECONDS
    local log="$dir/ctest.log" rc=1 line=""
    if [ "$built" = 1 ]; then
        echo "=== ${label}: tests (${test_jobs} at once)"
        set +e
        # shellcheck disable=SC2086
        (cd "$dir" && ctest --output-on-failure --timeout 600 --parallel "$test_jobs" ${CTEST_ARGS:-}) 2>&1 | tee "$log"
        rc=${PIPESTATUS[0]}
        set -e
        line="$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -n 1)"
    else
        line="the build failed"
    fi
    local t2=$SECONDS
    summary+=("${label}: ${line} (build $(minutes $((t1 - t0))), tests $(minutes $((t2 - t1))))")
    if [[ "$line" =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        total_failed=$((total_failed + BASH_REMATCH[1]))
        total_passed=$((total_passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
    else
        total_failed=$((total_failed + 1))
    fi
    return "$rc"
}

# The fuzz targets: built with clang and libFuzzer, then run side by side,
# each for fuzz_seconds.
run_fuzzers() {
    local t0=$SECONDS
    echo "=== fuzzing: build (clang, libFuzzer)"
    if [ -f build-fuzz/CMakeCache.txt ] && ! grep -qx "CMAKE_GENERATOR:INTERNAL=Ninja" build-fuzz/CMakeCache.txt; then
        rm -rf build-fuzz
    fi
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZAL_BUILD_FUZZ=ON \
        -DQUENZAL_BUILD_TESTS=OFF -DQUENZAL_BUILD_BENCH=OFF >/dev/null
    cmake --build build-fuzz --target fuzz_targets -j"$jobs"
    local t1=$SECONDS
    local names=() pids=() target name corpus seeds
    for target in build-fuzz/fuzz/fuzz_*; do
        [ -x "$target" ] || continue
        name="$(basename "$target")"
        corpus="build-fuzz/corpus/${name}"
        mkdir -p "$corpus"
        seeds=()
        [ -d "fuzz/corpus/${name#fuzz_}" ] && seeds=("fuzz/corpus/${name#fuzz_}")
        echo "=== fuzzing ${name} for ${fuzz_seconds} s"
        "$target" -max_total_time="$fuzz_seconds" -max_len=65507 -print_final_stats=1 \
            -artifact_prefix="build-fuzz/${name}-" "$corpus" "${seeds[@]}" >"$corpus.log" 2>&1 &
        names+=("$name")
        pids+=($!)
    done
    local failed=0 i rc
    for ((i = 0; i < ${#pids[@]}; ++i)); do
        set +e
        wait "${pids[i]}"
        rc=$?
        set -e
        echo "=== ${names[i]}: exit ${rc}"
        tail -n 15 "build-fuzz/corpus/${names[i]}.log"
        [ "$rc" = 0 ] || failed=$((failed + 1))
    done
    local t2=$SECONDS
    summary+=("fuzzing: ${#pids[@]} targets, ${failed} failed (build $(minutes $((t1 - t0))), runs $(minutes $((t2 - t1))))")
    [ "$failed" = 0 ]
}

status=0
run_suite build "normal build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo || status=1
if [ "$quick" = 0 ]; then
    run_suite build-asan "ASan+UBSan build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENZAL_SANITIZE=ON -DQUENZAL_BUILD_BENCH=OFF || status=1
    # The threaded tests and the programs they start; Qt itself is not
    # instrumented, so tsan.supp names what happens inside Qt's own locks.
    TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp halt_on_error=1 die_after_fork=0" \
    BUILD_ARGS="--target quenzal_threaded_tests" CTEST_ARGS="-L threaded" \
        run_suite build-tsan "TSan build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZAL_TSAN=ON -DQUENZAL_BUILD_BENCH=OFF || status=1
    # The generator's own paths are what this run checks: the tests that need
    # no namespaces are enough.
    CTEST_ARGS="-C Release -LE netns" BUILD_ARGS="--config Release" \
        run_suite build-multi "Ninja Multi-Config build" -G "Ninja Multi-Config" -DQUENZAL_BUILD_BENCH=OFF || status=1
    if [ -f fuzz/CMakeLists.txt ] && grep -q fuzz_targets fuzz/CMakeLists.txt; then
        run_fuzzers || status=1
    fi
fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
echo "time: $(minutes $((SECONDS - run_start))) in all (budget 25 min for the whole run)"
echo "total: ${total_passed} passed, ${total_failed} failed"
exit "$status"

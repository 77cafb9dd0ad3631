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
# Each stage's build runs while the stage before it tests (see below).
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
# One compile more than the cores: a compile waiting on the disk leaves a
# core to the next.
jobs="$(($(nproc) + 1))"
test_jobs="${QUENZAL_TEST_JOBS:-$(($(nproc) * 2))}"
fuzz_seconds="${QUENZAL_FUZZ_SECONDS:-60}"
summary=()
total_passed=0
total_failed=0
run_start=$SECONDS

# minutes seconds: "1.5 min"
minutes() {
    awk -v s="$1" 'BEGIN { printf "%.1f min", s / 60 }'
}

# The stages overlap: while one stage's tests run, the next stage builds in
# the background at the lowest priority, so the tests (which mostly wait on
# the network or a timer) keep the processors whenever they want them. A
# stage's build output goes to <dir>/build.log, printed when it fails.

# configure_and_build dir label cmake-args...: the build of one stage; its
# result in <dir>/build.rc and its seconds in <dir>/build.seconds.
# BUILD_ARGS: extra arguments of cmake --build (e.g. the targets).
configure_and_build() {
    local dir="$1" label="$2"
    shift 2
    local t0=$SECONDS
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
    mkdir -p "$dir"
    local rc=0
    {
        cmake -S . -B "$dir" "$@" >/dev/null \
            && cmake --build "$dir" -j"$jobs" ${BUILD_ARGS:-}
    } >"$dir/build.log.part" 2>&1 || rc=$?
    mv "$dir/build.log.part" "$dir/build.log"
    echo $((SECONDS - t0)) >"$dir/build.seconds"
    echo "$rc" >"$dir/build.rc"
    return "$rc"
}

# start_build dir label cmake-args...: the same in the background, niced.
build_pid=""
start_build() {
    local dir="$1" label="$2"
    echo "=== ${label}: configure and build (${dir}), in the background"
    rm -f "$dir/build.rc" "$dir/build.seconds"
    ( renice -n 19 -p "$BASHPID" >/dev/null 2>&1 || true
      configure_and_build "$@" ) &
    build_pid=$!
}

# finish_build dir label: waits for the stage's build; prints its log's end.
finish_build() {
    local dir="$1" label="$2"
    [ -n "$build_pid" ] && wait "$build_pid" || true
    build_pid=""
    local rc
    rc="$(cat "$dir/build.rc" 2>/dev/null || echo 1)"
    if [ "$rc" != 0 ]; then
        echo "=== ${label}: the build failed; its log:"
        cat "$dir/build.log" 2>/dev/null || true
    else
        echo "=== ${label}: built in $(minutes "$(cat "$dir/build.seconds")")"
        tail -n 3 "$dir/build.log"
    fi
    [ "$rc" = 0 ]
}

# run_tests dir label built: the stage's tests (when built is 1), its line in
# the summary. CTEST_ARGS (e.g. a label to run) narrows them.
run_tests() {
    local dir="$1" label="$2" built="$3"
    local t0=$SECONDS log="$dir/ctest.log" rc=1 line=""
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
    local build_seconds
    build_seconds="$(cat "$dir/build.seconds" 2>/dev/null || echo 0)"
    summary+=("${label}: ${line} (build $(minutes "$build_seconds"), tests $(minutes $((SECONDS - t0))))")
    if [[ "$line" =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        total_failed=$((total_failed + BASH_REMATCH[1]))
        total_passed=$((total_passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
    else
        total_failed=$((total_failed + 1))
    fi
    return "$rc"
}

# The fuzz targets, built with clang and libFuzzer.
fuzz_build_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZAL_BUILD_FUZZ=ON
    -DQUENZAL_BUILD_TESTS=OFF -DQUENZAL_BUILD_BENCH=OFF)

# run_fuzzers: the targets side by side, each for fuzz_seconds.
run_fuzzers() {
    local t0=$SECONDS
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
    summary+=("fuzzing: ${#pids[@]} targets, ${failed} failed (build $(minutes "$(cat build-fuzz/build.seconds 2>/dev/null || echo 0)"), runs $(minutes $((SECONDS - t0))))")
    [ "$failed" = 0 ] && [ "${#pids[@]}" -gt 0 ]
}

normal_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
asan_args=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENZAL_SANITIZE=ON -DQUENZAL_BUILD_BENCH=OFF)
tsan_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZAL_TSAN=ON -DQUENZAL_BUILD_BENCH=OFF)
# The generator's own paths are what this build checks: the tests that need
# no namespaces are enough, and the others are not built.
multi_args=(-G "Ninja Multi-Config" -DQUENZAL_BUILD_BENCH=OFF -DQUENZAL_NETNS_TESTS=OFF)
# The threaded tests and the programs they start; Qt itself is not
# instrumented, so tsan.supp names what happens inside Qt's own locks.
tsan_env="suppressions=$PWD/tests/tsan.supp halt_on_error=1 die_after_fork=0"
with_fuzz=0
[ -f fuzz/CMakeLists.txt ] && grep -q fuzz_targets fuzz/CMakeLists.txt && with_fuzz=1

status=0

echo "=== normal build: configure and build (build)"
built=1
configure_and_build build "normal build" "${normal_args[@]}" || built=0
finish_build build "normal build" || built=0
if [ "$quick" = 1 ]; then
    run_tests build "normal build" "$built" || status=1
else
    start_build build-asan "ASan+UBSan build" "${asan_args[@]}"
    run_tests build "normal build" "$built" || status=1
    built=1
    finish_build build-asan "ASan+UBSan build" || built=0

    BUILD_ARGS="--target quenzal_threaded_tests" start_build build-tsan "TSan build" "${tsan_args[@]}"
    run_tests build-asan "ASan+UBSan build" "$built" || status=1
    built=1
    finish_build build-tsan "TSan build" || built=0

    BUILD_ARGS="--config Release" start_build build-multi "Ninja Multi-Config build" "${multi_args[@]}"
    TSAN_OPTIONS="$tsan_env" CTEST_ARGS="-L threaded" run_tests build-tsan "TSan build" "$built" || status=1
    built=1
    finish_build build-multi "Ninja Multi-Config build" || built=0

    if [ "$with_fuzz" = 1 ]; then
        CC=clang CXX=clang++ BUILD_ARGS="--target fuzz_targets" \
            start_build build-fuzz "fuzzing" "${fuzz_build_args[@]}"
    fi
    CTEST_ARGS="-C Release -LE netns" run_tests build-multi "Ninja Multi-Config build" "$built" || status=1
    if [ "$with_fuzz" = 1 ]; then
        if finish_build build-fuzz "fuzzing"; then
            run_fuzzers || status=1
        else
            summary+=("fuzzing: the build failed")
            total_failed=$((total_failed + 1))
            status=1
        fi
    fi
fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
echo "time: $(minutes $((SECONDS - run_start))) in all (budget 25 min for the whole run)"
echo "total: ${total_passed} passed, ${total_failed} failed"
exit "$status"

#!/usr/bin/env bash
# The hardening run: builds Quillcast with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# (and the libFuzzer programs) into a build folder of its own, runs every test there, then each
# fuzz program of tests/fuzz from its seed inputs for a bounded number of runs, as many at a time
# as there are processors. Any sanitizer finding, failed test or fuzz finding fails the run; a
# fuzz finding's input is kept under <build>/fuzz-findings/. The build is what the tests and the
# fuzz programs need (no benchmarks, no screenshot program), optimised a little (-O1, enough for
# the sanitizers to run fast) with line tables only for the reports' source lines.
#
# QUILLCAST_HARDEN_DIR  build folder (default: build-harden beside this checkout's build/)
# QUILLCAST_FUZZ_RUNS   runs per fuzz program (default 200000)
# QUILLCAST_FUZZ_SECONDS  time limit per fuzz program in seconds (default 60)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLCAST_HARDEN_DIR:-$root/build-harden}"
runs="${QUILLCAST_FUZZ_RUNS:-200000}"
seconds="${QUILLCAST_FUZZ_SECONDS:-60}"
jobs="$(nproc)"
started=$(date +%s)

compiler="$(command -v clang++-14 || command -v clang++ || true)"
if [ -z "$compiler" ]; then
    echo "harden: clang++ is needed (Debian: clang-14 libclang-rt-14-dev)" >&2
    exit 1
fi
generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DQUILLCAST_SANITIZE=ON -DQUILLCAST_FUZZ=ON -DQUILLCAST_BENCHMARKS=OFF \
    -DQUILLCAST_SCREENSHOTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$jobs"
built=$(date +%s)
echo "harden: sanitizer build $((built - started)) s"

# Leaks count as findings too; a report names its source lines.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure -j"$jobs")
tested=$(date +%s)
echo "harden: test suite under the sanitizers $((tested - built)) s"

findings="$build/fuzz-findings"
mkdir -p "$findings"
# fuzz PROGRAM: one bounded fuzz run; its summary line goes to <build>/<name>.result, its output
# to <build>/<name>.log.
fuzz() {
    local program="$1" name seeds work log begin result executed
    name="$(basename "$program")"
    seeds="$root/tests/fuzz/corpus/${name#fuzz_}"
    work="$(mktemp -d)"
    log="$build/$name.log"
    begin=$(date +%s)
    # New inputs go to the scratch folder; the seeds in the checkout stay as they are.
    if "$program" -runs="$runs" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$findings/$name-" "$work" "$seeds" >"$log" 2>&1; then
        result="ok"
    else
        result="FINDING (input kept in $findings)"
    fi
    executed="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    echo "harden: $name: ${executed:-?} runs in $(($(date +%s) - begin)) s: $result" \
        >"$build/$name.result"
    rm -rf "$work"
}
programs=()
for program in "$build"/fuzz/fuzz_*; do
    [ -x "$program" ] && programs+=("$program")
done
running=0
for program in "${programs[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    rm -f "$build/$(basename "$program").result"
    fuzz "$program" &
    running=$((running + 1))
done
wait
status=0
for program in "${programs[@]}"; do
    name="$(basename "$program")"
    if ! grep -q ': ok$' "$build/$name.result" 2>/dev/null; then
        status=1
        tail -n 40 "$build/$name.log" >&2
    fi
    cat "$build/$name.result" 2>/dev/null || echo "harden: $name: no result"
done
echo "harden: fuzzing $(($(date +%s) - tested)) s"

echo "harden: total $(($(date +%s) - started)) s"
exit "$status"

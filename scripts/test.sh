#!/usr/bin/env bash
# Builds every preset and runs all tests: the Linux tests (with the Wine end-to-end check against
# the real VornLoconaut.asi), the playground page in headless Chromium, the release archive, its
# check and a second build of it in another folder that must give the same bytes, the same
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, the Clang build of the plug-in and the
# stand-in (with the warnings that stand in for MSVC's) and the three fuzzers (the INI reader's, the
# one that plays the game and the ride recording's reader) for a minute each, side by side, each
# input within a memory limit. Exits non-zero on any failure.
#
# Steps that need different things run side by side where one would leave a core idle: the page's
# build (mostly one process at a time) beside the other builds, the fuzzers (bounded by time) beside
# the page in Chromium. Each step's output is printed when it ends, with its time and the processor
# time it took (which does not depend on what else runs), and again in the summary.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/install-deps.sh
vorn_install_missing && vorn_install_node || { echo "test: cannot install the build's packages" >&2; exit 1; }

jobs="${VORN_JOBS:-2}"
fuzz_seconds="${VORN_FUZZ_SECONDS:-60}"
# Here the Wine check must run; a missing wine or Windows build is a failure, not a skip.
export VORN_E2E_REQUIRED=1

logs="$(mktemp -d "${TMPDIR:-/tmp}/vorn-test.XXXXXX")"
trap 'rm -rf "$logs"' EXIT
: >"$logs/summary"

# step NAME COMMAND...: runs the command with its output kept aside, times it and prints the output
# when it ends (never two at once), then records the outcome.
step() {
  local name="$1"
  shift
  local log="$logs/step.$BASHPID.$RANDOM"
  echo "=== started: $name"
  local TIMEFORMAT='%R %U %S' status
  { time "$@" >"$log" 2>&1; } 2>"$log.time"
  status=$?
  local wall cpu verdict=PASS
  read -r wall cpu < <(awk '{ printf "%.0f %.0f\n", $1, $2 + $3 }' "$log.time")
  [ "$status" -eq 0 ] || verdict=FAIL
  {
    flock 9
    echo
    echo "=== $name"
    cat "$log"
    echo "--- $verdict in ${wall}s (processor ${cpu}s)"
    printf '%s  %4ds  %5ds  %s\n' "$verdict" "$wall" "$cpu" "$name" >>"$logs/summary"
  } 9>"$logs/lock"
  rm -f "$log" "$log.time"
  return "$status"
}

# build PRESET [TARGET...]: configures the preset and builds the targets (all when none is named).
build() {
  local preset="$1"
  shift
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$jobs" "${targets[@]}"
}

# fuzz NAME WHAT OPTION...: the fuzzer from a copy of its seed corpus, so that what CI finds does not
# grow the committed one, each input within 2 GB of memory in all and 64 MB in one allocation.
fuzz() {
  local name="$1" what="$2"
  shift 2
  local corpus
  corpus="$(mktemp -d "$logs/fuzz-$name.XXXXXX")"
  cp "tests/fuzz/corpus/$name"/* "$corpus"/
  step "$what for ${fuzz_seconds}s" "build/linux-clang/tests/fuzz_$name" -max_total_time="$fuzz_seconds" \
    -rss_limit_mb=2048 -malloc_limit_mb=64 -print_final_stats=1 "$@" "$corpus"
  rm -rf "$corpus"
}

# The sanitizers' build and their tests need nothing else built, and are the longest chain of
# work: they start at once, and run beside everything that follows.
sanitizer_lane() {
  step "build linux-asan" build linux-asan vorn_tests vornloconaut-sim bench_pass_cost || return
  step "ctest linux-asan" ctest --preset linux-asan -j "$jobs" -LE e2e
}
sanitizer_lane &

# The release's plug-in and the page's engine, beside the Linux build that the other lanes
# need: emscripten and the linker work one process at a time for the most part.
step "build windows-release and wasm (the release's plug-in, the page's engine)" \
  bash -c 'cmake --preset windows-release >/dev/null && cmake --build --preset windows-release -j "$1" &&
    cmake --preset wasm >/dev/null && cmake --build --preset wasm -j "$1"' parts "$jobs" &
parts=$!
step "build linux" build linux
wait "$parts"

# Then three more lanes side by side: what waits on Wine or Chromium leaves the processors to the builds.
windows_lane() {
  step "build windows" build windows || return
  step "import table of VornLoconaut.asi" bash scripts/check-imports.sh build/windows/VornLoconaut.asi
  step "ctest linux (with the Wine end-to-end check)" ctest --preset linux -j "$jobs"
}
# The release archive checks itself: contents, stripped plug-in, import table, default INI, README.
# It builds the page, which is then opened from disk, its report and a chart point checked against
# this build's plug-in and simulator.
page_lane() {
  step "release archive (with the playground page)" bash scripts/release.sh || return
  step "the release rebuilt in another folder is the same byte for byte" \
    bash scripts/check-reproducible.sh --built &
  step "the playground page in headless Chromium" env VORN_FIRST_INK=later node --test tools/playground/test/
  wait
}
# Clang must build the plug-in and the stand-in warning-free too (its extra warnings on the plug-in
# stand in for MSVC's); it builds them, with the sanitizers, for the fuzzers, which then run side by
# side (each is bounded by time, not by work).
clang_lane() {
  step "build linux-clang (the plug-in, the stand-in, the fuzzers)" \
    build linux-clang vorn_sim_scenarios fuzz_config_reader fuzz_game_answers fuzz_recording_reader || return
  fuzz config_reader "fuzz the INI reader" -dict=tests/fuzz/config_reader.dict &
  fuzz game_answers "fuzz the game's answers to the plug-in" &
  fuzz recording_reader "fuzz the ride recording's reader and replay" &
  wait
}
windows_lane &
page_lane &
clang_lane &
wait
# Timed once nothing else runs: the page's first ink against a bare page's, printed, not judged.
step "the playground page's first ink, on processors left idle" \
  node --test --test-name-pattern="first ink" tools/playground/test/playground.test.mjs
step "the released VornLoconaut.asi is the one the Wine check plays" \
  cmp build/windows-release/VornLoconaut.asi build/windows/VornLoconaut.asi

echo
echo "=== summary (time, processor time, step)"
cat "$logs/summary"
if grep -q '^FAIL' "$logs/summary"; then
  echo "test: FAILED"
  exit 1
fi
echo "test: all passed in ${SECONDS}s"

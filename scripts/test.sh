#!/usr/bin/env bash
# Builds every preset and runs all tests: the Linux tests (with the Wine end-to-end check against
# the real VornLoconaut.asi), the playground page in headless Chromium, the release archive, its
# check and a second build of it in another folder that must give the same bytes, the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, the Clang build and the three fuzzers (the INI
# reader's, the one that plays the game and the ride recording's reader) for a minute each. Exits
# non-zero on any failure.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/install-deps.sh
vorn_install_missing && vorn_install_node || { echo "test: cannot install the build's packages" >&2; exit 1; }

jobs="${VORN_JOBS:-2}"
fuzz_seconds="${VORN_FUZZ_SECONDS:-60}"
# Here the Wine check must run; a missing wine or Windows build is a failure, not a skip.
export VORN_E2E_REQUIRED=1

summary=()
failed=0

# step NAME COMMAND...: runs the command, times it, records the outcome.
step() {
  local name="$1"
  shift
  echo
  echo "=== $name"
  local start=$SECONDS
  if "$@"; then
    summary+=("PASS  $(printf '%4d' $((SECONDS - start)))s  $name")
    return 0
  fi
  summary+=("FAIL  $(printf '%4d' $((SECONDS - start)))s  $name")
  failed=1
  return 1
}

build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}

step "build linux" build linux
step "build windows" build windows
step "import table of VornLoconaut.asi" bash scripts/check-imports.sh build/windows/VornLoconaut.asi
# The page opened from disk, its report and a chart point against this build's plug-in and simulator.
step "build the playground page" bash scripts/build-playground.sh &&
  step "the playground page in headless Chromium" node --test tools/playground/test/
# The release archive checks itself: contents, stripped plug-in, import table, default INI, README.
step "release archive" bash scripts/release.sh
step "the released VornLoconaut.asi is the one the Wine check plays" \
  cmp build/windows-release/VornLoconaut.asi build/windows/VornLoconaut.asi
step "the release rebuilt in another folder is the same byte for byte" bash scripts/check-reproducible.sh
step "build linux-asan" build linux-asan
step "ctest linux (with the Wine end-to-end check)" ctest --preset linux -j "$jobs"
step "ctest linux-asan" ctest --preset linux-asan -j "$jobs" -LE e2e

# Clang must build the tree warning-free too (its extra warnings on the plug-in stand in for
# MSVC's); it also builds the fuzzers.
if step "build linux-clang" build linux-clang; then
  # Each fuzzer from a copy of its seed corpus, so that what CI finds does not grow the committed one.
  fuzz() {
    local name="$1" what="$2"
    shift 2
    if [ ! -x "build/linux-clang/tests/fuzz_$name" ]; then
      summary+=("FAIL     -   $what (no fuzz_$name target)")
      failed=1
      return
    fi
    local corpus
    corpus="$(mktemp -d "${TMPDIR:-/tmp}/vorn-fuzz.XXXXXX")"
    cp "tests/fuzz/corpus/$name"/* "$corpus"/
    step "$what for ${fuzz_seconds}s" \
      "build/linux-clang/tests/fuzz_$name" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$@" "$corpus"
    rm -rf "$corpus"
  }
  fuzz config_reader "fuzz the INI reader" -dict=tests/fuzz/config_reader.dict
  fuzz game_answers "fuzz the game's answers to the plug-in"
  fuzz recording_reader "fuzz the ride recording's reader and replay"
fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
  echo "test: FAILED"
  exit 1
fi
echo "test: all passed in ${SECONDS}s"

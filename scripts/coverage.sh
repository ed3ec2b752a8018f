#!/usr/bin/env bash
# Which lines of src/ the tests reach: builds the coverage preset (Clang's source-based coverage, in
# build/coverage), runs the Linux tests (unit, scenario, the simulator's scenario runs, the soak and
# hostile games; not the Wine check, whose plug-in is the Windows build), replays each fuzzer's
# corpus, then prints line and branch coverage per file of src/ and every line no one reaches.
# Not a gate: it exits non-zero only when the build fails.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/install-deps.sh
vorn_packages+=(llvm-14)
vorn_install_missing || { echo "coverage: cannot install the build's packages" >&2; exit 1; }

jobs="${VORN_JOBS:-2}"
build=build/coverage
profdata=llvm-profdata-14
cov=llvm-cov-14
target=95

# Each fuzzer and the corpus it replays, one line each.
fuzzers=(
  "config_reader tests/fuzz/corpus/config_reader"
  "game_answers tests/fuzz/corpus/game_answers"
  "recording_reader tests/fuzz/corpus/recording_reader"
)

cmake --preset coverage >/dev/null && cmake --build --preset coverage -j "$jobs" ||
  { echo "coverage: the build failed" >&2; exit 1; }

profiles="$root/$build/profiles"
rm -rf "$profiles"
mkdir -p "$profiles"
# One file per binary, merged as the processes end (%m).
export LLVM_PROFILE_FILE="$profiles/%m.profraw"

echo "=== tests"
if ! ctest --test-dir "$build" -j "$jobs" -LE e2e --output-on-failure >"$profiles/ctest.log" 2>&1; then
  cat "$profiles/ctest.log"
  echo "coverage: some tests failed; the figures below still count what ran" >&2
fi
sed -n '/tests passed/,/^Total Test time/p' "$profiles/ctest.log"

objects=("$build/tests/vorn_tests" "$build/vornloconaut-sim")
[ -x "$build/bench/bench_pass_cost" ] && objects+=("$build/bench/bench_pass_cost")
echo "=== fuzzers' corpora"
for entry in "${fuzzers[@]}"; do
  read -r name corpus <<<"$entry"
  binary="$build/tests/fuzz_$name"
  echo "fuzz_$name: $(find "$corpus" -type f | wc -l) inputs from $corpus"
  "$binary" -runs=0 "$corpus" >"$profiles/fuzz_$name.log" 2>&1 ||
    { echo "coverage: fuzz_$name failed on its corpus (see $profiles/fuzz_$name.log)" >&2; }
  objects+=("$binary")
done

merged="$build/coverage.profdata"
"$profdata" merge -sparse "$profiles"/*.profraw -o "$merged" || { echo "coverage: no profile to merge" >&2; exit 1; }
# Functions of the same name built differently in two binaries (each one's main, library templates
# instantiated under other flags) cannot be matched to one profile; none of them is in src/.
quiet() { "$@" 2> >(grep -v "functions have mismatched data" >&2); }
# The settings table is constant data whose builders run only in the compiler (consteval); Clang 14
# still maps them, as lines nothing could ever reach at run time.
compile_time_only='config/setting_table\.h$'

object_args=("${objects[0]}")
for object in "${objects[@]:1}"; do
  object_args+=(-object "$object")
done

echo
echo "=== coverage of src/ (lines and branches per file)"
quiet "$cov" report -instr-profile="$merged" "${object_args[@]}" -show-region-summary=false -show-instantiation-summary=false \
  -ignore-filename-regex="$compile_time_only" "$root/src" | sed "s|$root/||"

# Unreached lines, from the lcov form: per file, the line numbers and their text.
echo
echo "=== lines no test or corpus reaches"
quiet "$cov" export -format=lcov -instr-profile="$merged" "${object_args[@]}" -ignore-filename-regex="$compile_time_only" \
  "$root/src" |
  awk -v root="$root/" -v target="$target" '
    /^SF:/ { file = substr($0, 4); sub(root, "", file); missed = ""; found = 0; hit = 0; next }
    /^DA:/ {
      split(substr($0, 4), f, ",")
      ++found
      if (f[2] + 0 > 0) ++hit; else missed = missed " " f[1]
      next
    }
    /^end_of_record/ {
      if (missed != "") {
        n = split(missed, lines, " ")
        path = root file
        i = 0
        while ((getline text < path) > 0) {
          ++i
          texts[i] = text
        }
        close(path)
        for (k = 1; k <= n; ++k) printf "%s:%d: %s\n", file, lines[k], texts[lines[k]]
        delete texts
      }
      if (found > 0 && hit * 100 < target * found) below = below sprintf("  %s %.1f %%\n", file, hit * 100 / found)
    }
    END {
      if (below != "") printf "\nfiles below %d %% of their lines:\n%s", target, below
      else printf "\nevery file of src/ is at %d %% of its lines or above\n", target
    }'

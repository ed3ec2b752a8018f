#!/usr/bin/env bash
# Which lines of src/ the tests reach: builds the coverage preset (Clang's source-based coverage, in
# build/coverage), runs the Linux tests (unit, scenario, the simulator's scenario runs, the soak and
# hostile games; not the Wine check, whose plug-in is the Windows build), replays each fuzzer's
# corpus, then prints line and branch coverage per file of src/ and every line no one reaches.
#
# Every file of src/ must have at least 95 % of its lines run: the script ends with the files below
# that and exits 1 when there is one (2 when the build fails). A file of src/ with code that no
# measured binary links counts as 0 %.
#
# What this Linux report cannot see, and leaves out rather than counts as run: the Windows-only code
# of the .asi, which only the Wine check (ctest -L e2e, the Windows build) runs. That is
# host/dllmain.cpp, the .asi's entry point, which Linux never compiles (listed at the end as not
# measured here), and the _WIN32 half of host/file_system.cpp, which the preprocessor removes here:
# that file's figure is its POSIX half's. The playground page's engine (WebAssembly, tested by the
# page's own tests) is not measured either; where src/ has a path only it takes, the report shows the
# line as not run.
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

# Only what the report runs: the tests, the simulator their scenarios play on, the benchmark
# ctest's smoke run needs, and the fuzzers.
targets=(vorn_tests vornloconaut-sim bench_pass_cost)
for entry in "${fuzzers[@]}"; do
  targets+=("fuzz_${entry%% *}")
done
cmake --preset coverage >/dev/null && cmake --build --preset coverage -j "$jobs" --target "${targets[@]}" ||
  { echo "coverage: the build failed" >&2; exit 2; }

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
"$profdata" merge -sparse "$profiles"/*.profraw -o "$merged" || { echo "coverage: no profile to merge" >&2; exit 2; }
# Functions of the same name built differently in two binaries (each one's main, library templates
# instantiated under other flags) cannot be matched to one profile; none of them is in src/.
quiet() { "$@" 2> >(grep -v "functions have mismatched data" >&2); }
# The settings table is constant data whose builders run only in the compiler (consteval). Clang 14
# still maps consteval member functions (not free ones), as lines nothing could ever reach at run time.
compile_time_only='config/setting_table\.h$'

object_args=("${objects[0]}")
for object in "${objects[@]:1}"; do
  object_args+=(-object "$object")
done

echo
echo "=== coverage of src/ (lines and branches per file)"
quiet "$cov" report -instr-profile="$merged" "${object_args[@]}" -show-region-summary=false -show-instantiation-summary=false \
  -ignore-filename-regex="$compile_time_only" "$root/src" | sed "s|$root/||"

# Unreached lines, from the lcov form: per file, the line numbers and their text; then the files under
# the floor, one a line as "path figure", into $below.
echo
echo "=== lines no test or corpus reaches"
below="$profiles/below.txt"
reported="$profiles/reported.txt"
quiet "$cov" export -format=lcov -instr-profile="$merged" "${object_args[@]}" -ignore-filename-regex="$compile_time_only" \
  "$root/src" |
  awk -v root="$root/" -v target="$target" -v below="$below" -v reported="$reported" '
    BEGIN { printf "" > below; printf "" > reported }
    /^SF:/ { file = substr($0, 4); sub(root, "", file); missed = ""; found = 0; hit = 0; next }
    /^DA:/ {
      split(substr($0, 4), f, ",")
      ++found
      if (f[2] + 0 > 0) ++hit; else missed = missed " " f[1]
      next
    }
    /^end_of_record/ {
      print file > reported
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
      if (found > 0 && hit * 100 < target * found) printf "%s %.1f %%\n", file, hit * 100 / found > below
    }'

# The Windows-only translation units (see the top): run by the Wine check alone.
windows_only=(src/host/dllmain.cpp)
echo
echo "=== files of src/ not in this report"
while IFS= read -r file; do
  grep -qxF "$file" "$reported" && continue
  if printf '%s\n' "${windows_only[@]}" | grep -qxF "$file"; then
    echo "  $file: Windows only, measured by the Wine check"
    continue
  fi
  # A table and no function (the game's control list) maps no line; anything else no binary linked.
  object="$(find "$build/src" -path "*.dir/${file#src/}.o" | head -n 1)"
  if [ -n "$object" ] && ! nm --defined-only "$object" | grep -q ' [Tt] '; then
    echo "  $file: data only, no line to run"
  else
    echo "  $file: code that no measured binary links"
    echo "$file 0.0 %" >>"$below"
  fi
done < <(find src -name '*.cpp' | sort)

echo
if [ -s "$below" ]; then
  echo "files of src/ below $target % of their lines:"
  sed 's/^/  /' "$below"
  exit 1
fi
echo "every file of src/ is at $target % of its lines or above"

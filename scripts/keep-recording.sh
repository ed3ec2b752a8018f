#!/usr/bin/env bash
# keep-recording.sh FILE NAME   turns a ride recording (a player's VornLoconaut-last-ride.vlrec) into a
#                               test: tests/recordings/NAME.vlrec, which ctest replays as replay_NAME
#                               and which must replay without divergence
# keep-recording.sh --remake    makes the kept recordings and the recording fuzzer's seeds again from
#                               their scenarios, after the catalogue or the plug-in's behaviour changed;
#                               the one VornLoconaut.asi wrote under Wine comes from the Wine check's
#                               game folder (ctest --preset linux -R e2e_wine_recorded-ride first)
# Both need the linux preset built (cmake --preset linux && cmake --build --preset linux).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sim="$root/build/linux/vornloconaut-sim"
[ -x "$sim" ] || { echo "keep-recording: build the linux preset first ($sim is missing)" >&2; exit 2; }

if [ "${1:-}" = "--remake" ]; then
  for name in script-restart life-tram-derails-without-player; do
    "$sim" "$root/scenarios/$name.json" --record "$root/tests/recordings/$name.vlrec" >/dev/null
  done
  for name in life-seated-during-hold recorded-ride; do
    "$sim" "$root/scenarios/$name.json" --record "$root/tests/fuzz/corpus/recording_reader/$name.vlrec" >/dev/null
  done
  wine="$root/build/linux/e2e/recorded-ride/game/VornLoconaut-last-ride.vlrec"
  if [ -f "$wine" ]; then
    cp "$wine" "$root/tests/recordings/recorded-ride-wine.vlrec"
  else
    echo "keep-recording: $wine is missing: the Wine-made recording stays as it was" >&2
  fi
  for file in "$root"/tests/recordings/*.vlrec; do
    printf '%s: %s\n' "$(basename "$file")" "$("$sim" --replay "$file" | tail -1)"
  done
  exit 0
fi

[ $# -eq 2 ] && [[ "$2" =~ ^[A-Za-z0-9-]+$ ]] || { sed -n '2,10p' "$0" >&2; exit 2; }
file="$1"
name="$2"
target="$root/tests/recordings/$name.vlrec"
[ ! -e "$target" ] || { echo "keep-recording: $target exists already" >&2; exit 2; }
# A file the reader refuses, or one made with another catalogue, is no test: say why and keep nothing.
set +e
summary="$("$sim" --replay "$file")"
status=$?
set -e
echo "$summary"
[ "$status" -ne 2 ] || exit 2
cp "$file" "$target"
echo "kept as $target: ctest -R replay_$name replays it"
[ "$status" -eq 0 ] || echo "keep-recording: it diverges today, so replay_$name fails until the plug-in replays it" >&2

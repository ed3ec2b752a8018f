#!/usr/bin/env bash
# Makes the README's pictures with the simulator into docs/pictures/: what the player sees at chosen
# frames of some scenarios (--hud), and the map of the derailment ride (--map); and the playground
# page's pictures, taken in headless Chromium.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/install-deps.sh
vorn_install_missing

jobs="${VORN_JOBS:-2}"
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs" --target vornloconaut-sim

sim=build/linux/vornloconaut-sim
out=docs/pictures
work="$(mktemp -d "${TMPDIR:-/tmp}/vorn-pictures.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# screen SCENARIO FRAMES NAME...: one picture per frame, named in the same order.
screen() {
  local scenario="$1" frames="$2"
  shift 2
  "$sim" "scenarios/$scenario.json" --hud "$work/$scenario" --frames "$frames" >"$work/$scenario.log" ||
    { cat "$work/$scenario.log" >&2; exit 1; }
  local frame
  for frame in ${frames//,/ }; do
    cp "$work/$scenario/frame-$frame.png" "$out/$1.png"
    echo "$out/$1.png: $scenario, frame $frame"
    shift
  done
}

screen cab-displays 340,840 cab-top cab-bottom
screen freight-ride 230 hold-prompt
screen engineer-stop 300 engineer-menu
screen engineer-gives-up 175 follow-distance
"$sim" scenarios/derailment.json --map "$out/map-derailment.png" >"$work/derailment.log" ||
  { cat "$work/derailment.log" >&2; exit 1; }
echo "$out/map-derailment.png: derailment, map"

bash scripts/build-playground.sh >/dev/null
node tools/playground/pictures.mjs "$out"

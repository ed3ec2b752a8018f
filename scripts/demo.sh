#!/usr/bin/env bash
# Builds the simulator and plays the demo ride, printing its timeline.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/install-deps.sh
vorn_install_missing

jobs="${VORN_JOBS:-2}"
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs" --target vornloconaut-sim

scenario=""
for candidate in scenarios/freight-ride.json scenarios/smoke.json scenarios/*.json; do
  if [ -f "$candidate" ]; then
    scenario="$candidate"
    break
  fi
done
if [ -z "$scenario" ]; then
  echo "demo: no scenario in scenarios/" >&2
  exit 1
fi

# The plug-in writes its VornLoconaut.ini into the working directory, as into the game's folder.
game_dir="$(mktemp -d "${TMPDIR:-/tmp}/vorn-demo.XXXXXX")"
echo "Playing $scenario in $game_dir"
cd "$game_dir"
"$root/build/linux/vornloconaut-sim" "$root/$scenario" "$@"
echo "The game folder with the plug-in's VornLoconaut.ini: $game_dir"

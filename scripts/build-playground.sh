#!/usr/bin/env bash
# Builds the playground page for players, build/playground/VornLoconaut-playground.html: the plug-in's
# logic and the simulator's world compiled to WebAssembly (preset wasm, Debian's emscripten), then
# bundled with the page's script, charts and style into one file that works from disk, offline.
# The npm packages come at the versions of tools/playground/package-lock.json.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/install-deps.sh
vorn_install_missing
vorn_install_node

jobs="${VORN_JOBS:-2}"
version="$(sed -n 's/^project(VornLoconaut VERSION \([0-9][0-9.]*\) .*/\1/p' CMakeLists.txt)"

cmake --preset wasm >/dev/null
cmake --build --preset wasm -j "$jobs"
(cd tools/playground && npm ci --no-audit --no-fund --loglevel=error)
mkdir -p build/playground
node tools/playground/build-page.mjs build/wasm/vornloconaut-playground.js \
  build/playground/VornLoconaut-playground.html "$version"

#!/usr/bin/env bash
# Builds the playground page for players, build/playground/VornLoconaut-playground.html: the plug-in's
# logic and the simulator's world compiled to WebAssembly (preset wasm, Debian's emscripten), then
# bundled with the page's script, charts and style into one file that works from disk, offline.
# The npm packages come at the versions of tools/playground/package-lock.json. The page knows the
# released VornLoconaut.asi by its SHA-256: the windows-release preset's build, the very file
# scripts/release.sh puts into the zip; the plug-in is reproducible, so the page stays so too. Beside
# the page it writes THIRD-PARTY-NOTICES.txt: the licence texts of the npm packages bundled into the
# page and of the libraries linked into the plug-in and the engine (scripts/linked-libraries.sh).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/install-deps.sh
vorn_install_missing
vorn_install_node

jobs="${VORN_JOBS:-2}"
version="$(sed -n 's/^project(VornLoconaut VERSION \([0-9][0-9.]*\) .*/\1/p' CMakeLists.txt)"

cmake --preset windows-release >/dev/null
cmake --build --preset windows-release -j "$jobs"
asi_sha256="$(sha256sum build/windows-release/VornLoconaut.asi | cut -d' ' -f1)"
cmake --preset wasm >/dev/null
cmake --build --preset wasm -j "$jobs"
(cd tools/playground && npm ci --no-audit --no-fund --loglevel=error)
mkdir -p build/playground
bash scripts/linked-libraries.sh >build/playground/linked-libraries.tsv
node tools/playground/build-page.mjs build/wasm/vornloconaut-playground.js \
  build/playground/VornLoconaut-playground.html "$version" "$asi_sha256" build/playground/linked-libraries.tsv

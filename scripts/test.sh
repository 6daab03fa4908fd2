#!/usr/bin/env bash
# Every test: the style check, the host unit tests (core, QR encoder, simulator logic), natively and under the
# sanitizers, then the Windows build's tests under Wine (the end-to-end suite drives the real TavrioPanel.exe with
# the bot simulator as bot.exe).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${TAVRIO_JOBS:-2}

echo "== one style: every C++ file as clang-format writes it (scripts/format.sh applies it)"
scripts/format.sh --check

echo "== host build and unit tests"
cmake --preset host >/dev/null
cmake --build --preset host -j"$jobs"
ctest --preset host -j"$jobs"

echo "== the same host tests under the address and undefined-behaviour sanitizers"
cmake --preset host-debug >/dev/null
cmake --build --preset host-debug -j"$jobs"
ctest --preset host-debug -j"$jobs"

echo "== fuzz targets: a short run of each, all at once"
FUZZ_PARALLEL=1 bash scripts/fuzz.sh 20

echo "== Windows build and its tests under Wine"
source scripts/wine-env.sh
tavrio_ensure_display
tavrio_ensure_prefix
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
ctest --preset windows

echo "== Reproducible release: two clean builds of the commit, byte for byte"
TAVRIO_JOBS=$jobs scripts/reproducible.sh

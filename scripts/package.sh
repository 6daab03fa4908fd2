#!/usr/bin/env bash
# The release zip: builds only what goes into it (the panel and the simulator) and packs it with CPack into
# build/windows/package-out/TavrioPanel-<version>-win64.zip. The archive's times come from SOURCE_DATE_EPOCH,
# by default the commit's time, so every build of one commit gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
export SOURCE_DATE_EPOCH
cmake --preset windows >/dev/null
cmake --build --preset windows -j"${TAVRIO_JOBS:-2}" --target TavrioPanel bot-sim
(cd build/windows && cpack --config CPackConfig.cmake >/dev/null)
ls "$(pwd)"/build/windows/package-out/TavrioPanel-*-win64.zip

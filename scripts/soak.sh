#!/usr/bin/env bash
# The soak run: panel and simulator for N minutes (default 10), restart requests every minute, a message every
# few seconds; prints handle, GDI object and memory figures once a minute and checks that no message was lost.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/wine-env.sh
tavrio_ensure_display
tavrio_ensure_prefix
cmake --preset windows >/dev/null
cmake --build --preset windows -j"${TAVRIO_JOBS:-2}" --target TavrioPanel bot-sim soak
sim=$(find build/windows -name 'bot-sim.exe' | head -1)
wine build/windows/bin/soak.exe "$root/build/windows/bin/TavrioPanel.exe" "$root/$sim" "$root/build/soak" "${1:-10}" 2>/dev/null

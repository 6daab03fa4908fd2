#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix: CTest's emulator for the Windows build.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
tavrio_ensure_display
tavrio_ensure_prefix
exec wine "$@"

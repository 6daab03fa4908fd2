#!/usr/bin/env bash
# The floors of src/, top to bottom: win32/ (the program: entry, window, services), app/ (Form1), settings/, log/ and
# tray/, then platform/ (the seam), text/ and qr/. A folder includes only its own headers and those of the floors
# below it, and only win32/ includes windows.h. Prints every include that breaks this and fails on any.
set -euo pipefail
cd "$(dirname "$0")/../src"

# Each folder and the folders it may include from, besides itself.
declare -A below=(
  [qr]="" [text]="" [platform]=""
  [settings]="platform text qr" [tray]="platform text qr" [log]="platform text"
  [app]="settings tray log platform text qr"
)
bad=0
for folder in "${!below[@]}"; do
  allowed="$folder ${below[$folder]}"
  pattern="#include \"($(tr ' ' '|' <<<"${allowed% }"))/"
  while IFS= read -r hit; do
    echo "upward include: $hit"
    bad=1
  done < <(grep -rnE '^#include "' "$folder" | grep -vE ":[0-9]+:$pattern" || true)
  while IFS= read -r hit; do
    echo "windows.h outside win32/: $hit"
    bad=1
  done < <(grep -rnE '^#include <windows\.h>' "$folder" || true)
done
exit "$bad"

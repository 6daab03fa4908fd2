#!/usr/bin/env bash
# Draws the window icon and the three status pictures. Run once by hand; the .ico files are committed.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Window icon: a speech bubble, 32 x 32 and 16 x 16, 32-bit colour.
convert -size 32x32 xc:none -fill '#2f6fd0' -stroke '#1d4a8f' -strokewidth 1 \
  -draw 'roundrectangle 2,3 29,23 6,6' -draw 'polygon 8,22 8,29 15,22' -stroke none -fill white \
  -draw 'circle 9,13 9,15.5' -draw 'circle 16,13 16,15.5' -draw 'circle 23,13 23,15.5' "$work/panel32.png"
convert "$work/panel32.png" -resize 16x16 "$work/panel16.png"
convert "$work/panel32.png" "$work/panel16.png" panel.ico

# Status 0, offline: a red dot in a grey ring, 32-bit colour.
convert -size 32x32 xc:none -fill '#9a9a9a' -stroke '#5a5a5a' -strokewidth 1.5 -draw 'circle 16,16 16,3' \
  -stroke '#7a1010' -fill '#d02020' -draw 'circle 16,16 16,9' "$work/status0.png"
convert "$work/status0.png" status0.ico

# Status 1, ready: a green dot, 32-bit colour.
convert -size 32x32 xc:none -fill '#30b040' -stroke '#176322' -strokewidth 1.5 -draw 'circle 16,16 16,3' \
  -stroke none -fill '#a8f0b0' -draw 'circle 12,11 12,8' "$work/status1.png"
convert "$work/status1.png" status1.ico

# Status 2: a yellow dot in 16 colours (4 bits per pixel, transparency in the icon's mask).
convert -size 32x32 xc:none +antialias -fill '#ffff00' -stroke '#808000' -strokewidth 1 \
  -draw 'circle 16,16 16,3' -fill '#808000' -stroke none -draw 'circle 16,16 16,12' "$work/status2.png"
convert "$work/status2.png" +dither -colors 16 -type PaletteMatte -depth 4 status2.ico

#!/usr/bin/env bash
# Draws the window icon and the three status pictures, each in every size Windows asks for from 96 to 192 DPI
# (small and large icons). Run once by hand; the .ico files are committed.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes="16 20 24 32 40 48 64"

# Each picture is drawn on a 32-pixel grid and scaled as a drawing, so every size is sharp.
scale() { awk -v n="$1" 'BEGIN { s = n / 32; printf "scale %g,%g", s, s }'; }

for n in $sizes; do
  s=$(scale "$n")
  # Window icon: a speech bubble, 32-bit colour.
  convert -size "${n}x${n}" xc:none -fill '#2f6fd0' -stroke '#1d4a8f' -strokewidth 1 \
    -draw "$s roundrectangle 2,3 29,23 6,6" -draw "$s polygon 8,22 8,29 15,22" -stroke none -fill white \
    -draw "$s circle 9,13 9,15.5" -draw "$s circle 16,13 16,15.5" -draw "$s circle 23,13 23,15.5" "$work/panel$n.png"
  # Status 0, offline: a red dot in a grey ring, 32-bit colour.
  convert -size "${n}x${n}" xc:none -fill '#9a9a9a' -stroke '#5a5a5a' -strokewidth 1.5 -draw "$s circle 16,16 16,3" \
    -stroke '#7a1010' -fill '#d02020' -draw "$s circle 16,16 16,9" "$work/status0-$n.png"
  # Status 1, ready: a green dot, 32-bit colour.
  convert -size "${n}x${n}" xc:none -fill '#30b040' -stroke '#176322' -strokewidth 1.5 -draw "$s circle 16,16 16,3" \
    -stroke none -fill '#a8f0b0' -draw "$s circle 12,11 12,8" "$work/status1-$n.png"
  # Status 2: a yellow dot in 16 colours (4 bits per pixel, transparency in the icon's mask).
  convert -size "${n}x${n}" xc:none +antialias -fill '#ffff00' -stroke '#808000' -strokewidth 1 \
    -draw "$s circle 16,16 16,3" -fill '#808000' -stroke none -draw "$s circle 16,16 16,12" "$work/status2-$n.png"
done
# The window's small icon at 96 DPI stays the large one reduced.
convert "$work/panel32.png" -resize 16x16 "$work/panel16.png"

list() { for n in $sizes; do printf '%s ' "$work/$1$n.$2"; done; }
# shellcheck disable=SC2046
convert $(list panel png) panel.ico
# shellcheck disable=SC2046
convert $(list status0- png) status0.ico
# shellcheck disable=SC2046
convert $(list status1- png) status1.ico
# shellcheck disable=SC2046
convert $(list status2- png) +dither -colors 16 -type PaletteMatte -depth 4 status2.ico

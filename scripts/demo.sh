#!/usr/bin/env bash
# The demo: builds the panel and the bot simulator, lays out a program folder (the simulator as bot.exe, auto-start
# on, the simulator linking a phone by itself after a few seconds) and runs the panel under Wine.
# With a display, the panel stays up for you to use (Exit in its tray menu ends it). Without one, it runs under
# Xvfb, tours every state and saves screenshots to shots/ (at TAVRIO_DEMO_DPI if set, e.g. 144).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/wine-env.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j"${TAVRIO_JOBS:-2}" --target TavrioPanel bot-sim demo_tour
bin=build/windows/bin
work=build/demo
mkdir -p "$work"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && [ -z "${TAVRIO_DEMO_HEADLESS:-}" ]; then
  tavrio_ensure_prefix
  folder="$work/panel"
  rm -rf "$folder" && mkdir -p "$folder"
  cp "$bin/TavrioPanel.exe" "$folder/"
  cp "$(find build/windows -name 'bot-sim.exe' | head -1)" "$folder/bot.exe"
  printf 'PORT=3033\nTAVRIO_API_KEY=qvx\nCOMPNEYNAME=demo shop\n' > "$folder/.env"
  printf '[tavriobot]\r\nAutostrat=1\r\n' > "$folder/conf.ini"
  printf '[sim]\r\nlink_after_seconds=15\r\n' > "$folder/bot-sim.ini"
  echo "The panel is in the notification area; the simulator links a phone after 15 s (or open http://localhost:3033/)."
  cd "$folder" && wine TavrioPanel.exe
  exit 0
fi

# Headless: a private screen with Wine's desktop, so the tray icon is in the pictures too.
unset DISPLAY
tavrio_ensure_display
tavrio_ensure_prefix
# TAVRIO_DEMO_DPI=144 tours at that DPI: Wine gives programs the prefix's LogPixels as they start; put back after.
if [ -n "${TAVRIO_DEMO_DPI:-}" ]; then
  desktop='HKCU\Control Panel\Desktop'
  before=$(wine reg query "$desktop" /v LogPixels 2>/dev/null | awk '/LogPixels/ { print $3 }' || true)
  restore_dpi() {
    if [ -n "$before" ]; then
      wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$((before))" /f >/dev/null 2>&1
    else
      wine reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true
    fi
  }
  trap restore_dpi EXIT
  wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$TAVRIO_DEMO_DPI" /f >/dev/null 2>&1
fi
mkdir -p shots
rm -f "$work"/shot-*.request
sim=$(find build/windows -name 'bot-sim.exe' | head -1)
wine "$bin/demo_tour.exe" "$root/$bin/TavrioPanel.exe" "$root/$sim" "$root/$work" &
tour=$!
while kill -0 "$tour" 2>/dev/null; do
  for request in "$work"/shot-*.request; do
    [ -e "$request" ] || continue
    name=$(basename "$request" .request); name=${name#shot-}
    crop=$(cat "$request")
    sleep 0.5  # let the window finish painting
    import -window root "shots/$name.png"
    if [ -n "$crop" ]; then mogrify -crop "$crop" +repage "shots/$name.png"; fi
    rm -f "$request"
  done
  sleep 0.2
done
wait "$tour"
echo "Screenshots in $root/shots:"; ls shots

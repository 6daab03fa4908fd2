#!/usr/bin/env bash
# The ready panel's footprint against the floor: a minimal program of one window, one button, one label and a
# tray icon doing the same work each second (benchmarks/footprint/baseline_panel.cpp). Both run one after the
# other, each beside the bot simulator with a saved link (ready at once), in a Wine prefix of their own.
# Prints, for each: start to main window, CPU per minute of the program, of the shell (explorer.exe) and of the
# wine server, anonymous memory after the ready period; then the ratios panel / baseline. Figures only.
#
#   benchmarks/footprint.sh [PANEL.exe]      (default: this build's TavrioPanel.exe)
#   TAVRIO_FOOTPRINT_SECONDS=120 (ready period), TAVRIO_FOOTPRINT_STARTS=3 (starts timed, the median is shown)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
ready_seconds=${TAVRIO_FOOTPRINT_SECONDS:-120}
starts=${TAVRIO_FOOTPRINT_STARTS:-3}
port=$(( ${TAVRIO_E2E_PORT_BASE:-31000} + 90 ))  # below the range Linux hands out to any program
work=$root/build/footprint
export TAVRIO_WINEPREFIX=${TAVRIO_WINEPREFIX:-$work/wineprefix}
source scripts/wine-env.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j"${TAVRIO_JOBS:-2}" --target TavrioPanel bot-sim footprint_baseline footprint_start_probe >/dev/null
bin=$root/build/windows/bin
panel=$(realpath "${1:-$bin/TavrioPanel.exe}")
sim=$(find "$root/build/windows" -name 'bot-sim.exe' | head -1)

tavrio_ensure_display
tavrio_ensure_prefix
hz=$(getconf CLK_TCK)

# The Linux process of this prefix whose command line matches $1 (case-insensitive), or nothing.
pid_of() {
  local environ p
  for environ in $(grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null); do
    p=${environ%/environ}
    tr '\0' ' ' 2>/dev/null <"$p/cmdline" | grep -qiE -- "$1" && { echo "${p#/proc/}"; return 0; }
  done
  return 0
}
# utime + stime in clock ticks (the fields after the parenthesised name).
cpu_ticks() { [ -n "$1" ] && [ -r "/proc/$1/stat" ] && sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}' || echo 0; }
anon_kib() { awk '/^Anonymous:/ {print $2}' "/proc/$1/smaps_rollup" 2>/dev/null || echo 0; }
kill_matching() {
  local pid
  for pattern in "$@"; do
    while pid=$(pid_of "$pattern") && [ -n "$pid" ]; do kill -9 "$pid" 2>/dev/null || true; sleep 0.2; done
  done
}
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# Lays out a program folder: the program, the simulator as bot.exe with a saved link, the settings.
folder_for() {
  local name=$1 program=$2 dir=$work/$1
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$program" "$dir/"
  cp "$sim" "$dir/bot.exe"
  printf 'PORT=%s\nTAVRIO_API_KEY=qvx\nCOMPNEYNAME=footprint\n' "$port" >"$dir/.env"
  printf '[tavriobot]\r\nAutostrat=1\r\n' >"$dir/conf.ini"
  : >"$dir/session.db"
  echo "$dir"
}

# measure NAME PROGRAM.exe WINDOW-CLASS STARTS-BOT(0/1): prints "start_ms own shell server anon_kib".
measure() {
  local name=$1 program=$2 class=$3 own_bot=$4 dir exe i
  dir=$(folder_for "$name" "$program")
  exe=$(basename "$program")
  wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true
  # The desktop and its shell are up, and stay up, before the first start is timed.
  rm -f "$work/shell-ready"
  (wine "$bin/footprint_start_probe.exe" --hold-shell "$(winepath -w "$work/shell-ready")" >/dev/null 2>&1 &) 2>/dev/null
  for _ in $(seq 1 300); do [ -e "$work/shell-ready" ] && break; sleep 0.1; done
  [ "$own_bot" = 1 ] || (cd "$dir" && wine bot.exe >/dev/null 2>&1 &) 2>/dev/null
  local times=()
  for i in $(seq 1 "$starts"); do
    rm -f "$dir/start-ms.txt"
    wine "$bin/footprint_start_probe.exe" "$(winepath -w "$dir/$exe")" "$class" "$(winepath -w "$dir/start-ms.txt")" "$port" \
      >/dev/null 2>&1 || true
    times+=("$(cat "$dir/start-ms.txt" 2>/dev/null || echo -1)")
    if [ "$i" -lt "$starts" ]; then
      kill_matching "\\\\$exe"
      [ "$own_bot" = 1 ] && kill_matching '(^|\\)bot\.exe'
      sleep 2
    fi
  done
  sleep 10  # the bot answers and the program shows it: ready from here on
  local app shell server
  app=$(pid_of "\\\\$exe"); shell=$(pid_of 'explorer\.exe'); server=$(pid_of 'wineserver')
  [ -n "$app" ] || { echo "footprint: $exe is not running" >&2; exit 1; }
  local a0 s0 w0 a1 s1 w1
  a0=$(cpu_ticks "$app"); s0=$(cpu_ticks "$shell"); w0=$(cpu_ticks "$server")
  sleep "$ready_seconds"
  a1=$(cpu_ticks "$app"); s1=$(cpu_ticks "$shell"); w1=$(cpu_ticks "$server")
  local anon
  anon=$(anon_kib "$app")
  kill_matching "\\\\$exe" '(^|\\)bot\.exe'
  printf '%s\n' "${times[@]}" | median | tr '\n' ' '
  awk -v a=$((a1 - a0)) -v s=$((s1 - s0)) -v w=$((w1 - w0)) -v hz="$hz" -v t="$ready_seconds" -v m="$anon" \
    'BEGIN {f = 60 / t / hz; printf "%.2f %.2f %.2f %d\n", a * f, s * f, w * f, m}'
}

echo "footprint: $ready_seconds s ready each, median of $starts starts; prefix $WINEPREFIX" >&2
read -r b_start b_own b_shell b_server b_anon < <(measure baseline "$bin/footprint_baseline.exe" TavrioBaselineWindow 0)
read -r p_start p_own p_shell p_server p_anon < <(measure panel "$panel" TavrioPanelWindow 1)
wineserver -k 2>/dev/null || true

awk -v ps="$p_start" -v po="$p_own" -v ph="$p_shell" -v pw="$p_server" -v pm="$p_anon" \
    -v bs="$b_start" -v bo="$b_own" -v bh="$b_shell" -v bw="$b_server" -v bm="$b_anon" -v exe="$panel" 'BEGIN {
  printf "panel: %s\n", exe
  printf "%-34s %10s %10s %7s\n", "", "panel", "baseline", "ratio"
  row("start to main window (ms)", ps, bs, "%10.0f")
  row("CPU own (s per minute)", po, bo, "%10.2f")
  row("CPU shell (s per minute)", ph, bh, "%10.2f")
  row("CPU wine server (s per minute)", pw, bw, "%10.2f")
  row("CPU own + shell (s per minute)", po + ph, bo + bh, "%10.2f")
  row("anonymous memory (KiB)", pm, bm, "%10.0f")
}
function row(name, p, b, f) {
  printf "%-34s " f " " f " %7s\n", name, p, b, (b > 0 ? sprintf("%.2f", p / b) : "-")
}'

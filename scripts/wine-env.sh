# Sourced by the scripts that run Windows programs: the project's own Wine prefix (never ~/.wine), quiet Wine,
# and an X display (a private Xvfb when there is none).
TAVRIO_ROOT=${TAVRIO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${TAVRIO_WINEPREFIX:-$TAVRIO_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
# Wine passes file names outside the ANSI code page through to Linux intact only under a UTF-8 locale.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *[Uu][Tt][Ff]-8* | *[Uu][Tt][Ff]8*) ;;
  *) export LANG=C.UTF-8; unset LC_ALL LC_CTYPE ;;
esac

tavrio_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=${TAVRIO_XVFB_DISPLAY:-77}
  export DISPLAY=":$n"
  if ! xdpyinfo >/dev/null 2>&1; then
    (Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &)
    for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
}

tavrio_ensure_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.tavrio-ready" ]; then
      wineboot -i >/dev/null 2>&1 || true
      # Wine reports dot files as hidden unless told otherwise; the panel's settings file is ".env".
      wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1
      # A desktop with a taskbar and notification area, shared by every program of the prefix.
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.tavrio-ready"
    fi
    # Wine finds the TrueType fonts of Debian's fonts-wine (Marlett draws the title bar's buttons, Tahoma the
    # dialog font) only in the prefix's own Fonts folder; without them a caption button shows a letter.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ]; then
      for font in /usr/share/wine/fonts/*.ttf; do [ -e "$fonts/${font##*/}" ] || cp "$font" "$fonts/"; done
    fi
  ) 9>"$WINEPREFIX.lock"
}

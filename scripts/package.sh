#!/usr/bin/env bash
# The release: builds only what goes into it (the panel and the simulator), packs the zip with CPack into
# build/windows/package-out/TavrioPanel-<version>-win64.zip and makes the installer
# TavrioPanel-<version>-setup.exe beside it from the zip's files. The archive's times come from
# SOURCE_DATE_EPOCH, by default the commit's time, so every build of one commit gives the same zip.
# With TAVRIO_SIGN_PFX naming a PKCS#12 file (password in the file TAVRIO_SIGN_PASS_FILE, a time stamp from
# TAVRIO_SIGN_TIMESTAMP_URL when set) the two programs, the installer and its uninstaller are signed
# (package/sign.sh), and the zip's SHA256SUMS sums the signed files.
set -euo pipefail
cd "$(dirname "$0")/.."
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
export SOURCE_DATE_EPOCH
if [ -n "${TAVRIO_SIGN_PFX:-}" ] && [ ! -f "$TAVRIO_SIGN_PFX" ]; then
  echo "package: TAVRIO_SIGN_PFX names no file: $TAVRIO_SIGN_PFX" >&2
  exit 1
fi
cmake --preset windows >/dev/null
cmake --build --preset windows -j"${TAVRIO_JOBS:-2}" --target TavrioPanel bot-sim
(cd build/windows && cpack --config CPackConfig.cmake >/dev/null)
zip=$(ls "$(pwd)"/build/windows/package-out/TavrioPanel-*-win64.zip)
cmake -DZIP="$zip" -P package/make_installer.cmake
echo "$zip"
echo "${zip%-win64.zip}-setup.exe"

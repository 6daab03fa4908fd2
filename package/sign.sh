#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode (SHA-256): the certificate from the PKCS#12 file
# TAVRIO_SIGN_PFX, its password from the file TAVRIO_SIGN_PASS_FILE, and a time stamp from
# TAVRIO_SIGN_TIMESTAMP_URL when one is given (without one the signature stops counting when the certificate
# expires). Called by the release zip's install step and by makensis for the installer and its uninstaller.
set -euo pipefail
file=$1
args=(sign -pkcs12 "$TAVRIO_SIGN_PFX" -h sha256 -n "Tavrio Panel")
if [ -n "${TAVRIO_SIGN_PASS_FILE:-}" ]; then args+=(-readpass "$TAVRIO_SIGN_PASS_FILE"); fi
if [ -n "${TAVRIO_SIGN_TIMESTAMP_URL:-}" ]; then args+=(-ts "$TAVRIO_SIGN_TIMESTAMP_URL"); fi
osslsigncode "${args[@]}" -in "$file" -out "$file.signed" >/dev/null
# Written over, not moved, so the file keeps its mode.
cat "$file.signed" >"$file"
rm -f "$file.signed"

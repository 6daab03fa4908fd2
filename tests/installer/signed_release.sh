#!/usr/bin/env bash
# The release signed with a throwaway certificate: osslsigncode accepts the zip's two programs, the installer and
# the uninstaller that the installer writes against that certificate, and SHA256SUMS matches the signed files.
# signed_release.sh BUILD-DIR (a configured and built windows preset)
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "$build/signed-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes -subj "/CN=Tavrio Test Signer" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
echo "throwaway password" >"$work/pass"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout "file:$work/pass" -out "$work/signer.pfx"
export TAVRIO_SIGN_PFX=$work/signer.pfx TAVRIO_SIGN_PASS_FILE=$work/pass
unset TAVRIO_SIGN_TIMESTAMP_URL  # no network here

# What scripts/package.sh does after the build, into a folder of its own.
(cd "$build" && cpack --config CPackConfig.cmake -B "$work/out" >/dev/null)
zip=$(ls "$work"/out/TavrioPanel-*-win64.zip)
cmake -DZIP="$zip" -P "$root/package/make_installer.cmake"
setup=${zip%-win64.zip}-setup.exe
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")

verify() {
  osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; fail "$(basename "$1") is not signed by the test certificate"; }
  grep -q '^Message digest algorithm *: SHA256' "$work/verify.log" || fail "$(basename "$1") is not signed with SHA-256"
}
verify "$work/unpacked/TavrioPanel.exe"
verify "$work/unpacked/tavrio-bot-sim.exe"
verify "$setup"
(cd "$work/unpacked" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the signed files"

# The uninstaller exists only once installed.
source "$root/scripts/wine-env.sh"
tavrio_ensure_display
tavrio_ensure_prefix
mkdir "$work/installed"
(cd "$(dirname "$setup")" && wine cmd /c "$(basename "$setup") /S /D=$(winepath -w "$work/installed")") >/dev/null 2>&1
verify "$work/installed/TavrioPanel-uninstall.exe"
# Not left registered in the prefix, pointing at a folder that is about to go.
(cd "$work/installed" && wine TavrioPanel-uninstall.exe /S _?="$(winepath -w "$work/installed")") >/dev/null 2>&1
echo "signed: TavrioPanel.exe tavrio-bot-sim.exe $(basename "$setup") TavrioPanel-uninstall.exe; SHA256SUMS matches"

#!/usr/bin/env bash
# Two clean builds of the committed tree, in two folders of different names and depths, must give the same
# TavrioPanel.exe and the same release zip, byte for byte. Prints the sums; fails on any difference.
set -euo pipefail
cd "$(dirname "$0")/.."
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrio-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
folders=("$work/first" "$work/second/one/level/deeper")
for folder in "${folders[@]}"; do
  mkdir -p "$folder"
  git archive "$commit" | tar -x -C "$folder"
  "$folder/scripts/package.sh" >/dev/null
done

status=0
for file in bin/TavrioPanel.exe "package-out/$(basename "$(ls "${folders[0]}"/build/windows/package-out/*.zip)")"; do
  a="${folders[0]}/build/windows/$file" b="${folders[1]}/build/windows/$file"
  sum_a=$(sha256sum <"$a" | cut -d' ' -f1) sum_b=$(sha256sum <"$b" 2>/dev/null | cut -d' ' -f1 || true)
  if [ "$sum_a" = "$sum_b" ]; then
    echo "same      $sum_a  $(basename "$file")"
  else
    echo "DIFFERENT $sum_a / ${sum_b:-missing}  $(basename "$file")"
    cmp -l "$a" "$b" 2>/dev/null | head -5 || true
    status=1
  fi
done
exit $status

#!/usr/bin/env bash
# Applies the tree's one style (.clang-format) to every tracked C++ file; with --check, changes nothing and fails
# on any file that differs from it.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=(-i)
[ "${1:-}" = --check ] && mode=(--dry-run --Werror)
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format "${mode[@]}"

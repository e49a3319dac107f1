#!/usr/bin/env bash
# Fails when a C++ file of the repository is not formatted by the repository's .clang-format,
# with the clang-format that scripts/setup.sh installs (Debian 12's, version 14).
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=clang-format-14
command -v "$formatter" >/dev/null 2>&1 || formatter=clang-format
git ls-files -z '*.cpp' '*.h' | xargs -0 "$formatter" --dry-run --Werror

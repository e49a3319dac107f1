#!/usr/bin/env bash
# Builds Albumino, installs it into its program folder (~/Albumino) and starts it there.
# An existing collection (Data/) and the pictures in Billeder/ are never overwritten.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
albumino_install_missing

program_folder="${ALBUMINO_HOME:-$HOME/Albumino}"
build_folder="build-release"

cmake -S . -B "$build_folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DALBUMINO_TESTS=OFF >/dev/null
cmake --build "$build_folder" --parallel
cmake --install "$build_folder" --prefix "$program_folder" >/dev/null

cd "$program_folder"
exec ./albumino "$@"

#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs them all,
# headless, through CTest. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
albumino_install_missing

# Unformatted code fails the run before anything is built.
scripts/check-format.sh

build_folder="build-test"
cmake -S . -B "$build_folder" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DALBUMINO_SANITIZE=ON -DALBUMINO_TESTS=ON >/dev/null
cmake --build "$build_folder" --parallel
ctest --test-dir "$build_folder" --output-on-failure --timeout 600 "$@"

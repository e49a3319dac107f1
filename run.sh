#!/usr/bin/env bash
# Builds Albumino, installs it into its program folder (~/Albumino) and starts it there.
# An existing collection (Data/) and the pictures in Billeder/ are never overwritten.
#
#   ./run.sh          your own collection in ~/Albumino (or $ALBUMINO_HOME)
#   ./run.sh --demo   a separate demo program folder ~/Albumino-demo with about 300 stamps
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
albumino_install_missing

demo=false
if [ "${1:-}" = "--demo" ]; then
    demo=true
    shift
fi
if $demo; then
    program_folder="${ALBUMINO_DEMO_HOME:-$HOME/Albumino-demo}"
else
    program_folder="${ALBUMINO_HOME:-$HOME/Albumino}"
fi
build_folder="build-release"

# The collection generator lives with the benchmarks; only its target is built.
cmake -S . -B "$build_folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DALBUMINO_TESTS=OFF -DALBUMINO_BENCH=ON >/dev/null
targets=(albumino)
$demo && targets+=(albumino_generate)
cmake --build "$build_folder" --parallel --target "${targets[@]}"
cmake --install "$build_folder" --prefix "$program_folder" >/dev/null

if $demo && [ ! -d "$program_folder/Data" ]; then
    "$build_folder/bench/albumino_generate" "$program_folder" --stamps 300 --countries 12 >/dev/null
    # Pictures for every other stamp, from the project's own stamp drawings.
    for number in $(seq 1 2 300); do
        convert "assets/collage/Image$(((number / 2) % 13 + 1)).png" -quality 90 \
            "$program_folder/Billeder/$number.jpg"
    done
fi
# The desktop entry starts the program in its own folder, as it must.
$demo || scripts/install-desktop.sh "$program_folder"

cd "$program_folder"
exec ./albumino "$@"

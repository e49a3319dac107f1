#!/usr/bin/env bash
# Draws the project's own artwork into assets/: the collage stamps, the placeholder and the
# about picture (albumino_draw_stamps), and the icon's PNG renderings from its SVG. The
# results are committed; run this only after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
albumino_packages+=(librsvg2-bin)
albumino_install_missing

cmake -S . -B build-assets -G Ninja -DALBUMINO_ASSET_TOOLS=ON -DALBUMINO_TESTS=OFF >/dev/null
cmake --build build-assets --target albumino_draw_stamps
QT_QPA_PLATFORM=offscreen build-assets/assets/tools/albumino_draw_stamps assets
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" assets/icon/albumino.svg -o "assets/icon/albumino-$size.png"
done

#!/usr/bin/env bash
# Makes an installed program folder known to the desktop: the desktop entry, the icon in its
# sizes and the AppStream metainfo, all under ~/.local/share. Usage: install-desktop.sh FOLDER
set -euo pipefail
program_folder="$(cd "$1" && pwd)"
source_folder="$(cd "$(dirname "$0")/.." && pwd)"
share="${XDG_DATA_HOME:-$HOME/.local/share}"

mkdir -p "$share/applications" "$share/metainfo" "$share/icons/hicolor/scalable/apps"
sed "s|@PROGRAM_FOLDER@|$program_folder|g" "$source_folder/assets/desktop/albumino.desktop.in" \
    >"$share/applications/albumino.desktop"
for size in 16 32 48 64 128 256; do
    mkdir -p "$share/icons/hicolor/${size}x${size}/apps"
    cp "$source_folder/assets/icon/albumino-$size.png" \
        "$share/icons/hicolor/${size}x${size}/apps/albumino.png"
done
cp "$source_folder/assets/icon/albumino.svg" "$share/icons/hicolor/scalable/apps/albumino.svg"
cp "$source_folder/assets/desktop/example.morvane.Albumino.metainfo.xml" "$share/metainfo/"
# Menus pick the new entry up at once where the desktop offers the cache tools.
if command -v update-desktop-database >/dev/null 2>&1; then
    update-desktop-database -q "$share/applications" || true
fi

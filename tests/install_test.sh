#!/usr/bin/env bash
# Installs the built program into a temporary program folder and HOME, as ./run.sh does,
# and checks what a collector's machine gets: the program folder, the desktop entry and the
# AppStream metainfo. Usage: install_test.sh BUILD_FOLDER SOURCE_FOLDER
set -euo pipefail
build_folder="$1"
source_folder="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
program_folder="$scratch/Albumino"

cmake --install "$build_folder" --prefix "$program_folder" >/dev/null
for file in albumino Billeder/Ingen.jpg English.lng Norsk.lng Svensk.lng Deutsch.lng \
    Help/Dansk/index.html Help/Engelsk/index.html Help/Norsk/index.html \
    Help/Svensk/index.html Help/Tysk/index.html Help/style.css; do
    [ -e "$program_folder/$file" ] || { echo "missing in the program folder: $file"; exit 1; }
done
[ ! -e "$program_folder/Data" ] || { echo "an install must not bring a Data folder"; exit 1; }

HOME="$scratch/home" XDG_DATA_HOME="" "$source_folder/scripts/install-desktop.sh" "$program_folder"
share="$scratch/home/.local/share"
entry="$share/applications/albumino.desktop"
desktop-file-validate "$entry"
grep -qx "Exec=\"$program_folder/albumino\"" "$entry" || { echo "wrong Exec"; exit 1; }
grep -qx "Path=$program_folder" "$entry" || { echo "wrong Path"; exit 1; }
for size in 16 32 48 64 128 256; do
    [ -s "$share/icons/hicolor/${size}x${size}/apps/albumino.png" ] || {
        echo "missing icon $size"
        exit 1
    }
done
appstreamcli validate --no-net "$share/metainfo/example.morvane.Albumino.metainfo.xml"
echo "installed and valid"

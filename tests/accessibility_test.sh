#!/usr/bin/env bash
# Starts the installed program under Xvfb with an accessibility bus and walks its controls
# over AT-SPI, as a screen reader does. Usage: accessibility_test.sh BUILD_FOLDER SOURCE_FOLDER
set -euo pipefail
build_folder="$1"
source_folder="$(cd "$2" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build_folder" --prefix "$scratch/Albumino" >/dev/null
cd "$scratch/Albumino"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch"
export ASAN_OPTIONS=detect_leaks=0
dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    sleep 1
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "
        ./albumino &
        program=\$!
        sleep 5
        /usr/bin/python3 \"'"$source_folder"'/tests/atspi_walk.py\"
        result=\$?
        kill \$program
        exit \$result
    "
'

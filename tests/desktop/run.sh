#!/usr/bin/env bash
# Installs the built program into a scratch folder and drives it on a desktop of its own
# (Xvfb, openbox, the accessibility bus) with real mouse and keyboard input.
# Usage: run.sh BUILD_FOLDER SOURCE_FOLDER [CHECK ...]
# Screenshots go to $ALBUMINO_DESKTOP_SHOTS, a new temporary folder when unset.
set -euo pipefail
build_folder="$1"
source_folder="$(cd "$2" && pwd)"
shift 2
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build_folder" --prefix "$scratch/Albumino" >/dev/null
# The system's Python, which has the AT-SPI bindings, whatever python3 comes first on PATH.
# The suite starts its own display, window manager, session bus and accessibility bus.
/usr/bin/python3 "$source_folder/tests/desktop/desktop_test.py" "$scratch/Albumino" "$@"

# Shared by run.sh and test.sh: installs the Debian packages that are missing. Quiet when
# everything is there already.

albumino_packages=(
    cmake ninja-build g++ make pkg-config clang-format-14
    qt6-base-dev libxkbcommon-dev libjpeg-dev libsqlite3-dev sqlite3
    fonts-dejavu-core fonts-liberation
    xvfb xauth xdotool x11-utils openbox wmctrl imagemagick poppler-utils
    desktop-file-utils appstream
    dbus at-spi2-core python3-pyatspi
)

albumino_install_missing() {
    local missing=()
    local package
    for package in "${albumino_packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "Albumino needs these Debian packages: ${missing[*]}" >&2
            echo "Install them as root (apt-get install ${missing[*]}) and start again." >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "Installing the packages Albumino needs: ${missing[*]}"
    # A fresh machine's package lists may be empty: read them once before installing.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

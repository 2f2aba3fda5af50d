# Shared by the run and test commands: installs what a fresh Debian machine lacks.

KAVALUN_PACKAGES=(
    g++ cmake make pkg-config
    qt6-base-dev libgl-dev
    libgtest-dev libbenchmark-dev
    xvfb xdotool openbox wmctrl libx11-dev
    locales fonts-liberation
    desktop-file-utils appstream dpkg-dev file
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local missing=()
    for p in "${KAVALUN_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# The tests prove that number text ignores a C library locale whose decimal point is a comma.
ensure_comma_locale() {
    if ! locale -a 2>/dev/null | grep -qix 'cs_CZ.utf8'; then
        as_root localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8
    fi
}

build_tree() { # dir, extra cmake arguments...
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

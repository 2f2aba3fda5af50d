# Shared by the run and test commands: installs what a fresh Debian machine lacks.

KAVALUN_PACKAGES=(
    g++ cmake make pkg-config
    qt6-base-dev libgl-dev
    libgtest-dev libbenchmark-dev
    xvfb xdotool openbox wmctrl libx11-dev
    weston qt6-wayland
    locales fonts-liberation
    desktop-file-utils appstream dpkg-dev file
    libxlsxwriter-dev python3-openpyxl
    qt6-translations-l10n dbus at-spi2-core python3-pyatspi lintian
    g++-aarch64-linux-gnu qemu-user googletest python3-markdown
    g++-mingw-w64-x86-64-posix wine wine64
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() { # [packages a script needs besides these]
    local missing=()
    for p in "${KAVALUN_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
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

# Configures an optimised build (default folder build/release) and builds one target quietly.
build_target() { # target [folder [extra cmake arguments...]]
    local target=$1 dir=${2:-build/release}
    shift $(($# < 2 ? $# : 2))
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$dir" --target "$target" -j"$(nproc)" >/dev/null
}

# Starts Xvfb (1280 x 1024 unless another size is given) on a free display and exports DISPLAY;
# the server's pid is left in XVFB_PID and its log in the given scratch folder. The caller ends
# the server.
start_virtual_display() { # scratch folder [WIDTHxHEIGHT]
    rm -f "$1/display"
    Xvfb -displayfd 3 -screen 0 "${2:-1280x1024}x24" -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$1/display" ] && break
        sleep 0.1
    done
    local number
    read -r number <"$1/display" || { cat "$1/xvfb.log" >&2; return 1; }
    export DISPLAY=:$number
}

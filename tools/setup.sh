# Sourced by ./run and ./test: installs the Debian packages FamBridge needs, then configures and builds it.
# Quick when everything is already there.

fambridge_packages=(
    build-essential cmake pkg-config
    qt6-base-dev libgl-dev fonts-dejavu-core
    libgtest-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils
    clang libclang-rt-14-dev libxcb1-dev libxcb-damage0-dev libx11-dev strace
    gcc-mingw-w64-x86-64 wine wine64
    dbus at-spi2-core python3-pyatspi
)

fambridge_install_packages() {
    local missing=()
    local package
    for package in "${fambridge_packages[@]}"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != "installed" ]; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

fambridge_build() {
    cmake -S . -B build -DFAMBRIDGE_WERROR=ON >/dev/null
    cmake --build build --parallel "$(nproc)"
}

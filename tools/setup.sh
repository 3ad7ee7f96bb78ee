# Sourced by ./run and ./test: installs the Debian packages FamBridge needs, then configures and builds it.
# Quick when everything is already there.

# What building and running FamBridge need.
fambridge_run_packages=(
    build-essential cmake
    qt6-base-dev libgl-dev fonts-dejavu-core
)
# What the tests, the benchmarks and the fuzzer need besides: GoogleTest and Google Benchmark, an X server
# and the tools that drive it, clang's fuzzer, the mingw-w64 cross compiler and wine for Windows
# converters, an accessibility bus with a client for the screen-reader test, and the package's validators.
fambridge_test_packages=(
    pkg-config libgtest-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils
    clang libclang-rt-14-dev libxcb1-dev libxcb-damage0-dev libx11-dev strace
    gcc-mingw-w64-x86-64 wine wine64
    dbus at-spi2-core python3-pyatspi python3-xlib
    desktop-file-utils appstream lintian
)

# Installs those of the given packages that are missing, as root or through sudo; without either, says
# what to install and how, and fails.
fambridge_install_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != "installed" ]; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "FamBridge needs these Debian packages, which are not installed:" >&2
            echo "    ${missing[*]}" >&2
            echo "Install them as root, then run this again:" >&2
            echo "    apt-get install ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The program alone (and the Windows starter, where the cross compiler is there).
fambridge_build_program() {
    cmake -S . -B build >/dev/null
    cmake --build build --target fambridge --parallel "$(nproc)"
}

# Everything, tests and benchmarks included; warnings are errors in CI only, where the compiler is known.
fambridge_build_all() {
    local werror=OFF
    [ -n "${CI:-}" ] && werror=ON
    cmake -S . -B build -DFAMBRIDGE_TESTS=ON -DFAMBRIDGE_BENCH=ON -DFAMBRIDGE_WERROR="$werror" >/dev/null
    cmake --build build --parallel "$(nproc)"
}

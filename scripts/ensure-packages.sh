# Sourced by ./run and ./test: installs the Debian packages the build needs.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(cmake ninja-build g++ ccache pkg-config
    qt6-base-dev qt6-serialport-dev libgl-dev librtmidi-dev liblo-dev)
TEST_PACKAGES=(clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
    jackd2 socat iproute2 util-linux liblo-tools poppler-utils)
# ./test --windows: the core built with MinGW-w64 and tested under Wine.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64)
# ./package: the manual pages, the package's dependencies, the validators.
PACKAGE_PACKAGES=(help2man dpkg-dev file desktop-file-utils appstream lintian iproute2 util-linux)
# scripts/soak: reads the tests' JSON reports.
SOAK_PACKAGES=(jq)

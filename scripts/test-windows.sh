#!/usr/bin/env bash
# ./test --windows: builds the pure C++ core (protocol, files, devices, the emulated
# units) and its tests as Windows programs with MinGW-w64 and runs them under Wine.
# Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows

if [ -z "${VARENTO_NETNS:-}" ]; then
    source scripts/ensure-packages.sh
    ensure_packages cmake ninja-build ccache googletest "${WINDOWS_PACKAGES[@]}"
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DVARENTO_CORE_ONLY=ON \
        -DVARENTO_BENCH=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)"
    # The tests open no sockets, but like every test they run without a network.
    if [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
        exec unshare -n env VARENTO_NETNS=1 bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
    fi
fi

# Wine on its own prefix in the build folder, without a display, messages, menu
# entries or offers to download add-ons.
export WINEPREFIX="$PWD/$build/wine" WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# One server for the whole run. Its helper services start here, away from ctest's
# output pipes (ctest would wait for them to close); the first run creates the prefix.
mkdir -p "$WINEPREFIX"
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1

results="$build/gtest-results"
rm -rf "$results"
mkdir -p "$results"
export GTEST_OUTPUT="xml:$(winepath -w "$PWD/$results")\\"
status=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@" || status=$?
# The GoogleTest cases, counted from each program's report.
{ cat "$results"/*.xml 2>/dev/null || true; } | awk -F'"' '/<testsuites / {
        for (i = 1; i < NF; i++) {
            if ($i ~ /tests=$/) tests += $(i + 1)
            if ($i ~ / failures=$/) failed += $(i + 1)
        }
        programs++
    }
    END {
        printf "The Windows core under Wine, %d GoogleTest programs:\n", programs
        printf "windows: %d passed, %d failed\n", tests - failed, failed
    }'
exit "$status"

#!/usr/bin/env bash
# Builds Verdaly for Windows (build/win) and, with --native, the portable core under the sanitizers
# (build/native) and its fuzz targets (build/fuzz, with clang). Prints nothing but errors unless the build fails.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/cmake/deps.sh"
jobs=$(nproc 2>/dev/null || echo 2)
build() {
    local dir=$1; shift
    mkdir -p "$dir"
    if ! { cmake -S . -B "$dir" "$@" && cmake --build "$dir" -j"$jobs"; } >"$dir.log" 2>&1; then
        tail -n 60 "$dir.log"
        echo "Build failed: see $dir.log" >&2
        exit 1
    fi
}
if [ "${1:-}" = "--native" ]; then
    build build/native -DVERDALY_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    # The fuzz targets need clang's libFuzzer; without clang they are left out, said in one line so a missing
    # fuzz run is not taken for a clean one.
    if command -v clang++ >/dev/null 2>&1; then
        build build/fuzz -DVERDALY_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo
    else
        echo "No clang++: fuzz targets (build/fuzz) not built; install clang and libclang-rt-14-dev" >&2
    fi
fi
build build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo

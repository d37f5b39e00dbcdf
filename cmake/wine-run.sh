#!/usr/bin/env bash
# CTest's emulator for cross-built executables: runs one program under Wine in the build tree's prefix.
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${VERDALY_BUILD:-}" ]; then
    # CTest runs tests from their binary folder; the build tree holds CMakeCache.txt above it.
    d=$(pwd)
    while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
    export VERDALY_BUILD=$d
fi
"$here/wine-prefix.sh" "$VERDALY_BUILD" </dev/null >/dev/null 2>&1
. "$here/wine-env.sh"
exec "$WINE" "$@"

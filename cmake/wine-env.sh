# Sourced by the Wine scripts: one prefix per build tree, code page 936, quiet Wine.
# VERDALY_BUILD must name the build tree.
: "${VERDALY_BUILD:?VERDALY_BUILD must name the build tree}"
export WINEPREFIX="${VERDALY_WINEPREFIX:-$VERDALY_BUILD/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
export WINE=${WINE:-$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)}

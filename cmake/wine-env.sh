# Sourced by the Wine scripts: one prefix per build tree, code page 936, quiet Wine.
# VERDALY_BUILD must name the build tree.
: "${VERDALY_BUILD:?VERDALY_BUILD must name the build tree}"
# VERDALY_DPI (96 when unset) runs Wine at another screen scale, in a prefix of its own (Wine keeps one DPI per
# prefix and session); the desktop grows with the scale, so that the window fits on it.
VERDALY_DPI=${VERDALY_DPI:-96}
export VERDALY_DPI
dpi_suffix=
[ "$VERDALY_DPI" = 96 ] || dpi_suffix=-dpi$VERDALY_DPI
export WINEPREFIX="${VERDALY_WINEPREFIX:-$VERDALY_BUILD/wineprefix}$dpi_suffix"
export VERDALY_DESKTOP="$((1024 * VERDALY_DPI / 96))x$((768 * VERDALY_DPI / 96))"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
export WINE=${WINE:-$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)}

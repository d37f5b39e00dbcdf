#!/usr/bin/env bash
# Installs what building and testing Verdaly needs on a fresh Debian machine, and nothing twice.
set -eu

packages=(cmake make g++ googletest python3 mingw-w64 g++-mingw-w64-x86-64-posix wine64 wine
          fonts-wine fonts-wqy-microhei fonts-liberation fonts-dejavu-core xvfb x11-utils xdotool xclip
          imagemagick locales iproute2 util-linux curl clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Code page 936 under Wine comes from the zh_CN locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
    localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

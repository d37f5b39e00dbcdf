#!/usr/bin/env bash
# Runs a command where the site's host names resolve to a private loopback, with its own X server and the
# e2e Wine prefix of the build tree, so the shipped program talks to the local imitation site unmodified.
#
#   VERDALY_BUILD=build/win tests/e2e/sandbox.sh python3 -m unittest -v test_smoke
#
# Needs root (mount and network namespaces). Exports DISPLAY, WINEPREFIX (…/e2e-prefix) and the Wine
# environment of cmake/wine-env.sh to the command.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

need() {  # need COMMAND PACKAGE
    command -v "$1" >/dev/null 2>&1 && return 0
    echo "sandbox: installing $2 for $1" >&2
    if [ -z "${apt_updated:-}" ]; then apt-get update -qq >/dev/null 2>&1 || true; apt_updated=1; fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$2" >/dev/null 2>&1 || { echo "sandbox: cannot install $2" >&2; exit 1; }
}

if [ -z "${VERDALY_IN_SANDBOX:-}" ]; then
    [ "$(id -u)" = 0 ] || { echo "sandbox: must run as root (namespaces, port 80)" >&2; exit 1; }
    need unshare util-linux
    need ip iproute2
    need Xvfb xvfb
    need xdpyinfo x11-utils
    need import imagemagick
    need python3 python3
    command -v wine >/dev/null 2>&1 || need wine wine64
    command -v wine >/dev/null 2>&1 || need wine wine
    [ -d /usr/share/fonts/truetype/wqy ] || need fc-list fonts-wqy-microhei
    [ -d /usr/share/fonts/truetype/wqy ] || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq fonts-wqy-microhei >/dev/null 2>&1 || true
    [ -d /usr/share/wine/fonts ] || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq fonts-wine >/dev/null 2>&1 || true
    if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
        need localedef locales
        localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
    fi
    export VERDALY_IN_SANDBOX=1
    # A PID namespace too: if the run is killed (a CTest time-out), every process in it goes with it.
    exec unshare --mount --net --pid --fork --kill-child --mount-proc -- "$0" "$@"
fi

: "${VERDALY_BUILD:?VERDALY_BUILD must name the build tree}"
VERDALY_BUILD=$(cd "$VERDALY_BUILD" && pwd)
export VERDALY_BUILD
export VERDALY_WINEPREFIX="${VERDALY_WINEPREFIX:-$VERDALY_BUILD/e2e-prefix}"
export VERDALY_ARTIFACTS="${VERDALY_ARTIFACTS:-$VERDALY_BUILD/e2e-artifacts}"
mkdir -p "$VERDALY_ARTIFACTS"

work=$(mktemp -d /tmp/verdaly-sandbox.XXXXXX)
xpid=
cleanup() {
    set +e
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k </dev/null >/dev/null 2>&1
        wineserver -w </dev/null >/dev/null 2>&1
    fi
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null && wait "$xpid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

ip link set lo up
# The other names of this machine, and a dotless intranet name, lead to the site too: a program that asked
# one of them for a photo would reach it and show in its log. Read before the hosts file below replaces
# the machine's; there is no DNS in this namespace, hence the bound on the lookup.
self_host=$(hostname)
self_fqdn=$(timeout 5 hostname -f 2>/dev/null || true)
case "$self_fqdn" in *.*) ;; *) self_fqdn= ;; esac
[ "$self_fqdn" != "$self_host" ] || self_fqdn=
local_names="localhost.localdomain ip6-localhost ip6-loopback localhost6 localhost6.localdomain6 $self_host \
$self_fqdn photos-intranet"
{
    echo "127.0.0.1 localhost"
    echo "::1 localhost"
    for name in www.renren.com renren.com photo.renren.com fmn.rrimg.com fmn.rrfmn.com hdn.xnimg.cn \
        a.xnimg.cn s.xnimg.cn head.xnimg.cn fmn.xnpic.com control.test; do
        echo "127.0.0.1 $name"
    done
    for name in localhost.localdomain ip6-localhost ip6-loopback localhost6 localhost6.localdomain6 \
        photos-intranet; do
        echo "127.0.0.1 $name"
    done
    # The full name first: it is the short one's canonical name, as "hostname -f" reads it back.
    echo "127.0.0.1 $self_fqdn $self_host"
} >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts
# For tests: every name above that is this machine's, or dotless, one blank between them.
VERDALY_LOCAL_NAMES=$(echo $local_names)
export VERDALY_LOCAL_NAMES
# Wine's server sockets live under /tmp/.wine-UID: a private copy keeps this run's wineserver (and the
# desktop it serves) apart from any other Wine on the machine that uses the same prefix.
mkdir -p "/tmp/.wine-$(id -u)"
mount -t tmpfs -o mode=0700 tmpfs "/tmp/.wine-$(id -u)"

if [ -n "${VERDALY_DISPLAY:-}" ]; then
    # The demo on the user's own screen: its socket file is reachable from this network namespace.
    export DISPLAY=$VERDALY_DISPLAY
else
    # Xvfb picks a free display itself and writes its number to fd 5.
    # As large as the Wine desktop at the run's scale (VERDALY_DPI).
    dpi=${VERDALY_DPI:-96}
    Xvfb -displayfd 5 -screen 0 "$((1024 * dpi / 96))x$((768 * dpi / 96))x24" -nolisten tcp 5>"$work/display" \
        </dev/null >"$work/xvfb.log" 2>&1 &
    xpid=$!
    for _ in $(seq 1 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || { echo "sandbox: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$work/display")"
    for _ in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdpyinfo >/dev/null 2>&1 || { echo "sandbox: $DISPLAY does not answer" >&2; exit 1; }
fi

# One e2e run at a time per prefix; the prefix is created on first use.
exec 9>"$VERDALY_BUILD/e2e-prefix.lock"
flock 9
"$root/cmake/wine-prefix.sh" "$VERDALY_BUILD" </dev/null >/dev/null 2>&1
. "$root/cmake/wine-env.sh"
# Processes started from Linux join the desktop named here; without it the helper tool would sit on
# another desktop than the program started by "explorer /desktop=shell" and see none of its windows.
"$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f </dev/null >/dev/null 2>&1 || true
export WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES LANG LC_ALL WINE

set +e
"$@"
status=$?
exit $status

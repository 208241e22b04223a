#!/bin/sh
# The emulator of a Windows cross build's tests: runs one program under
# Wine in the build's own prefix. The prefix is made on first use, for
# programs that need no display: Wine's null graphics driver gives them
# windows, dialogs and fonts without a screen. Nothing is installed into it.
#
#   wine-test.sh PREFIX WINE PROGRAM [ARGUMENT...]
set -eu
prefix=$1
wine=$2
shift 2
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
ready="$prefix/.octaspin-null-driver"
if [ ! -e "$ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -e "$ready" ]; then
            "$wine" wineboot -i </dev/null >/dev/null 2>&1
            "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
                </dev/null >/dev/null 2>&1
            # The session that made the prefix chose its driver before the
            # setting existed; the next program starts a new one.
            wineserver -k || true
            touch "$ready"
        fi
    ) 9>"$prefix.lock"
fi
exec "$wine" "$@"

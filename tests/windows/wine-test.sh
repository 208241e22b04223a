#!/bin/sh
# The emulator of a Windows cross build's tests: runs one program under
# Wine in the build's own prefix. The prefix is made on first use, for
# programs that need no display: Wine's null graphics driver gives them
# windows, dialogs and fonts without a screen. Nothing is installed into it.
#
#   wine-test.sh PREFIX WINE PROGRAM [ARGUMENT...]
#
# Now and then, on a busy machine (about one launch in several thousand),
# Wine fails to start a program: it exits non-zero within milliseconds,
# having written nothing at all. Every program run here writes something
# before it can fail (a test program names its tests first), so such a run
# never reached the program and is started again, at most twice, with a
# line on stderr saying so. A program that fails after writing anything,
# or fails silently three times, fails as it is.
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

out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
attempt=1
while :; do
    status=0
    "$wine" "$@" >"$out" 2>"$err" || status=$?
    if [ "$status" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ "$attempt" -eq 3 ]; then
        break
    fi
    echo "wine-test.sh: Wine ended $1 with exit code $status before it wrote anything" \
        "(attempt $attempt); starting it again" >&2
    attempt=$((attempt + 1))
done
cat "$out"
cat "$err" >&2
exit "$status"

#!/usr/bin/env bash
# Runs a command with a private Wine prefix whose server runs for the whole
# command: `wineserver -p` and `wineboot` are started once, with their output
# closed (Wine's services would otherwise hold the caller's pipes open, and a
# ctest reading them would wait for ever), and both are stopped afterwards.
# WINEPREFIX points at the prefix while the command runs; DISPLAY is passed on
# (without one, Wine makes up a single 1024x768 display).
#   scripts/with-wine.sh COMMAND [ARGS...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: scripts/with-wine.sh COMMAND [ARGS...]" >&2; exit 2; }
command -v wine >/dev/null || { echo "with-wine: wine is not installed (run scripts/setup.sh)" >&2; exit 1; }

WINEPREFIX=$(mktemp -d /tmp/module-display-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}
trap stop_wine EXIT

wineserver -p </dev/null >/dev/null 2>&1
if ! wineboot -i </dev/null >/dev/null 2>&1; then
    echo "with-wine: wineboot failed in $WINEPREFIX" >&2
    exit 1
fi
echo "with-wine: Wine prefix $WINEPREFIX ready" >&2

status=0
"$@" || status=$?
exit "$status"

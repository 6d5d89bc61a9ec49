#!/usr/bin/env bash
# Compares what finding the displays costs the module with what xrandr
# --verbose costs, on the same two-output X server (Xorg with the dummy
# driver, started for this run), with real EDIDs on both outputs:
#   - the command-line host listing the displays (--platform=x11 --list), a
#     whole process each time, when it is built;
#   - the refresh questions asked of the RandR backend in-process, on a new
#     connection (cold) and on one that already answered (warm);
#   - xrandr --verbose, a whole process each time.
# Also times the host's start-up alone (--version), which loads Qt and the
# module but finds no display. Prints milliseconds per run and the ratios.
#   benchmarks/refresh_vs_xrandr.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-20}

# Never rearrange the outputs of a real desktop: run on a private server.
if [ -z "${XORG_DUMMY_LOG:-}" ]; then
    exec scripts/with-xorg-dummy.sh "$0" "$build" "$runs"
fi

edid_tool="$build/bin/set_output_edid"
export EDID_SAMPLES=${EDID_SAMPLES:-$(pwd)/../shared/edid-samples/samples.jsonl}

xrandr --addmode DUMMY1 1280x1024
xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 --primary \
       --output DUMMY1 --mode 1280x1024 --pos 1920x0
xrandr -q >/dev/null # the dummy reports DUMMY1 connected after this probe
if [ -x "$edid_tool" ] && [ -f "$EDID_SAMPLES" ]; then
    "$edid_tool" DUMMY0 "Digital/Eizo/ENC2291/F367AC7049CD"
    "$edid_tool" DUMMY1 "Digital/BenQ/BNQ76BE/82ED11E364D3"
else
    echo "note: outputs carry no EDID ($edid_tool or $EDID_SAMPLES missing)" >&2
fi

. benchmarks/refresh-timing.sh
compare_refresh "$build" x11 "$build/bin/x11_refresh_timing" "xrandr --verbose" xrandr --verbose

# The same comparison under GNOME's compositor, on a compositor of its own.
if [ -x benchmarks/refresh_vs_gdbus.sh ] && command -v mutter >/dev/null; then
    echo
    env -u XORG_DUMMY_LOG benchmarks/refresh_vs_gdbus.sh "$build" "$runs"
fi

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

cli="$build/bin/OrvaneDiagnosticsCLI"
timing="$build/bin/x11_refresh_timing"
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

# Milliseconds per run of a command, over $runs runs.
per_run() {
    local start end
    start=$(date +%s%N)
    for _ in $(seq "$runs"); do
        "$@" >/dev/null 2>&1
    done
    end=$(date +%s%N)
    echo "scale=3; ($end - $start) / 1000000 / $runs" | bc
}
ratio() {
    echo "scale=3; $1 / $2" | bc
}

xrandr_ms=$(per_run xrandr --verbose)
printf '%-44s %10s ms\n' "xrandr --verbose (process)" "$xrandr_ms"

if [ -x "$cli" ]; then
    "$cli" --platform=x11 --list >/dev/null
    cli_ms=$(per_run "$cli" --platform=x11 --list)
    printf '%-44s %10s ms  (%sx xrandr)\n' "OrvaneDiagnosticsCLI --platform=x11 --list" \
        "$cli_ms" "$(ratio "$cli_ms" "$xrandr_ms")"
    # The same process without finding displays: what start-up alone costs.
    base_ms=$(per_run "$cli" --platform=x11 --version)
    printf '%-44s %10s ms\n' "OrvaneDiagnosticsCLI --platform=x11 --version" "$base_ms"
else
    echo "note: $cli is not built; timing the backend only" >&2
fi

if [ -x "$timing" ]; then
    result=$("$timing" "$runs")
    cold=$(awk '/^cold_ms/ {print $2}' <<<"$result")
    warm=$(awk '/^warm_ms/ {print $2}' <<<"$result")
    components=$(awk '/^components/ {print $2}' <<<"$result")
    printf '%-44s %10s ms  (%sx xrandr)\n' "refresh, new connection ($components displays)" \
        "$cold" "$(ratio "$cold" "$xrandr_ms")"
    printf '%-44s %10s ms  (%sx xrandr)\n' "refresh, connection that already answered" \
        "$warm" "$(ratio "$warm" "$xrandr_ms")"
fi

# The same comparison under GNOME's compositor, on a compositor of its own.
if [ -x benchmarks/refresh_vs_gdbus.sh ] && command -v mutter >/dev/null; then
    echo
    env -u XORG_DUMMY_LOG benchmarks/refresh_vs_gdbus.sh "$build" "$runs"
fi

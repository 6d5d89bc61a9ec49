#!/usr/bin/env bash
# Compares what finding the displays costs the module under GNOME's
# compositor with what one gdbus call of GetCurrentState costs, on the same
# headless compositor (two virtual monitors, started for this run):
#   - gdbus call ... GetCurrentState, a whole process each time;
#   - the command-line host listing the displays (--platform=gnome --list), a
#     whole process each time, when it is built, and its start-up alone
#     (--version, which loads Qt and the module but finds no display);
#   - the module's refresh over the GNOME backend in-process, with a new
#     backend and bus connection (cold) and on one that already answered (warm).
# Prints milliseconds per run and the ratios to gdbus.
#   benchmarks/refresh_vs_gdbus.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-20}

# Never rearrange the monitors of a real session: run on a private compositor.
if [ -z "${MUTTER_PID:-}" ]; then
    exec scripts/with-mutter.sh "$0" "$build" "$runs"
fi

. benchmarks/refresh-timing.sh
compare_refresh "$build" gnome "$build/bin/gnome_refresh_timing" "gdbus call GetCurrentState" \
    gdbus call --session -d org.gnome.Mutter.DisplayConfig -o /org/gnome/Mutter/DisplayConfig \
    -m org.gnome.Mutter.DisplayConfig.GetCurrentState

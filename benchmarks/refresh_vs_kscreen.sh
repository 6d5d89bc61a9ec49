#!/usr/bin/env bash
# Compares what finding the displays costs the module under KWin with what
# kscreen-doctor -j costs, on the same compositor (KWin's virtual backend,
# two outputs, started for this run):
#   - kscreen-doctor -j, a whole process each time;
#   - the command-line host listing the displays (--platform=kde --list), a
#     whole process each time, when it is built;
#   - the module's refresh over the KDE backend in-process, with a new
#     backend and Wayland connection (cold) and on one that already answered
#     (warm).
# Prints milliseconds per run and the ratios to kscreen-doctor.
#   benchmarks/refresh_vs_kscreen.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-20}

# Never rearrange the outputs of a real session: run on a private compositor.
if [ -z "${KWIN_PID:-}" ]; then
    exec scripts/with-kwin.sh "$0" "$build" "$runs"
fi

. benchmarks/refresh-timing.sh
QT_QPA_PLATFORM=wayland compare_refresh "$build" kde "$build/bin/kde_refresh_timing" \
    "kscreen-doctor -j" kscreen-doctor -j

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

cli="$build/bin/OrvaneDiagnosticsCLI"
timing="$build/bin/kde_refresh_timing"

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

doctor_ms=$(QT_QPA_PLATFORM=wayland per_run kscreen-doctor -j)
printf '%-44s %10s ms\n' "kscreen-doctor -j (process)" "$doctor_ms"

if [ -x "$cli" ]; then
    "$cli" --platform=kde --list >/dev/null
    cli_ms=$(per_run "$cli" --platform=kde --list)
    printf '%-44s %10s ms  (%sx kscreen-doctor)\n' "OrvaneDiagnosticsCLI --platform=kde --list" \
        "$cli_ms" "$(ratio "$cli_ms" "$doctor_ms")"
else
    echo "note: $cli is not built" >&2
fi

if [ -x "$timing" ]; then
    result=$("$timing" "$runs")
    cold=$(awk '/^cold_ms/ {print $2}' <<<"$result")
    warm=$(awk '/^warm_ms/ {print $2}' <<<"$result")
    components=$(awk '/^components/ {print $2}' <<<"$result")
    printf '%-44s %10s ms  (%sx kscreen-doctor)\n' "refresh, new backend ($components displays)" \
        "$cold" "$(ratio "$cold" "$doctor_ms")"
    printf '%-44s %10s ms  (%sx kscreen-doctor)\n' "refresh, backend that already answered" \
        "$warm" "$(ratio "$warm" "$doctor_ms")"
else
    echo "note: $timing is not built" >&2
fi

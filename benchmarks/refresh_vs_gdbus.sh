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

cli="$build/bin/OrvaneDiagnosticsCLI"
timing="$build/bin/gnome_refresh_timing"

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

gdbus_ms=$(per_run gdbus call --session -d org.gnome.Mutter.DisplayConfig \
    -o /org/gnome/Mutter/DisplayConfig -m org.gnome.Mutter.DisplayConfig.GetCurrentState)
printf '%-46s %10s ms\n' "gdbus call GetCurrentState (process)" "$gdbus_ms"

if [ -x "$cli" ]; then
    "$cli" --platform=gnome --list >/dev/null
    cli_ms=$(per_run "$cli" --platform=gnome --list)
    printf '%-46s %10s ms  (%sx gdbus)\n' "OrvaneDiagnosticsCLI --platform=gnome --list" \
        "$cli_ms" "$(ratio "$cli_ms" "$gdbus_ms")"
    # The same process without finding displays: what start-up alone costs.
    base_ms=$(per_run "$cli" --platform=gnome --version)
    printf '%-46s %10s ms\n' "OrvaneDiagnosticsCLI --platform=gnome --version" "$base_ms"
else
    echo "note: $cli is not built" >&2
fi

if [ -x "$timing" ]; then
    result=$("$timing" "$runs")
    cold=$(awk '/^cold_ms/ {print $2}' <<<"$result")
    warm=$(awk '/^warm_ms/ {print $2}' <<<"$result")
    components=$(awk '/^components/ {print $2}' <<<"$result")
    printf '%-46s %10s ms  (%sx gdbus)\n' "refresh, new backend ($components displays)" \
        "$cold" "$(ratio "$cold" "$gdbus_ms")"
    printf '%-46s %10s ms  (%sx gdbus)\n' "refresh, backend that already answered" \
        "$warm" "$(ratio "$warm" "$gdbus_ms")"
else
    echo "note: $timing is not built" >&2
fi

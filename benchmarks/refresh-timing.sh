# Shared by the refresh_vs_*.sh benchmarks (sourced, not run): times a
# platform tool against the command-line host and the in-process refresh.
# Needs $runs; prints milliseconds per run and the ratios to the tool.

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

# compare_refresh BUILD PLATFORM TIMING_PROGRAM TOOL_NAME TOOL_COMMAND...
#   TOOL_COMMAND, a whole process each time; the CLI listing the displays on
#   PLATFORM and its start-up alone (--version: Qt and the module loaded, no
#   display found); the refresh in-process with a new backend (cold) and one
#   that already answered (warm), from TIMING_PROGRAM.
compare_refresh() {
    local build=$1 platform=$2 timing=$3 tool=$4 short=${4%% *}
    shift 4
    local cli="$build/bin/OrvaneDiagnosticsCLI" tool_ms
    tool_ms=$(per_run "$@")
    printf '%-46s %10s ms\n' "$tool (process)" "$tool_ms"

    if [ -x "$cli" ]; then
        "$cli" --platform="$platform" --list >/dev/null
        local cli_ms base_ms
        cli_ms=$(per_run "$cli" --platform="$platform" --list)
        printf '%-46s %10s ms  (%sx %s)\n' "OrvaneDiagnosticsCLI --platform=$platform --list" \
            "$cli_ms" "$(ratio "$cli_ms" "$tool_ms")" "$short"
        base_ms=$(per_run "$cli" --platform="$platform" --version)
        printf '%-46s %10s ms\n' "OrvaneDiagnosticsCLI --platform=$platform --version" "$base_ms"
    else
        echo "note: $cli is not built" >&2
    fi

    if [ -x "$timing" ]; then
        local result cold warm components
        result=$("$timing" "$runs")
        cold=$(awk '/^cold_ms/ {print $2}' <<<"$result")
        warm=$(awk '/^warm_ms/ {print $2}' <<<"$result")
        components=$(awk '/^components/ {print $2}' <<<"$result")
        printf '%-46s %10s ms  (%sx %s)\n' "refresh, new backend ($components displays)" \
            "$cold" "$(ratio "$cold" "$tool_ms")" "$short"
        printf '%-46s %10s ms  (%sx %s)\n' "refresh, backend that already answered" \
            "$warm" "$(ratio "$warm" "$tool_ms")" "$short"
    else
        echo "note: $timing is not built" >&2
    fi
}

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS seconds
# (default 60), seeded with the example desks and the real EDID samples.
# Fails on any crash, leak or sanitizer report.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=build-fuzz

cmake -S . -B "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMODULE_DISPLAY_FUZZ=ON \
    -DMODULE_DISPLAY_TESTS=OFF -DMODULE_DISPLAY_BENCHMARKS=OFF >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target fuzz_edid fuzz_desk_loader

seeds="$dir/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/edid" "$seeds/desk" "$dir/corpus/edid" "$dir/corpus/desk" "$dir/artifacts"
cp examples/desks/*.json "$seeds/desk/"
samples=../shared/edid-samples/samples.jsonl
if [ -f "$samples" ]; then
    perl -ne 'if (/"full_hex":"([0-9a-fA-F]*)"/) {
                  open(my $f, ">", "'"$seeds/edid"'/sample-$.") or die;
                  binmode $f; print $f pack("H*", $1); close $f; }' "$samples"
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in edid desk; do
    binary=fuzz_edid
    [ "$target" = desk ] && binary=fuzz_desk_loader
    echo "== fuzzing $binary for $seconds s"
    if ! "$dir/bin/$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$binary-" \
        "$dir/corpus/$target" "$seeds/$target" 2>"$dir/$binary.log"; then
        tail -n 60 "$dir/$binary.log"
        echo "$binary found a fault; the input is in $dir/artifacts/" >&2
        status=1
    else
        grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$dir/$binary.log" | tail -n 2 || true
    fi
done
exit "$status"

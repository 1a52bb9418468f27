#!/usr/bin/env bash
# Runs the sprite-scene benchmarks (ours and pixman's, in one run) and prints the median of each and the three
# ratios we quote: pixman's time over ours, so that 1.0 means "as fast as pixman" and more is faster. Pixel rates
# count the pixels of the sprites' bounding boxes in the frame, per second of CPU time.
#   bench/ratios.sh [BENCH_BINARY] [REPETITIONS]
set -euo pipefail

bench=${1:-build/bench/bench/vorlane_bench}
repetitions=${2:-9}
# Repetitions are interleaved at random, so that a change in the machine's load falls on ours and pixman's alike.
json=$("$bench" --benchmark_filter='^Sprites_' --benchmark_repetitions="$repetitions" \
       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
       --benchmark_format=json 2>/dev/null)

# The ratios use CPU time: on a shared machine wall time also counts the time others hold the core.
median() { jq -r --arg n "$1_median" '.benchmarks[] | select(.name == $n) | .cpu_time' <<<"$json"; }
wall() { jq -r --arg n "$1_median" '.benchmarks[] | select(.name == $n) | .real_time' <<<"$json"; }
rate() { jq -r --arg n "$1_median" '.benchmarks[] | select(.name == $n) | .box_Mpx / .cpu_time * 1e3' <<<"$json"; }

printf '%-30s %12s %13s %14s\n' benchmark "median cpu ms" "median wall ms" "box Mpx/s cpu"
for name in Sprites_Ours_HI_8bit Sprites_Ours_HI_16bit Sprites_Ours_LO_8bit Sprites_Pixman_Bilinear_OVER \
            Sprites_Pixman_Nearest_OVER; do
  printf '%-30s %12.1f %13.1f %14.1f\n' "$name" "$(median "$name")" "$(wall "$name")" "$(rate "$name")"
done

ratio() { awk -v a="$(median "$1")" -v b="$(median "$2")" 'BEGIN { printf "%.2f", a / b }'; }
echo
echo "HI 8-bit  vs pixman bilinear: $(ratio Sprites_Pixman_Bilinear_OVER Sprites_Ours_HI_8bit)  (goal >= 1.0)"
echo "HI 16-bit vs pixman bilinear: $(ratio Sprites_Pixman_Bilinear_OVER Sprites_Ours_HI_16bit)  (goal >= 0.5)"
echo "LO 8-bit  vs pixman nearest:  $(ratio Sprites_Pixman_Nearest_OVER Sprites_Ours_LO_8bit)  (goal >= 1.0)"

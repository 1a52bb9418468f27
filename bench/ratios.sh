#!/usr/bin/env bash
# Runs the sprite-scene benchmarks (ours and pixman's, in one run) and prints the median of each and the three
# ratios we quote: pixman's time over ours, so that 1.0 means "as fast as pixman" and more is faster. Pixel rates
# count the pixels of the sprites' bounding boxes in the frame, per second of CPU time. Then it times a whole
# `vorlane render` of the same sprites (bench/scenes/sprites-1000.json: start-up, the render and the PNG written),
# its repetitions interleaved with pixman's, against pixman compositing them bilinearly.
#   bench/ratios.sh [BENCH_BINARY] [REPETITIONS]   (vorlane is taken from the bin folder of the bench's build)
set -euo pipefail

bench=${1:-build/bench/bench/vorlane_bench}
repetitions=${2:-9}
vorlane=$(dirname "$bench")/../bin/vorlane
scene=$(dirname "$0")/scenes/sprites-1000.json
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
# The worst of the runs: pixman's fastest repetition over our slowest.
worst() {
  local fastest slowest
  fastest=$(jq -r --arg n "$1" '[.benchmarks[] | select(.run_name == $n and .run_type == "iteration") | .cpu_time] | min' <<<"$all")
  slowest=$(jq -r --arg n "$2" '[.benchmarks[] | select(.run_name == $n and .run_type == "iteration") | .cpu_time] | max' <<<"$all")
  awk -v a="$fastest" -v b="$slowest" 'BEGIN { printf "%.2f", a / b }'
}
all=$("$bench" --benchmark_filter='^Sprites_(Ours_LO_8bit|Pixman_Nearest_OVER)$' --benchmark_repetitions="$repetitions" \
      --benchmark_enable_random_interleaving=true --benchmark_format=json 2>/dev/null)
echo
echo "HI 8-bit  vs pixman bilinear: $(ratio Sprites_Pixman_Bilinear_OVER Sprites_Ours_HI_8bit)  (goal >= 2.0)"
echo "HI 16-bit vs pixman bilinear: $(ratio Sprites_Pixman_Bilinear_OVER Sprites_Ours_HI_16bit)  (goal >= 1.0)"
echo "LO 8-bit  vs pixman nearest:  $(ratio Sprites_Pixman_Nearest_OVER Sprites_Ours_LO_8bit)  (goal >= 1.2 in every run;" \
     "worst run $(worst Sprites_Pixman_Nearest_OVER Sprites_Ours_LO_8bit))"

# End to end, in wall time: the process's threads (rendering, writing) overlap, as a user waits for them.
if [[ -x $vorlane ]]; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  ms=()
  pixman=()
  for ((i = 0; i < repetitions; i++)); do
    start=$(date +%s%N)
    "$vorlane" render "$scene" --out "$out/sprites.png" --force >/dev/null 2>&1
    ms+=("$(( ($(date +%s%N) - start) / 1000 ))")
    pixman+=("$("$bench" --benchmark_filter='^Sprites_Pixman_Bilinear_OVER$' --benchmark_format=json 2>/dev/null |
               jq -r '.benchmarks[0].real_time * 1000')")
  done
  med() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
  ours_us=$(med "${ms[@]}")
  pixman_us=$(med "${pixman[@]}")
  echo
  printf 'vorlane render, whole process: %.1f ms; pixman bilinear, same sprites: %.1f ms\n' \
         "$(awk -v v="$ours_us" 'BEGIN { print v / 1000 }')" "$(awk -v v="$pixman_us" 'BEGIN { print v / 1000 }')"
  echo "end to end vs pixman bilinear: $(awk -v a="$pixman_us" -v b="$ours_us" 'BEGIN { printf "%.2f", a / b }')" \
       " (goal >= 0.67: the whole render within 1.5x pixman's compositing)"
else
  echo "(no $vorlane: the end-to-end ratio needs the bench build's vorlane)"
fi

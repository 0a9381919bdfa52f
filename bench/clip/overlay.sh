#!/usr/bin/env bash
# The clip drawn with its telemetry: a 60 s span across the join of two one-minute 640 x 480
# recordings, `zyn-clip --overlay` against the same command without it, so the difference is
# the drawing and the H.264 encoding alone. Wall time and peak memory, the median of RUNS runs.
# Goals: the drawing at least 4 times faster than real time on 2 cores (the 60 s span drawn in
# under 15 s); memory a few frames above the lossless export's, whatever the span (a 10 s span
# is measured beside it).
#
#   bench/clip/overlay.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/release}"
runs="${2:-3}"
bin="$build/bin"
command -v /usr/bin/time >/dev/null || { echo "overlay: /usr/bin/time is needed" >&2; exit 2; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/zyn-cardgen" --length 60 --drf 1 --evt 1 --muevt 0 --start "2025-06-14 14:23:37" \
    "$work/card" >/dev/null
first="$(ls "$work"/card/drf_*.mp4)"

run() { # name from to [options...] -> "wall-seconds kilobytes" per run
    local name="$1" from="$2" to="$3"
    shift 3
    for i in $(seq 1 "$runs"); do
        local out="$work/out-$name-$i"
        mkdir -p "$out"
        /usr/bin/time -f "%e %M" -o "$work/t" "$bin/zyn-clip" --from "$from" --to "$to" \
            -o "$out" "$@" "$first" 2>/dev/null
        cat "$work/t"
    done
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

run warm "2025-06-14 14:24:07" "2025-06-14 14:25:07" >/dev/null
lossless="$(run lossless "2025-06-14 14:24:07" "2025-06-14 14:25:07")"
drawn="$(run drawn "2025-06-14 14:24:07" "2025-06-14 14:25:07" --overlay)"
short="$(run short "2025-06-14 14:24:32" "2025-06-14 14:24:42" --overlay)"

lossWall="$(cut -d' ' -f1 <<<"$lossless" | median)"
drawnWall="$(cut -d' ' -f1 <<<"$drawn" | median)"
drawnKb="$(cut -d' ' -f2 <<<"$drawn" | median)"
shortKb="$(cut -d' ' -f2 <<<"$short" | median)"
lossKb="$(cut -d' ' -f2 <<<"$lossless" | median)"
drawing="$(awk -v a="$drawnWall" -v b="$lossWall" 'BEGIN { printf "%.2f", a - b }')"
speed="$(awk -v d="$drawing" 'BEGIN { printf "%.1f", (d > 0) ? 60 / d : 0 }')"
echo "lossless clip, 60 s:          ${lossWall} s, $((lossKb / 1024)) MB peak"
echo "with the drawn clip, 60 s:    ${drawnWall} s, $((drawnKb / 1024)) MB peak"
echo "drawing and encoding:         ${drawing} s, ${speed} x real time (goal: 4 x, under 15 s)"
echo "with the drawn clip, 10 s:    $((shortKb / 1024)) MB peak (the span does not grow it)"
awk -v d="$drawing" 'BEGIN { exit !(d < 15) }' || { echo "overlay: slower than the goal" >&2; exit 1; }

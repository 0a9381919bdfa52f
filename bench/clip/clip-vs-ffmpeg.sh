#!/usr/bin/env bash
# A 60 s clip across the join of two one-minute recordings, by zyn-clip beside the ffmpeg
# command doing the same stream copy (`-ss -to -c copy` over the two files), on the same span in
# one run: wall time and peak memory of each, the median of RUNS runs. Goals: zyn-clip under
# 0.5 s and no slower than ffmpeg's command; memory a few MB above the program's own libraries
# whatever the span (packets are streamed).
#
#   bench/clip/clip-vs-ffmpeg.sh [BUILD_DIR] [RUNS]
#
# zyn-clip does more than the copy: it appends the telemetry block, reads the clip back and
# hashes both recordings and the clip for the checksum list. Both are run once before timing so
# that the recordings sit in the page cache for both alike.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/release}"
runs="${2:-5}"
bin="$build/bin"
for tool in ffmpeg /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "clip-vs-ffmpeg: $tool is needed" >&2; exit 2; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/zyn-cardgen" --length 60 --drf 1 --evt 1 --muevt 0 --start "2025-06-14 14:23:37" \
    "$work/card" >/dev/null
first="$(ls "$work"/card/drf_*.mp4)"
second="$(ls "$work"/card/evt_*.mp4)"
printf "file '%s'\nfile '%s'\n" "$first" "$second" >"$work/list.txt"

# Span 14:24:07 to 14:25:07: the second half of the first recording and the first half of the
# second, 30 s to 90 s of the pair.
zyn() {
    exec "$bin/zyn-clip" --from "2025-06-14 14:24:07" --to "2025-06-14 14:25:07" -o "$1" \
        "$first" 2>/dev/null
}
short() { # two seconds across the same join: the memory must not grow with the span
    exec "$bin/zyn-clip" --from "2025-06-14 14:24:36" --to "2025-06-14 14:24:38" -o "$1" \
        "$first" 2>/dev/null
}
ff() {
    exec ffmpeg -v error -nostdin -f concat -safe 0 -i "$work/list.txt" -ss 30 -to 90 -c copy \
        -map 0:v -map 0:a "$1/ffmpeg.mp4"
}
export -f zyn ff short
export bin first work
measure() { # name function -> "wall-seconds kilobytes cpu-seconds" per run; bash execs the program
    local name="$1" fn="$2"
    for i in $(seq 1 "$runs"); do
        local out="$work/out-$name-$i"
        mkdir -p "$out"
        /usr/bin/time -f "%e %M %U %S" -o "$work/t" bash -c "$fn \"\$0\"" "$out"
        awk '{ print $1, $2, $3 + $4 }' "$work/t"
    done
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

mkdir -p "$work/warm"
(zyn "$work/warm")
(ff "$work/warm")
zynRuns="$(measure zyn-clip zyn)"
ffRuns="$(measure ffmpeg ff)"
shortRuns="$(measure short short)"
zynTime="$(cut -d' ' -f1 <<<"$zynRuns" | median)"
ffTime="$(cut -d' ' -f1 <<<"$ffRuns" | median)"
zynMem="$(cut -d' ' -f2 <<<"$zynRuns" | median)"
ffMem="$(cut -d' ' -f2 <<<"$ffRuns" | median)"
shortMem="$(cut -d' ' -f2 <<<"$shortRuns" | median)"
zynCpu="$(cut -d' ' -f3 <<<"$zynRuns" | median)"
ffCpu="$(cut -d' ' -f3 <<<"$ffRuns" | median)"
clip="$(ls "$work"/out-zyn-clip-1/clip_*.mp4)"
dur="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$clip")"
ffdur="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/out-ffmpeg-1/ffmpeg.mp4")"

echo "60 s clip across two one-minute recordings, median of $runs runs (load $(cut -d' ' -f1 /proc/loadavg))"
printf '  %-10s %6s s wall  %6s s CPU  %8s kB peak  clip %s s\n' zyn-clip "$zynTime" "$zynCpu" \
    "$zynMem" "$dur"
printf '  %-10s %6s s wall  %6s s CPU  %8s kB peak  clip %s s\n' ffmpeg "$ffTime" "$ffCpu" \
    "$ffMem" "$ffdur"
printf '  zyn-clip on a 2 s span: %s kB peak (%+d kB for the 60 s span)\n' "$shortMem" \
    "$((zynMem - shortMem))"
awk -v z="$zynTime" -v f="$ffTime" 'BEGIN {
    ok = z < 0.5 && z <= f
    printf "goal (under 0.5 s, no slower than ffmpeg): %s\n", ok ? "met" : "NOT met"
    exit ok ? 0 : 1 }'

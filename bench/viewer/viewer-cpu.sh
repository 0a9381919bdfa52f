#!/usr/bin/env bash
# CPU of the whole viewer playing a demo recording, beside the mpv command playing the same
# file with video and sound off (decoding only), at normal speed and at 4x; and of the viewer
# left idle with a list. The goal: the viewer at most 1.5 times mpv's CPU.
#
#   bench/viewer/viewer-cpu.sh [BUILD_DIR]
#
# Both programs run at the same time under one Xvfb, each measured over the same seconds as
# user + system CPU seconds per wall second (all threads). The viewer is given the recording
# on its command line and sped up with a click on its speed slider's right end (xdotool).
# Xvfb's own share (the X server puts the viewer's pictures on its screen) is shown apart.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/release}"
bin="$build/bin"
for tool in xvfb-run xdotool mpv; do
    command -v "$tool" >/dev/null || { echo "viewer-cpu: $tool is needed" >&2; exit 2; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/zyn-cardgen" --length 60 --drf 1 --evt 0 --muevt 0 "$work/card" >/dev/null
recording="$(ls "$work"/card/drf_*.mp4)"

cat >"$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
bin="$1" recording="$2" work="$3"
export ZYN_AUDIO=null ZYN_REGISTRY_ROOT="$work/registry" QT_QPA_PLATFORM=xcb
mkdir -p "$ZYN_REGISTRY_ROOT"
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz="$(getconf CLK_TCK)"
xvfb="$(pgrep -f "^Xvfb ${DISPLAY} " | head -1 || true)"

# CPU seconds per second of each process over `seconds`.
measure() {
    local seconds="$1"; shift
    local before=() after=() pid
    for pid in "$@"; do before+=("$(ticks "$pid")"); done
    local start; start="$(date +%s.%N)"
    sleep "$seconds"
    local end; end="$(date +%s.%N)"
    for pid in "$@"; do after+=("$(ticks "$pid")"); done
    local i=0
    for pid in "$@"; do
        awk -v a="${before[$i]}" -v b="${after[$i]}" -v s="$start" -v e="$end" -v hz="$hz" \
            'BEGIN { printf "%.3f ", (b - a) / hz / (e - s) }'
        i=$((i + 1))
    done
    echo
}

report() {
    local label="$1" viewer="$2" mpv="$3" server="$4"
    awk -v l="$label" -v v="$viewer" -v m="$mpv" -v x="$server" 'BEGIN {
        printf "%-5s viewer %.3f CPU s/s   mpv %.3f CPU s/s   ratio %.2f (goal <= 1.5)   Xvfb %.3f\n",
            l, v, m, (m > 0 ? v / m : 0), x }'
}

for speed in 1 4; do
    "$bin/zyn-viewer" "$recording" >/dev/null 2>&1 &
    viewer=$!
    mpv --no-config --really-quiet --vo=null --ao=null --loop-file=inf --speed="$speed" \
        "$recording" >/dev/null 2>&1 &
    player=$!
    sleep 4
    if [ "$speed" = 4 ]; then
        # The speed slider's right end: 4x.
        xdotool mousemove 765 562 click 1
        sleep 1
    fi
    window=$([ "$speed" = 1 ] && echo 20 || echo 10)
    read -r v m x < <(measure "$window" "$viewer" "$player" "${xvfb:-$viewer}")
    report "${speed}x" "$v" "$m" "$x"
    kill "$player" "$viewer" 2>/dev/null || true
    wait "$player" "$viewer" 2>/dev/null || true
done

# Idle: a list, nothing playing, nothing changing.
"$bin/zyn-viewer" "$work/card" >/dev/null 2>&1 &
viewer=$!
sleep 4
xdotool mousemove 168 611 click 1 # stop
sleep 1
read -r v x < <(measure 10 "$viewer" "${xvfb:-$viewer}")
awk -v v="$v" -v x="$x" 'BEGIN { printf "idle  viewer %.3f CPU s/s   Xvfb %.3f\n", v, x }'
kill "$viewer" 2>/dev/null || true
wait "$viewer" 2>/dev/null || true
INNER
chmod +x "$work/run.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/run.sh" "$bin" "$recording" "$work"

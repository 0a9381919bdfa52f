#!/usr/bin/env bash
# Resident memory with the map shown; the goal is under 300 MB.
#
#   bench/map/map-memory.sh [BUILD_DIR]
#       The map window alone (zyn-map-memory): a stand-in main window shows the map, draws a
#       60-second demo recording's route and moves the marker along it 600 times, making the
#       map window anew for each of 5 recordings; it prints the peak resident (RSS) and
#       proportional (PSS) memory of the program and of the browser's helper processes.
#
#   bench/map/map-memory.sh --viewer [BUILD_DIR]
#       The viewer itself, started on the demo recording (a path on its command line joins the
#       play list) and left to play for DURATION seconds (default 60) while its process tree is
#       sampled once a second. The main window shows the map only while the machine reports a
#       connection; the script says so when no browser helper ever ran. The recording starts
#       over at its end, so the map window is made anew once a minute.
#
# Both run under Xvfb, as on a desktop (the offscreen platform loads no GL and reads lower).
# No tiles are fetched: the map shows its route and marker over an empty layer.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
mode=driver
if [ "${1:-}" = "--viewer" ]; then
    mode=viewer
    shift
fi
build="${1:-$root/build/release}"
bin="$build/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$bin/zyn-cardgen" --length 60 --drf 1 --evt 0 --muevt 0 "$work/card" >/dev/null
recording="$(ls "$work"/card/drf_*.mp4)"
export QT_LOGGING_RULES="qt.webenginecontext.info=false"
export ZYN_AUDIO="${ZYN_AUDIO:-null}"

if [ "$mode" = driver ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$bin/zyn-map-memory" --updates 600 --interval 100 --recordings 5 "$recording" 2>/dev/null
    exit
fi

# Sum of one smaps_rollup field (kB) over a process and all its descendants.
tree_kb() {
    local field="$1" pid="$2" total=0 child
    for child in $pid $(pgrep -P "$pid" || true); do
        if [ "$child" != "$pid" ]; then
            total=$((total + $(tree_kb "$field" "$child")))
        else
            total=$((total + $(awk -v f="$field:" '$1 == f { print $2 }' \
                "/proc/$child/smaps_rollup" 2>/dev/null || echo 0)))
        fi
    done
    echo "$total"
}

duration="${DURATION:-60}"
# A configuration and browser folders of the run's own, and no tiles asked for.
export ZYN_REGISTRY_ROOT="$work/registry" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
export ZYN_MAP_TILES="${ZYN_MAP_TILES:-none}"
xvfb-run -a -s "-screen 0 1280x1024x24" "$bin/zyn-viewer" "$recording" >/dev/null 2>&1 &
runner=$!
sleep 3
viewer="$(pgrep -n -f "$bin/zyn-viewer" || true)"
if [ -z "$viewer" ]; then
    echo "map-memory: the viewer did not start" >&2
    exit 1
fi
peak_own=0 peak_all=0 peak_own_pss=0 peak_all_rss=0 helpers=0
for _ in $(seq "$duration"); do
    own="$(awk '$1 == "Rss:" { print $2 }' "/proc/$viewer/smaps_rollup" 2>/dev/null || echo 0)"
    own_pss="$(awk '$1 == "Pss:" { print $2 }' "/proc/$viewer/smaps_rollup" 2>/dev/null || echo 0)"
    all="$(tree_kb Pss "$viewer")"
    all_rss="$(tree_kb Rss "$viewer")"
    [ "$own" -gt "$peak_own" ] && peak_own=$own
    [ "$own_pss" -gt "$peak_own_pss" ] && peak_own_pss=$own_pss
    [ "$all" -gt "$peak_all" ] && peak_all=$all
    [ "$all_rss" -gt "$peak_all_rss" ] && peak_all_rss=$all_rss
    n="$(pgrep -P "$viewer" -c 2>/dev/null || echo 0)"
    [ "$n" -gt "$helpers" ] && helpers=$n
    sleep 1
done
kill "$viewer" 2>/dev/null || true
wait "$runner" 2>/dev/null || true
[ "$helpers" -gt 0 ] ||
    echo "map-memory: no browser helper ran: the viewer saw no connection and showed no map" >&2
echo "peak resident (RSS), viewer process: $((peak_own / 1024)) MB"
echo "peak proportional (PSS), viewer process: $((peak_own_pss / 1024)) MB"
echo "peak resident (RSS), viewer and helpers summed: $((peak_all_rss / 1024)) MB"
echo "peak proportional (PSS), viewer and helpers together: $((peak_all / 1024)) MB"

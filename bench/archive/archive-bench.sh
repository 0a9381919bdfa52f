#!/usr/bin/env bash
# The archive's goals on both databases side by side, with the same synthetic fleet: the index
# of HOURS hours (default 10,000) on SQLite and on a PostgreSQL server started here for the run
# (initdb into a temporary folder, as the postgres user when run as root), then the import's
# copy against cp of the same files.
#
#   bench/archive/archive-bench.sh [BUILD_DIR] [HOURS] [WORK_DIR]
#
# WORK_DIR keeps the SQLite archive between runs (the fleet is built once); the PostgreSQL
# database lives as long as the run. Building 10,000 hours takes some ten minutes for each.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/release}"
hours="${2:-10000}"
work="${3:-$(mktemp -d)}"
bin="$build/bin"
mkdir -p "$work"
server="$(mktemp -d)"
pgbin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)"
as_postgres=()
if [ "$(id -u)" -eq 0 ]; then
    chown postgres: "$server"
    as_postgres=(runuser -u postgres --)
fi
port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
cleanup() {
    "${as_postgres[@]}" "$pgbin/pg_ctl" -D "$server/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$server" "$work/copy"
}
trap cleanup EXIT
"${as_postgres[@]}" "$pgbin/initdb" -D "$server/data" -A trust -U postgres -E UTF8 --locale=C \
    >/dev/null
"${as_postgres[@]}" "$pgbin/pg_ctl" -D "$server/data" -l "$server/log" -w \
    -o "-p $port -k $server -c listen_addresses=127.0.0.1" start >/dev/null
"${as_postgres[@]}" "$pgbin/createdb" -h 127.0.0.1 -p "$port" -U postgres fleet

echo "== index: $hours hours of driving"
nice "$bin/zyn_archive_bench" --hours "$hours" --archive "$work/sqlite"
nice "$bin/zyn_archive_bench" --hours "$hours" --archive "$work/postgresql" \
    --db "postgresql://postgres@127.0.0.1:$port/fleet"

echo "== copy: 20 recordings of 20 MB, zyn-archive import against cp and sync"
card="$work/copy/card"
mkdir -p "$card"
for i in $(seq 10 29); do
    head -c 20971520 /dev/urandom >"$card/drf_20250614_1400$i.mp4"
done
cat "$card"/* >/dev/null # both read the card from memory alike
start=$(date +%s.%N)
cp -r "$card" "$work/copy/cp" && sync
cp_s=$(python3 -c "print(round($(date +%s.%N) - $start, 2))")
start=$(date +%s.%N)
"$bin/zyn-archive" --archive "$work/copy/archive" import "$card" >/dev/null 2>&1 || true
import_s=$(python3 -c "print(round($(date +%s.%N) - $start, 2))")
echo "  cp and sync: ${cp_s} s; zyn-archive import (copy, flush, read back from the disk, hash, index): ${import_s} s"

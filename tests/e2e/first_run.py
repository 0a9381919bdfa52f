#!/usr/bin/env python3
"""A newcomer's first run: scripts/run with no arguments starts the viewer playing the demo card.

    first_run.py --source SOURCE_DIR

Runs the real scripts/run (installing nothing that is there already and building nothing that
is built) headless and silent, with a configuration root and a home of its own, and waits for
the viewer to say on standard output that it opened a recording of the demo card. Exit status
0 when it did, 1 when it did not within the time allowed.
"""

import argparse
import os
import select
import signal
import subprocess
import sys
import tempfile
import time

LIMIT_SECONDS = 420  # the demo card is written on the first run


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ)
        env.update({
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_CACHE_HOME": os.path.join(home, "cache"),
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "ZYN_REGISTRY_ROOT": os.path.join(home, "registry"),
            "QT_QPA_PLATFORM": "offscreen",
            "ZYN_AUDIO": "null",
            "ZYN_MAP_TILES": "none",
        })
        run = subprocess.Popen([os.path.join(args.source, "scripts", "run")], env=env,
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, start_new_session=True)
        card = None
        opened = None
        lines = []
        deadline = time.monotonic() + LIMIT_SECONDS
        try:
            buffered = b""
            while opened is None and time.monotonic() < deadline:
                ready, _, _ = select.select([run.stdout], [], [], 1.0)
                if not ready:
                    if run.poll() is not None:
                        break
                    continue
                chunk = os.read(run.stdout.fileno(), 65536)
                if not chunk:
                    break
                buffered += chunk
                while b"\n" in buffered:
                    raw, buffered = buffered.split(b"\n", 1)
                    line = raw.decode("utf-8", "replace")
                    lines.append(line)
                    if line.startswith("Demo card: "):
                        card = line[len("Demo card: "):]
                    elif line.startswith("open: ") and card:
                        opened = line[len("open: "):]
        finally:
            try:
                os.killpg(run.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            run.wait(timeout=30)

    if card and opened and os.path.dirname(opened) == card:
        print(f"first run plays {opened}")
        return 0
    print("scripts/run with no arguments did not start playing the demo card", file=sys.stderr)
    print("\n".join(lines[-40:]), file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())

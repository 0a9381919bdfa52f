#!/usr/bin/env python3
"""How fast the viewer is on screen, beside mpv opening the same recording.

    bench/startup/startup.py [--build BUILD_DIR] [--runs N]

On an Xvfb display of its own, for each of N rounds, one after the other:

  - the viewer alone: from exec to its window mapped and painted;
  - the viewer given a demo recording on its command line: the window, and the first decoded
    frame painted in the video area;
  - mpv given the same recording: from exec to its window mapped (mpv maps it with the first
    frame).

Mapping is watched from outside, as the X server reports it; the viewer's paints and its
start-up steps come from its own trace (ZYN_STARTUP_TRACE), on the same clock. Prints the
minimum and median of each figure, the viewer's ratio to mpv and the median time of each step.
Goals: the window under 300 ms and under 0.6 times mpv's; the first frame under 700 ms.
"""

import argparse
import ctypes
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
LIMIT = 20.0  # seconds a program may take to show its window
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class Display:
    """A connection to the X server that hears of every top-level window being mapped."""

    def __init__(self, name):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(name.encode())
        if not self.display:
            raise SystemExit(f"startup: cannot open display {name}")
        root = self.x.XDefaultRootWindow(self.display)
        self.x.XSelectInput(self.display, root, SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XFlush(self.display)
        self.fd = self.x.XConnectionNumber(self.display)
        self.event = (ctypes.c_long * 24)()

    def drain(self):
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, self.event)

    def wait_for_map(self, deadline):
        """The monotonic time at which the next top-level window was mapped, or None."""
        while time.monotonic() < deadline:
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, self.event)
                if self.event[0] & 0xFFFFFFFF == MAP_NOTIFY:
                    return time.monotonic()
            select.select([self.fd], [], [], 0.05)
        return None


def start_xvfb():
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp", "-noreset"], pass_fds=[write],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            raise SystemExit("startup: Xvfb did not start")
        number += chunk
    os.close(read)
    return server, ":" + number.decode().strip()


def stop(process):
    process.terminate()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def trace_lines(stderr_text):
    """(monotonic seconds, processor milliseconds, step) of each line of the viewer's trace."""
    steps = []
    for line in stderr_text.splitlines():
        if line.startswith("zyn-startup: "):
            parts = line[len("zyn-startup: "):].split(" ", 5)
            steps.append((float(parts[0]), float(parts[3]), parts[5].split(" (")[0]))
    return steps


def run_viewer(display, env, viewer, args, want_frame):
    """Seconds from exec to the window mapped and painted, to the first frame painted (or None),
    and the seconds of each traced step."""
    display.drain()
    errors = tempfile.TemporaryFile()
    started = time.monotonic()
    process = subprocess.Popen([viewer] + args, env=env, stdout=subprocess.DEVNULL, stderr=errors)
    mapped = display.wait_for_map(started + LIMIT)
    deadline = time.monotonic() + LIMIT
    last = "first video frame painted" if want_frame else "first paint"
    steps = []
    while time.monotonic() < deadline:
        errors.seek(0)
        steps = trace_lines(errors.read().decode(errors="replace"))
        if any(step == last for _, _, step in steps):
            break
        time.sleep(0.02)
    stop(process)
    at = {step: (t - started, cpu / 1000) for t, cpu, step in steps}
    if mapped is None or "first paint" not in at:
        raise SystemExit(f"startup: the viewer showed no window ({' '.join(args)})")
    window = max(mapped - started, at["first paint"][0])
    frame = at.get("first video frame painted", (None,))[0]
    if want_frame and frame is None:
        raise SystemExit("startup: the viewer showed no frame of the recording")
    return window, frame, at


def run_mpv(display, env, recording):
    display.drain()
    started = time.monotonic()
    process = subprocess.Popen(["mpv", "--no-config", "--ao=null", "--pause=no", recording],
                               env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = display.wait_for_map(started + LIMIT)
    stop(process)
    if mapped is None:
        raise SystemExit("startup: mpv showed no window")
    return mapped - started


def ms(seconds):
    return f"{seconds * 1000:6.0f} ms"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "release"))
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    for tool in ("Xvfb", "mpv"):
        if not shutil.which(tool):
            raise SystemExit(f"startup: {tool} is needed")
    viewer = os.path.join(args.build, "bin", "zyn-viewer")
    cardgen = os.path.join(args.build, "bin", "zyn-cardgen")

    with tempfile.TemporaryDirectory() as work:
        subprocess.run([cardgen, "--length", "60", "--drf", "1", "--evt", "0", "--muevt", "0",
                        os.path.join(work, "card")], check=True, stdout=subprocess.DEVNULL)
        card = os.path.join(work, "card")
        recording = os.path.join(card, sorted(f for f in os.listdir(card)
                                              if f.endswith(".mp4"))[0])
        server, name = start_xvfb()
        try:
            display = Display(name)
            env = dict(os.environ)
            for variable in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
                env.pop(variable, None)
            env.update({"DISPLAY": name, "HOME": work, "XDG_CONFIG_HOME": os.path.join(work, "config"),
                        "XDG_CACHE_HOME": os.path.join(work, "cache"),
                        "XDG_DATA_HOME": os.path.join(work, "data"),
                        "ZYN_REGISTRY_ROOT": os.path.join(work, "registry"),
                        "ZYN_AUDIO": "null", "ZYN_MAP_TILES": "none", "ZYN_STARTUP_TRACE": "1"})
            # One unmeasured round: the files come into the page cache as they would for any
            # program started a second time.
            run_viewer(display, env, viewer, [recording], True)
            run_mpv(display, env, recording)
            alone, given, frames, players, steps = [], [], [], [], {}
            for _ in range(args.runs):
                window, _, at = run_viewer(display, env, viewer, [], False)
                alone.append(window)
                for step, t in at.items():
                    steps.setdefault(step, []).append(t)
                window, frame, _ = run_viewer(display, env, viewer, [recording], True)
                given.append(window)
                frames.append(frame)
                players.append(run_mpv(display, env, recording))
        finally:
            server.terminate()
            server.wait()

    load = os.getloadavg()
    print(f"startup: {args.runs} runs on {os.cpu_count()} cores, load average "
          f"{load[0]:.1f} {load[1]:.1f} {load[2]:.1f}")
    print("                                     minimum    median")
    for label, values in (("viewer window, nothing given", alone),
                          ("viewer window, a recording given", given),
                          ("viewer first frame", frames),
                          ("mpv window (its first frame)", players)):
        print(f"  {label:33s} {ms(min(values))} {ms(statistics.median(values))}")
    ratio = [v / m for v, m in zip(given, players)]
    print(f"  {'ratio viewer / mpv window':33s} {min(ratio):6.2f}    {statistics.median(ratio):6.2f}"
          "     (goal: under 0.6)")
    print("the viewer's steps, nothing given (medians since exec: wall clock, and the processor")
    print("time of all its threads, which a busy machine disturbs less):")
    for step, values in sorted(steps.items(), key=lambda item: statistics.median(v[0] for v in item[1])):
        print(f"  {ms(statistics.median(v[0] for v in values))} {ms(statistics.median(v[1] for v in values))} cpu  {step}")


if __name__ == "__main__":
    sys.exit(main())

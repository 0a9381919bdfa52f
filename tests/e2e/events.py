#!/usr/bin/env python3
"""A driver looking for the incidents of a drive, at the real viewer on a display of its own.

    events.py --build BUILD_DIR --source SOURCE_DIR --out OUT_DIR

A demo drive of three ten-second recordings with hard braking at its 18th and 28th second (the
second and the third recording's 8th) is played from its second recording. N and Shift+N go to
the next and previous event across the recordings' boundaries, twenty times in a row while a
busy loop keeps the other core loaded, and every jump must land within a second of the run-up
three seconds into its recording; D opens the drive's summary and a click on an event plays it
with the summary moved off the video. What the viewer did is read from the screen and from the
recordings it says it opened. Exit status 0 when all came about, 1 when something did not.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from journey import MAIN_SIZE, SEEK_LENGTH, SEEK_THUMB_Y  # noqa: E402
from xsession import Display, Image, StepFailed, missing_tool, wait_until  # noqa: E402

FOUND_TICK = (0xFF, 0xE6, 0x46)
TICK_Y = 559 - 3 + 2
SUMMARY_SIZE = (480, 660)
SUMMARY_EVENT_ROW = (240, 292 + 30)  # the second event's row in the summary's list
RECORDING_SECONDS = 10
LANDING = 3  # both brakings come at a recording's 8th second: five seconds before is its 3rd
JUMPS = 20
VIDEO_AREA = (24, 52, 640, 480)
LIST_SELECTION = (0xAA, 0xFF, 0x4B)


class Run:
    def __init__(self, options, work):
        self.options = options
        self.work = work
        self.display = None
        self.viewer = None
        self.log = None
        self.origin = (0, 0)

    def start(self):
        options, work = self.options, self.work
        self.display = Display(options.out)
        self.thumb = Image.from_file(
            os.path.join(options.source, "src", "resources", "skin", "184.png"))
        self.card = os.path.join(work, "card")
        subprocess.run([os.path.join(options.build, "bin", "zyn-cardgen"), "--length",
                        str(RECORDING_SECONDS), "--drf", "3", "--evt", "0", "--muevt", "0",
                        "--brake-at", "18,28", "--seed", "4", self.card],
                       check=True, capture_output=True)
        self.files = sorted(os.path.join(self.card, n) for n in os.listdir(self.card))
        self.log_path = os.path.join(options.out, "viewer-events.log")
        self.log = open(self.log_path, "wb")
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": work,
            "DISPLAY": self.display.name, "LANG": "C.UTF-8",
            "XDG_CONFIG_HOME": os.path.join(work, "config"),
            "XDG_DATA_HOME": os.path.join(work, "data"),
            "XDG_CACHE_HOME": os.path.join(work, "cache"),
            "QT_QPA_PLATFORM": "xcb", "ZYN_AUDIO": "null", "ZYN_MAP_TILES": "none",
            "ZYN_REGISTRY_ROOT": os.path.join(work, "registry"),
            "DBUS_SESSION_BUS_ADDRESS": "unix:path=/nonexistent",
            "QTWEBENGINE_CHROMIUM_FLAGS":
                "--proxy-server=http://127.0.0.1:9 --proxy-bypass-list=<-loopback>",
        }
        self.viewer = subprocess.Popen(
            [os.path.join(options.build, "bin", "zyn-viewer"), self.files[1]], cwd=work,
            env=env, stdout=self.log, stderr=subprocess.STDOUT)

    def close(self):
        if self.viewer and self.viewer.poll() is None:
            self.viewer.terminate()
            try:
                self.viewer.wait(5)
            except subprocess.TimeoutExpired:
                self.viewer.kill()
        if self.log:
            self.log.close()
        if self.display:
            self.display.close()

    def opened(self):
        with open(self.log_path, "rb") as f:
            text = f.read().decode("utf-8", "replace")
        return [line[len("open: "):] for line in text.splitlines() if line.startswith("open: ")]

    def wait_opened(self, count, path):
        wait_until(f"{os.path.basename(path)} opened (open number {count})",
                   lambda: len(self.opened()) >= count and self.opened()[count - 1] == path,
                   timeout=10)

    def seconds_shown(self, image=None):
        """The playing second as the seek bar's thumb shows it, or None."""
        image = image or self.display.grab()
        x0, y = self.origin[0] + 36, self.origin[1] + SEEK_THUMB_Y
        x = image.find_in_row(self.thumb, y, x0, x0 + SEEK_LENGTH)
        return None if x is None else (x - x0) * RECORDING_SECONDS / SEEK_LENGTH

    def row_selected(self, image, row):
        return image.pixel(self.origin[0] + 690, self.origin[1] + 638 + 18 * row + 9) \
            == LIST_SELECTION

    def found_ticks(self):
        image = self.display.grab()
        return image.count(FOUND_TICK, self.origin[0] + 36, self.origin[1] + TICK_Y,
                           SEEK_LENGTH + 20, 1)

    def landing(self, row):
        """The second a jump into the list's row landed on: the first the thumb shows past the
        recording's start once the row is the open one (the seek bar starts again at 0 when a
        recording opens, so a jump whose seek was lost passes through 1 s on its way)."""
        deadline = time.monotonic() + 8
        while time.monotonic() < deadline:
            image = self.display.grab()
            shown = self.seconds_shown(image)
            # The thumb stands one second ahead: it shows the second under way as its end.
            if self.row_selected(image, row) and shown is not None and shown >= 1.5:
                return shown - 1
        raise StepFailed(f"the jump into row {row} never showed its position")

    def jump(self, key, path, row, count):
        self.display.key(key)
        self.wait_opened(count, path)
        second = self.landing(row)
        if abs(second - LANDING) > 1:
            raise StepFailed(f"{key} into {os.path.basename(path)} landed at {second:.1f} s, "
                             f"not within 1 s of {LANDING} s")
        return second

    def run(self):
        self.start()
        window = self.display.wait_window("the main window", name="ZYN Viewer", size=MAIN_SIZE,
                                          timeout=30)
        self.origin = (window["x"], window["y"])
        self.wait_opened(1, self.files[1])
        wait_until("the braking ticked on the seek bar", self.found_ticks, timeout=10)

        self.display.key("n")
        second = wait_until("the jump to three seconds, five before the braking",
                            lambda: (s := self.seconds_shown()) is not None and 3 <= s <= 5.5
                            and s, timeout=3)
        print(f"events: N moved to {second - 1:.1f} s")

        # Twenty jumps across the boundary between the second and the third recording, with the
        # other core kept busy. Shift+N comes two seconds after the jump before it: "previous"
        # is the event before the one jumped to, however long it was watched.
        busy = subprocess.Popen([sys.executable, "-c", "while True: pass"])
        try:
            opened = len(self.opened())
            landings = []
            for i in range(JUMPS):
                forward = i % 2 == 0
                if not forward:
                    time.sleep(max(0.0, 2.2 - (time.monotonic() - jumped)))
                jumped = time.monotonic()
                opened += 1
                landings.append(self.jump("n" if forward else "shift+n",
                                          self.files[2 if forward else 1], 1 if forward else 0,
                                          opened))
        finally:
            busy.kill()
            busy.wait()
        print(f"events: {JUMPS} jumps across the boundary landed at "
              + " ".join(f"{s:.1f}" for s in landings) + " s")

        self.display.key("d")
        summary = self.display.wait_window("the drive summary", size=SUMMARY_SIZE, timeout=10)
        self.display.save(os.path.join(self.options.out, "drive-summary.png"))
        opened = len(self.opened())
        self.display.click(summary["x"] + SUMMARY_EVENT_ROW[0], summary["y"] + SUMMARY_EVENT_ROW[1])
        self.wait_opened(opened + 1, self.files[2])
        moved = wait_until("the summary off the video while the event plays",
                           lambda: self.summary_off_video(), timeout=5)
        print(f"events: the summary's second event played its recording, the summary beside "
              f"the video at {moved['x'] - self.origin[0]}, {moved['y'] - self.origin[1]}")
        self.display.save(os.path.join(self.options.out, "drive-summary-playing.png"))
        return 0

    def summary_off_video(self):
        """The summary's window once it stands clear of the video area, else None."""
        summary = self.display.window(name="Drive summary")
        if not summary:
            return None
        left, top, width, height = VIDEO_AREA
        x, y = self.origin[0] + left, self.origin[1] + top
        covers = summary["x"] < x + width and x < summary["x"] + summary["w"] \
            and summary["y"] < y + height and y < summary["y"] + summary["h"]
        return None if covers else summary


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--out", required=True)
    options = parser.parse_args()
    tool = missing_tool(("Xvfb", "xdotool", "import", "convert"))
    if tool:
        print(f"events: {tool} is missing (scripts/install-deps installs it)")
        return 1
    shutil.rmtree(options.out, ignore_errors=True)
    os.makedirs(options.out)
    work = tempfile.mkdtemp(prefix="zyn-events-")
    run = Run(options, work)
    try:
        return run.run()
    except (StepFailed, subprocess.CalledProcessError) as failure:
        print(f"events: FAILED: {failure}")
        if run.display:
            run.display.save(os.path.join(options.out, "failed.png"))
        if run.log:
            run.log.flush()
            with open(run.log_path, "rb") as f:
                print(f.read().decode("utf-8", "replace")[-3000:])
        return 1
    finally:
        run.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

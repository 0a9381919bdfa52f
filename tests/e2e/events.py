#!/usr/bin/env python3
"""A driver looking for the incidents of a drive, at the real viewer on a display of its own.

    events.py --build BUILD_DIR --source SOURCE_DIR --out OUT_DIR

A demo drive of three ten-second recordings with hard braking at its 17th and 25th second (the
second recording's 7th, the third's 5th) is played from its second recording. N and Shift+N go
to the next and previous event across the recordings' boundaries; D opens the drive's summary
and a click on an event plays it. What the viewer did is read from the screen and from the
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
                        "--brake-at", "17,25", "--seed", "4", self.card],
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

    def seconds_shown(self):
        """The playing second as the seek bar's thumb shows it, or None."""
        image = self.display.grab()
        x0, y = self.origin[0] + 36, self.origin[1] + SEEK_THUMB_Y
        x = image.find_in_row(self.thumb, y, x0, x0 + SEEK_LENGTH)
        return None if x is None else (x - x0) * RECORDING_SECONDS / SEEK_LENGTH

    def found_ticks(self):
        image = self.display.grab()
        return image.count(FOUND_TICK, self.origin[0] + 36, self.origin[1] + TICK_Y,
                           SEEK_LENGTH + 20, 1)

    def run(self):
        self.start()
        window = self.display.wait_window("the main window", name="ZYN Viewer", size=MAIN_SIZE,
                                          timeout=30)
        self.origin = (window["x"], window["y"])
        self.wait_opened(1, self.files[1])
        wait_until("the braking ticked on the seek bar", self.found_ticks, timeout=10)

        self.display.key("n")
        second = wait_until("the jump to two seconds, five before the braking",
                            lambda: (s := self.seconds_shown()) is not None and 1.5 <= s <= 4.5
                            and s, timeout=3)
        print(f"events: N moved to {second:.1f} s")
        time.sleep(0.5)
        self.display.key("n")
        self.wait_opened(2, self.files[2])
        time.sleep(0.5)
        self.display.key("shift+n")
        self.wait_opened(3, self.files[1])
        print("events: N and Shift+N crossed the recordings' boundary both ways")

        self.display.key("d")
        summary = self.display.wait_window("the drive summary", size=SUMMARY_SIZE, timeout=10)
        self.display.save(os.path.join(self.options.out, "drive-summary.png"))
        self.display.click(summary["x"] + SUMMARY_EVENT_ROW[0], summary["y"] + SUMMARY_EVENT_ROW[1])
        self.wait_opened(4, self.files[2])
        print("events: the summary's second event played its recording")
        return 0


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

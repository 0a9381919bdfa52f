#!/usr/bin/env python3
"""A driver keeping a card in the archive and finding a place again, at the real viewer.

    archive.py --build BUILD_DIR --out OUT_DIR

The viewer starts (in Russian) on a demo card while its archive is empty: the title offers to
keep the card's recordings, a click on the offer imports them (the files, the index and the
closing message are checked). Key A opens the archive window on the card's day; a click on the
map where the drive's road runs lists its passes, which must be those `zyn-archive find --near`
gives for the same place, and a double-click on the first plays it in the main window from five
seconds before. A second start in English finds the window's English face, and a day without
drives leaves the speed profile empty; a second card then put in (a file system mounted in the
viewer's own mount namespace while it runs) is offered in the title as the first was. Exit
status 0 when all came about, 1 when not.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from journey import MAIN_SIZE, SEEK_LENGTH, SEEK_THUMB_Y  # noqa: E402
from xsession import Display, Image, StepFailed, missing_tool, wait_until  # noqa: E402

ARCHIVE_SIZE = (1020, 780)
TITLE_POINT = (120, 20)  # the main window's title, where the offer stands
OFFER_COLOUR = (0xFF, 0xAA, 0x00)
MAP = (360, 112, 420, 448)  # x, y, width, height in the archive window
FIRST_RESULT = (792 + 150, 134 + 40)
PROFILE = (16 + 46, 572 + 24, 988 - 60, 172 - 44)
PROFILE_LINE = (170, 255, 75)
DAY_WITHOUT_DRIVES = (38, 230)  # 16 June in the calendar, a Monday two days after the drive
RECORDING_SECONDS = 20


def route_pixel(image, x0, y0):
    """A pixel in the middle of the drawn road (orange over the empty map's grey), or None.
    The events' dots are redder: (239, 96, 82) against the road's (227, 107, 72)."""
    found = []
    x, y, w, h = MAP
    for py in range(y0 + y + 20, y0 + y + h - 20, 2):
        for px in range(x0 + x + 20, x0 + x + w - 20, 2):
            r, g, b = image.pixel(px, py)
            if r > 215 and 100 < g < 115 and 62 < b < 80:
                found.append((px, py))
    return found[len(found) // 2] if found else None


class Run:
    def __init__(self, options, work):
        self.options = options
        self.work = work
        self.display = Display(options.out)
        self.viewer = None
        self.log = None
        self.log_path = None
        self.card = os.path.join(work, "card")
        self.root = os.path.join(work, "data", "Velqorin", "ZYN Viewer", "archive")
        self.thumb = Image.from_file(
            os.path.join(options.source, "src", "resources", "skin", "184.png"))

    def start(self, lang, arguments, name, own_mounts=False):
        self.stop()
        self.log_path = os.path.join(self.options.out, f"viewer-{name}.log")
        self.log = open(self.log_path, "wb")
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.work,
            "DISPLAY": self.display.name, "LANG": lang,
            "XDG_CONFIG_HOME": os.path.join(self.work, "config"),
            "XDG_DATA_HOME": os.path.join(self.work, "data"),
            "XDG_CACHE_HOME": os.path.join(self.work, "cache"),
            "QT_QPA_PLATFORM": "xcb", "ZYN_AUDIO": "null", "ZYN_MAP_TILES": "none",
            "ZYN_REGISTRY_ROOT": os.path.join(self.work, "registry"),
            "DBUS_SESSION_BUS_ADDRESS": "unix:path=/nonexistent",
            "QTWEBENGINE_CHROMIUM_FLAGS":
                "--proxy-server=http://127.0.0.1:9 --proxy-bypass-list=<-loopback>",
        }
        # unshare execs the viewer: its process is the viewer, whose mounts are its own.
        prefix = ["unshare", "--mount", "--propagation", "private", "--"] if own_mounts else []
        self.viewer = subprocess.Popen(
            [*prefix, os.path.join(self.options.build, "bin", "zyn-viewer"), *arguments],
            cwd=self.work, env=env, stdout=self.log, stderr=subprocess.STDOUT)
        window = self.display.wait_window("the main window", name="ZYN Viewer", size=MAIN_SIZE,
                                          timeout=30)
        return window["x"], window["y"]

    def stop(self):
        if self.viewer and self.viewer.poll() is None:
            self.viewer.terminate()
            try:
                self.viewer.wait(10)
            except subprocess.TimeoutExpired:
                self.viewer.kill()
        self.viewer = None
        if self.log:
            self.log.close()
            self.log = None

    def close(self):
        self.stop()
        self.display.close()

    def lines(self, prefix):
        with open(self.log_path, "rb") as f:
            text = f.read().decode("utf-8", "replace")
        return [line[len(prefix):] for line in text.splitlines() if line.startswith(prefix)]

    def archive_tool(self, *arguments):
        return subprocess.run([os.path.join(self.options.build, "bin", "zyn-archive"),
                               "--archive", self.root, *arguments], check=True,
                              capture_output=True, text=True).stdout

    def import_from_the_offer(self, origin):
        wait_until("the card's recordings counted against the archive",
                   lambda: any(line.endswith(": 3") for line in self.lines("archive missing: ")),
                   timeout=20)
        wait_until("the offer in the title", lambda: self.display.grab().count(
            OFFER_COLOUR, origin[0] + 25, origin[1] + 8, 300, 28) > 20, timeout=5)
        self.display.save(os.path.join(self.options.out, "archive-offer.png"))
        known = {w["id"] for w in self.display.windows()}
        self.display.click(origin[0] + TITLE_POINT[0], origin[1] + TITLE_POINT[1])
        # The progress window bears the same title; the message comes once the import is done.
        reported = wait_until("the import's end", lambda: self.lines("archive import: "),
                              timeout=120)
        message = wait_until("the import's closing message", lambda: next(
            (w for w in self.display.windows()
             if w["id"] not in known and w["name"] == "Архив поездок"), None), timeout=10)
        if not reported or "сохранено записей: 3," not in reported[-1]:
            raise StepFailed(f"the import reported {reported}")
        self.display.save(os.path.join(self.options.out, "archive-imported.png"))
        self.display.key("Return")
        self.display.wait_gone("the import's message", message["id"])
        day = os.path.join(self.root, "default", "2025", "06", "14")
        kept = sorted(os.listdir(day))
        if kept != sorted(os.listdir(self.card)):
            raise StepFailed(f"the archive holds {kept}")
        for name in kept:
            with open(os.path.join(day, name), "rb") as a, \
                    open(os.path.join(self.card, name), "rb") as b:
                if a.read() != b.read():
                    raise StepFailed(f"{name} differs from the card's")
        drives = self.archive_tool("drives").strip().splitlines()
        if len(drives) != 1 or "3 recordings" not in drives[0]:
            raise StepFailed(f"zyn-archive drives: {drives}")
        print("archive: the offer's import kept the card's three recordings and their drive")

    def search_and_play(self, origin):
        self.display.key("a")
        window = self.display.wait_window("the archive window", name="Архив поездок",
                                          size=ARCHIVE_SIZE, timeout=15)
        x0, y0 = window["x"], window["y"]
        point = wait_until("the drive's road on the map",
                           lambda: route_pixel(self.display.grab(), x0, y0), timeout=30)
        self.display.save(os.path.join(self.options.out, "archive-window.png"))
        self.display.click(*point)
        searched = wait_until("the search", lambda: self.lines("archive search: "), timeout=10)
        found = wait_until("the passes", lambda: self.lines("archive found: "), timeout=10)
        place, radius = re.match(r"(\S+) (\d+) m", searched[-1]).groups()
        passes = self.lines("archive pass: ")
        if int(found[-1]) < 1 or len(passes) != int(found[-1]):
            raise StepFailed(f"the window found {found[-1]} passes: {passes}")
        expected = self.archive_tool("find", "--near", place, "--radius", radius, "--json")
        judged = [f"{m['recording']} {m['second']}" for m in json.loads(expected)["moments"]]
        shown = [p.replace(self.root + "/", "") for p in passes]
        judged = [j.replace(self.root + "/", "") for j in judged]
        if sorted(shown) != sorted(judged):
            raise StepFailed(f"the window's passes {shown} are not zyn-archive's {judged}")
        print(f"archive: a click at {place} found {shown}, as zyn-archive find --near does")
        time.sleep(0.5)
        self.display.save(os.path.join(self.options.out, "archive-found.png"))

        recording, second = passes[0].rsplit(" ", 1)
        self.display.move(x0 + FIRST_RESULT[0], y0 + FIRST_RESULT[1])
        self.display._run("xdotool", "click", "--repeat", "2", "--delay", "80", "1")
        played = wait_until("the pass played", lambda: self.lines("archive play: "), timeout=10)
        at = max(0, int(second) - 5)
        if played[-1] != f"{recording} {at}":
            raise StepFailed(f"played {played[-1]}, not {recording} from {at} s")
        wait_until(f"{os.path.basename(recording)} opened",
                   lambda: recording in self.lines("open: "), timeout=15)
        # The main window comes to the front; its seek bar's thumb stands at the second.
        shown_at = wait_until("the thumb at the second", lambda: (
            s := self.seconds_shown(origin)) is not None and abs(s - at) <= 2.5 and s + 0.001,
            timeout=10)
        print(f"archive: the double-click played {os.path.basename(recording)} from "
              f"{shown_at:.1f} s ({at} s asked)")

    def seconds_shown(self, origin):
        image = self.display.grab()
        x0, y = origin[0] + 36, origin[1] + SEEK_THUMB_Y
        x = image.find_in_row(self.thumb, y, x0, x0 + SEEK_LENGTH)
        return None if x is None else (x - x0) * RECORDING_SECONDS / SEEK_LENGTH

    def english_and_a_day_without_drives(self):
        origin = self.start("C.UTF-8", [], "en", own_mounts=True)
        self.display.key("a")
        window = self.display.wait_window("the archive window in English", name="Drive archive",
                                          size=ARCHIVE_SIZE, timeout=15)
        x0, y0 = window["x"], window["y"]
        x, y, w, h = PROFILE
        wait_until("the drive's profile", lambda: self.display.grab().count(
            PROFILE_LINE, x0 + x, y0 + y, w, h) > 50, timeout=15)
        self.display.save(os.path.join(self.options.out, "archive-window-en.png"))
        self.display.click(x0 + DAY_WITHOUT_DRIVES[0], y0 + DAY_WITHOUT_DRIVES[1])
        wait_until("the profile emptied by a day without drives", lambda: self.display.grab().count(
            PROFILE_LINE, x0 + x, y0 + y, w, h) == 0, timeout=10)
        self.display.save(os.path.join(self.options.out, "archive-no-drives.png"))
        print("archive: the English face; a day without drives leaves the profile empty")
        self.display.key("Escape")
        self.display.wait_gone("the archive window to close", window["id"])
        self.card_put_in(origin)

    def card_put_in(self, origin):
        """Another day's card, mounted whole where the desktop mounts removable media."""
        second = os.path.join(self.work, "second-card")
        subprocess.run([os.path.join(self.options.build, "bin", "zyn-cardgen"), "--length",
                        str(RECORDING_SECONDS), "--drf", "2", "--evt", "0", "--muevt", "0",
                        "--start", "2025-06-15 09:00:00", os.path.join(second, "DCIM")],
                       check=True, capture_output=True)
        media = os.path.join(self.work, "media", "CARD")
        os.makedirs(media)
        time.sleep(2.5)  # the watch knows the volumes mounted before
        subprocess.run(["nsenter", "--target", str(self.viewer.pid), "--mount", "--", "mount",
                        "--bind", second, media], check=True, capture_output=True)
        folder = os.path.join(media, "DCIM")
        wait_until("the card put in counted against the archive",
                   lambda: f"{folder}: 2" in self.lines("archive missing: "), timeout=15)
        wait_until("the new card's offer in the title", lambda: self.display.grab().count(
            OFFER_COLOUR, origin[0] + 25, origin[1] + 8, 300, 28) > 20, timeout=10)
        self.display.save(os.path.join(self.options.out, "archive-card-put-in.png"))
        print("archive: a card put in while the viewer ran is offered in the title")

    def run(self):
        subprocess.run([os.path.join(self.options.build, "bin", "zyn-cardgen"), "--length",
                        str(RECORDING_SECONDS), "--drf", "2", "--evt", "1", "--muevt", "0",
                        self.card], check=True, capture_output=True)
        origin = self.start("ru_RU.UTF-8", [self.card], "ru")
        self.import_from_the_offer(origin)
        self.search_and_play(origin)
        self.english_and_a_day_without_drives()
        return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--out", required=True)
    options = parser.parse_args()
    tool = missing_tool(("Xvfb", "xdotool", "import", "convert", "unshare", "nsenter"))
    if tool:
        print(f"archive: {tool} is missing (scripts/install-deps installs it)")
        return 1
    shutil.rmtree(options.out, ignore_errors=True)
    os.makedirs(options.out)
    work = tempfile.mkdtemp(prefix="zyn-archive-")
    run = Run(options, work)
    try:
        return run.run()
    except (StepFailed, subprocess.CalledProcessError) as failure:
        print(f"archive: FAILED: {failure}")
        run.display.save(os.path.join(options.out, "failed.png"))
        if run.log_path and os.path.exists(run.log_path):
            with open(run.log_path, "rb") as f:
                print(f.read().decode("utf-8", "replace")[-3000:])
        return 1
    finally:
        run.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

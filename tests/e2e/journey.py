#!/usr/bin/env python3
"""The whole journey of a driver through the real viewer, driven from outside.

    journey.py --build BUILD_DIR --source SOURCE_DIR --usb-sim LIBRARY --out OUT_DIR

Starts the real zyn-viewer on a display of its own (Xvfb) with a fresh demo card, a home, a
configuration root and a recorder of its own, and uses it as a person does: xdotool clicks and
keys at the window's places, the real folder, print and message dialogs, and screenshots read
for the pixels expected at each turn. Every file the viewer writes is checked afterwards.

The card is a file system of its own (a tmpfs in a mount namespace), as a memory card is, so that
the recorder settings file goes to the card's root; the namespace also has no network, so the
viewer runs off line and nothing leaves the machine. Where no namespace can be made, the card is
put on /dev/shm, the one tmpfs every Linux system has, and the map's browser is kept off the
network.

Screenshots of each step and the viewer's output stay in OUT_DIR; on failure the step that
failed is named and a screenshot of that moment is kept beside them. Exit status 0 when the whole
journey went as expected, 1 when a step failed or a tool is missing, 77 when the card cannot be
a volume of its own here.
"""

import argparse
import calendar
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import Display, Image, StepFailed, missing_tool, wait_until  # noqa: E402

SKIP = 77
PASSWORD = "0042"
RECORDING_SECONDS = 40
SEEK_LENGTH = 342  # the seek bar's pixels

# Places in the main window, in its own pixels.
BUTTON = {
    "close": (992, 13), "print": (827, 63), "capture": (866, 63), "save": (905, 63),
    "usb": (757, 65), "settings": (983, 63), "previous": (48, 611), "pause": (108, 611),
    "stop": (168, 611), "play": (228, 611), "next": (288, 611), "files": (931, 598),
    "clear": (836, 598),
}
VIDEO = (24, 52, 640, 480)
MAP = (684, 122, 310, 410)
SEEK_THUMB_Y = 554
STRIP_Y = 489
SLIDER_Y = 552
SPEED_THUMB_X0 = 635
VOLUME_THUMB_X0 = 827
TIME_TEXT = (425, 548, 155, 26)
DIGIT_X = (563, 578, 593)
DIGIT_Y = 657
UNIT_LABEL = (553, 696)
COMPASS = (428, 656)
NEEDLE = (0x18, 0x3E, 0x65)
GRAPH = (0, 637, 360, 143)
LIST_ROW_Y = 638
LIST_ICON_X = 700
LOCK_SIZE = (440, 300)
MAIN_SIZE = (1020, 780)

# Places in the popups, from their top-left corners.
SELECTOR_TAB = ((66, 19), (182, 19), (285, 19))
SELECTOR_SELECT_ALL = (25, 42)
SELECTOR_ROW_BOX = (24, 65)
SELECTOR_ROW_PITCH = 14
SELECTOR_CHOOSE = (63, 420)
SELECTOR_ADD = (191, 420)
SETTINGS_SIZE = (377, 380)
SETTINGS_ARROW = (263, 91)
SETTINGS_KNOTS = (100, 165)
SETTINGS_BOX = (33, 159)  # the password box in settings, the 30-frame box in capture
SETTINGS_SEL_DIR = (291, 92)
SETTINGS_ACTION = (131, 309)
SETTINGS_EXIT = (241, 309)
PASSWORD_SIZE = (272, 340)
PASSWORD_CONFIRM = (136, 196)
SAVE_SIZE = (377, 254)
SAVE_SEL_DIR = (291, 92)
SAVE_OK = (131, 215)
USB_TRANSMIT = (266, 414)
USB_CANCEL = (376, 414)
USB_ONE_CHANNEL = (36, 63)  # the Recorder page's "1CH" and "2CH" choices
USB_TWO_CHANNELS = (90, 63)
USB_PAGE_SAVE = (370, 374)
CLIP_SIZE = (460, 318)
CLIP_BROWSE = (396, 171)
CLIP_SAVE = (278, 285)
CLIP_MARKED_SECONDS = 4  # about: between the keys I and O


def registry_file(root, key, value):
    return os.path.join(root, "Velqorin", "ZYN Viewer", "01.00.01", key, value)


class Viewer:
    """One run of the real program."""

    def __init__(self, journey, name, args=()):
        self.log_path = os.path.join(journey.out, f"viewer-{name}.log")
        self.log = open(self.log_path, "wb")
        self.process = subprocess.Popen([journey.viewer_program, *args], cwd=journey.home,
                                        env=journey.viewer_env, stdout=self.log,
                                        stderr=subprocess.STDOUT)

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise StepFailed(f"the viewer did not end within {timeout} s")

    def stop(self):
        if self.running():
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()

    def output(self):
        self.log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode("utf-8", "replace")


class Journey:
    def __init__(self, options, work, card, card_root, isolated):
        self.options = options
        self.out = options.out
        self.work = work
        self.card = card  # the folder of recordings the driver chooses
        self.card_root = card_root  # the root of its file system, where the recorder looks
        self.isolated = isolated
        self.build = options.build
        self.viewer_program = os.path.join(self.build, "bin", "zyn-viewer")
        self.home = os.path.join(work, "home")
        self.registry = os.path.join(work, "registry")
        self.captures = os.path.join(work, "captures")
        self.copies = os.path.join(work, "copies")
        self.clips = os.path.join(work, "clips")
        self.print_file = os.path.join(work, "printed", "frame.pdf")
        self.sim_reply = os.path.join(work, "recorder-reply.bin")
        self.sim_received = os.path.join(work, "recorder-received.bin")
        for folder in (self.home, self.registry, self.captures, self.copies, self.clips,
                       os.path.dirname(self.print_file)):
            os.makedirs(folder, exist_ok=True)
        self.skin = {}
        self.display = None
        self.viewer = None
        self.shot_number = 0
        self.chosen_captures = False
        self.chosen_copies = False
        self.origin = (0, 0)
        self.recordings = sorted(n for n in os.listdir(card) if n.endswith(".mp4"))

    # Set-up.

    def prepare_recorder(self):
        """The simulated recorder stands in for libusb: a folder holding it under libusb's name."""
        usb_dir = os.path.join(self.work, "usb")
        os.makedirs(usb_dir, exist_ok=True)
        os.symlink(os.path.abspath(self.options.usb_sim), os.path.join(usb_dir, "libusb-0.1.so.4"))
        # The recorder's answer: its own settings (the clock, the volumes, recognisable
        # reserved words) rather than an echo, so that what is stored is surely the answer.
        slots = [0] * 84
        slots[0:6] = [1, 0, 1, 2, 1, 1]
        slots[30:36] = [2025, 6, 14, 14, 23, 37]
        slots[36:38] = [3, 4]
        slots[79:84] = [0x5A5A0001, 0x5A5A0002, 0x5A5A0003, 0x5A5A0004, 0x5A5A0005]
        with open(self.sim_reply, "wb") as f:
            f.write(struct.pack("<84i", *slots))
        return usb_dir

    def start_display(self):
        self.display = Display(self.out)
        runtime = os.path.join(self.work, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        usb_dir = self.prepare_recorder()
        path = os.environ.get("PATH", "/usr/bin:/bin")
        self.viewer_env = {
            "PATH": path, "HOME": self.home, "DISPLAY": self.display.name,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_RUNTIME_DIR": runtime, "LANG": "ru_RU.UTF-8", "TZ": "UTC-3",
            "QT_QPA_PLATFORM": "xcb", "ZYN_AUDIO": "null", "ZYN_REGISTRY_ROOT": self.registry,
            # No desktop services: Qt's own dialogs, no network state from outside.
            "DBUS_SESSION_BUS_ADDRESS": "unix:path=/nonexistent",
            "DBUS_SYSTEM_BUS_ADDRESS": "unix:path=/nonexistent",
            "LD_LIBRARY_PATH": usb_dir,
            "ZYN_SIM_SCENARIO": "2", "ZYN_SIM_REPLY": self.sim_reply,
            "ZYN_SIM_RECEIVED": self.sim_received,
        }
        if not self.isolated:
            # On the machine's own network the map's browser may start: keep it off line.
            self.viewer_env["QTWEBENGINE_CHROMIUM_FLAGS"] = \
                "--proxy-server=http://127.0.0.1:9 --proxy-bypass-list=<-loopback>"

    def skin_picture(self, number):
        if number not in self.skin:
            path = os.path.join(self.options.source, "src", "resources", "skin", f"{number}.png")
            self.skin[number] = Image.from_file(path)
        return self.skin[number]

    # Eyes and hands on the main window, in its own pixels.

    def at(self, point):
        return (self.origin[0] + point[0], self.origin[1] + point[1])

    def click(self, point):
        self.display.click(*self.at(point))

    def screen(self):
        return self.display.grab()

    def shot(self, name):
        self.shot_number += 1
        self.display.save(os.path.join(self.out, f"{self.shot_number:02d}-{name}.png"))

    def holds(self, image, number, point):
        x, y = self.at(point)
        return image.holds(self.skin_picture(number), x, y)

    def progress(self, image=None):
        """The seek bar's position in pixels, read from where its thumb stands."""
        image = image or self.screen()
        x0, y = self.at((36, SEEK_THUMB_Y))
        x = image.find_in_row(self.skin_picture(184), y, x0, x0 + SEEK_LENGTH)
        return None if x is None else x - x0

    def slider(self, x0, lo, hi, image=None):
        image = image or self.screen()
        left, y = self.at((x0, SLIDER_Y))
        x = image.find_in_row(self.skin_picture(194), y, left + lo, left + hi)
        return None if x is None else x - left

    def speed_slider(self, image=None):
        return self.slider(SPEED_THUMB_X0, 0, 102, image)

    def volume_slider(self, image=None):
        return self.slider(VOLUME_THUMB_X0, 0, 128, image)

    def speed_digits(self, image=None):
        """The three speed digits as a number, or None when they are not all digit pictures."""
        image = image or self.screen()
        value = 0
        for x in DIGIT_X:
            digit = next((d for d in range(10) if self.holds(image, 243 + d, (x, DIGIT_Y))), None)
            if digit is None:
                return None
            value = value * 10 + digit
        return value

    def unit_label(self, image=None):
        image = image or self.screen()
        return next((u for u in range(3) if self.holds(image, 185 + u, UNIT_LABEL)), None)

    def region(self, image, area):
        x, y = self.at(area[:2])
        return image.region(x, y, area[2], area[3])

    def video_running(self, image):
        """The video area shows a picture rather than the window's idle background."""
        background = self.skin_picture(130)
        x, y, w, h = VIDEO
        differing = sum(1 for gx in range(x + 8, x + w, 32) for gy in range(y + 8, y + h, 32)
                        if image.pixel(*self.at((gx, gy))) != background.pixel(gx, gy))
        return differing > 100

    def needle(self, image):
        x, y = self.at((COMPASS[0] - 30, COMPASS[1] - 30))
        return frozenset((px, py) for py in range(61) for px in range(61)
                         if image.pixel(x + px, y + py) == NEEDLE)

    def list_icons(self, image=None):
        """The kinds of the play list's rows, read from their icons (195, 196 or 302)."""
        image = image or self.screen()
        kinds = []
        for row in range(7):
            y = LIST_ROW_Y + 18 * row + 2
            icon = next((n for n in (195, 196, 302) if self.holds(image, n, (LIST_ICON_X, y))), None)
            if icon is None:
                break
            kinds.append(icon)
        return kinds

    def new_window(self, what, known, size=None, name=None, timeout=10.0):
        """A window that was not on screen before, optionally of a given size or name."""
        def probe():
            for w in self.display.windows():
                if w["id"] in known:
                    continue
                if size is not None and (w["w"], w["h"]) != size:
                    continue
                if name is not None and not re.fullmatch(name, w["name"]):
                    continue
                return w
            return None
        return wait_until(what, probe, timeout)

    def known_windows(self):
        return {w["id"] for w in self.display.windows()}

    def choose_folder(self, title, folder):
        """The real folder dialog: the folder typed into its name field, then Enter."""
        dialog = self.display.wait_window(f'the folder dialog "{title}"', name=re.escape(title))
        time.sleep(0.3)  # the dialog takes the keyboard once it has been shown
        self.display.key("ctrl+a")
        self.display.type(folder)
        self.display.key("Return")
        self.display.wait_gone(f'the folder dialog "{title}" to close', dialog["id"])

    def answer_message(self, known, what):
        """A message box from the viewer: it is looked at and answered with Enter."""
        box = self.new_window(f"the message box {what}", known, name="ZYN Viewer")
        time.sleep(0.3)
        self.shot(f"message-{what.replace(' ', '-')}")
        self.display.key("Return")
        self.display.wait_gone(f"the message box {what} to close", box["id"])

    # The steps of the journey.

    def first_start(self):
        self.viewer = Viewer(self, "first")
        window = self.display.wait_window("the main window", name="ZYN Viewer", size=MAIN_SIZE,
                                          timeout=30)
        self.origin = (window["x"], window["y"])
        # No password yet: the whole window at once, never the lock.
        if self.display.window(name="ZYN Viewer", size=LOCK_SIZE):
            raise StepFailed("the viewer started locked without a password")
        wait_until("the window painted (its close button in place)",
                   lambda: self.holds(self.screen(), 141, (970, 1)))
        self.shot("first-start")

    def add_recordings(self):
        ticks = {0: "all", 1: (0, 1), 2: (0,)}
        expected = []
        for tab in range(3):
            known = self.known_windows()
            self.click(BUTTON["files"])
            selector = self.new_window("the file selector", known, name="Выбор архива")
            # The selector stands centred on the main window.
            if (selector["x"] - self.origin[0], selector["y"] - self.origin[1]) != (330, 166):
                raise StepFailed(f"the file selector stands at {selector['x']},{selector['y']}")
            place = (selector["x"], selector["y"])
            tab_at = SELECTOR_TAB[tab]
            self.display.click(place[0] + tab_at[0], place[1] + tab_at[1])
            self.display.click(place[0] + SELECTOR_CHOOSE[0], place[1] + SELECTOR_CHOOSE[1])
            self.choose_folder("Выберите папку", self.card)
            time.sleep(0.3)
            if ticks[tab] == "all":
                self.display.click(place[0] + SELECTOR_SELECT_ALL[0],
                                   place[1] + SELECTOR_SELECT_ALL[1])
            else:
                for row in ticks[tab]:
                    self.display.click(place[0] + SELECTOR_ROW_BOX[0],
                                       place[1] + SELECTOR_ROW_BOX[1] + SELECTOR_ROW_PITCH * row)
            self.shot(f"selector-tab-{tab}")
            self.display.click(place[0] + SELECTOR_ADD[0], place[1] + SELECTOR_ADD[1])
            self.display.wait_gone("the file selector to hide after adding", selector["id"])
            expected += {0: [195, 195], 1: [196, 196], 2: [302]}[tab]
            wait_until(f"the play list to show {len(expected)} rows of the right kinds",
                       lambda: self.list_icons() == expected)
        self.shot("play-list")

    def play(self):
        self.click(BUTTON["play"])
        wait_until("the video to run", lambda: self.video_running(self.screen()), timeout=15)
        first = self.screen()
        time_before = self.region(first, TIME_TEXT)
        wait_until("the seek bar to move", lambda: (self.progress() or 0) > 0, timeout=15)
        wait_until("the time text to change",
                   lambda: self.region(self.screen(), TIME_TEXT) != time_before)
        self.shot("playing")

    def away_from(self, current, near, far):
        return far if abs((current or 0) - near) < 60 else near

    def seek_by_strip(self):
        current = self.progress()
        target = self.away_from(current, 80, 220)
        self.click((52 + target, STRIP_Y))
        # The thumb jumps to the place clicked and goes on from there.
        wait_until(f"the seek thumb at {target} after the click on the strip (was {current})",
                   lambda: target <= (self.progress() or -1) <= target + 25, timeout=3)
        self.shot("seek-strip")

    def seek_by_drag(self):
        current = self.progress()
        # Well before the end: the speed step next plays seconds of it at 4x, and a recording
        # that ends meanwhile moves the list on and puts the speed back to normal.
        target = self.away_from(current, 100, 180)
        grab_x = 36 + current + 16
        self.display.press(*self.at((grab_x, SEEK_THUMB_Y + 10)))
        steps = 8
        for i in range(1, steps + 1):
            x = grab_x + (52 + target - grab_x) * i // steps
            self.display.move(*self.at((x, SEEK_THUMB_Y + 10)))
            time.sleep(0.03)
        self.display.release()
        wait_until(f"the seek thumb at {target} after the drag (was {current})",
                   lambda: target - 2 <= (self.progress() or -1) <= target + 25, timeout=3)
        landed = self.progress()
        wait_until("playback to go on after the drag", lambda: (self.progress() or 0) > landed,
                   timeout=10)
        self.shot("seek-drag")

    def rate(self, seconds):
        """Seek-bar pixels per second of wall time, measured away from a recording's end."""
        for _ in range(4):
            start, t0 = self.progress(), time.monotonic()
            time.sleep(seconds)
            end, t1 = self.progress(), time.monotonic()
            if start is not None and end is not None and end >= start:
                return (end - start) / (t1 - t0)
        raise StepFailed("the seek bar never ran steadily enough to measure")

    def change_speed(self):
        if self.speed_slider() != 53:
            raise StepFailed(f"the speed slider starts at {self.speed_slider()}, not 53")
        normal = self.rate(2.0)
        self.click((745, 562))  # the right end of the track: 4x
        wait_until("the speed thumb at the right end (102)", lambda: self.speed_slider() == 102,
                   timeout=3)
        fast = self.rate(1.5)
        self.shot("speed-4x")
        if fast < 2 * normal:
            raise StepFailed(f"at 4x the bar ran {fast:.1f} px/s against {normal:.1f} px/s at 1x")
        self.click((706, 562))  # slider 60: normal speed again
        wait_until("the speed thumb at 60", lambda: self.speed_slider() == 60, timeout=3)

    def change_volume(self):
        if self.volume_slider() != 128:
            raise StepFailed(f"the volume slider starts at {self.volume_slider()}, not 128")
        self.click((900, 562))
        wait_until("the volume thumb at 62", lambda: self.volume_slider() == 62, timeout=3)
        self.shot("volume")

    def panel_changes(self):
        """The speed digits, the compass needle and the graph follow the recording."""
        first = self.screen()
        digits, needle = self.speed_digits(first), self.needle(first)
        graph = self.region(first, GRAPH)
        if digits is None:
            raise StepFailed("the speed digits are not shown")
        if not needle:
            raise StepFailed("no compass needle")
        seen = set()

        def changed():
            image = self.screen()
            if self.speed_digits(image) not in (None, digits):
                seen.add("speed digits")
            if self.needle(image) != needle and self.needle(image):
                seen.add("compass")
            if self.region(image, GRAPH) != graph:
                seen.add("graph")
            return len(seen) == 3
        wait_until("the speed digits, compass and graph to change", changed, timeout=25,
                   interval=0.5)
        if self.isolated:
            red = self.display.grab().count((255, 0, 0), *self.at(MAP[:2]), MAP[2], 150)
            if red < 20:
                raise StepFailed("off line, but the map area shows no 'no internet' text")
        self.shot("panel")

    def settings_popup(self, known, what):
        popup = self.new_window(what, known, size=SETTINGS_SIZE)
        if (popup["x"] - self.origin[0], popup["y"] - self.origin[1]) != (324, 155):
            raise StepFailed(f"{what} stands at {popup['x']},{popup['y']}")
        return popup

    def popup_click(self, popup, point):
        self.display.click(popup["x"] + point[0], popup["y"] + point[1])

    def job_popup(self, button, mode, folder, shot):
        """The settings popup opened by a job button, its folder chosen in the folder dialog."""
        known = self.known_windows()
        self.click(BUTTON[button])
        popup = self.settings_popup(known, f"the settings popup in {mode} mode")
        self.popup_click(popup, SETTINGS_SEL_DIR)
        self.choose_folder("Please select the directory", folder)
        time.sleep(0.3)
        self.shot(shot)
        return popup

    def jpegs(self):
        return sorted(n for n in os.listdir(self.captures) if n.endswith(".jpg"))

    def capture(self):
        # From near the start: thirty frames are taken only while that many seconds remain.
        self.click((52 + 20, STRIP_Y))
        wait_until("the seek thumb near 20", lambda: 20 <= (self.progress() or -1) <= 50,
                   timeout=3)
        popup = self.job_popup("capture", "capture", self.captures, "capture-popup")
        self.chosen_captures = True
        known = self.known_windows()
        self.popup_click(popup, SETTINGS_ACTION)
        self.answer_message(known, "after one frame")
        if len(self.jpegs()) != 1:
            raise StepFailed(f"one frame captured, but the folder holds {self.jpegs()}")
        self.popup_click(popup, SETTINGS_BOX)  # "30 кадров"
        known = self.known_windows()
        self.popup_click(popup, SETTINGS_ACTION)
        time.sleep(0.5)
        self.shot("capture-thirty-frames")
        self.answer_message(known, "after thirty frames")
        held = self.progress()
        self.popup_click(popup, SETTINGS_EXIT)
        self.display.wait_gone("the capture popup to close", popup["id"])
        wait_until("playback to go on after the capture", lambda: self.progress() != held,
                   timeout=10)
        self.check_jpegs()

    def check_jpegs(self):
        names = self.jpegs()
        if len(names) != 31:
            raise StepFailed(f"31 captured frames expected, the folder holds {len(names)}")
        bases = {n.rsplit("_", 2)[0] for n in names}
        if len(bases) != 1 or bases.pop() + ".mp4" not in self.recordings:
            raise StepFailed(f"captured frames not named after one recording: {names[:3]}...")
        for name in names:
            if not re.fullmatch(r".+_\d{4}_\d+(-\d+)?\.jpg", name):
                raise StepFailed(f"captured frame {name} is not named <recording>_MMSS_N.jpg")
            decoded = subprocess.run(["djpeg", "-pnm", os.path.join(self.captures, name)],
                                     capture_output=True)
            header = re.match(rb"P6\s+(\d+)\s+(\d+)\s", decoded.stdout)
            if decoded.returncode != 0 or not header or header.groups() != (b"640", b"480"):
                raise StepFailed(f"{name} does not decode to a 640 x 480 picture: "
                                 f"{decoded.stderr.decode(errors='replace').strip()}")

    def print_frame(self):
        known = self.known_windows()
        self.click(BUTTON["print"])
        # Qt's own dialog, in the viewer's language as the rest of the window.
        dialog = self.new_window("the print dialog", known, name="Печать")
        time.sleep(0.5)
        self.shot("print-dialog")
        # With no printer the dialog offers its PDF printer, with the output file under it.
        self.display.click(dialog["x"] + dialog["w"] * 6 // 10, dialog["y"] + dialog["h"] - 65)
        self.display.key("ctrl+a")
        self.display.type(self.print_file)
        self.display.key("Return")
        self.display.wait_gone("the print dialog to close", dialog["id"])
        wait_until("the printed PDF file", lambda: os.path.exists(self.print_file)
                   and os.path.getsize(self.print_file) > 1000, timeout=10)
        time.sleep(0.5)
        self.check_printed_page()

    def telemetry_rows(self):
        rows = {}
        tool = os.path.join(self.build, "bin", "zyn-telemetry")
        csv = subprocess.run([tool, "--csv", *[os.path.join(self.card, r) for r in
                                               self.recordings]],
                             check=True, capture_output=True, text=True).stdout
        for line in csv.splitlines()[1:]:
            fields = line.split(",")
            rows[fields[2]] = fields
        return rows

    def check_printed_page(self):
        text = subprocess.run(["pdftotext", "-layout", self.print_file, "-"], check=True,
                              capture_output=True, text=True).stdout
        with open(os.path.join(self.out, "printed.txt"), "w") as f:
            f.write(text)
        when = re.search(r"Дата и время: (\d{4})/(\d\d)/(\d\d)\s+(\d\d):(\d\d):(\d\d)", text)
        speed = re.search(r"Скорость: (\d+\.\d) км/ч", text)
        position = re.search(r"Положение Широта: .+ Долгота: .+", text)
        sensor = re.search(r"GSensor X: (-?\d+\.\d{3})\s+Y: (-?\d+\.\d{3})\s+"
                           r"Z: (-?\d+\.\d{3})", text)
        if not (when and speed and position and sensor):
            raise StepFailed(f"the printed page lacks a line; its text: {text!r}")
        # The page shows the record of its second: local time three hours ahead of UTC.
        y, mo, d, h, mi, se = map(int, when.groups())
        utc = time.strftime("%Y-%m-%dT%H:%M:%SZ",
                            time.gmtime(calendar.timegm((y, mo, d, h, mi, se)) - 3 * 3600))
        row = self.telemetry_rows().get(utc)
        if row is None:
            raise StepFailed(f"the printed time {when.group(0)} is no record of the card")
        if abs(float(speed.group(1)) - float(row[7])) > 0.11:
            raise StepFailed(f"printed {speed.group(0)}, the record at {utc} says {row[7]} km/h")
        if [float(v) for v in sensor.groups()] != [float(v) for v in row[9:12]]:
            raise StepFailed(f"printed {sensor.group(0)}, the record at {utc} says {row[9:12]}")

    def copy_recording(self):
        popup = self.job_popup("save", "copy", self.copies, "copy-popup")
        self.chosen_copies = True
        known = self.known_windows()
        self.popup_click(popup, SETTINGS_ACTION)
        self.display.wait_gone("the copy popup to close", popup["id"])
        self.answer_message(known, "after the copy")
        copies = os.listdir(self.copies)
        if len(copies) != 1 or not copies[0].startswith("copy_"):
            raise StepFailed(f"one copy_ file expected, the copy folder holds {copies}")
        source = os.path.join(self.card, copies[0][len("copy_"):])
        if not os.path.exists(source):
            raise StepFailed(f"{copies[0]} names no recording of the card")
        if subprocess.run(["cmp", "-s", source, os.path.join(self.copies, copies[0])]).returncode:
            raise StepFailed(f"{copies[0]} differs from {source}")

    def cut_clip(self):
        """Marks with I and O while it plays, saves through the menu, the popup and the folder
        dialog, and judges the clip with ffprobe, mpv, sha256sum and the telemetry reader."""
        self.click(BUTTON["play"])
        wait_until("the video to run", lambda: self.video_running(self.screen()), timeout=15)
        # Away from the end: the span stays inside the recording that plays.
        self.click((52 + 40, STRIP_Y))
        wait_until("the seek thumb near 40", lambda: 40 <= (self.progress() or -1) <= 80,
                   timeout=5)
        before = self.progress()
        self.display.key("i")
        time.sleep(CLIP_MARKED_SECONDS)
        self.display.key("o")
        after = self.progress()
        if after is None or before is None or after <= before:
            raise StepFailed(f"the recording did not play on between I and O ({before}, {after})")
        # The band lies over the fill just after the start mark, the thumb well past it.
        image = self.screen()
        x, y = self.at((53 + before + 3, 561))
        fill = self.skin_picture(182).pixel(0, 561 - 559)
        self.shot("clip-marked")
        if image.pixel(x, y) == fill:
            raise StepFailed("no band on the seek bar's track after the start mark")

        known = self.known_windows()
        x, y = self.at((VIDEO[0] + 320, VIDEO[1] + 240))
        self.display._run("xdotool", "mousemove", "--sync", str(x), str(y), "click", "3")
        time.sleep(0.5)
        self.shot("clip-menu")
        # Start, end, then "Сохранить фрагмент...".
        self.display.key("Down", "Down", "Down", "Return")
        popup = self.new_window("the clip popup", known, size=CLIP_SIZE,
                                name="Сохранение фрагмента")
        if (popup["x"] - self.origin[0], popup["y"] - self.origin[1]) != (280, 231):
            raise StepFailed(f"the clip popup stands at {popup['x']},{popup['y']}")
        self.popup_click(popup, CLIP_BROWSE)
        self.choose_folder("Папка для фрагмента", self.clips)
        time.sleep(0.3)
        self.shot("clip-popup")
        known = self.known_windows()
        self.popup_click(popup, CLIP_SAVE)
        self.answer_message(known, "after the clip")
        self.display.wait_gone("the clip popup to close", popup["id"])
        self.check_clip()

    def check_clip(self):
        names = sorted(os.listdir(self.clips))
        clips = [n for n in names if n.endswith(".mp4")]
        if len(clips) != 1 or not re.fullmatch(r"clip_(drf|evt|muevt)_\d{8}_\d{6}\.mp4", clips[0]):
            raise StepFailed(f"one clip named as the camera names expected, the folder holds {names}")
        clip = clips[0]
        stem = clip[:-len(".mp4")]
        if names != sorted([clip, clip + ".sha256", stem + ".gpx", stem + ".csv"]):
            raise StepFailed(f"the clip, its checksum list, GPX and CSV expected: {names}")
        checked = subprocess.run(["sha256sum", "-c", clip + ".sha256"], cwd=self.clips,
                                 capture_output=True, text=True)
        if checked.returncode != 0:
            raise StepFailed(f"sha256sum -c refuses the checksum list: {checked.stdout}"
                             f"{checked.stderr}")
        path = os.path.join(self.clips, clip)
        probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration",
                                "-of", "csv=p=0", path], capture_output=True, text=True)
        try:
            duration = float(probe.stdout.strip())
        except ValueError:
            raise StepFailed(f"ffprobe cannot read the clip: {probe.stderr.strip()}")
        if not CLIP_MARKED_SECONDS - 1 <= duration <= CLIP_MARKED_SECONDS + 3:
            raise StepFailed(f"the clip lasts {duration} s for about {CLIP_MARKED_SECONDS} s marked")
        played = subprocess.run(["mpv", "--no-config", "--vo=null", "--ao=null", "--frames=30",
                                 path], capture_output=True, text=True, timeout=60)
        if played.returncode != 0:
            raise StepFailed(f"mpv does not play the clip: {played.stderr.strip()[-500:]}")
        tool = os.path.join(self.build, "bin", "zyn-telemetry")
        csv = subprocess.run([tool, "--csv", path], capture_output=True, text=True)
        rows = csv.stdout.splitlines()[1:]
        if csv.returncode != 0 or not CLIP_MARKED_SECONDS - 1 <= len(rows) <= CLIP_MARKED_SECONDS + 3:
            raise StepFailed(f"the clip's telemetry reads {len(rows)} records: {csv.stderr.strip()}")

    def settings(self):
        known = self.known_windows()
        self.click(BUTTON["settings"])
        popup = self.new_window("the settings popup", known, size=SETTINGS_SIZE)
        if (popup["x"] - self.origin[0], popup["y"] - self.origin[1]) != (324, 155):
            raise StepFailed(f"the settings popup stands at {popup['x']},{popup['y']}")
        p = (popup["x"], popup["y"])
        self.display.click(p[0] + SETTINGS_ARROW[0], p[1] + SETTINGS_ARROW[1])
        time.sleep(0.3)
        self.shot("settings-unit-list")
        self.display.click(p[0] + SETTINGS_KNOTS[0], p[1] + SETTINGS_KNOTS[1])
        time.sleep(0.3)
        known = self.known_windows()
        self.display.click(p[0] + SETTINGS_BOX[0], p[1] + SETTINGS_BOX[1])
        panel = self.new_window("the password panel", known, size=PASSWORD_SIZE)
        time.sleep(0.3)
        self.display.type(PASSWORD)
        self.display.click(panel["x"] + PASSWORD_CONFIRM[0], panel["y"] + PASSWORD_CONFIRM[1])
        self.display.type(PASSWORD)
        self.shot("password-panel")
        self.display.key("Return")
        self.display.wait_gone("the password panel to close", panel["id"])
        self.shot("settings-knots-password")
        known = self.known_windows()
        self.display.click(p[0] + SETTINGS_ACTION[0], p[1] + SETTINGS_ACTION[1])
        save = self.new_window("the save popup", known, size=SAVE_SIZE)
        self.display.click(save["x"] + SAVE_SEL_DIR[0], save["y"] + SAVE_SEL_DIR[1])
        self.choose_folder("Please select the directory", self.card)
        time.sleep(0.3)
        self.shot("save-popup")
        self.display.click(save["x"] + SAVE_OK[0], save["y"] + SAVE_OK[1])
        self.display.wait_gone("the save popup to close", save["id"])
        self.display.click(p[0] + SETTINGS_EXIT[0], p[1] + SETTINGS_EXIT[1])
        self.display.wait_gone("the settings popup to close", popup["id"])
        self.check_device_file()
        wait_until("the knots label once the settings are closed",
                   lambda: self.unit_label() == 2, timeout=5)

    def check_device_file(self):
        path = os.path.join(self.card_root, "kob_config.dat")
        wait_until("kob_config.dat on the card", lambda: os.path.exists(path), timeout=3)
        with open(path, "rb") as f:
            data = f.read()
        expected = bytes([2, 21, 2, 1]) + PASSWORD.encode() + b"\0" + b"0" + bytes(23) + b"\x05\x01"
        if data != expected:
            raise StepFailed(f"kob_config.dat holds {data.hex()}, expected {expected.hex()}")

    def close_viewer(self):
        self.click(BUTTON["close"])
        status = self.viewer.wait_exit(15)
        if status != 0:
            raise StepFailed(f"the viewer ended with status {status}")
        self.viewer.stop()

    def stored_configuration(self):
        path = registry_file(self.registry, "Viewer Config", "config")
        with open(path, "rb") as f:
            return f.read().decode("utf-8")

    def check_configuration(self, volume, device_text):
        card_root = self.card_root.rstrip("/") + "/"
        captures = f"{self.captures}/" if self.chosen_captures else ""
        copies = f"{self.copies}/" if self.chosen_copies else ""
        expected = (f"2?21?2?1?{PASSWORD}?{device_text}???{volume}?"
                    f"{captures}?1?0?{copies}?1?0?{card_root}??")
        stored = self.stored_configuration()
        if stored != expected:
            raise StepFailed(f"stored configuration {stored!r}, expected {expected!r}")

    def first_close(self):
        self.close_viewer()
        self.check_configuration(volume=62, device_text="0")

    def unlock(self):
        self.viewer = Viewer(self, "second")
        lock = self.display.wait_window("the lock window", name="ZYN Viewer", size=LOCK_SIZE,
                                        timeout=30)
        self.origin = (lock["x"], lock["y"])
        lock_picture = self.skin_picture(129)
        wait_until("the lock's picture and its close button",
                   lambda: self.holds(self.screen(), 141, (390, 1)) and self.region(
                       self.screen(), (0, 40, 380, 140)) == lock_picture.region(0, 40, 380, 140))
        self.shot("locked")
        self.display.type(PASSWORD)
        self.display.key("Return")
        window = self.display.wait_window("the unlocked main window", name="ZYN Viewer",
                                          size=MAIN_SIZE, timeout=10)
        self.origin = (window["x"], window["y"])
        wait_until("the knots label on the unlocked window",
                   lambda: self.unit_label() == 2, timeout=5)
        self.shot("unlocked")

    def usb_tool(self):
        known = self.known_windows()
        self.click(BUTTON["usb"])
        tool = self.new_window("the USB tool", known, name="USB Management Tool")
        # Centred on the screen (427 x 435 without a window manager's frame).
        centre = (tool["x"] + tool["w"] // 2, tool["y"] + tool["h"] // 2)
        if (abs(centre[0] - self.display.width // 2) > 2
                or abs(centre[1] - self.display.height // 2) > 2):
            raise StepFailed(f"the USB tool stands at {tool['x']},{tool['y']}, not centred")
        t = (tool["x"], tool["y"])

        def chosen(choice):
            # A chosen round box has its dark dot in the middle.
            return sum(self.screen().pixel(t[0] + choice[0], t[1] + choice[1])) < 400

        # Two channels chosen on the Recorder page and saved into the record to send.
        self.display.click(t[0] + USB_TWO_CHANNELS[0], t[1] + USB_TWO_CHANNELS[1])
        self.display.click(t[0] + USB_PAGE_SAVE[0], t[1] + USB_PAGE_SAVE[1])
        wait_until("2CH chosen on the Recorder page", lambda: chosen(USB_TWO_CHANNELS), timeout=3)
        self.shot("usb-tool")
        self.display.click(t[0] + USB_TRANSMIT[0], t[1] + USB_TRANSMIT[1])
        stored_path = registry_file(self.registry, "USB Config", "stConfig")
        with open(self.sim_reply, "rb") as f:
            reply = f.read()

        def stored():
            try:
                with open(stored_path, "rb") as f:
                    return f.read() == reply
            except OSError:
                return False
        wait_until("the recorder's answer stored as stConfig", stored, timeout=20)
        with open(self.sim_received, "rb") as f:
            request = f.read()
        if len(request) != 336 or struct.unpack_from("<i", request)[0] != 2:
            raise StepFailed(f"the recorder received {request[:8].hex()}... ({len(request)} "
                             "bytes), not 336 bytes asking for two channels")
        # The pages show what the recorder answered: one channel.
        wait_until("the Recorder page to show the answer (1CH)",
                   lambda: chosen(USB_ONE_CHANNEL) and not chosen(USB_TWO_CHANNELS), timeout=5)
        self.shot("usb-transmitted")
        self.display.click(t[0] + USB_CANCEL[0], t[1] + USB_CANCEL[1])
        self.display.wait_gone("the USB tool to hide", tool["id"])

    def second_close(self):
        self.close_viewer()
        # The second run loaded the text and wrote it back: the device text is not carried over
        # and every run starts at full volume.
        self.check_configuration(volume=128, device_text="")

    def steps(self):
        return [
            ("first start without a password", self.first_start),
            ("recordings added from each tab of the file selector", self.add_recordings),
            ("play", self.play),
            ("seek by a click on the strip", self.seek_by_strip),
            ("seek by dragging the thumb", self.seek_by_drag),
            ("speed", self.change_speed),
            ("volume", self.change_volume),
            ("speed digits, compass and graph", self.panel_changes),
            ("capture one frame and thirty frames", self.capture),
            ("print the frame to a PDF file", self.print_frame),
            ("copy the recording", self.copy_recording),
            ("mark a span with I and O and save it as a clip", self.cut_clip),
            ("settings: knots, password, kob_config.dat", self.settings),
            ("close, configuration stored", self.first_close),
            ("start again locked and unlock", self.unlock),
            ("USB tool transmits to the recorder", self.usb_tool),
            ("close again", self.second_close),
        ]

    def run(self):
        started = time.monotonic()
        for number, (name, step) in enumerate(self.steps(), 1):
            t0 = time.monotonic()
            try:
                step()
            except StepFailed as failure:
                print(f"journey: step {number} ({name}) FAILED: {failure}", flush=True)
                self.display.save(os.path.join(self.out, f"failed-step-{number:02d}.png"))
                if self.viewer:
                    tail = self.viewer.output()[-3000:]
                    print(f"journey: the viewer's output so far:\n{tail}", flush=True)
                print(f"journey: screenshots in {self.out}", flush=True)
                return 1
            print(f"journey: step {number} ({name}) ok, {time.monotonic() - t0:.1f} s",
                  flush=True)
        print(f"journey: whole journey ok in {time.monotonic() - started:.0f} s", flush=True)
        return 0

    def close(self):
        if self.viewer:
            self.viewer.stop()
        if self.display:
            self.display.close()


def in_namespace():
    """Runs this script again in mount and network namespaces of its own, where possible."""
    if os.environ.get("ZYN_E2E_ISOLATED") or os.environ.get("ZYN_E2E_NO_NAMESPACE"):
        return bool(os.environ.get("ZYN_E2E_ISOLATED"))
    for prefix in (["unshare", "--mount", "--net", "--fork"],
                   ["unshare", "--user", "--map-root-user", "--mount", "--net", "--fork"]):
        try:
            if subprocess.run(prefix + ["true"], capture_output=True).returncode == 0:
                env = dict(os.environ, ZYN_E2E_ISOLATED="1")
                os.execvpe(prefix[0], prefix + [sys.executable, os.path.abspath(__file__)]
                           + sys.argv[1:], env)
        except FileNotFoundError:
            break
    return False


def make_card(options, work, isolated):
    """A card of its own file system: a tmpfs mounted for it, or a folder on /dev/shm."""
    if isolated:
        card = os.path.join(work, "card")
        os.makedirs(card)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=128m", "zyn-card", card], check=True)
    else:
        if not os.path.ismount("/dev/shm"):
            print("journey: no namespace and no /dev/shm: the card cannot be a volume of its own")
            return None
        card = tempfile.mkdtemp(prefix="zyn-e2e-card-", dir="/dev/shm")
    subprocess.run([os.path.join(options.build, "bin", "zyn-cardgen"), "--length",
                    str(RECORDING_SECONDS), "--drf", "2", "--evt", "2", "--muevt", "1", card],
                   check=True, stdout=subprocess.DEVNULL)
    return card


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--usb-sim", required=True)
    parser.add_argument("--out", required=True)
    options = parser.parse_args()
    options.build = os.path.abspath(options.build)
    options.source = os.path.abspath(options.source)
    options.out = os.path.abspath(options.out)

    isolated = in_namespace()
    tool = missing_tool(("Xvfb", "xdotool", "import", "convert", "djpeg", "pdftotext"))
    if tool:
        print(f"journey: {tool} is missing (scripts/install-deps installs it)")
        return 1
    shutil.rmtree(options.out, ignore_errors=True)
    os.makedirs(options.out)
    work = tempfile.mkdtemp(prefix="zyn-e2e-")
    card = None
    journey = None
    device_file_kept = None
    try:
        card = make_card(options, work, isolated)
        if card is None:
            return SKIP
        if not isolated:
            # The card's root is /dev/shm: a recorder settings file found there is put back after.
            device_file = "/dev/shm/kob_config.dat"
            if os.path.exists(device_file):
                device_file_kept = os.path.join(work, "kob_config.dat.kept")
                shutil.move(device_file, device_file_kept)
        print(f"journey: card {card} ({'own namespace' if isolated else 'no namespace'})",
              flush=True)
        journey = Journey(options, work, card, card if isolated else "/dev/shm", isolated)
        journey.start_display()
        return journey.run()
    finally:
        if journey:
            journey.close()
        if isolated and card:
            subprocess.run(["umount", card], check=False)
        if not isolated:
            if os.path.exists("/dev/shm/kob_config.dat"):
                os.remove("/dev/shm/kob_config.dat")
            if device_file_kept:
                shutil.move(device_file_kept, "/dev/shm/kob_config.dat")
            if card:
                shutil.rmtree(card, ignore_errors=True)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

"""A display of its own and the hands and eyes of a person in front of it.

Xvfb on a free display, xdotool for the mouse and the keyboard, ImageMagick's import for what
the screen shows. Only the standard library besides those programs.
"""

import os
import shutil
import re
import subprocess
import time

# Seconds an xdotool or import call may take: far beyond what any takes on a working display.
TOOL_LIMIT = 30


def missing_tool(tools):
    """The first of the programs not on the PATH, or None. A missing one fails a run rather
    than skipping it: scripts/install-deps installs every one, and a check skipped for a missing
    install would look like one that passed."""
    for tool in tools:
        if not shutil.which(tool):
            return tool
    return None


class StepFailed(Exception):
    """What the journey expected did not come about."""


def wait_until(what, probe, timeout=10.0, interval=0.1):
    """Polls probe() until it gives something true, and returns that; fails naming `what`."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise StepFailed(f"gave up waiting ({timeout:.0f} s) for {what}")
        time.sleep(interval)


class Image:
    """An RGB picture as ImageMagick writes it in PPM form."""

    def __init__(self, ppm):
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", ppm)
        if not match or match.group(3) != b"255":
            raise StepFailed("the screen grab is no 8-bit PPM picture")
        self.width = int(match.group(1))
        self.height = int(match.group(2))
        self.data = ppm[match.end():]

    @classmethod
    def from_file(cls, path):
        ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                             capture_output=True).stdout
        return cls(ppm)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def row(self, x, y, width):
        i = (y * self.width + x) * 3
        return self.data[i:i + width * 3]

    def region(self, x, y, width, height):
        return b"".join(self.row(x, y + r, width) for r in range(height))

    def holds(self, picture, x, y):
        """True when `picture` appears exactly with its top-left at x, y."""
        if x < 0 or y < 0 or x + picture.width > self.width or y + picture.height > self.height:
            return False
        return all(self.row(x, y + r, picture.width) == picture.row(0, r, picture.width)
                   for r in range(picture.height))

    def find_in_row(self, picture, y, x_from, x_to):
        """The left edge of the first x in [x_from, x_to] where `picture` stands at row y."""
        for x in range(x_from, x_to + 1):
            if self.holds(picture, x, y):
                return x
        return None

    def count(self, colour, x, y, width, height):
        c = bytes(colour)
        return sum(1 for r in range(height) for px in range(width)
                   if self.row(x + px, y + r, 1) == c)


class Display:
    """Xvfb on a display number it chooses itself, and the tools that act on it."""

    def __init__(self, log_dir, width=1280, height=1024):
        read_fd, write_fd = os.pipe()
        self.log = open(os.path.join(log_dir, "xvfb.log"), "wb")
        # -noreset: by default the server resets whenever its last client goes, and a program
        # connecting meanwhile (the viewer started again right after it closed, while the
        # tools' short connections come and go) is refused: "could not connect to display".
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"], pass_fds=(write_fd,), stdout=self.log,
            stderr=self.log)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise StepFailed("Xvfb did not start")
        self.name = f":{number}"
        self.width = width
        self.height = height

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
        self.log.close()

    def _run(self, *args, check=True):
        env = dict(os.environ, DISPLAY=self.name)
        try:
            result = subprocess.run(args, env=env, capture_output=True, text=True,
                                    timeout=TOOL_LIMIT)
        except subprocess.TimeoutExpired:
            # A tool stuck on the display says so, rather than the whole run timing out unnamed.
            raise StepFailed(f"{' '.join(args)} did not return within {TOOL_LIMIT} s")
        if check and result.returncode != 0:
            raise StepFailed(f"{' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    # The eyes.

    def grab(self):
        env = dict(os.environ, DISPLAY=self.name)
        try:
            ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=env,
                                 check=True, capture_output=True, timeout=TOOL_LIMIT).stdout
        except subprocess.TimeoutExpired:
            raise StepFailed(f"import did not grab the screen within {TOOL_LIMIT} s")
        return Image(ppm)

    def save(self, path):
        env = dict(os.environ, DISPLAY=self.name)
        try:
            subprocess.run(["import", "-window", "root", path], env=env, check=False,
                           capture_output=True, timeout=TOOL_LIMIT)
        except subprocess.TimeoutExpired:
            pass  # a picture for the record only

    def windows(self):
        """The windows on screen: dicts of id, name, x, y, w, h."""
        ids = self._run("xdotool", "search", "--onlyvisible", "--name", ".*", check=False).split()
        found = []
        for wid in ids:
            name = self._run("xdotool", "getwindowname", wid, check=False).strip()
            shell = self._run("xdotool", "getwindowgeometry", "--shell", wid, check=False)
            geometry = dict(line.split("=", 1) for line in shell.split() if "=" in line)
            try:
                w, h = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
                x, y = int(geometry["X"]), int(geometry["Y"])
            except (KeyError, ValueError):
                continue
            if w <= 3 or h <= 3:
                continue  # Qt's own helper windows
            found.append({"id": wid, "name": name, "x": x, "y": y, "w": w, "h": h})
        return found

    def window(self, name=None, size=None):
        for w in self.windows():
            if name is not None and not re.fullmatch(name, w["name"]):
                continue
            if size is not None and (w["w"], w["h"]) != size:
                continue
            return w
        return None

    def wait_window(self, what, name=None, size=None, timeout=10.0):
        return wait_until(what, lambda: self.window(name, size), timeout)

    def wait_gone(self, what, wid, timeout=10.0):
        wait_until(what, lambda: all(w["id"] != wid for w in self.windows()), timeout)

    # The hands.

    def click(self, x, y):
        self._run("xdotool", "mousemove", "--sync", str(x), str(y), "click", "1")

    def press(self, x, y):
        self._run("xdotool", "mousemove", "--sync", str(x), str(y), "mousedown", "1")

    def move(self, x, y):
        self._run("xdotool", "mousemove", "--sync", str(x), str(y))

    def release(self):
        self._run("xdotool", "mouseup", "1")

    def type(self, text):
        self._run("xdotool", "type", "--delay", "40", text)

    def key(self, *names):
        self._run("xdotool", "key", "--delay", "40", *names)

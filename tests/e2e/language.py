#!/usr/bin/env python3
"""The viewer's language as a user meets it: the file selector's title, read from outside.

    language.py --build BUILD_DIR --out OUT_DIR

The real viewer starts on a display of its own under several locales and options; a click on
"Open recordings" brings up the file selector, whose window title the window system reports.
ru* locales give Russian, others English; LANGUAGE and --lang choose another. Exit status 0
when every run spoke as expected, 1 otherwise.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from journey import MAIN_SIZE  # noqa: E402
from xsession import Display, StepFailed, missing_tool, wait_until  # noqa: E402

OPEN_RECORDINGS = (879 + 52, 587 + 11)
RUSSIAN = "Выбор архива"
ENGLISH = "Choose recordings"

RUNS = [
    ({"LANG": "en_US.UTF-8"}, [], ENGLISH),
    ({"LANG": "ru_RU.UTF-8"}, [], RUSSIAN),
    ({"LANG": "de_DE.UTF-8"}, [], ENGLISH),
    ({"LANG": "en_US.UTF-8"}, ["--lang", "ru"], RUSSIAN),
    ({"LANG": "ru_RU.UTF-8"}, ["--lang=en"], ENGLISH),
    ({"LANG": "ru_RU.UTF-8", "LANGUAGE": "en"}, [], ENGLISH),
]


def selector_title(display, options, work, variables, arguments, number):
    env = {
        "PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": work,
        "DISPLAY": display.name, "QT_QPA_PLATFORM": "xcb", "ZYN_AUDIO": "null",
        "ZYN_MAP_TILES": "none", "ZYN_REGISTRY_ROOT": os.path.join(work, f"registry-{number}"),
        "XDG_CONFIG_HOME": os.path.join(work, "config"),
        "XDG_DATA_HOME": os.path.join(work, "data"),
        "XDG_CACHE_HOME": os.path.join(work, "cache"),
        "DBUS_SESSION_BUS_ADDRESS": "unix:path=/nonexistent",
        "QTWEBENGINE_CHROMIUM_FLAGS":
            "--proxy-server=http://127.0.0.1:9 --proxy-bypass-list=<-loopback>",
    }
    env.update(variables)
    log = open(os.path.join(options.out, f"viewer-{number}.log"), "wb")
    viewer = subprocess.Popen([os.path.join(options.build, "bin", "zyn-viewer"), *arguments],
                              cwd=work, env=env, stdout=log, stderr=subprocess.STDOUT)
    try:
        window = display.wait_window("the main window", name="ZYN Viewer", size=MAIN_SIZE,
                                     timeout=30)
        known = {w["id"] for w in display.windows()}
        display.click(window["x"] + OPEN_RECORDINGS[0], window["y"] + OPEN_RECORDINGS[1])
        selector = wait_until("the file selector",
                              lambda: next((w for w in display.windows()
                                            if w["id"] not in known), None), timeout=10)
        display.save(os.path.join(options.out, f"run-{number}.png"))
        return selector["name"]
    finally:
        viewer.terminate()
        try:
            viewer.wait(10)
        except subprocess.TimeoutExpired:
            viewer.kill()
            viewer.wait()
        log.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    options = parser.parse_args()
    tool = missing_tool(("Xvfb", "xdotool", "import"))
    if tool:
        print(f"language: {tool} is missing (scripts/install-deps installs it)")
        return 1
    shutil.rmtree(options.out, ignore_errors=True)
    os.makedirs(options.out)
    work = tempfile.mkdtemp(prefix="zyn-language-")
    display = Display(options.out)
    failures = 0
    try:
        for number, (variables, arguments, expected) in enumerate(RUNS, 1):
            setting = " ".join([f"{k}={v}" for k, v in variables.items()] + arguments)
            try:
                title = selector_title(display, options, work, variables, arguments, number)
            except StepFailed as failure:
                title = f"(failed: {failure})"
            ok = title == expected
            failures += not ok
            print(f"language: {setting}: {title!r}{'' if ok else f', expected {expected!r}'}")
    finally:
        display.close()
        shutil.rmtree(work, ignore_errors=True)
    print(f"language: {len(RUNS) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

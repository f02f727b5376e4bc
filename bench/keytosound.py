#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The delay a child hears: from the Enter key to the first audible sample at
the sound server's sink, for each judgement of a match, the first included.

Run it inside a session of its own with its sound server, and its screen
reader unless --no-reader, on a built program:
    sound=1 reader=1 scripts/own-session bench/keytosound.py build/play/sequilla [JUDGEMENTS]
    sound=1 scripts/own-session bench/keytosound.py build/play/sequilla [JUDGEMENTS] --no-reader

It warms the session's null sink up with one sound before anything is
measured, reads the sink's monitor in 1 ms blocks, and learns each number
from the speech of the session's Orca screen reader (without a voice). Each
question gets Enter on the empty box (wrong), then the right result (right),
each judgement alone, pressed once Orca is quiet: with a screen reader on, Qt
holds each key until the reader has seen it. With --no-reader there is no
Orca, and every judgement is wrong. Enter goes through XTEST, timed from just
before the key goes down. For reference, it then times Debian's paplay starting the same file
from nothing, from just before the process is made. Prints each delay, then
the median, maximum and the silent ones of each series.
"""
import ctypes
import os
import re
import statistics
import subprocess
import sys
import threading
import time

RATE, LOUD = 22050, 300

program = os.path.abspath(sys.argv[1])
judgements = int(sys.argv[2]) if len(sys.argv) > 2 else 20
reader = "--no-reader" not in sys.argv
sounds = os.path.join(os.path.dirname(os.path.realpath(program)), "suoni")
orca_log = os.path.join(os.environ.get("XDG_RUNTIME_DIR", ""), "orca.log")
if os.environ.get("sound", "0") == "0" or reader != os.path.exists(orca_log):
    sys.exit(f"no sound server, or Orca {'missing' if reader else 'running'} in the session: run it as "
             f"{'sound=1 reader=1' if reader else 'sound=1'} scripts/own-session {' '.join(sys.argv)}")
helpers = []


def start(*command, **options):
    helpers.append(subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **options))


class Monitor(threading.Thread):
    """Reads the sink's monitor, and finds the first loud sample after a time."""

    def __init__(self):
        super().__init__(daemon=True)
        self.parec = subprocess.Popen(
            ["parec", "-d", "judge.monitor", "--latency-msec=1", "--raw", "--format=s16le",
             f"--rate={RATE}", "--channels=1"], stdout=subprocess.PIPE, bufsize=0)
        helpers.append(self.parec)
        self.loud_at = None
        self.since = float("inf")
        self.lock = threading.Lock()

    def run(self):
        while block := self.parec.stdout.read(88):
            now = time.monotonic()
            samples = memoryview(block).cast("h") if len(block) % 2 == 0 else []
            for i, sample in enumerate(samples):
                if abs(sample) > LOUD:
                    with self.lock:
                        if now > self.since and self.loud_at is None:
                            # The block came in whole: its loud sample sounded this much earlier.
                            self.loud_at = now - (len(samples) - i) / RATE
                    break

    def delay_after(self, act, wait=1.0):
        with self.lock:
            self.loud_at, self.since = None, time.monotonic()
        began = time.monotonic()
        act()
        time.sleep(wait)
        with self.lock:
            return None if self.loud_at is None else (self.loud_at - began) * 1000


def orca_said():
    try:
        with open(orca_log, errors="replace") as log:
            return re.findall(r"SPEECH OUTPUT: '([^']*)'", log.read())
    except FileNotFoundError:
        return []


def wait_said(pattern):
    for _ in range(300):
        said = [s for s in orca_said() if re.match(r"Screen reader on|Quanto fa|Sbagliato|Esatto", s)]
        if said and (match := re.match(pattern, said[-1])):
            return match
        time.sleep(0.05)
    sys.exit(f"Orca did not say {pattern!r}; it said {orca_said()[-6:]}")


x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(x11.XOpenDisplay(None))
enter = x11.XKeysymToKeycode(display, 0xFF0D)


def press_enter():
    xtst.XTestFakeKeyEvent(display, enter, True, 0)
    xtst.XTestFakeKeyEvent(display, enter, False, 0)
    x11.XFlush(display)


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "30", *names], check=True)


def report(name, delays):
    heard = [d for d in delays if d is not None]
    print(f"{name}: {len(delays)} sounds, median {statistics.median(heard):.1f} ms, "
          f"max {max(heard):.1f} ms, silent {len(delays) - len(heard)}")


try:
    subprocess.run(["paplay", f"{sounds}/no.wav"])  # the monitor is late on a first sound
    monitor = Monitor()
    monitor.start()
    if reader:
        wait_said("Screen reader on")
    start(program)
    time.sleep(2)
    subprocess.run(["xdotool", "type", "Lia"])
    keys("Return")
    time.sleep(1)
    keys("Return")  # the greeting

    delays = []
    while not reader and len(delays) < judgements:
        time.sleep(1)
        delays.append(monitor.delay_after(press_enter))
        keys("Return")  # Nuovo calcolo
    while len(delays) < judgements:
        right = int(wait_said(r"Quanto fa (\d+) più 1\? text\.$").group(1)) + 1
        delays.append(monitor.delay_after(press_enter))
        wait_said(rf"Sbagliato!! {right}\.$")
        keys("Tab")
        subprocess.run(["xdotool", "type", str(right)])
        time.sleep(1)
        delays.append(monitor.delay_after(press_enter))
        wait_said(r"Esatto!")
        keys("Return")  # Nuovo calcolo
    for i, delay in enumerate(delays):
        print(f"judgement {i + 1} ({'wrong' if i % 2 == 0 or not reader else 'right'}): "
              + ("silent" if delay is None else f"{delay:.1f} ms"))
    references = [monitor.delay_after(lambda: subprocess.Popen(["paplay", f"{sounds}/no.wav"]))
                  for _ in range(judgements)]
    report("sequilla, Enter to sound", delays)
    report("paplay, process to sound", references)
finally:
    for helper in helpers:
        helper.kill()

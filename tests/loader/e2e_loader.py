#!/usr/bin/env python3
"""End-to-end scenarios of loader.exe under Wine, in a virtual desktop inside Xvfb.

Each scenario gets its own X server (a free display chosen by Xvfb itself), its own copy of a
prepared Wine prefix (so its own wineserver), and its own working folder, and tears all of them
down again, killing only the processes it started. The prefix template is made once per build
folder and reused; making one takes Wine a while.

  e2e_loader.py --scenario SCENARIO --build-root DIR \
      --loader loader.exe --projector fake_projector.exe --probe desktop_probe.exe \
      --launcher loader_launcher.exe --splash splash.bmp

A probe holds the Wine desktop open for the whole scenario, as a person's desktop stays: Wine
would otherwise close its virtual desktop with its last program and open it again at the stored
size, and a loader that never restores the display would pass. The display mode that another
program sees under Wine carries the size but always 32 bits, so the depth is read from the
loader's own side: from Wine's trace of the loader's display-settings calls (channel "system"),
which the loader's standard error goes to. Hooks placed by the launcher (test_hooks.cpp) record
what the loader's window shows when it takes its close request, keep the loader from being
activated, refuse its window, lose its close request, or watch from inside when it waits for
messages.

No fixed pause decides a check. A test waits for an observable event with a deadline: a line
of output, a file that a helper writes, a window. Where the helpers must hold still while the
test looks (the splash while the presentation program starts, the presentation program while
the loader is hidden, the end screen), they wait for a file that the test makes when it has
looked. Where a test shows that something does not happen, it looks after an event that shows
the loader could have done it: the loader waiting for messages with its queue empty.

Escape is pressed by loader_launcher.exe from inside the Wine session, through the system's
keyboard input, the moment the loader's window is in front; the watch holds the loader in its
first activation until then, so the key is in its queue before it could start the presentation
program. Probes start only once the
loader has settled (Wine 8 can hang a program that starts while another enumerates the display
modes).

Exits 0 when every check of the scenario passed and prints one line per check.
"""

import argparse
import os
import re
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
from wine_session import WINE_ENV, Xvfb, end_session, prepare_prefix, read_ppm, wait_until  # noqa: E402

DESKTOP = (1024, 768)
# For the loader's process only: Wine's trace of display-settings calls, and its notes on the
# window manager's stubs, one of which is the call that turns window ghosting off.
TRACE_LOADER_CALLS = "-all,+system,fixme+win"
GHOSTING_OFF = "fixme:win:DisableProcessWindowsGhosting"
CDS_TEST = 0x2
CDS_FULLSCREEN = 0x4
SMALL_DESKTOP = (640, 480)
# Files by which a test lets a held helper go on (fake_projector.cpp, test_hooks.cpp).
READY_GO = "projector_ready.go"
END_GO = "projector_end.go"
SHOT_GO = "end_screen_taken.go"
ADVICE = "Please use your Monitors Control Panel to\nset the resolution to 800x600 pixels, High Colors"


class ScenarioFailed(Exception):
    pass


class Checks:
    def __init__(self):
        self.failures = 0

    def expect(self, condition, description):
        print(("ok    " if condition else "FAIL  ") + description, flush=True)
        if not condition:
            self.failures += 1
        return condition

    def require(self, condition, description):
        if not self.expect(condition, description):
            raise ScenarioFailed(description)


def unescape(text):
    """Undoes the probe's escaping of line breaks and backslashes."""
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r"}.get(m.group(1), m.group(1)), text)


def prepare_template(root):
    """The prefix every scenario copies: a 1024x768 virtual desktop, made once per build folder."""
    template = root / "prefix-template"
    started = time.monotonic()
    if prepare_prefix(template, DESKTOP, "loader-e2e-ready", log=lambda text: None):
        print("prepared Wine prefix template in %.1f s" % (time.monotonic() - started))
    return template


def read_bmp(path):
    """(width, height, rows of RGB bytes top-down) of a 24-bit bottom-up BMP."""
    data = Path(path).read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24 and height > 0
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return width, height, rows


def parse_ppm(data):
    try:
        width, height, pixels = read_ppm(data)
    except ValueError as error:
        raise ScenarioFailed("screenshot: %s" % error)
    return width, height, [pixels[y * width * 3:(y + 1) * width * 3] for y in range(height)]


def fraction_matching(shot, picture, tolerance=8):
    """Share of the picture's pixels that the top left of the screenshot shows, per channel
    within the tolerance (a 16-bit mode keeps 5 or 6 bits of each channel)."""
    _, _, shot_rows = shot
    width, height, rows = picture
    matching = 0
    for y in range(height):
        a, b = shot_rows[y], rows[y]
        for x in range(0, width * 3, 3):
            if (abs(a[x] - b[x]) <= tolerance and abs(a[x + 1] - b[x + 1]) <= tolerance
                    and abs(a[x + 2] - b[x + 2]) <= tolerance):
                matching += 1
    return matching / (width * height)


def black_share(shot, width, height):
    """Share of the pixels of the screenshot's top left width x height that are black."""
    _, _, rows = shot
    black = 0
    for y in range(height):
        row = rows[y]
        black += sum(1 for x in range(0, width * 3, 3) if not (row[x] or row[x + 1] or row[x + 2]))
    return black / (width * height)


CALL = re.compile(r"^(\w+):trace:system:NtUserChangeDisplaySettings (\S+) (\S+) (\S+) (\S+)")
DEVMODE = re.compile(r"^(\w+):trace:system:trace_devmode (.*)")


def display_calls(trace):
    """The ChangeDisplaySettings calls in Wine's trace, in order: (flags, fields), where fields
    is None for a call without a record (a restore of the stored mode), else the record's fields
    as Wine traced them, such as {"dmBitsPerPel": "16", "dmFields": "BITSPERPEL,..."}."""
    lines = trace.read_text(errors="replace").splitlines() if trace.exists() else []
    calls = []
    for i, line in enumerate(lines):
        call = CALL.match(line)
        if not call:
            continue
        thread, record, flags = call.group(1), call.group(3), int(call.group(5), 0)
        fields = None
        if record != "(nil)":
            fields = {}
            for following in lines[i + 1:i + 6]:
                devmode = DEVMODE.match(following)
                if devmode and devmode.group(1) == thread:
                    fields = dict(re.findall(r"(\w+)=(\S+)", devmode.group(2)))
                    break
        calls.append((flags, fields))
    return calls


def check_ghosting_off(checks, trace):
    """The loader turns window ghosting off before anything else it does. Wine notes the call of
    its stub and no more: what the call prevents cannot be seen under Wine."""
    lines = trace.read_text(errors="replace").splitlines() if trace.exists() else []
    noted = [i for i, line in enumerate(lines) if GHOSTING_OFF in line]
    first_call = next((i for i, line in enumerate(lines) if CALL.match(line)), len(lines))
    checks.expect(noted and noted[0] < first_call,
                  "ghosting turned off before the first display-settings call (trace line %s, "
                  "first call at %d)" % (noted[0] if noted else "none", first_call))


def check_display_requests(checks, calls, restores):
    """What the loader asked of the display, from its own side. restores: how many restores
    must follow the one switch, or 0 with no switch at all."""
    tests = [fields for flags, fields in calls if flags & CDS_TEST]
    changes = [(flags, fields) for flags, fields in calls if not flags & CDS_TEST]
    checks.expect(tests, "trace shows the loader testing the listed modes (%d tests)" %
                  len(tests))
    if restores == 0:
        checks.expect(changes == [], "the loader asked for no display change: %s" % changes)
        return
    switches = [i for i, (_, fields) in enumerate(changes) if fields is not None]
    asked = changes[switches[0]][1] if switches else {}
    checks.expect(len(switches) == 1 and asked.get("dmPelsWidth") == "800"
                  and asked.get("dmPelsHeight") == "600" and asked.get("dmBitsPerPel") == "16"
                  and "DISPLAYFREQUENCY" not in asked.get("dmFields", ""),
                  "switch asked for 800x600 at 16 bits without a rate, once, by the loader: %s" %
                  [fields for _, fields in changes if fields is not None])
    # Never stored in the registry: a crash must not leave the user at 800x600.
    checks.expect(all(flags == CDS_FULLSCREEN for flags, _ in changes),
                  "every display change temporary (CDS_FULLSCREEN alone): flags %s" %
                  sorted({hex(flags) for flags, _ in changes}))
    after = [fields for _, fields in changes[switches[0] + 1:]] if switches else []
    count = sum(1 for fields in after if fields is None)
    checks.expect(count == restores, "restore of the stored mode asked %d time(s) after the "
                  "switch (got %d)" % (restores, count))


class Session:
    """One X server, one Wine prefix and one working folder, all torn down at the end."""

    def __init__(self, args, screen):
        self.args = args
        self.screen = screen
        self.root = Path(tempfile.mkdtemp(prefix="loader-e2e-", dir=args.build_root))
        self.work = self.root / "work"
        self.work.mkdir()
        self.prefix = self.root / "prefix"
        self.xvfb = None
        self.children = []
        self.env = None
        self.traces = {}

    def __enter__(self):
        # __exit__ does not run when this fails, so it tears down what was started itself.
        try:
            template = prepare_template(Path(self.args.build_root))
            subprocess.run(["cp", "-a", str(template), str(self.prefix)], check=True)
            self.set_desktop_size()
            self.start_xvfb()
            self.env = dict(os.environ, WINEPREFIX=str(self.prefix), DISPLAY=self.display,
                            **WINE_ENV)
            self.hold_desktop()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        end_session(self.children, self.env, self.xvfb)
        shutil.rmtree(self.root, ignore_errors=True)
        return False

    def set_desktop_size(self):
        user_reg = self.prefix / "user.reg"
        text = user_reg.read_text()
        old = '"Default"="%dx%d"' % DESKTOP
        if old not in text:
            raise ScenarioFailed("the prefix template has no virtual desktop setting")
        user_reg.write_text(text.replace(old, '"Default"="%dx%d"' % self.screen))

    def start_xvfb(self):
        try:
            self.xvfb = Xvfb(self.screen)
        except RuntimeError as error:
            raise ScenarioFailed(str(error))
        self.display = self.xvfb.display

    def hold_desktop(self):
        holder = self.start(self.args.probe, "hold")
        if self.read_line(holder, 60) != "holding":
            raise ScenarioFailed("the desktop holder did not start")

    def start(self, *command, trace=False, stdin=False):
        """Starts a Wine program in the working folder. With trace, its display-settings calls
        (and those of the programs it starts) are traced to a file of its own."""
        env, stderr = self.env, subprocess.DEVNULL
        if trace:
            env = dict(self.env, WINEDEBUG=TRACE_LOADER_CALLS)
            stderr = open(self.root / ("trace-%d.txt" % len(self.children)), "w")
        child = subprocess.Popen(["wine", *command], cwd=self.work, env=env,
                                 stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=stderr, start_new_session=True,
                                 text=True)
        if trace:
            stderr.close()
            self.traces[child.pid] = Path(stderr.name)
        self.children.append(child)
        return child

    def display_calls(self, child):
        return display_calls(self.traces[child.pid])

    def release(self, name):
        """Lets a helper that waits for the file `name` in the working folder go on."""
        (self.work / name).write_text("go\n")

    def write_line(self, child, text):
        child.stdin.write(text + "\n")
        child.stdin.flush()

    def report(self, name):
        """The key=value pairs that a test hook wrote to a file in the working folder."""
        path = self.work / name
        text = path.read_text() if path.exists() else ""
        return dict(re.findall(r"(\w+)=(\S+)", text)) if text.endswith("\n") else None

    def finish(self, child, timeout):
        """The child's exit code and output, or None if it did not end in time. The launcher's
        code is the one it printed, all 32 bits of it; the shell sees only the low byte."""
        try:
            output, _ = child.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None, ""
        printed = re.search(r"^exit=(-?\d+)$", output, re.MULTILINE)
        return int(printed.group(1)) if printed else child.returncode, output

    def read_line(self, child, timeout):
        """The child's next line of output, or "" if none comes in time."""
        ready, _, _ = select.select([child.stdout], [], [], timeout)
        return child.stdout.readline().strip() if ready else ""

    def probe(self, what):
        # Rarely, a program started right after the session came up never answers (seen once
        # in dozens of runs, on a loaded machine); it gets one more try.
        for attempt in (1, 2):
            started = time.monotonic()
            try:
                result = subprocess.run(["wine", self.args.probe, what], cwd=self.work,
                                        env=self.env, capture_output=True, text=True, timeout=15)
                break
            except subprocess.TimeoutExpired:
                print("note  probe %s did not answer within 15 s (try %d)" % (what, attempt),
                      flush=True)
        else:
            return {}
        if time.monotonic() - started > 5:
            print("note  probe %s took %.1f s" % (what, time.monotonic() - started), flush=True)
        line = result.stdout.strip().splitlines()[-1] if result.stdout.strip() else ""
        return dict(re.findall(r"(\w+)=((?:(?! \w+=).)*)", line))

    def mode(self):
        report = self.probe("mode")
        return int(report.get("width", 0)), int(report.get("height", 0))

    def screenshot(self):
        data = subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"],
                              capture_output=True, check=True, timeout=60).stdout
        return parse_ppm(data)

    def xdotool(self, *command):
        subprocess.run(["xdotool", *command], env=self.env, check=True, timeout=30)

    def starts(self):
        log = self.work / "projector_starts.txt"
        lines = log.read_text().splitlines() if log.exists() else []
        return [line.split()[0] for line in lines]

    def sent(self, wait):
        """What the stand-in recorded of its sends to the loader during one of its waits,
        "loading" or "hidden", as key=value pairs; None before it has."""
        log = self.work / "projector_starts.txt"
        lines = log.read_text().splitlines() if log.exists() else []
        found = [line for line in lines if line.startswith("sent-%s " % wait)]
        return dict(re.findall(r"(\w+)=(\S+)", found[0])) if found else None

    def install_projector(self):
        (self.work / "data").mkdir()
        shutil.copy(self.args.projector, self.work / "data" / "projector.exe")


def check_desktop_back(session, checks, deadline=10):
    # The desktop is held open, so only the loader's own restore brings the size back. On a busy
    # machine the size that a probe reads can lag behind the restore for a moment, so it is read
    # until it is back or the deadline has passed.
    until = time.monotonic() + deadline
    mode = session.mode()
    while mode != DESKTOP and time.monotonic() < until:
        time.sleep(0.2)
        mode = session.mode()
    checks.expect(mode == DESKTOP, "desktop back at %dx%d (got %dx%d)" % (DESKTOP + mode))


def check_end_after_one_start(session, checks, child, restores):
    """The loader ends by itself with exit code 0, having started the presentation program once;
    the desktop is back, and the display was asked for as check_display_requests wants."""
    code, _ = session.finish(child, 60)
    checks.require(code is not None, "loader ended")
    checks.expect(code == 0, "exit code 0 (got %s)" % code)
    starts = session.starts()
    checks.expect(starts.count("start") == 1, "started exactly once: %s" % starts)
    check_desktop_back(session, checks)
    check_display_requests(checks, session.display_calls(child), restores=restores)


def scenario_normal(session, checks):
    # The stand-in stays busy, which holds the splash up, until the test has looked at the
    # splash; then it runs, with the loader hidden, until the test has looked at that. The
    # end-screen hook holds the loader with its black screen up until the screenshot is taken.
    session.env.update(PROJECTOR_READY_WHEN=READY_GO, PROJECTOR_END_WHEN=END_GO,
                       LOADER_TEST_END_HOLD_UNTIL=SHOT_GO)
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)

    loader = session.start(session.args.launcher, session.args.loader, "--keys", "--watch-end",
                           "--watch", trace=True)
    checks.require(session.read_line(loader, 30) == "keys=pressed",
                   "Space, Enter and A pressed while the loader was in front")
    # Or until the loader is seen closing, which a start would have come before.
    wait_until(lambda: "start" in session.starts() or loader.poll() is not None
               or session.report("end_screen.txt"), 30)
    checks.require("start" in session.starts(),
                   "presentation program started after the other keys")
    shot = session.screenshot()
    window = session.probe("loader")
    mode = session.mode()
    checks.require("ready" not in session.starts(),
                   "checks ran while the presentation program was not yet idle")
    checks.expect(window.get("visible") == "1" and window.get("rect") == "0,0,800,600"
                  and window.get("topmost") == "1",
                  "splash window visible, topmost, at 0,0,800,600: %s" % window)
    # WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU: no frame.
    checks.expect(window.get("style") == "96080000",
                  "splash window style 96080000, borderless: %s" % window.get("style"))
    checks.expect(mode == (800, 600), "display switched to 800x600 (got %dx%d)" % mode)
    share = fraction_matching(shot, read_bmp(session.args.splash))
    checks.expect(share > 0.99, "splash picture on screen at 0,0 (%.2f%% of pixels)" %
                  (100 * share))

    session.release(READY_GO)
    checks.require(wait_until(lambda: "ready" in session.starts(), 30),
                   "presentation program became idle")
    hidden = session.probe("loader")
    checks.expect(hidden.get("visible") == "0",
                  "loader hidden while the presentation program runs: %s" % hidden)

    session.release(END_GO)
    check_end_screen(session, checks)

    code, _ = session.finish(loader, 60)
    checks.require(code is not None, "loader ended")
    checks.expect(code == 0, "exit code 0 (got %s)" % code)
    starts = session.starts()
    checks.expect(starts.count("start") == 1 and starts.count("end") == 1,
                  "presentation program started exactly once: %s" % starts)
    check_desktop_back(session, checks)
    check_display_requests(checks, session.display_calls(loader), restores=1)
    check_ghosting_off(checks, session.traces[loader.pid])
    check_presentation_start(checks, session.report("presentation_start.txt") or {})
    paints = session.report("paints.txt") or {}
    checks.expect(int(paints.get("paints", 0)) >= 2
                  and paints.get("wait_cursor_after") == paints.get("paints"),
                  "wait cursor set after every paint of the splash and the end screen: %s" %
                  paints)


def check_end_screen(session, checks):
    """Once the loader takes its close request: what its window shows and what the display
    shows, which must both be black. The end-screen hook holds the loader until the screenshot
    is taken."""
    end = wait_until(lambda: session.report("end_screen.txt"), 30, interval=0.05)
    checks.require(end, "the loader took its close request (end screen recorded)")
    shot = session.screenshot()
    session.release(SHOT_GO)
    checks.expect(end.get("visible") == "1" and end.get("rect") == "0,0,800,600"
                  and end.get("nonblack") == "0",
                  "end screen black: the window shown at 0,0,800,600 holds no other colour: %s"
                  % end)
    black = black_share(shot, 800, 600)
    checks.expect(black == 1.0, "end screen black on the display (%.2f%% of 800x600)" %
                  (100 * black))


def check_presentation_start(checks, start):
    """The arguments the loader gave CreateProcessA, as the watch inside it recorded them. The
    program started cannot tell them under Wine, which gives every program normal priority and
    the same start-up information whatever its starter asked."""
    checks.expect(start.get("application") == "(null)"
                  and start.get("command") == r".\data\projector.exe"
                  and start.get("security") == "0" and start.get("environment") == "0"
                  and start.get("directory") == "0",
                  "presentation program started as .\\data\\projector.exe with the loader's own "
                  "security, environment and folder: %s" % start)
    checks.expect(start.get("inherit") == "1",
                  "presentation program started inheriting the loader's handles: %s" % start)
    checks.expect(start.get("flags") == "0x20",
                  "presentation program started at normal priority (creation flags 0x20): %s" %
                  start)
    checks.expect(start.get("startup_size") == "68" and start.get("startup_other_bytes") == "0",
                  "presentation program given a start-up record all zero but its size, 68: %s" %
                  start)


def scenario_escape(session, checks):
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)

    launcher = session.start(session.args.launcher, session.args.loader, "--escape", trace=True)
    code, output = session.finish(launcher, 60)
    checks.require(code is not None, "loader ended")
    checks.require("escape=pressed" in output,
                   "Escape pressed while the loader was in front: %s" % output.strip())
    checks.expect(code == 0, "exit code 0 (got %s)" % code)
    # A start would have been recorded before the loader could end.
    checks.expect(session.starts() == [], "presentation program never started: %s" %
                  session.starts())
    check_desktop_back(session, checks)
    # Restored on the key and again when the window goes.
    check_display_requests(checks, session.display_calls(launcher), restores=2)


def scenario_no_data(session, checks):
    session.env.update(LOADER_TEST_END_HOLD_UNTIL=SHOT_GO)
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)
    loader = session.start(session.args.launcher, session.args.loader, "--watch-end",
                           trace=True)
    check_end_screen(session, checks)
    # A message box would keep the loader waiting for a click; ending by itself shows none came.
    code, _ = session.finish(loader, 60)
    checks.require(code is not None, "loader ended by itself (no message box waiting)")
    checks.expect(code == 0, "exit code 0 (got %s)" % code)
    checks.expect(session.probe("dialog").get("dialog") == "absent", "no dialog left")
    check_desktop_back(session, checks)
    check_display_requests(checks, session.display_calls(loader), restores=1)


def scenario_small_desktop(session, checks):
    session.install_projector()
    checks.require(session.mode() == SMALL_DESKTOP, "desktop starts at %dx%d" % SMALL_DESKTOP)
    # Run through the launcher, whose exit code is the loader's: it tells when the loader waits in
    # the message box, and only then may the probes start.
    loader = session.start(session.args.launcher, session.args.loader, trace=True)
    checks.require(session.read_line(loader, 30) == "idle", "loader settled")

    def answering_box():
        report = session.probe("dialog")
        return report if report.get("answered") == "1" else None

    box = wait_until(answering_box, 30, interval=0.2)
    checks.require(box is not None, "message box shown")
    text = unescape(box.get("text", ""))
    checks.expect(text == ADVICE, "message text exact: %r" % text)
    checks.expect(box.get("caption") == "", "empty caption: %r" % box.get("caption"))
    checks.expect(box.get("owner") == "demo" and box.get("owner_visible") == "0",
                  "owned by the loader's window, which is not shown: %s" % box)
    window = session.probe("loader")
    checks.expect(window.get("visible") == "0", "loader window never shown: %s" % window)
    checks.expect(loader.poll() is None, "loader waits for the box to be closed")

    session.xdotool("key", "Return")
    code, _ = session.finish(loader, 60)
    checks.require(code is not None, "loader ended after Enter")
    checks.expect(code == -1, "exit code -1 (got %s)" % code)
    checks.expect(session.starts() == [], "presentation program never started")
    checks.expect(session.mode() == SMALL_DESKTOP,
                  "display unchanged at %dx%d" % SMALL_DESKTOP)
    check_display_requests(checks, session.display_calls(loader), restores=0)


def scenario_second_loader(session, checks):
    # The first loader's presentation program runs until the test has seen the second loader
    # started and ended while it ran.
    session.env.update(PROJECTOR_END_WHEN=END_GO)
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)

    first = session.start(session.args.loader, trace=True)
    checks.require(wait_until(lambda: "ready" in session.starts(), 30),
                   "the first loader's presentation program runs")
    started = time.monotonic()
    second = session.start(session.args.loader, trace=True)
    code, _ = session.finish(second, 20)
    took = time.monotonic() - started
    checks.expect(code == 0, "second loader ended by itself with exit code 0 (got %s, after "
                  "%.1f s)" % (code, took))
    checks.expect(first.poll() is None and "end" not in session.starts(),
                  "the first loader and its presentation program still run")
    mode = session.mode()
    checks.expect(mode == (800, 600), "display still at 800x600 (got %dx%d)" % mode)
    calls = session.display_calls(second)
    changes = sum(1 for flags, _ in calls if not flags & CDS_TEST)
    checks.expect(calls == [], "second loader made no display-settings call at all (got %d, "
                  "%d of them changes)" % (len(calls), changes))
    session.release(END_GO)

    code, _ = session.finish(first, 30)
    checks.require(code is not None, "first loader ended")
    checks.expect(code == 0, "first loader's exit code 0 (got %s)" % code)
    starts = session.starts()
    checks.expect(starts.count("start") == 1 and starts.count("end") == 1,
                  "one presentation program ran: %s" % starts)
    check_desktop_back(session, checks)
    check_display_requests(checks, session.display_calls(first), restores=1)


def scenario_inactive(session, checks):
    # The gate of the launcher keeps the loader's window from being activated, as another
    # application kept in front would, until the test lets it go.
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)

    launcher = session.start(session.args.launcher, session.args.loader, "--inactive", "--watch",
                             trace=True, stdin=True)
    checks.require(session.read_line(launcher, 30) == "idle", "loader settled")
    # Having found its queue empty, the loader went to wait for messages as an inactive
    # application; one that did not care would have started the presentation program there.
    wait = wait_until(lambda: (session.report("waits.txt") or {}).get("active") == "0", 20)
    checks.expect(wait, "the loader waited for messages while not the active application: %s" %
                  session.report("waits.txt"))
    window = session.probe("loader")
    checks.expect(window.get("visible") == "1" and window.get("foreground") == "0",
                  "splash shown but not in front: %s" % window)
    checks.expect(session.starts() == [] and launcher.poll() is None,
                  "nothing started while the loader was not the active application: %s" %
                  session.starts())

    session.write_line(launcher, "activate")
    checks.require(session.read_line(launcher, 30) == "activated", "loader activated")
    checks.expect(wait_until(lambda: "start" in session.starts(), 20),
                  "presentation program started once the loader became active")
    check_end_after_one_start(session, checks, launcher, restores=1)


def scenario_no_window(session, checks):
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)
    launcher = session.start(session.args.launcher, session.args.loader, "--refuse-window",
                             trace=True)
    code, _ = session.finish(launcher, 30)
    checks.require(code is not None, "loader ended by itself")
    checks.require(session.report("window_refused.txt") is not None,
                   "the loader's window was refused")
    checks.expect(code == 0, "exit code 0 (got %s)" % code)
    checks.expect(session.starts() == [], "presentation program never started")
    checks.expect(session.probe("dialog").get("dialog") == "absent", "no message shown")
    checks.expect(session.mode() == DESKTOP, "display unchanged at %dx%d" % DESKTOP)
    check_display_requests(checks, session.display_calls(launcher), restores=0)


def scenario_foreign_quit(session, checks):
    # While the loader waits hidden for it, the stand-in posts WM_QUIT with wParam 7 to the
    # loader's thread, as another program might, and ends.
    session.env.update(PROJECTOR_POST_QUIT="7")
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)

    loader = session.start(session.args.loader, trace=True)
    code, _ = session.finish(loader, 60)
    checks.require(code is not None, "loader ended")
    starts = session.starts()
    checks.require("quit-posted" in starts,
                   "the presentation program posted WM_QUIT 7 to the loader's thread: %s" % starts)
    checks.expect(code == 7, "exit code 7, the quit's own (got %s)" % code)
    checks.expect(starts.count("start") == 1, "started exactly once: %s" % starts)
    check_desktop_back(session, checks)
    check_display_requests(checks, session.display_calls(loader), restores=1)


def scenario_lost_close(session, checks):
    # A hook turns the close that the launch posts into nothing, as if it had been lost.
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)

    launcher = session.start(session.args.launcher, session.args.loader, "--lose-close",
                             "--watch", trace=True)
    checks.require(wait_until(lambda: session.report("close_lost.txt"), 30),
                   "the close after the presentation program was lost")

    # The loader has to come to wait for messages while it is the active application, its
    # queue empty: right there it could start the presentation program again. Whether it is
    # active after the presentation program depends on the order of Wine's activation
    # messages; if not, it is brought to the front, as the user would click its black screen.
    def waited(active):
        report = session.report("waits.txt") or {}
        return (report.get("after_lost_close") == "1" and report.get("active") in active
                and report)

    wait = wait_until(lambda: waited(("0", "1")), 20)
    if wait and wait.get("active") == "0":
        print("note  the loader was not active after the lost close: brought to the front",
              flush=True)
        session.probe("activate")
        wait = wait_until(lambda: waited(("1",)), 20)
    checks.expect(wait and wait.get("active") == "1",
                  "the loader waited for messages as the active application after the lost "
                  "close: %s" % wait)
    starts = session.starts()
    checks.expect(starts.count("start") == 1,
                  "presentation program started once although the close was lost: %s" % starts)
    checks.require(session.probe("close").get("closed") == "1", "a new close posted")
    code, _ = session.finish(launcher, 60)
    checks.require(code is not None, "loader ended")
    checks.expect(code == 0, "exit code 0 (got %s)" % code)
    check_desktop_back(session, checks)
    check_display_requests(checks, session.display_calls(launcher), restores=1)


def scenario_quit_in_switch(session, checks):
    # When the display switch changes the loader's window style, a hook posts WM_QUIT with
    # wParam 7 to the loader's thread, as another program might: the loader meets it while it
    # handles what the switch queued, before it could start anything.
    session.env.update(LOADER_TEST_QUIT_IN_SWITCH="7")
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)

    launcher = session.start(session.args.launcher, session.args.loader, "--watch", trace=True)
    code, _ = session.finish(launcher, 60)
    checks.require(code is not None, "loader ended")
    checks.require(session.report("quit_in_switch.txt"),
                   "WM_QUIT 7 posted to the loader's thread during the switch")
    checks.expect(code == 7, "exit code 7, the quit's own (got %s)" % code)
    checks.expect(session.starts() == [], "presentation program never started: %s" %
                  session.starts())
    check_desktop_back(session, checks)
    check_display_requests(checks, session.display_calls(launcher), restores=1)


def scenario_sent_in_waits(session, checks):
    # The stand-in sends to the loader's window with a time-out in both of the loader's waits,
    # as a program that broadcasts would, and asks it to close while it is hidden; it also posts
    # an Escape, which must wait in the queue until the presentation program has ended.
    session.env.update(PROJECTOR_SEND_TO_LOADER="1", PROJECTOR_END_WHEN=END_GO)
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)

    loader = session.start(session.args.loader, trace=True)
    hidden = wait_until(lambda: session.sent("hidden"), 30) or {}
    loading = session.sent("loading") or {}
    checks.expect(0 <= int(loading.get("ms", -1)) < 1000 and loading.get("visible") == "1"
                  and loading.get("escape") == "1", "message sent while the presentation program "
                  "loads answered within a second, splash up, Escape posted: %s" % loading)
    checks.expect(0 <= int(hidden.get("ms", -1)) < 1000 and hidden.get("visible") == "0",
                  "message sent while the loader is hidden answered within a second: %s" % hidden)
    mode, window = session.mode(), session.probe("loader").get("window")
    checks.expect(mode == (800, 600) and window == "present" and "end" not in session.starts(),
                  "display still switched and the window kept while the presentation program "
                  "runs, after the posted Escape and a sent close and destroy (%dx%d, %s)" %
                  (mode + (window,)))

    session.release(END_GO)
    # The Escape's restore and the window's, both after the presentation program.
    check_end_after_one_start(session, checks, loader, restores=2)


def scenario_hidden_start(session, checks):
    # Started asked to be hidden. The stand-in stays busy, which holds the splash up, until the
    # test has looked at it.
    session.env.update(PROJECTOR_READY_WHEN=READY_GO)
    session.install_projector()
    checks.require(session.mode() == DESKTOP, "desktop starts at %dx%d" % DESKTOP)

    launcher = session.start(session.args.launcher, session.args.loader, "--hidden", trace=True)
    wait_until(lambda: "start" in session.starts() or launcher.poll() is not None, 30)
    window = session.probe("loader")
    checks.expect(window.get("visible") == "1" and window.get("rect") == "0,0,800,600",
                  "splash shown after a start asked to be hidden: %s" % window)
    checks.require("start" in session.starts(), "presentation program started from a hidden "
                   "start")
    session.release(READY_GO)
    check_end_after_one_start(session, checks, launcher, restores=1)


SCENARIOS = {
    "normal": (scenario_normal, DESKTOP),
    "escape": (scenario_escape, DESKTOP),
    "no-data": (scenario_no_data, DESKTOP),
    "small-desktop": (scenario_small_desktop, SMALL_DESKTOP),
    "second-loader": (scenario_second_loader, DESKTOP),
    "inactive": (scenario_inactive, DESKTOP),
    "no-window": (scenario_no_window, DESKTOP),
    "foreign-quit": (scenario_foreign_quit, DESKTOP),
    "lost-close": (scenario_lost_close, DESKTOP),
    "quit-in-switch": (scenario_quit_in_switch, DESKTOP),
    "sent-in-waits": (scenario_sent_in_waits, DESKTOP),
    "hidden-start": (scenario_hidden_start, DESKTOP),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scenario", choices=SCENARIOS, required=True)
    parser.add_argument("--build-root", required=True,
                        help="folder for the prefix template and the scenarios' temporary files")
    for name in ("loader", "projector", "probe", "launcher", "splash"):
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args()
    for name in ("loader", "projector", "probe", "launcher", "splash"):
        setattr(args, name, str(Path(getattr(args, name)).resolve()))
    args.build_root = str(Path(args.build_root).resolve())
    Path(args.build_root).mkdir(parents=True, exist_ok=True)

    run, screen = SCENARIOS[args.scenario]
    checks = Checks()
    started = time.monotonic()
    try:
        with Session(args, screen) as session:
            run(session, checks)
    except ScenarioFailed as failure:
        if str(failure) and not checks.failures:
            checks.expect(False, str(failure))
    print("scenario %s took %.1f s" % (args.scenario, time.monotonic() - started))
    passed = checks.failures == 0
    print("%s: %s" % (args.scenario, "passed" if passed else "FAILED"))
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())

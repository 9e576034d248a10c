#!/usr/bin/env python3
"""Runs the packaged presentation from its loader under Wine and records what a person sees.

The package (loader.exe, data/projector.exe, data/Xtras/SCRIPT.x32) runs in a 1024x768 Wine
virtual desktop: on the caller's X display when DISPLAY is set, otherwise (or with
--headless) on a private Xvfb. The projector runs in capture mode (see demo/capture.h): it
stops at the splash, at a few scene frames and at its black end frame until this script has
taken a screenshot. The pictures, the projector's frame logs, a contact sheet and an animated
GIF go to the output folder.

With --check the run is a test: the splash shows the splash picture, the scene frames are not
blank and show the beacons where getProjection said (and where an independent computation from
the camera's reported state puts it), markers dropped by a click are on screen, the loader and
the presentation exit 0, the display is restored and no process is left behind.

Only processes this script started are ended, each by its id; Wine's are ended with
"wineserver -k" in the script's own prefix.
"""

import argparse
import collections
import math
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from wine_session import WINE_ENV, Xvfb, end_session, prepare_prefix, read_ppm, wait_until  # noqa: E402

DESKTOP = (1024, 768)
STAGE = (800, 600)
BEACON = (255, 0, 255)
MARKER = (255, 230, 0)
# Where, in stage pixels, the recorder clicks to drop a marker (headless runs only).
CLICK = (470, 330)
# After which scene frame a headless run takes the camera for one picture of the workbench.
WORKBENCH_AFTER = 6
ROOT = Path(__file__).resolve().parents[2]


class Failed(Exception):
    pass


class Checks:
    def __init__(self, enabled):
        self.enabled = enabled
        self.failures = 0

    def expect(self, condition, description):
        if self.enabled:
            print(("ok    " if condition else "FAIL  ") + description, flush=True)
            if not condition:
                self.failures += 1
        elif not condition:
            print("note: " + description, flush=True)
        return condition


def log(text):
    print("demo: " + text, flush=True)


def windows_path(path):
    # Wine's drive Z: is the root of the Unix file system.
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class Picture:
    """An RGB picture held as bytes, read through ImageMagick."""

    def __init__(self, path):
        data = subprocess.run(["convert", str(path), "-depth", "8", "ppm:-"],
                              capture_output=True, check=True, timeout=60).stdout
        try:
            self.width, self.height, self.pixels = read_ppm(data)
        except ValueError as error:
            raise Failed("%s: %s" % (path, error))

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def region(self, width, height):
        """Rows of the top left width x height, as bytes."""
        return [self.pixels[(y * self.width) * 3:(y * self.width + width) * 3]
                for y in range(height)]


def close_to(colour, wanted, tolerance=10):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, wanted))


class Session:
    """The X server, the Wine session and the processes of one run, all ended at the end."""

    def __init__(self, args):
        self.args = args
        self.xvfb = None
        self.display = None
        self.env = None
        self.loader = None
        self.keeper = None
        self.offset = (0, 0)

    def __enter__(self):
        prepare_prefix(self.args.prefix, DESKTOP, "orvanta-demo-ready", log=log)
        if os.environ.get("DISPLAY") and not self.args.headless:
            self.display = os.environ["DISPLAY"]
            log("showing on your display %s" % self.display)
        else:
            self.start_xvfb()
            log("running headless on a private Xvfb, display %s" % self.display)
        self.env = dict(os.environ, WINEPREFIX=str(self.args.prefix), DISPLAY=self.display,
                        **WINE_ENV)
        return self

    def start_xvfb(self):
        try:
            self.xvfb = Xvfb(DESKTOP)
        except RuntimeError as error:
            raise Failed(str(error))
        self.display = self.xvfb.display

    def __exit__(self, *exc):
        end_session((self.loader, self.keeper), self.env, self.xvfb)
        return False

    def hold_desktop(self):
        # Wine closes its virtual desktop when its last program ends; a person's desktop stays.
        self.keeper = subprocess.Popen(["wine", str(self.args.probe), "hold"], env=self.env,
                                       stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, start_new_session=True)

    def release_desktop(self):
        if self.keeper is not None:
            self.keeper.stdin.close()
            try:
                self.keeper.wait(timeout=30)
            except subprocess.TimeoutExpired:
                pass
            code, self.keeper = self.keeper.returncode, None
            return code
        return None

    def wine(self, *command, cwd, timeout=60):
        return subprocess.run(["wine", *command], cwd=cwd, env=self.env, capture_output=True,
                              text=True, timeout=timeout)

    def mode(self):
        """The display mode that Windows reports, by the probe, or None without a probe."""
        if not self.args.probe:
            return None
        result = self.wine(str(self.args.probe), cwd=self.args.package)
        match = re.search(r"mode (\d+)x(\d+)", result.stdout)
        return (int(match.group(1)), int(match.group(2))) if match else None

    def desktop_window(self):
        """Position and size of the Wine desktop's X window, or None if it is not found."""
        found = subprocess.run(["xdotool", "search", "--name", "Wine desktop"], env=self.env,
                               capture_output=True, text=True, timeout=30)
        for window in found.stdout.split():
            geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                      env=self.env, capture_output=True, text=True, timeout=30)
            values = dict(re.findall(r"(\w+)=(\d+)", geometry.stdout))
            if "WIDTH" in values and int(values["WIDTH"]) > 1:
                return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        return None

    def screenshot(self, path):
        """The screen as a person sees it: the Wine desktop, which is the whole screen of the
        Windows session (800x600 while the display is switched)."""
        command = ["import", "-display", self.display, "-window", "root"]
        window = self.desktop_window()
        if window:
            x, y, width, height = window
            command += ["-crop", "%dx%d+%d+%d" % (width, height, x, y), "+repage"]
            self.offset = (x, y)
        subprocess.run(command + [str(path)], env=self.env, check=True, timeout=60)

    def steady_screenshot(self, path, deadline=30):
        """The screen once two screenshots in a row are alike, as a Picture. What the programs
        show is held until this script lets it go (the projector holds each logged frame), so a
        screen that no longer changes shows it, whenever Wine hands it to the X server."""
        self.screenshot(path)
        shot = Picture(path)
        latest = path.with_name(path.stem + "-latest.png")
        end = time.monotonic() + deadline
        while time.monotonic() < end:
            self.screenshot(latest)
            again = Picture(latest)
            latest.replace(path)
            if again.pixels == shot.pixels:
                break
            shot = again
        return shot

    def click(self, h, v):
        x, y = self.offset[0] + h, self.offset[1] + v
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=self.env,
                       check=True, timeout=30)

    def keys(self, *names):
        subprocess.run(["xdotool", "key", "--delay", "50", *names], env=self.env, check=True,
                       timeout=30)

    def wine_processes(self):
        """Ids and command lines of the processes that run in this script's Wine prefix."""
        found = []
        wanted = ("WINEPREFIX=%s" % self.args.prefix).encode()
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                environ = (entry / "environ").read_bytes().split(b"\0")
                command = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode(
                    errors="replace").strip()
            except OSError:
                continue
            if wanted in environ:
                found.append((int(entry.name), command))
        return found


def request_snapshot(session, capture, number, inputs):
    """Asks the projector for the frame on screen (snap-NN, see demo/capture.h) until its log
    shows that it has handled `inputs` inputs. Answers the log's path; the frame stays on screen
    until the caller makes "<name>.done"."""
    for _ in range(20):
        name = "snap-%02d" % number
        (capture / (name + ".request")).touch()
        text = capture / (name + ".txt")
        if not wait_until(lambda: text.exists() or session.loader.poll() is not None,
                          30) or not text.exists():
            raise Failed("no %s from the projector" % name)
        if int(re.search(r"^inputs (\d+)$", text.read_text(), re.M).group(1)) >= inputs:
            return text
        (capture / (name + ".done")).touch()
        number += 1
        time.sleep(0.2)
    raise Failed("the projector did not see all %d inputs" % inputs)


def parse_frame(path):
    frame = {"points": {}, "clicks": []}
    for line in path.read_text().splitlines():
        words = line.split()
        if not words:
            continue
        if words[0] == "point":
            name = words[1]
            numbers = [float(w) for w in words[2:8]]
            frame["points"][name] = {"world": numbers[0:3], "h": numbers[3], "v": numbers[4],
                                     "depth": numbers[5], "level": int(words[8]),
                                     "inView": words[9] == "1"}
        elif words[0] == "click":
            frame["clicks"].append((int(words[2]), int(words[3])))
        elif words[0] in ("position", "rotation"):
            frame[words[0]] = [float(w) for w in words[1:4]]
        elif words[0] in ("fieldOfView", "pictureRatio", "nearPlane", "farPlane", "time"):
            frame[words[0]] = float(words[1])
        elif words[0] == "stage":
            frame["stage"] = (int(words[1]), int(words[2]))
        else:
            frame[words[0]] = " ".join(words[1:])
    return frame


def expected_projection(frame, world):
    """Where a pinhole camera with the reported state puts a world point, worked out from the
    camera's axes (not from the plug-in's rotation table): (h, v, depth, level, in view)."""
    pitch, yaw, roll = (math.radians(a) for a in frame["rotation"])
    forward = (-math.sin(yaw) * math.cos(pitch), math.sin(pitch), -math.cos(yaw) * math.cos(pitch))
    right0 = (math.cos(yaw), 0.0, -math.sin(yaw))
    up0 = (math.sin(pitch) * math.sin(yaw), math.cos(pitch), math.sin(pitch) * math.cos(yaw))
    # Positive roll banks left: the picture turns clockwise, the camera's right axis rises.
    right = tuple(math.cos(roll) * r + math.sin(roll) * u for r, u in zip(right0, up0))
    up = tuple(math.cos(roll) * u - math.sin(roll) * r for r, u in zip(right0, up0))
    d = [w - p for w, p in zip(world, frame["position"])]
    dot = lambda a, b: sum(x * y for x, y in zip(a, b))
    ahead, across, above = dot(d, forward), dot(d, right), dot(d, up)
    depth = -ahead
    width, height = frame["stage"]
    tangent = math.tan(math.radians(frame["fieldOfView"]) / 2)
    scale_v = (height / 2) / tangent
    scale_h = (height / 2) / frame["pictureRatio"] / tangent
    near, far = frame["nearPlane"], frame["farPlane"]
    level = (ahead - far) * 255.0 / (near - far)
    level = int(min(max(level, 0.0), 255.0) + 0.5)
    if not (-far < depth < -near):
        return -2000.0, -2000.0, depth, level, False
    return (width / 2 + across / ahead * scale_h, height / 2 - above / ahead * scale_v, depth,
            level, True)


def check_splash(checks, shot, splash_path):
    picture = Picture(splash_path)
    if (picture.width, picture.height) != STAGE:
        return checks.expect(False, "splash picture is %dx%d" % (picture.width, picture.height))
    wanted = picture.region(*STAGE)
    seen = shot.region(*STAGE)
    matching = 0
    for a, b in zip(seen, wanted):
        for x in range(0, STAGE[0] * 3, 3):
            # A 16-bit mode keeps 5 or 6 bits of each channel.
            if (abs(a[x] - b[x]) <= 8 and abs(a[x + 1] - b[x + 1]) <= 8
                    and abs(a[x + 2] - b[x + 2]) <= 8):
                matching += 1
    share = matching / (STAGE[0] * STAGE[1])
    return checks.expect(share > 0.99, "splash picture on screen at 0,0 (%.2f%% of its pixels)"
                         % (100 * share))


def check_frame(checks, name, shot, frame):
    checks.expect(frame.get("error") == "none", "%s: the camera answered every call as "
                  "expected (%s)" % (name, frame.get("error")))
    # Not blank: between the captions, many pixels differ from the background, in several
    # colours (a line's colour depends on its solid and its blend level).
    rows = shot.region(*STAGE)[40:STAGE[1] - 40]
    background = collections.Counter(row[x:x + 3] for row in rows[::10]
                                     for x in range(0, len(row), 30)).most_common(1)[0][0]
    colours = set()
    drawn = 0
    for row in rows:
        for x in range(0, len(row), 3):
            pixel = row[x:x + 3]
            if max(abs(a - b) for a, b in zip(pixel, background)) > 12:
                drawn += 1
                colours.add(pixel)
    checks.expect(background != b"\0\0\0" and len(colours) >= 5 and drawn > 1000,
                  "%s: the scene is drawn (%d pixels in %d colours off the background %s)"
                  % (name, drawn, len(colours), tuple(background)))

    for point_name, point in sorted(frame["points"].items()):
        h, v, depth, level, in_view = expected_projection(frame, point["world"])
        checks.expect(in_view == point["inView"] and abs(depth - point["depth"]) < 1e-4
                      and level == point["level"]
                      and (not in_view or (abs(h - point["h"]) < 0.05
                                           and abs(v - point["v"]) < 0.05)),
                      "%s: getProjection of %s (%.2f, %.2f), depth %.3f, level %d agrees with "
                      "the camera's reported state (%.2f, %.2f), %.3f, %d"
                      % (name, point_name, point["h"], point["v"], point["depth"],
                         point["level"], h, v, depth, level))

    # Each beacon in view is a magenta square centred on the pixel getProjection named.
    shown = 0
    for point_name, point in sorted(frame["points"].items()):
        x, y = math.floor(point["h"]), math.floor(point["v"])
        if (point_name.startswith("beacon-") and point["inView"]
                and 4 <= x < STAGE[0] - 4 and 4 <= y < STAGE[1] - 4):
            around = [shot.at(x + dx, y + dy) for dx in (-2, 0, 2) for dy in (-2, 0, 2)]
            checks.expect(all(close_to(c, BEACON) for c in around),
                          "%s: %s square on screen at (%d, %d): %s"
                          % (name, point_name, x, y, around[4]))
            shown += 1
    for index, marker in enumerate(
            p for n, p in sorted(frame["points"].items()) if n.startswith("marker-")):
        x, y = math.floor(marker["h"]), math.floor(marker["v"])
        under_beacon = any(n.startswith("beacon-") and p["inView"] and
                           abs(p["h"] - marker["h"]) < 6 and abs(p["v"] - marker["v"]) < 6
                           for n, p in frame["points"].items())
        if (marker["inView"] and not under_beacon and 3 <= x < STAGE[0] - 3
                and 3 <= y < STAGE[1] - 3):
            checks.expect(close_to(shot.at(x, y), MARKER),
                          "%s: marker %d on screen at (%d, %d): %s"
                          % (name, index, x, y, shot.at(x, y)))
    return shown


# The captions of the contact sheet. ImageMagick's own default font comes from Ghostscript's
# fonts, which a machine without recommended packages lacks; this one comes with
# fonts-dejavu-core, which scripts/ensure-deps.sh installs.
CAPTION_FONT = Path("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")


def make_sheets(out, pictures):
    """The contact sheet and the animated GIF: conveniences beside the pictures, so a failure
    is told in one line and never fails the run. Returns (name, description) of those made."""
    made = []
    # Without the font, a sheet without captions rather than none.
    captions = CAPTION_FONT.is_file()
    labelled = ["-font", str(CAPTION_FONT)] if captions else []
    for label, path in pictures:
        labelled += (["-label", label] if captions else []) + [str(path)]
    sheets = (
        ("contact-sheet.png", "all of them",
         ["montage", *labelled, "-tile", "4x",
          "-geometry", "400x300+6+6", "-background", "#202020", "-fill", "white"]),
        ("demo.gif", "all of them, animated",
         ["convert", "-delay", "120", "-loop", "0", *[str(path) for _, path in pictures],
          "-resize", "50%"]),
    )
    for name, description, command in sheets:
        try:
            result = subprocess.run(command + [str(out / name)], capture_output=True, text=True,
                                    timeout=120)
            reason = result.stderr.strip().splitlines()[-1:] if result.returncode else None
        except (OSError, subprocess.TimeoutExpired) as error:
            reason = [str(error)]
        if reason is None:
            made.append((name, description))
        else:
            log("no %s (%s); the pictures are complete without it"
                % (name, reason[0] if reason else "%s failed" % command[0]))
    return made


def run(args, checks):
    out = args.out
    shutil.rmtree(out, ignore_errors=True)
    capture = out / "capture"
    capture.mkdir(parents=True)
    started = time.monotonic()
    pictures = []
    with Session(args) as session:
        session.env.update(ORVANTA_DEMO_SECONDS=str(args.seconds),
                           ORVANTA_DEMO_CAPTURE=windows_path(capture))
        if args.probe:
            mode = session.mode()
            checks.expect(mode == DESKTOP, "desktop starts at %dx%d (%s)" % (DESKTOP + (mode,)))
            session.hold_desktop()
        session.loader = subprocess.Popen(["wine", "loader.exe"], cwd=args.package,
                                          env=session.env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL, start_new_session=True)

        def await_file(name, timeout=60):
            path = capture / name
            if not wait_until(lambda: path.exists() or session.loader.poll() is not None,
                              timeout) or not path.exists():
                error = capture / "error.txt"
                raise Failed("no %s from the projector%s" % (
                    name, (": " + error.read_text().strip()) if error.exists() else ""))
            return path

        def shoot(label, name):
            path = out / ("%02d-%s.png" % (len(pictures) + 1, name))
            shot = session.steady_screenshot(path)
            pictures.append((label, path))
            return shot

        await_file("splash.txt")
        splash = shoot("splash", "splash")
        if args.probe:
            mode = session.mode()
            checks.expect(mode == STAGE, "display switched to 800x600 under the splash (%s)"
                          % (mode,))
        if args.splash:
            check_splash(checks, splash, args.splash)
        (capture / "splash.done").touch()

        frames = []
        beacons_shown = 0
        while True:
            number = len(frames) + 1
            name = "frame-%02d" % number
            found = wait_until(lambda: (capture / (name + ".txt")).exists()
                               or (capture / "black.txt").exists()
                               or session.loader.poll() is not None, 90)
            if not found or not (capture / (name + ".txt")).exists():
                break
            frame = parse_frame(capture / (name + ".txt"))
            shot = shoot("t = %.1f s, %s" % (frame["time"], frame["mode"]), name)
            if args.check:
                beacons_shown += check_frame(checks, name, shot, frame)
            frames.append(frame)
            if number == 2 and session.xvfb is not None:
                # Drops a marker, which every frame after it lists.
                session.click(*CLICK)
            workbench = number == WORKBENCH_AFTER and session.xvfb is not None
            if workbench:
                # Takes the camera with the readout and the legend on, for one picture.
                session.keys("Tab", "F2", "F1")
            (capture / (name + ".done")).touch()
            if workbench:
                text = request_snapshot(session, capture, 1, 3)
                held = parse_frame(text)
                shot = shoot("workbench: readout and legend", "workbench")
                if args.check:
                    checks.expect(held["workbench"] == "holding" and any(
                        line.startswith("readout getBlendLevel")
                        for line in text.read_text().splitlines()),
                                  "Tab took the camera and F2 shows the readout")
                    check_frame(checks, "workbench", shot, held)
                # Gives it back: the flight glides on from here to its end.
                session.keys("F1", "F2", "Tab")
                (capture / (text.stem + ".done")).touch()
        checks.expect(len(frames) >= 4, "%d scene frames recorded" % len(frames))
        if args.check:
            checks.expect(beacons_shown >= 6, "%d beacons were checked on screen" % beacons_shown)
        checks.expect(any(f["mode"] == "free-look" for f in frames)
                      and any(f["mode"] == "tracking" for f in frames),
                      "frames both while tracking and while looking along the flight")
        if session.xvfb is not None and len(frames) >= 3:
            checks.expect(any(n.startswith("marker-") for f in frames[2:] for n in f["points"]),
                          "the click dropped a marker (a later frame lists it)")

        black_text = await_file("black.txt")
        shot = shoot("end: black", "black")
        (capture / "black.done").touch()
        stage = b"".join(shot.region(*STAGE))
        checks.expect(max(stage) <= 8, "the end screen is black")
        checks.expect("error none" in black_text.read_text(),
                      "no camera call failed during the run")

        try:
            loader_code = session.loader.wait(timeout=60)
        except subprocess.TimeoutExpired:
            loader_code = None
        checks.expect(loader_code == 0, "loader.exe exit code 0 (got %s)" % loader_code)
        exit_text = capture / "exit.txt"
        exit_lines = exit_text.read_text().splitlines() if exit_text.exists() else []
        checks.expect(exit_lines[:1] == ["exit code 0"],
                      "projector.exe returned 0 from its run under the loader")
        if exit_lines[1:]:
            log("projector: " + exit_lines[1])
        shoot("after: desktop restored", "after")
        if args.probe:
            mode = session.mode()
            checks.expect(mode == DESKTOP, "display restored to %dx%d (%s)" % (DESKTOP + (mode,)))

        checks.expect(session.release_desktop() in (0, None), "the desktop holder ended")
        # The programs of the package have ended by themselves.
        left = [p for p in session.wine_processes()
                if re.search(r"(loader|projector)\.exe", p[1], re.IGNORECASE)]
        checks.expect(not left, "neither loader.exe nor projector.exe left running: %s" % left)

        if args.check:
            # The presentation's own exit code, started directly for a short bounded run.
            for name in ("ORVANTA_DEMO_CAPTURE", "ORVANTA_DEMO_SECONDS"):
                session.env.pop(name)
            direct = session.wine(str(Path(args.package) / "data" / "projector.exe"),
                                  "--seconds", "2", cwd=args.package, timeout=120)
            checks.expect(direct.returncode == 0, "projector.exe --seconds 2 run directly exits 0 "
                          "(got %s)" % direct.returncode)
        xvfb = session.xvfb
    if xvfb is not None:
        checks.expect(xvfb.process.poll() is not None, "the private Xvfb has ended")
    left = session.wine_processes()
    checks.expect(not left, "no process left in the demo's Wine prefix: %s" % left)

    sheets = make_sheets(out, pictures)
    log("run took %.1f s" % (time.monotonic() - started))
    log("pictures in %s:" % out)
    for label, path in pictures:
        log("  %-28s %s" % (path.name, label))
    for name, description in sheets:
        log("  %-28s %s" % (name, description))
    log("frame logs in %s" % capture)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--package", required=True, type=Path,
                        help="the package folder (made from --bin when given)")
    parser.add_argument("--bin", type=Path, help="build folder with loader.exe, projector.exe "
                        "and SCRIPT.x32, laid out into --package first")
    parser.add_argument("--out", required=True, type=Path, help="folder for the pictures")
    parser.add_argument("--prefix", type=Path, default=ROOT / "build" / "demo" / "wineprefix",
                        help="the Wine prefix to use (made on first use)")
    parser.add_argument("--seconds", type=float, default=24.0,
                        help="the presentation's run time (one lap of the flight is 24 s)")
    parser.add_argument("--probe", type=Path, help="demo_display_probe.exe, to read the mode")
    parser.add_argument("--splash", type=Path, help="the splash picture, to compare with")
    parser.add_argument("--headless", action="store_true", help="use a private Xvfb even when "
                        "DISPLAY is set")
    parser.add_argument("--check", action="store_true", help="check what was seen; exit 1 on "
                        "any failed check")
    args = parser.parse_args()
    args.prefix = args.prefix.resolve()
    args.out = args.out.resolve()
    args.package = args.package.resolve()
    if args.probe:
        args.probe = args.probe.resolve()
    if args.bin:
        subprocess.run([str(ROOT / "scripts" / "demo" / "package.sh"), str(args.bin),
                        str(args.package)], check=True)
    for needed in ("loader.exe", "data/projector.exe", "data/Xtras/SCRIPT.x32"):
        if not (args.package / needed).is_file():
            print("demo: %s is missing from the package %s" % (needed, args.package))
            return 1

    checks = Checks(args.check)
    try:
        run(args, checks)
    except Failed as failure:
        print(("FAIL  " if args.check else "demo: failed: ") + str(failure), flush=True)
        return 1
    if args.check:
        print("demo_headless: %s" % ("passed" if checks.failures == 0 else
                                     "FAILED (%d checks)" % checks.failures))
        return 0 if checks.failures == 0 else 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

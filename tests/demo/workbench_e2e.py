#!/usr/bin/env python3
"""Headless test of the camera workbench: the packaged presentation runs from its loader under
Wine on a private Xvfb, and xdotool plays the person who takes the camera.

It takes the camera (Tab), turns on the readout (F2) and the legend (F1), turns the camera with
the right mouse button held, flies it forward, sideways and up, tracks the solid nearest the
centre (T), changes roll, field of view (key and wheel), picture ratio and far plane, and
refuses a near plane of 0; then gives the camera back (Tab). From the projector's capture log
and screenshots it checks that the readout's numbers are the getters' answers, that the probe's
round trip and every logged projection agree with a pinhole camera worked out independently,
that the beacons are on screen where getProjection put them, that each change did what its key
says, and that the flight, given the camera back, goes on from the handed-back camera without a
jump and returns to its own lens. Exits 1 on any failed check.
"""

import argparse
import math
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts" / "demo"))
from run_demo import (STAGE, Checks, Failed, Picture, Session, check_frame, close_to,  # noqa: E402
                      parse_frame, request_snapshot, wait_until, windows_path)

INK = (220, 230, 250)
WARNING = (255, 170, 60)
SHOW_LENS = {"fieldOfView": 50.0, "pictureRatio": 1.0, "nearPlane": 0.5, "farPlane": 70.0}
# Fastest believable glide back onto the flight, in world units and degrees a second: the
# flight itself moves at under 10 units a second; a jump is a whole gap in one frame.
MOST_UNITS_A_SECOND = 40.0
MOST_DEGREES_A_SECOND = 200.0
# How far each movement key is held: until the log shows the camera this many world units from
# where it was when the key went down.
HOLD_UNITS = {"w": 2.0, "d": 1.0, "r": 1.0}
# The glide back onto the flight takes 2 s of the flight's time; the test looks at the flight
# this much after the hand-back, by the flight's own clock in the log.
AFTER_HAND_BACK = 2.5
# How long the test watches the projector draw frames, after the drag, to see that the
# flight's clock stands still while the camera is held.
STILL_WATCH = 1.0
# Deadline of every wait for the projector, in seconds.
DEADLINE = 30


def log(text):
    print("workbench: " + text, flush=True)


def numbers(text):
    return [float(n) for n in re.findall(r"-?\d+(?:\.\d+)?(?:e[-+]?\d+)?", text)]


def readout(raw):
    """The readout's lines from the log, by their label (the text before two spaces)."""
    lines = {}
    for line in raw.splitlines():
        if line.startswith("readout "):
            label, _, rest = line[len("readout "):].partition("  ")
            lines[label] = rest
    return lines


def snapshot_lines(raw, word):
    return [line.split()[1:] for line in raw.splitlines() if line.startswith(word + " ")]


class Bench:
    def __init__(self, session, capture, out, checks):
        self.session = session
        self.capture = capture
        self.out = out
        self.checks = checks
        self.inputs = 0  # keys released, turns ended and wheel turns sent so far
        self.count = 0

    def xdotool(self, *words):
        subprocess.run(["xdotool", *words], env=self.session.env, check=True, timeout=30)

    def at(self, h, v):
        x, y = self.session.offset
        return str(x + h), str(y + v)

    def keys(self, *names):
        for name in names:
            self.xdotool("key", name)
            self.inputs += 1

    def peek(self):
        """The frame the projector draws next, from its log alone, let go at once: each peek is
        a frame drawn after every input sent so far was handled."""
        text = request_snapshot(self.session, self.capture, self.count + 1, self.inputs)
        self.count = int(text.stem.split("-")[1])
        frame = parse_frame(text)
        (self.capture / (text.stem + ".done")).touch()
        return frame

    def hold(self, name):
        """Holds a movement key until the log shows the camera HOLD_UNITS[name] from where it
        was (or the deadline passes, which the movement check then finds)."""
        start = self.peek()["position"]
        self.xdotool("keydown", name)
        wait_until(lambda: math.dist(self.peek()["position"], start) >= HOLD_UNITS[name],
                   DEADLINE)
        self.xdotool("keyup", name)
        self.inputs += 1

    def drag(self, start, end):
        """A right-button drag in four moves, each sent once the log shows the projector has
        seen the one before."""
        self.xdotool("mousemove", *self.at(*start), "mousedown", "3")
        for step in range(1, 5):
            h = start[0] + (end[0] - start[0]) * step // 4
            v = start[1] + (end[1] - start[1]) * step // 4
            self.xdotool("mousemove", *self.at(h, v))
            wait_until(lambda: numbers(self.peek()["mouse"])[:2] == [h, v], DEADLINE)
        self.xdotool("mouseup", "3")
        self.inputs += 1

    def watch(self, seconds):
        """The frames peeked, about five a second, over `seconds` of the projector's running:
        for a check that something does not happen while it could."""
        frames = [self.peek()]
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            time.sleep(0.2)
            frames.append(self.peek())
        return frames

    def wheel(self, button):
        self.xdotool("click", button)
        self.inputs += 1

    def snap(self, label):
        """The frame on screen once the projector has handled every input sent so far: its
        log (parsed and raw) and its screenshot."""
        text = request_snapshot(self.session, self.capture, self.count + 1, self.inputs)
        self.count = int(text.stem.split("-")[1])
        path = self.out / ("%s-%s.png" % (text.stem, label))
        shot = self.session.steady_screenshot(path, DEADLINE)
        (self.capture / (text.stem + ".done")).touch()
        return parse_frame(text), text.read_text(), shot


def close(a, b, tolerance):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b)) and len(a) == len(b)


def check_readout(checks, name, frame, raw):
    """The readout's numbers are the getters' answers, printed with three decimals, and the
    probe's round trip is the one the log records at full precision."""
    lines = readout(raw)
    getters = [("position", frame["position"]), ("rotation", frame["rotation"]),
               ("interest", numbers(re.search(r"^interest (.*)$", raw, re.M).group(1))),
               ("field of view", [frame["fieldOfView"]]),
               ("picture ratio", [frame["pictureRatio"]]),
               ("near plane", [frame["nearPlane"]]), ("far plane", [frame["farPlane"]])]
    for label, answer in getters:
        shown = numbers(lines.get(label, ""))
        checks.expect(close(shown, answer, 0.0006), "%s: readout %s %s is the getter's %s"
                      % (name, label, lines.get(label), answer))
    probe = frame["points"].get("probe")
    mouse = numbers(re.search(r"^mouse (.*)$", raw, re.M).group(1))
    checks.expect(numbers(lines.get("mouse", ""))[:3] == [mouse[0], mouse[1], mouse[2]],
                  "%s: readout probes the mouse at %s" % (name, lines.get("mouse")))
    if probe is None:
        checks.expect(False, "%s: the log has the probe's point" % name)
        return
    checks.expect(close(numbers(lines.get("getCoordinates", "")), probe["world"], 0.0006),
                  "%s: readout getCoordinates %s is %s" % (name, lines.get("getCoordinates"),
                                                            probe["world"]))
    checks.expect(close(numbers(lines.get("getProjection", "")), [probe["h"], probe["v"]],
                        0.0006) if probe["inView"] else
                  lines.get("getProjection") == "(-2000.000, -2000.000)",
                  "%s: readout getProjection %s is (%.4f, %.4f)"
                  % (name, lines.get("getProjection"), probe["h"], probe["v"]))
    checks.expect(close(numbers(lines.get("getDistance", "")), [probe["depth"]], 0.0006)
                  and numbers(lines.get("getBlendLevel", "")) == [probe["level"]],
                  "%s: readout getDistance %s, getBlendLevel %s are %.4f, %d"
                  % (name, lines.get("getDistance"), lines.get("getBlendLevel"),
                     probe["depth"], probe["level"]))


def ink_pixels(shot, left, top, width, height, colour):
    return sum(1 for y in range(top, top + height) for x in range(left, left + width)
               if close_to(shot.at(x, y), colour, 12))


def angle_step(a, b):
    return abs((b - a + 180.0) % 360.0 - 180.0)


def check_return(checks, raw, held):
    """The camera's path after the hand-back: it starts where the person left it, each frame
    moves it no more than a glide can, and it ends on the flight with the flight's lens."""
    handed = snapshot_lines(raw, "handed")
    trace = [[float(w) for w in words] for words in snapshot_lines(raw, "trace")]
    if not checks.expect(len(handed) == 1 and len(trace) >= 20,
                         "the log has the hand-back and %d frames after it" % len(trace)):
        return
    handed = [float(w) for w in handed[0]]
    checks.expect(close(handed[1:7], held["position"] + held["rotation"], 1e-5)
                  and close(handed[7:11], [held[k] for k in SHOW_LENS], 1e-5),
                  "handed back the camera as the workbench left it")
    checks.expect(abs(handed[0] - held["time"]) < 1e-5,
                  "the flight resumes at its time of the take-over, %.3f s" % held["time"])
    worst = (0.0, None)
    previous = handed
    for entry in trace:
        seconds = entry[0] - previous[0]
        moved = math.dist(entry[1:4], previous[1:4])
        turned = max(angle_step(a, b) for a, b in zip(entry[4:7], previous[4:7]))
        lens = max(abs(a - b) for a, b in zip(entry[7:9], previous[7:9]))
        excess = max(moved / (MOST_UNITS_A_SECOND * seconds + 0.02),
                     turned / (MOST_DEGREES_A_SECOND * seconds + 0.2),
                     lens / (10.0 * seconds + 0.05)) if seconds > 0 else float("inf")
        if excess > worst[0]:
            worst = (excess, "%.3f s: %.3f units, %.2f deg in %.3f s" % (
                entry[0], moved, turned, seconds))
        previous = entry
    checks.expect(worst[0] <= 1.0, "no jump after the hand-back (worst step %s)" % worst[1])
    gap = math.dist(handed[1:4], trace[-1][1:4])
    checks.expect(gap > 2.0, "the test moved the camera away from the flight (%.1f units), so a "
                  "jump would show" % gap)
    last = trace[-1]
    checks.expect(close(last[7:11], list(SHOW_LENS.values()), 1e-9) and
                  last[0] - handed[0] > 2.0,
                  "the flight is back on its own lens %s after %.2f s" % (last[7:11],
                                                                       last[0] - handed[0]))


def run(args, checks):
    out = args.out
    subprocess.run(["rm", "-rf", str(out)], check=True)
    capture = out / "capture"
    capture.mkdir(parents=True)
    started = time.monotonic()
    with Session(args) as session:
        session.env.update(ORVANTA_DEMO_CAPTURE=windows_path(capture))
        session.loader = subprocess.Popen(["wine", "loader.exe"], cwd=args.package,
                                          env=session.env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL, start_new_session=True)
        splash = capture / "splash.txt"
        if not wait_until(lambda: splash.exists() or session.loader.poll() is not None, 60) \
                or not splash.exists():
            raise Failed("no splash from the projector")
        (capture / "splash.done").touch()
        bench = Bench(session, capture, out, checks)
        bench.peek()  # waits for the projector's first frame after the splash
        session.screenshot(out / "show.png")  # also finds where the stage is on the screen
        centre = (STAGE[0] // 2, STAGE[1] // 2)
        bench.xdotool("mousemove", *bench.at(*centre))

        show, _, _ = bench.snap("show")
        checks.expect(show["workbench"] == "lap" and show["mode"] in ("tracking", "free-look"),
                      "the flight has the camera before any key (%s)" % show["mode"])

        bench.keys("Tab", "F2", "F1")
        taken, raw, shot = bench.snap("taken")
        checks.expect(taken["workbench"] == "holding" and taken["time"] >= show["time"],
                      "Tab took the camera at %.3f s of the flight" % taken["time"])
        check_readout(checks, "taken", taken, raw)
        checks.expect(ink_pixels(shot, 500, 8, 292, 120, INK) > 300,
                      "the readout is drawn in the top right corner")
        checks.expect(ink_pixels(shot, 10, 30, 262, 150, INK) > 300,
                      "the legend is drawn below the title")

        # Free look: 60 pixels right and 40 up turn right by 15 and up by 10 degrees.
        bench.drag(centre, (centre[0] + 60, centre[1] - 40))
        still = bench.watch(STILL_WATCH)
        turned, raw, _ = bench.snap("turned")
        pitch, yaw, roll = taken["rotation"]
        checks.expect(abs(turned["rotation"][0] - (pitch + 10.0)) < 1e-6
                      and angle_step(turned["rotation"][1], yaw - 15.0) < 1e-6
                      and abs(turned["rotation"][2] - roll) < 1e-6
                      and re.search(r"^tracking off$", raw, re.M) is not None
                      and turned["position"] == taken["position"],
                      "the right-button drag turned the camera to %s (from %s) and stopped the "
                      "tracking" % (turned["rotation"], taken["rotation"]))
        times = [frame["time"] for frame in still + [turned]]
        checks.expect(len(still) >= 3 and all(t == taken["time"] for t in times),
                      "the flight's time stands still while the person holds the camera: %d "
                      "frames watched for %.1f s after the drag, at %s s"
                      % (len(still), STILL_WATCH, sorted(set(times))))

        # Forward, right and up: the way moved is that combination of the camera's own axes.
        for key in ("w", "d", "r"):
            bench.hold(key)
        moved, raw, _ = bench.snap("moved")
        pitch, yaw = (math.radians(a) for a in turned["rotation"][:2])
        ahead = (-math.sin(yaw) * math.cos(pitch), math.sin(pitch), -math.cos(yaw) * math.cos(pitch))
        side = (math.cos(yaw), 0.0, -math.sin(yaw))
        d = [b - a for a, b in zip(turned["position"], moved["position"])]
        # d = f * ahead + s * side + u * up; solved for f, s, u by the side and ahead axes.
        s = d[0] * side[0] + d[2] * side[2]
        f = (d[0] - s * side[0]) / ahead[0] if abs(ahead[0]) > 0.3 else \
            (d[2] - s * side[2]) / ahead[2]
        u = d[1] - f * ahead[1]
        rest = [d[i] - f * ahead[i] - s * side[i] - (u if i == 1 else 0.0) for i in range(3)]
        checks.expect(f > 1.0 and s > 0.5 and u > 0.5 and max(map(abs, rest)) < 1e-6
                      and moved["rotation"] == turned["rotation"],
                      "W, D and R moved the camera %.2f forward, %.2f right, %.2f up" % (f, s, u))

        bench.keys("t")
        tracked, raw, _ = bench.snap("tracked")
        interest = tracked["points"]["interest"]
        name = re.search(r"^tracking (.*)$", raw, re.M).group(1)
        checks.expect(name in ("cube", "pyramid", "tower", "octahedron")
                      and abs(interest["h"] - 400) < 0.01 and abs(interest["v"] - 300) < 0.01,
                      "T tracks the %s, whose centre the camera now shows at (%.2f, %.2f)"
                      % (name, interest["h"], interest["v"]))

        # Every property once: roll, field of view by key and by the wheel, ratio, far plane.
        bench.keys("q", "2", "4", "7")
        bench.wheel("4")
        lens, raw, _ = bench.snap("lens")
        checks.expect(abs(lens["rotation"][2] - (tracked["rotation"][2] - 5.0)) < 1e-6
                      and abs(lens["fieldOfView"] - 53.0) < 1e-9
                      and abs(lens["pictureRatio"] - 1.1) < 1e-9
                      and lens["farPlane"] == 60.0 and lens["nearPlane"] == 0.5,
                      "Q, 2, wheel, 4 and 7 set roll %.3f, field of view %.3f, ratio %.3f, far "
                      "plane %.3f" % (lens["rotation"][2], lens["fieldOfView"],
                                      lens["pictureRatio"], lens["farPlane"]))
        checks.expect(re.search(r"^tracking %s$" % name, raw, re.M) is not None,
                      "setRoll keeps the camera tracking")

        # A refused value: a near plane of 0 is answered #errInvalidParameter and reset to 0.1.
        bench.keys("5")
        refused, raw, shot = bench.snap("refused")
        checks.expect(refused["nearPlane"] == 0.1 and readout(raw).get("last") ==
                      "setNearPlane(0) -> #errInvalidParameter",
                      "5 asked for a near plane of 0: %s, near plane now %s"
                      % (readout(raw).get("last"), refused["nearPlane"]))
        checks.expect(ink_pixels(shot, 500, 8, 292, 240, WARNING) > 30,
                      "the refusal is drawn in the warning colour")
        check_readout(checks, "refused", refused, raw)
        shown = check_frame(checks, "refused", shot, refused)
        checks.expect(shown >= 1, "%d beacons were checked on screen" % shown)
        rate = [line for line in raw.splitlines() if line.endswith("frames a second")]
        log("with the readout on: %s" % (rate[0][len("readout "):] if rate else "no rate"))

        bench.keys("Tab")
        wait_until(lambda: bench.peek()["time"] >= refused["time"] + AFTER_HAND_BACK, DEADLINE)
        back, raw, shot = bench.snap("back")
        checks.expect(back["workbench"] == "lap" and back["mode"] in ("tracking", "free-look")
                      and back["time"] > refused["time"] + 2.0,
                      "the flight has the camera again (%s at %.2f s)" % (back["mode"],
                                                                        back["time"]))
        check_return(checks, raw, refused)
        check_frame(checks, "back", shot, back)

        bench.keys("Escape")
        try:
            code = session.loader.wait(timeout=60)
        except subprocess.TimeoutExpired:
            code = None
        checks.expect(code == 0, "loader.exe exit code 0 after Escape (got %s)" % code)
        exit_text = capture / "exit.txt"
        exit_lines = exit_text.read_text().splitlines() if exit_text.exists() else []
        checks.expect(exit_lines[:1] == ["exit code 0"], "projector.exe returned 0")
        if exit_lines[1:]:
            log("projector: " + exit_lines[1])
    left = session.wine_processes()
    checks.expect(not left, "no process left in the test's Wine prefix: %s" % left)
    log("run took %.1f s; pictures and logs in %s" % (time.monotonic() - started, out))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--package", required=True, type=Path)
    parser.add_argument("--bin", type=Path, help="build folder to lay the package out from")
    parser.add_argument("--out", required=True, type=Path)
    parser.add_argument("--prefix", required=True, type=Path)
    args = parser.parse_args()
    args.prefix, args.out, args.package = (p.resolve() for p in (args.prefix, args.out,
                                                                 args.package))
    args.headless, args.probe = True, None
    if args.bin:
        subprocess.run([str(ROOT / "scripts" / "demo" / "package.sh"), str(args.bin),
                        str(args.package)], check=True)
    checks = Checks(True)
    try:
        run(args, checks)
    except Failed as failure:
        print("FAIL  " + str(failure), flush=True)
        return 1
    print("workbench_headless: %s" % ("passed" if checks.failures == 0 else
                                      "FAILED (%d checks)" % checks.failures))
    return 0 if checks.failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())

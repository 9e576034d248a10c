"""What every end-to-end run under Wine needs: a prepared prefix whose desktop is a virtual
desktop, a private X server, and a teardown that ends only what the run started.

Used by tests/loader/e2e_loader.py and scripts/demo/run_demo.py.
"""

import fcntl
import os
import re
import shutil
import signal
import subprocess
import time

WINE_ENV = {"WINEARCH": "win32", "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}


def wait_until(predicate, timeout, interval=0.1):
    """The predicate's first true value, or its last value once the time is up."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(interval)


def prepare_prefix(prefix, desktop, marker, log=print):
    """Makes `prefix` a Wine prefix whose desktop is a virtual desktop of `desktop` pixels, once:
    `marker` is the file that says it is ready. Runs under a lock beside the prefix, so parallel
    runs wait for the first. Returns True when it had to make the prefix."""
    prefix.parent.mkdir(parents=True, exist_ok=True)
    with open(str(prefix) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if (prefix / marker).exists():
            return False
        shutil.rmtree(prefix, ignore_errors=True)
        log("preparing the Wine prefix %s (once)" % prefix)
        env = dict(os.environ, WINEPREFIX=str(prefix), **WINE_ENV)
        env.pop("DISPLAY", None)
        subprocess.run(["wineboot", "--init"], env=env, check=True, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # In the registry rather than with "explorer /desktop=", so that "wine program.exe"
        # returns the program's own exit code.
        for key, name, value in ((r"HKCU\Software\Wine\Explorer", "Desktop", "Default"),
                                 (r"HKCU\Software\Wine\Explorer\Desktops", "Default",
                                  "%dx%d" % desktop)):
            subprocess.run(["wine", "reg", "add", key, "/v", name, "/d", value, "/f"], env=env,
                           check=True, timeout=120, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        # The server writes the registry to disk when it ends.
        subprocess.run(["wineserver", "--wait"], env=env, check=True, timeout=120)
        (prefix / marker).touch()
        return True


def read_ppm(data):
    """(width, height, RGB bytes) of a binary 8-bit PPM, as ImageMagick writes it."""
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not match or match.group(3) != b"255":
        raise ValueError("unexpected picture format")
    width, height = int(match.group(1)), int(match.group(2))
    return width, height, data[match.end():match.end() + width * height * 3]


class Xvfb:
    """A private X server on a display number of its own choosing."""

    def __init__(self, screen):
        # Wine lists display modes only up to the X screen's size: make it the desktop's size.
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % screen,
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def end_session(children, env, xvfb):
    """Ends the run's own processes (each started in a session of its own, so by its process
    group), then the Wine server of the run's prefix, then its X server."""
    for child in children:
        if child is not None and child.poll() is None:
            try:
                os.killpg(child.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            child.wait()
    if env is not None:
        subprocess.run(["wineserver", "-k"], env=env, timeout=60, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, timeout=60, stderr=subprocess.DEVNULL)
    if xvfb is not None:
        xvfb.stop()

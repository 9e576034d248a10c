#!/usr/bin/env python3
"""Runs the loader's end-to-end scenarios against deliberately broken loaders and shows that each
one fails the checks aimed at its fault, and that the real loader passes those same checks.

  prove_checks.py --bin BUILD/bin --build-root DIR --splash splash.bmp

BUILD/bin holds loader.exe, the broken loaders (tests/loader/broken/) and the end-to-end helpers.
Prints each run's failing checks and a summary; exits 0 when every broken loader was caught by
every check aimed at it and the real loader passed them all.
"""

import argparse
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent

# Which scenario each loader runs, and the checks (by the start of their description) that
# must fail for it. The real loader must pass every one of them.
PROOFS = [
    ("loader_never_restores", "normal",
     ["desktop back at", "restore of the stored mode asked 1 time(s)"]),
    ("loader_switches_32", "normal", ["switch asked for 800x600 at 16 bits"]),
    ("loader_splash_at_end", "normal",
     ["end screen black: the window", "end screen black on the display"]),
    ("loader_any_key_closes", "normal", ["presentation program started after the other keys"]),
    ("loader_ignores_activation", "inactive",
     ["nothing started while the loader was not the active application"]),
    ("loader_without_mark", "second-loader",
     ["second loader made no display-settings call", "one presentation program ran"]),
    ("loader_quit_keeps_display", "foreign-quit",
     ["desktop back at", "restore of the stored mode asked 1 time(s)"]),
    ("loader_ghosted", "normal", ["ghosting turned off before the first display-settings call"]),
    ("loader_starts_twice", "lost-close",
     ["presentation program started once although the close was lost"]),
    ("loader_escape_restores_once", "escape", ["restore of the stored mode asked 2 time(s)"]),
    ("loader_inherits_nothing", "normal",
     ["presentation program started inheriting the loader's handles"]),
    ("loader_idle_priority", "normal", ["presentation program started at normal priority"]),
    ("loader_zeroed_startup", "normal",
     ["presentation program given a start-up record all zero but its size"]),
    ("loader_bare_popup_style", "normal", ["splash window style 96080000"]),
    ("loader_no_wait_cursor", "normal", ["wait cursor set after every paint"]),
    ("loader_missing_program_not_black", "no-data",
     ["end screen black: the window", "end screen black on the display"]),
    ("loader_drain_ignores_quit", "quit-in-switch",
     ["exit code 7", "presentation program never started"]),
    ("loader_exit_code_low_byte", "small-desktop", ["exit code -1"]),
    ("loader_deaf_while_waiting", "sent-in-waits",
     ["message sent while the presentation program loads answered",
      "message sent while the loader is hidden answered"]),
    ("loader_dispatches_while_waiting", "sent-in-waits", ["display still switched"]),
    ("loader_closes_under_presentation", "sent-in-waits", ["display still switched"]),
    ("loader_stays_hidden", "hidden-start",
     ["splash shown after a start asked to be hidden",
      "presentation program started from a hidden start"]),
]


def run(args, loader, scenario):
    bin_dir = Path(args.bin)
    command = [sys.executable, str(HERE / "e2e_loader.py"), "--scenario", scenario,
               "--build-root", args.build_root, "--loader", str(bin_dir / (loader + ".exe")),
               "--projector", str(bin_dir / "loader_fake_projector.exe"),
               "--probe", str(bin_dir / "loader_desktop_probe.exe"),
               "--launcher", str(bin_dir / "loader_launcher.exe"), "--splash", args.splash]
    started = time.monotonic()
    result = subprocess.run(command, capture_output=True, text=True, timeout=600)
    lines = result.stdout.splitlines()
    return (result.returncode, [line[6:] for line in lines if line.startswith("FAIL  ")],
            [line[6:] for line in lines if line.startswith("ok    ")], time.monotonic() - started)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True)
    parser.add_argument("--build-root", required=True)
    parser.add_argument("--splash", required=True)
    args = parser.parse_args()

    proven = True
    for scenario in sorted({scenario for _, scenario, _ in PROOFS}):
        code, failed, passed, took = run(args, "loader", scenario)
        print("loader (the real one), scenario %s, %.1f s: exit %d" % (scenario, took, code))
        proven &= code == 0
        for check in sorted({check for _, used, checks in PROOFS if used == scenario
                             for check in checks}):
            ok = any(line.startswith(check) for line in passed)
            proven &= ok
            print("  %s  %s" % ("passes" if ok else "NOT PASSED", check))

    for loader, scenario, checks in PROOFS:
        code, failed, passed, took = run(args, loader, scenario)
        print("%s, scenario %s, %.1f s: exit %d; failing checks:" % (loader, scenario, took, code))
        for line in failed:
            print("    FAIL  " + line)
        for check in checks:
            caught = any(line.startswith(check) for line in failed)
            proven &= caught and code != 0
            print("  %s  %s" % ("caught by" if caught else "NOT CAUGHT by", check))
    print("loader proofs: %s" % ("every broken loader caught" if proven else "FAILED"))
    return 0 if proven else 1


if __name__ == "__main__":
    sys.exit(main())

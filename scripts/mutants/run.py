#!/usr/bin/env python3
"""Mutation runner: applies each single-point mutant of a list alone to a scratch copy of the
tree, rebuilds the one test program that can catch it, runs it, and reports the survivors and
the kill ratio. A test run that passes its time limit is neither a kill nor a survivor: it is
reported apart, since a loaded machine can slow any run past the limit.

The list (mutants.txt beside this script) holds blocks of this form:

    [name]
    file: xtra/camera/projection.h
    type: swapped-sign
    - original text, exactly as it stands in the file (must occur once)
    + its replacement
    equivalent: why no test can tell it apart (optional; such mutants leave the ratio)

Several "- " or "+ " lines make a text of several lines; no "+ " line at all replaces the
original with nothing; a line of just "-" or "+" is an empty line. Lines starting with "#" are
comments. The path and the original text are all that locate a mutant, so moving a file needs
only its "file:" lines changed.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
DEFAULT_LIST = Path(__file__).resolve().parent / "mutants.txt"

# Which test program can catch a mutant, by the file it changes (the first prefix that matches),
# and the build tree it runs in. The plug-in's Windows-only files are compiled only into the
# MinGW build, so their mutants run the plug-in's tests under Wine; every other file runs natively.
@dataclass(frozen=True)
class Suite:
    target: str
    tree: str  # "native" or "win32"


SUITES = [
    ("loader/", Suite("loader_mode_table_native_tests", "native")),
    ("xtra/boundary/dll_main.cpp", Suite("script_tests", "win32")),
    ("xtra/boundary/stage_window_win32.cpp", Suite("script_tests", "win32")),
    ("xtra/", Suite("script_tests", "native")),
]


@dataclass
class Mutant:
    name: str
    line: int  # where the block starts in the list
    file: str = ""
    kind: str = ""
    original: list = field(default_factory=list)
    replacement: list = field(default_factory=list)
    equivalent: str = ""

    @property
    def original_text(self):
        return "\n".join(self.original)

    @property
    def replacement_text(self):
        return "\n".join(self.replacement)


def parse_list(path):
    mutants = []
    current = None
    for number, raw in enumerate(path.read_text().splitlines(), start=1):
        if raw.startswith("#") or (not raw.strip() and current is None):
            continue
        header = re.fullmatch(r"\[([A-Za-z0-9_.-]+)\]\s*", raw)
        if header:
            current = Mutant(header.group(1), number)
            mutants.append(current)
            continue
        if current is None:
            raise SystemExit(f"{path}:{number}: text outside a [name] block")
        if not raw.strip():
            continue
        if raw.startswith("file:"):
            current.file = raw[5:].strip()
        elif raw.startswith("type:"):
            current.kind = raw[5:].strip()
        elif raw.startswith("equivalent:"):
            current.equivalent = raw[11:].strip()
        elif raw == "-" or raw.startswith("- "):
            current.original.append(raw[2:])
        elif raw == "+" or raw.startswith("+ "):
            current.replacement.append(raw[2:])
        else:
            raise SystemExit(f"{path}:{number}: cannot read {raw!r}")
    names = set()
    for mutant in mutants:
        where = f"{path}:{mutant.line} [{mutant.name}]"
        if mutant.name in names:
            raise SystemExit(f"{where}: the name is used twice")
        names.add(mutant.name)
        if not mutant.file or not mutant.original or not mutant.kind:
            raise SystemExit(f"{where}: needs file:, type: and at least one '- ' line")
        if mutant.original_text == mutant.replacement_text:
            raise SystemExit(f"{where}: the replacement equals the original")
    return mutants


def suite_of(mutant):
    for prefix, suite in SUITES:
        if mutant.file.startswith(prefix):
            return suite
    raise SystemExit(f"[{mutant.name}]: no test program covers {mutant.file}")


def run(command, log, timeout=None, cwd=None):
    """Runs a command with its output into `log`; returns (exit code or None on timeout)."""
    with open(log, "ab") as out:
        out.write(("\n$ " + " ".join(map(str, command)) + "\n").encode())
        out.flush()
        try:
            return subprocess.run(command, stdout=out, stderr=subprocess.STDOUT, cwd=cwd,
                                   timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return None


def sync_tree(source):
    """Copies the working tree (tracked and untracked files that git does not ignore, so
    uncommitted changes are included) into `source`. Files that are already equal are left
    alone, so the scratch build stays incremental from one run to the next."""
    listing = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                             cwd=ROOT, check=True, capture_output=True).stdout
    wanted = {name for name in listing.decode().split("\0") if name}
    for name in sorted(wanted):
        origin, copy = ROOT / name, source / name
        if not origin.is_file():
            continue  # deleted in the working tree but still in the index
        data = origin.read_bytes()
        if copy.is_file() and copy.read_bytes() == data:
            continue
        copy.parent.mkdir(parents=True, exist_ok=True)
        copy.write_bytes(data)
        shutil.copymode(origin, copy)
    for path in sorted(source.rglob("*"), reverse=True):
        relative = path.relative_to(source).as_posix()
        if path.is_file() and relative not in wanted:
            path.unlink()


def prepare_scratch(scratch, trees, log):
    """A copy of the working tree and, for each tree asked for, its own build tree: natively
    without sanitizers, or with MinGW. Answers the source and a build folder per tree."""
    source = scratch / "src"
    source.mkdir(parents=True, exist_ok=True)
    sync_tree(source)
    builds = {}
    for tree in trees:
        build = scratch / ("build" if tree == "native" else "build-win32")
        options = (["-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DORVANTA_SANITIZE=OFF"]
                   if tree == "native" else
                   ["-DCMAKE_BUILD_TYPE=Release",
                    f"-DCMAKE_TOOLCHAIN_FILE={source / 'cmake' / 'mingw32.cmake'}"])
        if shutil.which("ccache"):
            # A mutant of a header rebuilds every file that includes it, and putting the header
            # back rebuilds them again: from the cache, the second time.
            options += ["-DCMAKE_C_COMPILER_LAUNCHER=ccache", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"]
            os.environ["CCACHE_DIR"] = str(scratch / "ccache")
        if run(["cmake", "-S", str(source), "-B", str(build)] + options, log) != 0:
            raise SystemExit(f"configuring the scratch {tree} build failed; see {log}")
        builds[tree] = build
    return source, builds


def build_target(build, target, jobs, log):
    return run(["cmake", "--build", str(build), "--target", target, "-j", str(jobs)], log) == 0


def run_tests(source, build, suite, timeout, log):
    """'passed', 'failed' or 'timeout'. A Windows test program runs under Wine in a prefix of
    the scratch tree's own, made on its first run."""
    command = [str(build / "bin" / suite.target), "--gtest_fail_fast", "--gtest_brief=1"]
    if suite.tree == "win32":
        command[0] += ".exe"
        command.insert(0, str(source / "scripts" / "wine-run.sh"))
        os.environ["WINEPREFIX"] = str(build.parent / "wineprefix")
    code = run(command, log, timeout=timeout, cwd=build / "bin")
    if code is None:
        return "timeout"
    return "passed" if code == 0 else "failed"


def print_per_file(mutants):
    """How many mutants each file has (equivalent ones in brackets), and the plug-in's files
    that have none."""
    files = sorted({m.file for m in mutants})
    for name in files:
        ours = [m for m in mutants if m.file == name]
        equivalent = sum(1 for m in ours if m.equivalent)
        print(f"{len(ours):4} {name}" + (f" ({equivalent} equivalent)" if equivalent else ""))
    listing = subprocess.run(["git", "ls-files", "xtra"], cwd=ROOT, check=True,
                             capture_output=True, text=True).stdout.split()
    for name in listing:
        if name.endswith((".cpp", ".h")) and name not in files:
            print(f"   0 {name}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--list", type=Path, default=DEFAULT_LIST, help="the mutant list")
    parser.add_argument("--scratch", type=Path, default=ROOT / "build" / "mutants",
                        help="scratch copy and build tree (default build/mutants)")
    parser.add_argument("--only", default="", help="regular expression on mutant names")
    parser.add_argument("--timeout", type=float, default=60.0, help="seconds per test run")
    parser.add_argument("--jobs", type=int, default=int(os.environ.get("JOBS", "2")))
    parser.add_argument("--min-ratio", type=float, default=98.0,
                        help="kill ratio in percent below which the run fails")
    parser.add_argument("--run-equivalent", action="store_true",
                        help="also run the mutants marked equivalent (they should survive)")
    parser.add_argument("--check", action="store_true",
                        help="only check that every original text occurs once; build nothing")
    args = parser.parse_args()

    mutants = parse_list(args.list)
    if args.only:
        mutants = [m for m in mutants if re.search(args.only, m.name)]
    if args.check:
        stale = 0
        for mutant in mutants:
            path = ROOT / mutant.file
            found = path.read_text().count(mutant.original_text) if path.is_file() else 0
            if found != 1:
                stale += 1
                print(f"STALE {mutant.name}: the original text occurs {found} times in "
                      f"{mutant.file}")
        print_per_file(mutants)
        print(f"{len(mutants)} mutants, {stale} stale")
        return 1 if stale else 0
    started = time.monotonic()
    scratch = args.scratch.resolve()
    scratch.mkdir(parents=True, exist_ok=True)
    log = scratch / "run.log"
    log.write_text("")
    print(f"{len(mutants)} mutants from {args.list.relative_to(ROOT) if args.list.is_relative_to(ROOT) else args.list}; log in {log}", flush=True)

    suites = sorted({suite_of(m) for m in mutants}, key=lambda s: (s.tree, s.target))
    source, builds = prepare_scratch(scratch, sorted({s.tree for s in suites}), log)
    for suite in suites:
        build = builds[suite.tree]
        if not build_target(build, suite.target, args.jobs, log):
            raise SystemExit(f"the unmutated {suite.target} ({suite.tree}) does not build; see {log}")
        # The first Windows run also makes the Wine prefix.
        if run_tests(source, build, suite, args.timeout * 3, log) != "passed":
            raise SystemExit(f"the unmutated {suite.target} ({suite.tree}) fails its tests; "
                             f"see {log}")
    print(f"baseline built and passing ({', '.join(f'{s.target} {s.tree}' for s in suites)}) in "
          f"{time.monotonic() - started:.0f} s", flush=True)

    results = {}  # name -> outcome
    for index, mutant in enumerate(mutants, start=1):
        path = source / mutant.file
        tag = f"[{index:3}/{len(mutants)}] {mutant.name}"
        if not path.is_file():
            results[mutant.name] = "stale"
            print(f"{tag}: STALE, {mutant.file} does not exist", flush=True)
            continue
        text = path.read_text()
        found = text.count(mutant.original_text)
        if found != 1:
            results[mutant.name] = "stale"
            print(f"{tag}: STALE, the original text occurs {found} times in {mutant.file}",
                  flush=True)
            continue
        if mutant.equivalent and not args.run_equivalent:
            results[mutant.name] = "equivalent"
            print(f"{tag}: equivalent ({mutant.equivalent})", flush=True)
            continue
        suite = suite_of(mutant)
        build = builds[suite.tree]
        began = time.monotonic()
        try:
            path.write_text(text.replace(mutant.original_text, mutant.replacement_text))
            with open(log, "a") as out:
                out.write(f"\n=== {mutant.name}: {mutant.file}\n")
            if not build_target(build, suite.target, args.jobs, log):
                outcome = "build-error"
            else:
                tests = run_tests(source, build, suite, args.timeout, log)
                outcome = {"passed": "survived", "failed": "killed", "timeout": "timed-out"}[tests]
                if tests == "timeout":
                    print(f"{tag}: the tests ran past {args.timeout:.0f} s", flush=True)
        finally:
            path.write_text(text)
        if mutant.equivalent:
            outcome = "equivalent" if outcome == "survived" else f"equivalent-but-{outcome}"
        results[mutant.name] = outcome
        print(f"{tag}: {outcome} in {time.monotonic() - began:.1f} s", flush=True)

    # Leave the scratch tree's binaries matching the unmutated sources.
    for suite in suites:
        build_target(builds[suite.tree], suite.target, args.jobs, log)

    by_name = {m.name: m for m in mutants}
    def named(outcome):
        return [n for n, o in results.items() if o == outcome]
    killed, survived = named("killed"), named("survived")
    stale, broken = named("stale"), named("build-error")
    timed_out = named("timed-out")
    equivalent = [n for n, o in results.items() if o.startswith("equivalent")]
    print()
    for name in survived:
        m = by_name[name]
        print(f"SURVIVED {name} ({m.kind}) in {m.file}:\n    - {m.original_text!r}\n    + "
              f"{m.replacement_text!r}")
    for name in timed_out:
        print(f"TIMED OUT {name} in {by_name[name].file}: the tests ran past {args.timeout:.0f} s; "
              f"not counted, run it again with --only")
    for name in stale:
        print(f"STALE {name}: {by_name[name].file} no longer holds its original text once")
    for name in broken:
        print(f"BUILD ERROR {name}: the mutant does not compile; fix it in the list")
    for name in equivalent:
        note = "" if results[name] == "equivalent" else f" [{results[name]}]"
        print(f"equivalent {name}{note}: {by_name[name].equivalent}")
    counted = len(killed) + len(survived)
    ratio = 100.0 * len(killed) / counted if counted else 0.0
    minutes = (time.monotonic() - started) / 60.0
    print(f"\nkilled {len(killed)} of {counted} non-equivalent mutants: {ratio:.1f}% "
          f"(survived {len(survived)}, equivalent {len(equivalent)}, stale {len(stale)}, "
          f"build errors {len(broken)}); timed out, not counted: {len(timed_out)}; "
          f"{minutes:.1f} min")
    ok = counted > 0 and ratio >= args.min_ratio and not stale and not broken
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())

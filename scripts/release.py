#!/usr/bin/env python3
"""The release as a publisher ships it, made from dist/ and checked by reading it back.

  release.py iso DIST VERSION_FILE OUT     the disc, OUT/orvanta-VERSION.iso: an ISO 9660
                                           image with Joliet names
  release.py zip DIST VERSION_FILE OUT     the download, OUT/orvanta-VERSION.zip: DIST in one
                                           folder, orvanta-VERSION
  release.py reproducible-check            two clean clones of HEAD, built and compared

VERSION_FILE holds the version that the build stamped into the binaries.

The disc holds DIST as it ships and an autorun.inf that opens loader.exe with its icon and
labels the disc. Windows reads a disc's Joliet names, so the image is read back through its
Joliet tree with the tool that wrote it (xorriso): every file must equal its DIST file byte for
byte and autorun.inf must be as written; the same read-back is then fed an image with one byte
of README.txt changed and an image without Joliet names, and must refuse both. The zip is read
back the same way.

Dates in the image and the zip are the commit's time (SOURCE_DATE_EPOCH when set), so the same
commit gives the same image and archive.

reproducible-check clones the committed HEAD twice, into folders of different names and
depths, builds the package, the image and the archive in each (the first with the caller's
environment, ccache included when it is set up; the second with ccache off) and requires
dist/SHA256SUMS, the image and the archive to be identical, and no path of either clone in a
shipped binary.
"""

import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PRODUCT = "Orvanta"
SHIPPED_BINARIES = ["loader.exe", "data/projector.exe", "data/Xtras/SCRIPT.x32"]


def version_of(version_file):
    return Path(version_file).read_text().strip()


def source_date_epoch():
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    return int(subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%ct"],
                              check=True, capture_output=True, text=True).stdout)


def files_of(folder):
    """{relative path with forward slashes: bytes} of every file below folder."""
    folder = Path(folder)
    return {path.relative_to(folder).as_posix(): path.read_bytes()
            for path in sorted(folder.rglob("*")) if path.is_file()}


def disc_label(version):
    # ISO 9660 volume identifiers take capitals, digits and underscores.
    return ("%s_%s" % (PRODUCT, version)).upper().replace(".", "_")


def autorun(version):
    # Windows line ends; the icon is the program file's own icon group.
    lines = ["[autorun]", "open=loader.exe", "icon=loader.exe,0",
             "label=%s %s" % (PRODUCT, version)]
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def write_iso(tree, image, label, joliet=True):
    """tree's files, their dates set to the commit's, written as image."""
    epoch = source_date_epoch()
    for path in [tree] + sorted(tree.rglob("*")):
        os.utime(path, (epoch, epoch))
    image.unlink(missing_ok=True)
    # xorriso always adds Rock Ridge names for Unix; -r gives them owner 0 and plain modes, so
    # the builder's user and umask do not show.
    command = ["xorriso", "-as", "mkisofs", "-quiet", "-r", "-V", label, "-o", str(image)]
    result = subprocess.run(command + (["-J"] if joliet else []) + [str(tree)],
                            env=dict(os.environ, SOURCE_DATE_EPOCH=str(epoch)),
                            capture_output=True, text=True)
    if result.returncode:
        sys.exit("xorriso could not write %s:\n%s" % (image, result.stderr))


def read_iso(image):
    """(volume label, {path: bytes}) as Windows sees the image: its Joliet tree, else its
    plain ISO 9660 names; never the Rock Ridge names."""
    with tempfile.TemporaryDirectory() as folder:
        out = Path(folder) / "disc"
        result = subprocess.run(["xorriso", "-read_fs", "norock", "-indev", str(image),
                                 "-pvd_info", "-osirrox", "on", "-extract", "/", str(out)],
                                capture_output=True, text=True)
        if result.returncode:
            return "unreadable: %s" % " ".join(result.stderr.split()[-12:]), {}
        labels = [line.split(":", 1)[1].strip() for line in result.stdout.splitlines()
                  if line.startswith("Volume Id")]
        return (labels[0] if labels else None), files_of(out)


def differences(found, expected):
    """What a read-back tree lacks, adds or holds differently; [] when it is the same."""
    return (["missing: %s" % name for name in sorted(expected.keys() - found.keys())] +
            ["not in dist/: %s" % name for name in sorted(found.keys() - expected.keys())] +
            ["differs: %s" % name for name in sorted(expected.keys() & found.keys())
             if found[name] != expected[name]])


def release_name(version_file, out, suffix):
    Path(out).mkdir(parents=True, exist_ok=True)
    name = "%s-%s%s" % (PRODUCT.lower(), version_of(version_file), suffix)
    return (Path(out) / name).resolve()


def verdict(made, problems, passed):
    """Reports a read-back; a file that fails it is removed, so that it cannot be shipped."""
    for problem in problems:
        print("FAIL  %s: %s" % (made.name, problem))
    if problems:
        made.unlink()
        return 1
    print("ok    %s, read back: %s" % (made.name, passed))
    return 0


def make_iso(dist, version_file, out):
    version = version_of(version_file)
    label = disc_label(version)
    expected = dict(files_of(dist), **{"autorun.inf": autorun(version)})
    image = release_name(version_file, out, ".iso")
    with tempfile.TemporaryDirectory(dir=image.parent) as folder:
        tree = Path(folder) / "disc"
        shutil.copytree(dist, tree)
        (tree / "autorun.inf").write_bytes(autorun(version))
        write_iso(tree, image, label)

        def judged(candidate):
            found_label, found = read_iso(candidate)
            return differences(found, expected) + (
                [] if found_label == label else ["label %s, not %s" % (found_label, label)])

        if verdict(image, judged(image), "label %s, %d files under their Joliet names equal to "
                   "dist/ and autorun.inf" % (label, len(expected))):
            return 1
        # The read-back must refuse an image that differs from dist/.
        data = image.read_bytes()
        readme = files_of(dist)["README.txt"]
        at = data.find(readme) + len(readme) // 2
        tampered = Path(folder) / "tampered.iso"
        tampered.write_bytes(data[:at] + bytes([data[at] ^ 1]) + data[at + 1:])
        write_iso(tree, Path(folder) / "no-joliet.iso", label, joliet=False)
        write_iso(tree, Path(folder) / "other-label.iso", "OTHER")
        wrong = 0
        for name, must_find in (("tampered.iso", "differs: README.txt"),
                                ("no-joliet.iso", "missing: loader.exe"),
                                ("other-label.iso", "label OTHER, not " + label)):
            found = judged(Path(folder) / name)
            wrong += must_find not in found
            print("%s the read-back refuses %s: %s" % (
                "FAIL " if must_find not in found else "ok   ", name,
                "; ".join(found) or "nothing found"))
        return 1 if wrong else 0


def make_zip(dist, version_file, out):
    """The package in one folder, orvanta-VERSION/, dated like the image."""
    archive = release_name(version_file, out, ".zip")
    folder = archive.stem + "/"
    # A zip entry's date begins at 1980.
    date = time.gmtime(max(source_date_epoch(), 315532800))[:6]
    expected = {folder + name: data for name, data in files_of(dist).items()}
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as out:
        for name, data in expected.items():
            entry = zipfile.ZipInfo(name, date)
            entry.external_attr = 0o644 << 16
            out.writestr(entry, data, zipfile.ZIP_DEFLATED, 9)
    with zipfile.ZipFile(archive) as back:
        found = {name: back.read(name) for name in back.namelist()}
    return verdict(archive, differences(found, expected),
                   "%d files in %s equal to dist/" % (len(expected), folder))


def reproducible_check():
    if subprocess.run(["git", "-C", str(ROOT), "status", "--porcelain", "--untracked-files=no"],
                      capture_output=True, text=True, check=True).stdout:
        print("reproducible-check: uncommitted changes are not checked; the clones have HEAD")
    commit = subprocess.run(["git", "-C", str(ROOT), "rev-parse", "HEAD"], check=True,
                            capture_output=True, text=True).stdout.strip()
    base = ROOT / "build" / "reproducible"
    shutil.rmtree(base, ignore_errors=True)
    clones = [base / "first", base / "second-clone" / "of" / "the" / "same" / "commit"]
    without_ccache = {key: value for key, value in os.environ.items()
                      if not key.endswith("_COMPILER_LAUNCHER")}
    without_ccache["CCACHE_DISABLE"] = "1"
    environments = [dict(os.environ), without_ccache]
    for clone, environment in zip(clones, environments):
        subprocess.run(["git", "clone", "--quiet", "--no-checkout", str(ROOT), str(clone)],
                       check=True)
        subprocess.run(["git", "-C", str(clone), "checkout", "--quiet", "--detach", commit],
                       check=True)
        ccache = "with ccache" if "CCACHE_DISABLE" not in environment and any(
            key.endswith("_COMPILER_LAUNCHER") for key in environment) else "without ccache"
        print("building %s in %s, %s" % (commit[:12], clone, ccache), flush=True)
        subprocess.run(["make", "-C", str(clone), "iso", "zip"], check=True, env=environment,
                       stdout=subprocess.DEVNULL)
    results, wrong_sums = [], []
    for clone in clones:
        sums = (clone / "dist" / "SHA256SUMS").read_text()
        listed = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data
                         in sorted(files_of(clone / "dist").items()) if name != "SHA256SUMS")
        wrong_sums += [] if sums == listed else [str(clone)]
        release = sorted((clone / "out" / "release").iterdir())
        hashes = {path.name: hashlib.sha256(path.read_bytes()).hexdigest() for path in release}
        results.append((sums, hashes))
        print("%s:\n%s%s" % (clone, sums, "".join("%s  %s\n" % (digest, name)
                                                   for name, digest in hashes.items())))
    paths = [os.fsencode(str(clone)) for clone in clones]
    leaks = ["%s in %s/dist/%s" % (path.decode(), clone.name, name) for clone in clones
             for name in SHIPPED_BINARIES for path in paths
             for encoded in (path, path.decode().encode("utf-16-le"))
             if encoded in (clone / "dist" / name).read_bytes()]
    same = results[0] == results[1] and len(results[0][1]) == 2
    print("%s dist/SHA256SUMS lists each clone's files as they are: %s" % (
        "FAIL " if wrong_sums else "ok   ", ", ".join(wrong_sums) or "both"))
    print("%s dist/SHA256SUMS, the image and the archive of the two clones are identical" %
          ("ok   " if same else "FAIL "))
    print("%s no clone's path in a shipped binary: %s" % ("ok   " if not leaks else "FAIL ",
                                                         ", ".join(leaks) or "none"))
    return 0 if same and not leaks and not wrong_sums else 1


def main():
    if sys.argv[1:] == ["reproducible-check"]:
        return reproducible_check()
    verbs = {"iso": make_iso, "zip": make_zip}
    if len(sys.argv) != 5 or sys.argv[1] not in verbs:
        sys.exit(__doc__.split("\n\n")[1])
    return verbs[sys.argv[1]](*sys.argv[2:])


if __name__ == "__main__":
    sys.exit(main())

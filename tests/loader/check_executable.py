#!/usr/bin/env python3
"""Static checks of loader.exe: the checks of every shipped program (tests/check_binary.py: a
32-bit Windows GUI program, importing system DLLs only, stripped, with ASLR and DEP), then every
resource of its tree, in every language: the splash bitmap, the icon group and the manifest.

  check_executable.py loader.exe splash.bmp

splash.bmp is the picture drawn by the build; the bitmap resource must hold exactly its pixels.
Each resource is carried in one language only, so that every user sees the same one. The
program carries one manifest, RT_MANIFEST 1, the number under which Windows reads a program's
manifest; any other manifest found, under any number or language, is reported and checked too.

The manifest runs the program as invoker, names no Windows from 8 on in its compatibility
section (those stop listing 16-bit display modes for a program that names them), and makes the
program DPI-aware on every Windows from Vista on, so that the screen size it reads and the
800x600 window it sets are physical pixels under display scaling. Windows reads two elements
of windowsSettings (asm.v3 application/windowsSettings):

dpiAware (SMI/2005 namespace), from Vista on, and the only one read up to Windows 10 1511; the
value is trimmed and compared without case:

  value               Vista, 7, 8     8.1, 10       accepted
  true/pm             system aware    per monitor   yes
  true                system aware    system aware  no: not per monitor where Windows offers it
  per monitor         unaware         per monitor   no: unaware on Vista to 8
  false, other, none  unaware         unaware       no

Accounts differ on how Windows 7 and 8 read other values (any element at all, any value
beginning with "t"); only "true/pm" is aware on every version and per monitor from 8.1 on.

dpiAwareness (SMI/2016 namespace), from Windows 10 1607 on, where it replaces dpiAware: a
comma-separated list of which the first value the system knows is used (unaware, system,
permonitor; permonitorv2 from 1703). Accepted: a list beginning "PerMonitorV2, PerMonitor",
which is per monitor on 1607 and per monitor v2 from 1703. Per monitor matters because the
switch to 800x600 changes the scale factor while the loader runs. A dpiAwareness without a
dpiAware leaves Vista to Windows 10 1511 unaware: the dpiAware check refuses it.

Prints one line per check and exits 1 when any failed.
"""

import struct
import sys
import xml.etree.ElementTree as ElementTree
from collections import Counter
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from check_binary import PortableExecutable, check, check_program, summary  # noqa: E402

RT_ICON, RT_BITMAP, RT_GROUP_ICON, RT_MANIFEST = 3, 2, 14, 24
# The number under which Windows reads a program's manifest, CREATEPROCESS_MANIFEST_RESOURCE_ID.
PROGRAM_MANIFEST_ID = 1
ICON_FORMATS = [(32, 24), (32, 8), (32, 4), (32, 1), (16, 24), (16, 8), (16, 4), (16, 1)]
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
WINDOWS_SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
WINDOWS_SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
# The values that make the program DPI-aware from Vista on and per monitor wherever Windows
# offers it (the tables of the docstring).
DPI_AWARE_ACCEPTED = "true/pm"
DPI_AWARENESS_ACCEPTED = ["permonitorv2", "permonitor"]
# The operating systems a compatibility section may name. Windows 8 and every later one stop
# listing 16-bit display modes for a program that names them; an identifier not listed here is
# taken for a later Windows.
SUPPORTED_OS_BEFORE_WINDOWS_8 = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Windows Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
}


def check_languages(resources):
    """Each resource in one language, and the tree reduced to {(type, name): data}."""
    languages = Counter((r.type, r.name) for r in resources)
    repeated = ["type %s name %s in %d languages" % (kind, name, count)
                for (kind, name), count in languages.items() if count > 1]
    check(not repeated, "%d resources, each in one language: repeated %s" %
          (len(resources), ", ".join(repeated) or "none"))
    return {(r.type, r.name): r.data for r in resources}


def check_bitmap(resources, splash_path):
    bitmap = resources.get((RT_BITMAP, 102))
    if not check(bitmap is not None, "bitmap resource 102 present"):
        return
    (size, width, height, planes, bits, compression, image_size, x_ppm, y_ppm, used,
     important) = struct.unpack_from("<IiiHHIIiiII", bitmap)
    check(size == 40, "BITMAPINFOHEADER of 40 bytes (got %d)" % size)
    check((width, height) == (800, 600), "800x600, bottom-up (got %dx%d)" % (width, height))
    check(planes == 1 and bits == 24, "1 plane, 24 bits (got %d, %d)" % (planes, bits))
    check(compression == 0, "BI_RGB")
    check((x_ppm, y_ppm) == (2834, 2834), "2834 pixels per metre (got %d, %d)" % (x_ppm, y_ppm))
    check(used == 0 and important == 0, "no colour table")
    check(len(bitmap) == 40 + 600 * 2400, "header and 600 rows of 2400 bytes (got %d bytes)" %
          len(bitmap))
    drawn = Path(splash_path).read_bytes()
    offset, = struct.unpack_from("<I", drawn, 10)
    check(bitmap[40:] == drawn[offset:], "pixels are those of the drawn splash picture")


def check_icons(resources):
    group = resources.get((RT_GROUP_ICON, 101))
    if not check(group is not None, "icon group 101 present"):
        return
    reserved, kind, count = struct.unpack_from("<HHH", group)
    check(reserved == 0 and kind == 1 and count == 8, "icon group of 8 images (got %d)" % count)
    listed = []
    for i in range(count):
        width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from(
            "<BBBBHHIH", group, 6 + 14 * i)
        listed.append((width, height, bits, icon_id))
        image = resources.get((RT_ICON, icon_id))
        if not check(image is not None and len(image) == size,
                     "icon resource %d present, %d bytes" % (icon_id, size)):
            continue
        header_size, image_width, image_height, _, image_bits = struct.unpack_from("<IiiHH",
                                                                                   image)
        check(header_size == 40 and image_width == width and image_height == 2 * height
              and image_bits == bits,
              "icon resource %d is a %dx%d image at %d bits" % (icon_id, width, height, bits))
        expected_colours = 2 ** bits if bits < 8 else 0
        check(colours == expected_colours and planes == 1,
              "icon %d lists %d colours, 1 plane" % (icon_id, expected_colours))
    expected = [(size, size, bits, i + 1) for i, (size, bits) in enumerate(ICON_FORMATS)]
    check(listed == expected,
          "32x32 then 16x16, each at 24, 8, 4 and 1 bits, as icons 1 to 8: %s" % listed)


def elements(root, local_name):
    return [e for e in root.iter() if e.tag.rsplit("}", 1)[-1] == local_name]


def check_manifests(resources):
    manifests = [r for r in resources if r.type == RT_MANIFEST]
    found = ["%s/%s (%d bytes)" % (r.name, r.language, len(r.data)) for r in manifests]
    check(len(manifests) == 1 and manifests[0].name == PROGRAM_MANIFEST_ID,
          "one manifest, RT_MANIFEST %d in one language: manifests (id/language) %s" %
          (PROGRAM_MANIFEST_ID, ", ".join(found) or "none"))
    for manifest in manifests:
        check_manifest(manifest.data, "manifest %s/%s: " % (manifest.name, manifest.language))


def check_manifest(manifest, label):
    try:
        root = ElementTree.fromstring(manifest)
    except ElementTree.ParseError as error:
        check(False, label + "well-formed XML: %s" % error)
        return
    check(root.tag == ASM_V1 + "assembly", label + "an asm.v1 assembly: %s" % root.tag)
    # Windows reads the DPI settings only at this place; an element elsewhere counts for none.
    settings = ASM_V3 + "application/" + ASM_V3 + "windowsSettings/"
    aware = [(e.text or "").strip()
             for e in root.findall(settings + WINDOWS_SETTINGS_2005 + "dpiAware")]
    awareness = [(e.text or "").strip()
                 for e in root.findall(settings + WINDOWS_SETTINGS_2016 + "dpiAwareness")]
    check(len(aware) == 1 and aware[0].lower() == DPI_AWARE_ACCEPTED,
          label + "DPI-aware from Windows Vista on, per monitor from 8.1: dpiAware %s (one "
          "element, %s)" % (aware or "missing", DPI_AWARE_ACCEPTED))
    listed = [value.strip().lower() for value in awareness[0].split(",")] if awareness else []
    check(len(awareness) == 1 and listed[:2] == DPI_AWARENESS_ACCEPTED,
          label + "per monitor on Windows 10 from 1607: dpiAwareness %s (one element, "
          "beginning %s)" % (awareness or "missing", ", ".join(DPI_AWARENESS_ACCEPTED)))
    # By local name, so that an entry under any namespace prefix or version is seen.
    declared = [(e.get("Id") or "").strip().lower() for e in elements(root, "supportedOS")]
    later = [os_id for os_id in declared if os_id not in SUPPORTED_OS_BEFORE_WINDOWS_8]
    check(not later, label + "declares no Windows 8 or later as supported, which would hide "
          "the 16-bit modes: %s" %
          (later or [SUPPORTED_OS_BEFORE_WINDOWS_8[i] for i in declared] or "none"))
    tested = [e.get("Id") for e in elements(root, "maxversiontested")]
    check(not tested, label + "names no highest tested Windows version, a Windows 10 entry: %s" %
          (tested or "none"))
    levels = [e.get("level") for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    check(levels == ["asInvoker"], label + "runs as invoker: %s" % levels)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: check_executable.py loader.exe splash.bmp")
    exe = PortableExecutable(Path(sys.argv[1]).read_bytes())
    check_program(exe)
    try:
        resources = exe.resources()
    except (ValueError, struct.error, UnicodeDecodeError) as error:
        check(False, "resource tree readable: %s" % error)
        return summary()
    by_id = check_languages(resources)
    check_bitmap(by_id, sys.argv[2])
    check_icons(by_id)
    check_manifests(resources)
    return summary()


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Static checks of loader.exe: the checks of every shipped program (tests/check_binary.py: a
32-bit Windows GUI program, importing system DLLs only, stripped, with ASLR and DEP), then the
splash bitmap, the icon group and the DPI-aware manifest, whose compatibility section names no
Windows from 8 on.

  check_executable.py loader.exe splash.bmp

splash.bmp is the picture drawn by the build; the bitmap resource must hold exactly its pixels.
Prints one line per check and exits 1 when any failed.
"""

import struct
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from check_binary import PortableExecutable, check, check_program, summary  # noqa: E402

RT_ICON, RT_BITMAP, RT_GROUP_ICON, RT_MANIFEST = 3, 2, 14, 24
ICON_FORMATS = [(32, 24), (32, 8), (32, 4), (32, 1), (16, 24), (16, 8), (16, 4), (16, 1)]
WINDOWS_SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
WINDOWS_SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
# The operating systems a compatibility section may name. Windows 8 and every later one stop
# listing 16-bit display modes for a program that names them; an identifier not listed here is
# taken for a later Windows.
SUPPORTED_OS_BEFORE_WINDOWS_8 = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Windows Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
}


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


def check_manifest(resources):
    manifest = resources.get((RT_MANIFEST, 1))
    if not check(manifest is not None, "manifest resource (RT_MANIFEST, id 1) present"):
        return
    try:
        root = ElementTree.fromstring(manifest)
    except ElementTree.ParseError as error:
        check(False, "manifest is well-formed XML: %s" % error)
        return
    aware = [e.text.strip() for e in root.iter(WINDOWS_SETTINGS_2005 + "dpiAware")]
    awareness = [e.text.strip() for e in root.iter(WINDOWS_SETTINGS_2016 + "dpiAwareness")]
    check(aware and aware[0].lower() in ("true", "true/pm", "per monitor"),
          "declares the program DPI-aware: dpiAware %s" % aware)
    check(awareness and "permonitorv2" in awareness[0].lower().replace(" ", ""),
          "declares per-monitor DPI awareness: dpiAwareness %s" % awareness)
    # By local name, so that an entry under any namespace prefix or version is seen.
    declared = [(e.get("Id") or "").strip().lower() for e in elements(root, "supportedOS")]
    later = [os_id for os_id in declared if os_id not in SUPPORTED_OS_BEFORE_WINDOWS_8]
    check(not later, "declares no Windows 8 or later as supported, which would hide the 16-bit "
          "modes: %s" % (later or [SUPPORTED_OS_BEFORE_WINDOWS_8[i] for i in declared] or "none"))
    tested = [e.get("Id") for e in elements(root, "maxversiontested")]
    check(not tested, "names no highest tested Windows version, a Windows 10 entry: %s" %
          (tested or "none"))
    levels = [e.get("level") for e in root.iter("{urn:schemas-microsoft-com:asm.v3}"
                                                "requestedExecutionLevel")]
    check(levels == ["asInvoker"], "runs as invoker: %s" % levels)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: check_executable.py loader.exe splash.bmp")
    exe = PortableExecutable(Path(sys.argv[1]).read_bytes())
    check_program(exe)
    resources = exe.resources()
    check_bitmap(resources, sys.argv[2])
    check_icons(resources)
    check_manifest(resources)
    return summary()


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Static checks of loader.exe: a 32-bit Windows GUI program that imports only system DLLs and
carries the splash bitmap, the icon group and the DPI-aware manifest, whose compatibility
section names no Windows from 8 on.

  check_executable.py loader.exe splash.bmp

splash.bmp is the picture drawn by the build; the bitmap resource must hold exactly its pixels.
Prints one line per check and exits 1 when any failed.
"""

import struct
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

RT_ICON, RT_BITMAP, RT_GROUP_ICON, RT_MANIFEST = 3, 2, 14, 24
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "advapi32.dll",
               "shell32.dll", "ntdll.dll", "ole32.dll", "comctl32.dll", "ucrtbase.dll"}
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

results = []


def check(condition, description):
    condition = bool(condition)
    print(("ok    " if condition else "FAIL  ") + description)
    results.append(condition)
    return condition


class PortableExecutable:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe, = struct.unpack_from("<I", data, 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, _, self.symbol_count, optional_size,
         _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic, = struct.unpack_from("<H", data, optional)
        self.subsystem, = struct.unpack_from("<H", data, optional + 68)
        directories, = struct.unpack_from("<I", data, optional + 92)
        self.directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i)
                            for i in range(directories)]
        self.sections = []
        self.section_names = []
        for i in range(sections):
            base = optional + optional_size + 40 * i
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, base + 8)
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset))
            self.section_names.append(data[base:base + 8].rstrip(b"\0").decode("ascii", "replace"))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("RVA %#x outside every section" % rva)

    def c_string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imported_dlls(self):
        rva, _ = self.directories[1]
        names = []
        at = self.offset(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if lookup == 0 and name == 0 and thunks == 0:
                return names
            names.append(self.c_string(name))
            at += 20

    def resources(self):
        """{(type, id): data} for resources named by number, first language of each."""
        root_rva, root_size = self.directories[2]
        found = {}
        if root_size == 0:
            return found
        root = self.offset(root_rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + numbered):
                yield struct.unpack_from("<II", self.data, directory + 16 + 8 * i)

        for type_id, type_target in entries(root):
            for name_id, name_target in entries(root + (type_target & 0x7FFFFFFF)):
                language_dir = root + (name_target & 0x7FFFFFFF)
                _, leaf = next(entries(language_dir))
                data_rva, size = struct.unpack_from("<II", self.data, root + leaf)
                at = self.offset(data_rva)
                if not (type_id & 0x80000000 or name_id & 0x80000000):
                    found[(type_id, name_id)] = self.data[at:at + size]
        return found


def check_program(exe):
    check(exe.machine == 0x14C and exe.magic == 0x10B, "32-bit x86 PE32 image")
    check(exe.subsystem == 2, "Windows GUI subsystem (got %d)" % exe.subsystem)
    dlls = exe.imported_dlls()
    check(bool(dlls) and all(name.lower() in SYSTEM_DLLS for name in dlls),
          "imports only Windows system DLLs: %s" % ", ".join(dlls))
    check(not any(part in name.lower() for name in dlls
                  for part in ("libgcc", "libstdc++", "winpthread")),
          "no MinGW runtime DLL imported")
    # The linker writes long section names such as .debug_info as "/offset" into the symbol
    # table's string table, so debug sections show under either form.
    debug = [name for name in exe.section_names if name.startswith((".debug", "/"))]
    check(exe.symbol_count == 0 and not debug,
          "stripped: %d symbols, debug sections %s" % (exe.symbol_count, debug or "none"))


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
    failed = results.count(False)
    print("%d passed, %d failed" % (results.count(True), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

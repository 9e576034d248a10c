#!/usr/bin/env python3
"""Static checks of the shipped 32-bit Windows binaries, read from their bytes.

  check_binary.py program projector.exe   a Windows GUI program
  check_binary.py plugin SCRIPT.x32       the camera plug-in
  check_binary.py versions VERSION loader.exe projector.exe SCRIPT.x32
                                          the version resources of the three

Every binary is a 32-bit x86 PE32 image that imports Windows system DLLs only (the runtimes are
linked in) and is shipped stripped: no COFF symbol table (pointer and count zero) and no debug
sections. Every binary is also hardened, as Windows reads it at load time:

- DllCharacteristics DYNAMIC_BASE (0x40): the image may be loaded at a random base (ASLR);
- a base relocation directory that lies in a section and holds at least one HIGHLOW entry, and
  the file header's RELOCS_STRIPPED flag (0x1) clear: an image flagged DYNAMIC_BASE whose
  relocations are missing stays at its preferred base;
- DllCharacteristics NX_COMPAT (0x100): data pages are not executable (DEP).

Every binary loads on Windows Vista, the oldest Windows the package runs on: each function it
imports is one that windows_vista_imports.txt lists as offered by Vista's system DLLs, and its
header asks for no newer Windows (operating system and subsystem versions at most 6.0).

A program runs in the Windows GUI subsystem; the plug-in is a DLL whose exports are exactly the
five undecorated entry points that the Director host looks up by name.

Each of the three carries one version resource, what Windows shows in the file's Properties:
fixed file and product version VERSION (x.y.z, as x.y.z.0), the string table that its
translation names, holding FileVersion and ProductVersion VERSION, the name the file ships under
as OriginalFilename and its stem as InternalName, a FileDescription; and one ProductName and
LegalCopyright across the three.

The loader's check (tests/loader/check_executable.py) runs the program checks from here before
its resource checks. Prints one line per check and exits 1 when any failed.
"""

import struct
import sys
from collections import namedtuple
from pathlib import Path

IMAGE_FILE_RELOCS_STRIPPED, IMAGE_FILE_DLL = 0x0001, 0x2000
DYNAMIC_BASE, NX_COMPAT = 0x0040, 0x0100
IMAGE_REL_BASED_ABSOLUTE, IMAGE_REL_BASED_HIGHLOW = 0, 3
EXPORT, IMPORT, RESOURCE, BASE_RELOCATION = 0, 1, 2, 5
RT_VERSION, VERSION_SIGNATURE, VFT_APP, VFT_DLL = 16, 0xFEEF04BD, 1, 2
# The shipped binaries, in the order the versions check takes them, with their file types.
VERSIONED = [("loader.exe", VFT_APP), ("projector.exe", VFT_APP), ("SCRIPT.x32", VFT_DLL)]

PROGRAM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "advapi32.dll",
                "shell32.dll", "ntdll.dll", "ole32.dll", "comctl32.dll", "ucrtbase.dll"}
PLUGIN_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll"}
PLUGIN_EXPORTS = ["DllCanUnloadNow", "DllGetClassForm", "DllGetClassInfo", "DllGetClassObject",
                  "DllGetInterface"]

# The oldest Windows the package runs on (dist/README.txt), its version as the PE header states
# one, and the functions of its system DLLs that a binary may import.
OLDEST_WINDOWS = "Windows Vista"
OLDEST_WINDOWS_VERSION = (6, 0)
OLDEST_WINDOWS_IMPORTS = Path(__file__).resolve().parent / "windows_vista_imports.txt"

# One resource of the tree: type and name are numbers or strings, language a number.
Resource = namedtuple("Resource", "type name language data")

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
        (self.machine, sections, _, self.symbol_pointer, self.symbol_count, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic, = struct.unpack_from("<H", data, optional)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
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

    def directory(self, index):
        """(rva, size) of a data directory; (0, 0) when the header lists fewer."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva, size=1):
        """File offset of rva, whose size bytes must all lie in one section."""
        for start, length, raw in self.sections:
            if start <= rva and rva + size <= start + length:
                return raw + rva - start
        raise ValueError("RVA %#x (%d bytes) outside every section" % (rva, size))

    def c_string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imported_dlls(self):
        return list(dict.fromkeys(dll for dll, _ in self.imported_functions()))

    def imported_functions(self):
        """(DLL, function) for every import, the function as "#ordinal" when taken by number."""
        rva, _ = self.directory(IMPORT)
        found = []
        at = self.offset(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if lookup == 0 and name == 0 and thunks == 0:
                return found
            dll = self.c_string(name)
            entry = self.offset(lookup or thunks)
            while True:
                thunk, = struct.unpack_from("<I", self.data, entry)
                if thunk == 0:
                    break
                found.append((dll, "#%d" % (thunk & 0xFFFF) if thunk & 0x80000000
                              else self.c_string(thunk + 2)))
                entry += 4
            at += 20

    def exported_names(self):
        rva, size = self.directory(EXPORT)
        if size == 0:
            return []
        count, _, names = struct.unpack_from("<III", self.data, self.offset(rva, 40) + 24)
        at = self.offset(names, 4 * count)
        return [self.c_string(name) for name in struct.unpack_from("<%dI" % count, self.data, at)]

    def base_relocations(self):
        """(blocks, HIGHLOW entries) of the base relocation directory, which must parse whole."""
        rva, size = self.directory(BASE_RELOCATION)
        if size == 0:
            return 0, 0
        start = self.offset(rva, size)
        blocks = highlow = 0
        at = start
        while at < start + size:
            _, block_size = struct.unpack_from("<II", self.data, at)
            if block_size < 8 or block_size % 2 or at + block_size > start + size:
                raise ValueError("relocation block of %d bytes at RVA %#x" %
                                 (block_size, rva + at - start))
            for entry, in struct.iter_unpack("<H", self.data[at + 8:at + block_size]):
                kind = entry >> 12
                if kind == IMAGE_REL_BASED_HIGHLOW:
                    highlow += 1
                elif kind != IMAGE_REL_BASED_ABSOLUTE:
                    raise ValueError("relocation of type %d in a 32-bit image" % kind)
            blocks += 1
            at += block_size
        return blocks, highlow

    def resources(self):
        """Every resource of the tree: each type, each name or number, each language."""
        root_rva, root_size = self.directory(RESOURCE)
        if root_size == 0:
            return []
        root = self.offset(root_rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
                if key & 0x80000000:
                    length, = struct.unpack_from("<H", self.data, root + (key & 0x7FFFFFFF))
                    at = root + (key & 0x7FFFFFFF) + 2
                    key = self.data[at:at + 2 * length].decode("utf-16-le")
                yield key, target

        def subdirectory(target):
            if not target & 0x80000000:
                raise ValueError("resource data where the tree needs a directory")
            return root + (target & 0x7FFFFFFF)

        found = []
        for type_id, type_target in entries(root):
            for name, name_target in entries(subdirectory(type_target)):
                for language, leaf in entries(subdirectory(name_target)):
                    if leaf & 0x80000000:
                        raise ValueError("a fourth level in the resource tree")
                    data_rva, size = struct.unpack_from("<II", self.data, root + leaf)
                    at = self.offset(data_rva, size)
                    found.append(Resource(type_id, name, language, self.data[at:at + size]))
        return found


def check_image(image, system_dlls):
    """The checks that every shipped binary passes."""
    check(image.machine == 0x14C and image.magic == 0x10B, "32-bit x86 PE32 image")
    dlls = image.imported_dlls()
    # api-ms-win-* are the system's API sets, resolved by the loader to its own DLLs.
    check(bool(dlls) and all(name.lower() in system_dlls or name.lower().startswith("api-ms-win-")
                             for name in dlls),
          "imports only Windows system DLLs: %s" % ", ".join(dlls))
    check(not any(part in name.lower() for name in dlls
                  for part in ("libgcc", "libstdc++", "winpthread")),
          "no MinGW runtime DLL imported")
    # The linker writes long section names such as .debug_info as "/offset" into the symbol
    # table's string table, so debug sections show under either form.
    debug = [name for name in image.section_names if name.startswith((".debug", "/"))]
    check(image.symbol_pointer == 0 and image.symbol_count == 0 and not debug,
          "stripped: symbol table at %#x with %d symbols, debug sections %s" %
          (image.symbol_pointer, image.symbol_count, debug or "none"))
    flags = image.dll_characteristics
    check(flags & DYNAMIC_BASE, "ASLR: DllCharacteristics %#06x has DYNAMIC_BASE (0x40)" % flags)
    check(flags & NX_COMPAT, "DEP: DllCharacteristics %#06x has NX_COMPAT (0x100)" % flags)
    check(not image.characteristics & IMAGE_FILE_RELOCS_STRIPPED,
          "relocatable: file header characteristics %#06x without RELOCS_STRIPPED (0x1)" %
          image.characteristics)
    rva, size = image.directory(BASE_RELOCATION)
    try:
        blocks, highlow = image.base_relocations()
        check(highlow > 0, "base relocations at RVA %#x: %d bytes, %d blocks, %d HIGHLOW entries" %
              (rva, size, blocks, highlow))
    except (ValueError, struct.error) as error:
        check(False, "base relocations at RVA %#x, %d bytes, readable: %s" % (rva, size, error))
    check_oldest_windows(image)


def check_oldest_windows(image):
    """Every import offered by the oldest Windows, and no newer Windows asked for."""
    listed = set()
    for line in OLDEST_WINDOWS_IMPORTS.read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            dll, function = line.split()
            listed.add((dll.lower(), function))
    new = ["%s %s" % (dll, function) for dll, function in image.imported_functions()
           if (dll.lower(), function) not in listed]
    check(not new, "imports only functions that %s offers (%s): not listed %s" %
          (OLDEST_WINDOWS, OLDEST_WINDOWS_IMPORTS.name, ", ".join(new) or "none"))
    pe, = struct.unpack_from("<I", image.data, 0x3C)
    os_version = struct.unpack_from("<HH", image.data, pe + 24 + 40)
    subsystem_version = struct.unpack_from("<HH", image.data, pe + 24 + 48)
    check(max(os_version, subsystem_version) <= OLDEST_WINDOWS_VERSION,
          "OS and subsystem versions no higher than %s's %d.%d: OS %d.%d, subsystem %d.%d" %
          ((OLDEST_WINDOWS,) + OLDEST_WINDOWS_VERSION + os_version + subsystem_version))


def check_program(image):
    check_image(image, PROGRAM_DLLS)
    check(image.subsystem == 2, "Windows GUI subsystem (got %d)" % image.subsystem)
    check(not image.characteristics & IMAGE_FILE_DLL, "a program, not a DLL")


def check_plugin(image):
    check_image(image, PLUGIN_DLLS)
    check(image.characteristics & IMAGE_FILE_DLL, "a DLL (file header characteristics %#06x)" %
          image.characteristics)
    exports = image.exported_names()
    check(sorted(exports) == PLUGIN_EXPORTS,
          "exports exactly %s: %s" % (", ".join(PLUGIN_EXPORTS), ", ".join(exports) or "none"))


def version_node(data, at=0):
    """One node of a version resource: key, value (text decoded), children by key."""
    length, value_length, text = struct.unpack_from("<HHH", data, at)
    end = data.index(b"\0\0", at + 6)
    while (end - at) % 2:
        end = data.index(b"\0\0", end + 1)
    value_at = (end + 5) & ~3
    value = data[value_at:value_at + value_length * (2 if text else 1)]
    children, child = {}, (value_at + len(value) + 3) & ~3
    while child < at + length:
        key, child_value, grandchildren = version_node(data, child)
        children[key] = (child_value, grandchildren)
        child_length, = struct.unpack_from("<H", data, child)
        if child_length < 6:
            raise ValueError("version node of %d bytes" % child_length)
        child = (child + child_length + 3) & ~3
    return (data[at + 6:end].decode("utf-16-le"),
            value.decode("utf-16-le").rstrip("\0") if text else value, children)


def check_version(image, name, file_type, version):
    """The version resource of one shipped binary; its strings, or {} when there is none."""
    found = [r for r in image.resources() if r.type == RT_VERSION]
    if not check(len(found) == 1, "%s: one version resource (found %d)" % (name, len(found))):
        return {}
    key, fixed, children = version_node(found[0].data)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    kind, = struct.unpack_from("<I", fixed, 36)
    dotted = ["%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
              for ms, ls in ((file_ms, file_ls), (product_ms, product_ls))]
    check(key == "VS_VERSION_INFO" and signature == VERSION_SIGNATURE and
          dotted == [version + ".0"] * 2 and kind == file_type,
          "%s: fixed file and product version %s.0, file type %d: %s, type %d" %
          (name, version, file_type, " and ".join(dotted), kind))
    tables = children.get("StringFileInfo", ("", {}))[1]
    translation = children.get("VarFileInfo", ("", {}))[1].get("Translation", (b"", {}))[0]
    named = ["%04x%04x" % pair for pair in struct.iter_unpack("<HH", translation)]
    check(named and set(named) <= {table.lower() for table in tables},
          "%s: the translation names string tables %s of %s" % (name, named, list(tables)))
    strings = {k: v for table in tables.values() for k, (v, _) in table[1].items()}
    shown = [strings.get(k) for k in ("FileVersion", "ProductVersion", "OriginalFilename",
                                      "InternalName", "FileDescription")]
    check(shown[:2] == [version] * 2, "%s: FileVersion and ProductVersion %s: %s" %
          (name, version, shown[:2]))
    check(shown[2:4] == [name, name.rsplit(".", 1)[0]] and shown[4],
          "%s: OriginalFilename, InternalName and FileDescription: %s" % (name, shown[2:]))
    return strings


def check_versions(version, paths):
    shown = []
    for (name, file_type), path in zip(VERSIONED, paths):
        try:
            strings = check_version(PortableExecutable(Path(path).read_bytes()), name,
                                    file_type, version)
        except (ValueError, struct.error, UnicodeDecodeError) as error:
            strings = check(False, "%s: version resource readable: %s" % (name, error)) or {}
        if strings:
            shown.append((strings.get("ProductName"), strings.get("LegalCopyright")))
    # A file without a version resource has failed above already; the others must agree.
    check(shown and all(shown[0]) and shown.count(shown[0]) == len(shown),
          "one ProductName and LegalCopyright across the three: %s" % shown)


def summary():
    failed = results.count(False)
    print("%d passed, %d failed" % (results.count(True), failed))
    return 1 if failed else 0


def main():
    if len(sys.argv) == 6 and sys.argv[1] == "versions":
        check_versions(sys.argv[2], sys.argv[3:])
        return summary()
    kinds = {"program": check_program, "plugin": check_plugin}
    if len(sys.argv) != 3 or sys.argv[1] not in kinds:
        sys.exit("usage: check_binary.py program|plugin FILE, or versions VERSION loader.exe "
                 "projector.exe SCRIPT.x32")
    kinds[sys.argv[1]](PortableExecutable(Path(sys.argv[2]).read_bytes()))
    return summary()


if __name__ == "__main__":
    sys.exit(main())

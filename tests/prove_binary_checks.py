#!/usr/bin/env python3
"""Feeds the static checks of the shipped binaries copies of the real built ones, each with one
fault put in, and requires each copy to fail exactly the checks aimed at its fault; the copies
as built, and one with its resource tree written anew unchanged, must pass every check.

  prove_binary_checks.py --loader loader.exe --projector projector.exe --plugin SCRIPT.x32 \\
      --splash splash.bmp --version 1.0.0

Every copy also takes its binary's place in the check of the three version resources, beside
the other two as built.

A fault in the resources is put in by writing the whole tree, changed, into a section added at
the end of the copy and pointing the resource directory at it. Exits 1 when any copy was not
judged as it must be.
"""

import argparse
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from check_binary import PortableExecutable, Resource  # noqa: E402

# The header fields changed below, at their offsets in the PE headers of a 32-bit image.
FILE_CHARACTERISTICS, SYMBOL_POINTER, SYMBOL_COUNT = 22, 12, 16  # from the PE signature
SIZE_OF_IMAGE, DLL_CHARACTERISTICS, DIRECTORIES = 56, 70, 96  # from the optional header
# The versions of Windows that a binary asks for, major then minor, from the optional header.
OS_VERSION, SUBSYSTEM_VERSION = 40, 48
RT_BITMAP, RT_MANIFEST, RT_VERSION = 2, 24, 16
# British English: after the US English of the built resources in the tree, so that a walk that
# stops at the first language of a resource misses the copy.
SECOND_LANGUAGE = 0x0809


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def headers(data):
    pe, = struct.unpack_from("<I", data, 0x3C)
    return pe, pe + 24


def patch(data, offset, fmt, transform):
    out = bytearray(data)
    value, = struct.unpack_from(fmt, out, offset)
    struct.pack_into(fmt, out, offset, transform(value))
    return bytes(out)


def dll_characteristics(transform):
    return lambda data: patch(data, headers(data)[1] + DLL_CHARACTERISTICS, "<H", transform)


def file_characteristics(transform):
    return lambda data: patch(data, headers(data)[0] + FILE_CHARACTERISTICS, "<H", transform)


def asking_for_windows(field, major, minor):
    return lambda data: patch(data, headers(data)[1] + field, "<I",
                              lambda version: major | minor << 16)


def without_relocations(data):
    """The base relocation directory (number 5) emptied; the flags stay as built."""
    return patch(data, headers(data)[1] + DIRECTORIES + 8 * 5 + 4, "<I", lambda size: 0)


def with_symbol_table(data):
    """A symbol table pointer and count, as an unstripped link leaves them."""
    pe, _ = headers(data)
    data = patch(data, pe + SYMBOL_POINTER, "<I", lambda pointer: len(data))
    return patch(data, pe + SYMBOL_COUNT, "<I", lambda count: 120)


def with_debug_section(data):
    """The last section renamed to a debug section's name."""
    pe, optional = headers(data)
    count, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    out = bytearray(data)
    at = optional + optional_size + 40 * (count - 1)
    out[at:at + 8] = b".debug\0\0"
    return bytes(out)


def replaced_once(data, old, new):
    if len(old) != len(new) or data.count(old) != 1:
        raise ValueError("%r is not in the binary exactly once" % old)
    return data.replace(old, new)


def replaced_import(old, new):
    """The name of an imported DLL changed in the import table, to a name of the same length."""
    assert len(old) == len(new)

    def mutate(data):
        image = PortableExecutable(data)
        rva, _ = image.directory(1)
        at = image.offset(rva)
        while True:
            name, = struct.unpack_from("<I", data, at + 12)
            if name == 0:
                raise ValueError("%s is not imported" % old)
            if image.c_string(name).lower() == old.lower():
                start = image.offset(name)
                return data[:start] + new.encode("ascii") + data[start + len(old):]
            at += 20
    return mutate


def resource_section(resources, section_rva):
    """A resource section at section_rva holding resources: the three levels of directories,
    the data entries, the names and the data, in that order."""
    tree = {}
    for r in resources:
        tree.setdefault(r.type, {}).setdefault(r.name, {})[r.language] = r.data

    def ordered(level):
        # Named entries first, then numbered ones in ascending order.
        return sorted(level.items(), key=lambda item: (isinstance(item[0], int), item[0]))

    types = ordered(tree)
    names = [level for _, level in types]
    languages = [level for names_level in names for _, level in ordered(names_level)]
    directories = [tree] + names + languages
    offsets = {}
    at = 0
    for directory in directories:
        offsets[id(directory)] = at
        at += 16 + 8 * len(directory)
    # The data entries in the order in which the language directories are written below.
    leaves = [data for level in languages for _, data in ordered(level)]
    leaf_offsets = []
    for _ in leaves:
        leaf_offsets.append(at)
        at += 16
    strings = {}
    for directory in directories:
        for key in directory:
            if isinstance(key, str) and key not in strings:
                strings[key] = at
                at += 2 + 2 * len(key)
    data_offsets = []
    for data in leaves:
        at = align(at, 8)
        data_offsets.append(at)
        at += len(data)

    out = bytearray(at)
    leaf_of = iter(zip(leaf_offsets, data_offsets, leaves))
    for directory in directories:
        entries = ordered(directory)
        named = sum(isinstance(key, str) for key, _ in entries)
        base = offsets[id(directory)]
        struct.pack_into("<IIHHHH", out, base, 0, 0, 0, 0, named, len(entries) - named)
        for i, (key, target) in enumerate(entries):
            key_field = (0x80000000 | strings[key]) if isinstance(key, str) else key
            if isinstance(target, dict):
                target_field = 0x80000000 | offsets[id(target)]
            else:
                leaf, data_at, data = next(leaf_of)
                struct.pack_into("<IIII", out, leaf, section_rva + data_at, len(data), 0, 0)
                out[data_at:data_at + len(data)] = data
                target_field = leaf
            struct.pack_into("<II", out, base + 16 + 8 * i, key_field, target_field)
    for name, at in strings.items():
        encoded = name.encode("utf-16-le")
        out[at:at + 2 + len(encoded)] = struct.pack("<H", len(name)) + encoded
    return bytes(out)


def with_resources(change):
    """The copy's resource tree, as change makes it from the built one, in a section of its own
    added after the last, with the resource directory pointing at it."""
    def mutate(data):
        pe, optional = headers(data)
        count, = struct.unpack_from("<H", data, pe + 6)
        optional_size, = struct.unpack_from("<H", data, pe + 20)
        section_alignment, file_alignment = struct.unpack_from("<II", data, optional + 32)
        header_size, = struct.unpack_from("<I", data, optional + 60)
        table_end = optional + optional_size + 40 * count
        if table_end + 40 > header_size or any(data[table_end:table_end + 40]):
            raise ValueError("no room for another section header")
        image = PortableExecutable(data)
        rva = align(max(start + size for start, size, _ in image.sections), section_alignment)
        body = resource_section(change(image.resources()), rva)
        raw = align(len(data), file_alignment)
        out = bytearray(data) + bytes(raw - len(data)) + body
        out += bytes(align(len(out), file_alignment) - len(out))
        struct.pack_into("<8sIIIIIIHHI", out, table_end, b".mutant", len(body), rva,
                         align(len(body), file_alignment), raw, 0, 0, 0, 0, 0x40000040)
        struct.pack_into("<H", out, pe + 6, count + 1)
        struct.pack_into("<I", out, optional + SIZE_OF_IMAGE,
                         align(rva + len(body), section_alignment))
        struct.pack_into("<II", out, optional + DIRECTORIES + 8 * 2, rva, len(body))
        return bytes(out)
    return mutate


def manifest_edit(old, new):
    """The manifest's text with old, found once, replaced by new."""
    def change(resources):
        def edited(r):
            if r.type != RT_MANIFEST:
                return r
            if r.data.count(old) != 1:
                raise ValueError("%r is not in the manifest exactly once" % old)
            return r._replace(data=r.data.replace(old, new))
        return [edited(r) for r in resources]
    return change


def added_copy(kind, name=None, language=None, edit=lambda data: data):
    """A copy of the resource kind added under another name or language."""
    def change(resources):
        original = next(r for r in resources if r.type == kind)
        return resources + [Resource(kind, name if name is not None else original.name,
                                     language if language is not None else original.language,
                                     edit(original.data))]
    return change


def version_edit(edit):
    """The version resource's bytes as edit makes them."""
    return with_resources(lambda resources: [r._replace(data=edit(r.data))
                                             if r.type == RT_VERSION else r for r in resources])


def version_value(old, new):
    """A key and its value in the version resource, UTF-16 text with the padding between them,
    found once, the value replaced by one of the same length."""
    return version_edit(lambda data: replaced_once(data, old.encode("utf-16-le"),
                                                   new.encode("utf-16-le")))


def unchanged(data):
    return data


DPI_AWARE = b">true/pm</dpiAware>"
DPI_AWARENESS = b">PerMonitorV2, PerMonitor</dpiAwareness>"
WINDOWS_8 = (b"<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\"><application>"
             b"<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/></application>"
             b"</compatibility></assembly>")

# Each copy: the binary it is made from, what is done to it, and the checks (by a part of their
# description) that must fail for it: those and no others.
COPIES = [
    ("loader.exe as built", "loader", unchanged, []),
    ("projector.exe as built", "projector", unchanged, []),
    ("SCRIPT.x32 as built", "plugin", unchanged, []),
    ("loader.exe, resource tree written anew unchanged", "loader",
     with_resources(lambda resources: resources), []),
    ("loader.exe without DYNAMIC_BASE", "loader", dll_characteristics(lambda f: f & ~0x40),
     ["ASLR:"]),
    ("projector.exe without NX_COMPAT", "projector", dll_characteristics(lambda f: f & ~0x100),
     ["DEP:"]),
    ("SCRIPT.x32 without DYNAMIC_BASE and NX_COMPAT", "plugin",
     dll_characteristics(lambda f: f & ~0x140), ["ASLR:", "DEP:"]),
    ("SCRIPT.x32 with DYNAMIC_BASE but no base relocations", "plugin", without_relocations,
     ["base relocations at"]),
    ("projector.exe flagged RELOCS_STRIPPED", "projector", file_characteristics(lambda f: f | 1),
     ["relocatable:"]),
    ("SCRIPT.x32 with a symbol table", "plugin", with_symbol_table, ["stripped:"]),
    ("projector.exe with a debug section", "projector", with_debug_section, ["stripped:"]),
    ("SCRIPT.x32 exporting a misspelt entry point", "plugin",
     lambda data: replaced_once(data, b"DllGetInterface\0", b"DllGetInterfaze\0"),
     ["exports exactly"]),
    ("SCRIPT.x32 importing a MinGW runtime DLL", "plugin",
     replaced_import("msvcrt.dll", "libgcc.dll"),
     ["imports only Windows system DLLs", "no MinGW runtime DLL",
      "imports only functions that Windows Vista offers"]),
    ("loader.exe importing GetDpiForWindow, which came with Windows 10", "loader",
     lambda data: replaced_once(data, b"CreateWindowExA\0", b"GetDpiForWindow\0"),
     ["imports only functions that Windows Vista offers"]),
    ("projector.exe asking for the subsystem of Windows 7, 6.1", "projector",
     asking_for_windows(SUBSYSTEM_VERSION, 6, 1), ["OS and subsystem versions no higher"]),
    ("SCRIPT.x32 asking for the operating system Windows 10, 10.0", "plugin",
     asking_for_windows(OS_VERSION, 10, 0), ["OS and subsystem versions no higher"]),
    ("loader.exe with dpiAware Per Monitor", "loader",
     with_resources(manifest_edit(DPI_AWARE, b">Per Monitor</dpiAware>")),
     ["DPI-aware from Windows Vista on"]),
    ("loader.exe with dpiAware false", "loader",
     with_resources(manifest_edit(DPI_AWARE, b">false</dpiAware>")),
     ["DPI-aware from Windows Vista on"]),
    ("loader.exe with dpiAware true", "loader",
     with_resources(manifest_edit(DPI_AWARE, b">true</dpiAware>")),
     ["DPI-aware from Windows Vista on"]),
    ("loader.exe with dpiAwareness only", "loader",
     with_resources(manifest_edit(b"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/"
                                  b"WindowsSettings\">true/pm</dpiAware>", b"")),
     ["DPI-aware from Windows Vista on"]),
    ("loader.exe with dpiAwareness System", "loader",
     with_resources(manifest_edit(DPI_AWARENESS, b">System</dpiAwareness>")),
     ["per monitor on Windows 10 from 1607"]),
    ("loader.exe naming Windows 8 as supported", "loader",
     with_resources(manifest_edit(b"</assembly>", WINDOWS_8)), ["declares no Windows 8"]),
    ("loader.exe with a second, DPI-unaware manifest in British English", "loader",
     with_resources(added_copy(RT_MANIFEST, language=SECOND_LANGUAGE,
                               edit=lambda data: data.replace(DPI_AWARE, b">false</dpiAware>"))),
     ["each in one language", "one manifest,", "manifest 1/2057: DPI-aware from"]),
    ("loader.exe with the manifest also under number 2", "loader",
     with_resources(added_copy(RT_MANIFEST, name=2)), ["one manifest,"]),
    ("loader.exe with the splash bitmap also in British English", "loader",
     with_resources(added_copy(RT_BITMAP, language=SECOND_LANGUAGE)), ["each in one language"]),
    ("projector.exe without a version resource", "projector",
     with_resources(lambda resources: [r for r in resources if r.type != RT_VERSION]),
     ["projector.exe: one version resource"]),
    ("SCRIPT.x32 with fixed file version 1.0.1.0", "plugin", version_edit(
        lambda data: patch(data, data.index(b"\xbd\x04\xef\xfe") + 12, "<I", lambda _: 0x10000)),
     ["SCRIPT.x32: fixed file and product version"]),
    ("projector.exe with ProductVersion 1.0.1", "projector",
     version_value("ProductVersion\0" "1.0.0", "ProductVersion\0" "1.0.1"),
     ["projector.exe: FileVersion and ProductVersion"]),
    ("loader.exe translated to German, its strings in English", "loader",
     version_value("Translation\0\0\u0409", "Translation\0\0\u0407"),
     ["loader.exe: the translation names"]),
    ("SCRIPT.x32 shipped as SCRIPT.x64", "plugin",
     version_value("OriginalFilename\0SCRIPT.x32", "OriginalFilename\0SCRIPT.x64"),
     ["SCRIPT.x32: OriginalFilename, InternalName"]),
    ("loader.exe with its version resource cut short", "loader",
     version_edit(lambda data: data[:120]), ["loader.exe: version resource readable"]),
    ("projector.exe of another product", "projector",
     version_value("ProductName\0\0Orvanta", "ProductName\0\0Orbanta"), ["one ProductName"]),
]


# The kind of check_binary.py that judges each binary other than the loader.
KINDS = {"projector": "program", "plugin": "plugin"}


def run_check(args, kind, path):
    if kind == "loader":
        command = [str(HERE / "loader" / "check_executable.py"), str(path), args.splash]
    else:
        command = [str(HERE / "check_binary.py"), KINDS[kind], str(path)]
    # The copy in its binary's place among the three whose version resources are compared.
    versioned = [str(path) if each == kind else str(getattr(args, each))
                 for each in ("loader", "projector", "plugin")]
    codes, failed, errors = [], [], []
    for checker in (command, [str(HERE / "check_binary.py"), "versions", args.version]
                    + versioned):
        result = subprocess.run([sys.executable] + checker, capture_output=True, text=True,
                                timeout=120)
        codes.append(result.returncode)
        failed += [line[6:] for line in result.stdout.splitlines() if line.startswith("FAIL  ")]
        errors += [result.stderr.strip()] if result.stderr.strip() else []
    return max(codes), failed, "\n".join(errors)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("loader", "projector", "plugin", "splash"):
        parser.add_argument("--" + name, required=True, type=Path)
    parser.add_argument("--version", required=True, help="the version every binary carries")
    args = parser.parse_args()
    built = {kind: getattr(args, kind).read_bytes() for kind in ("loader", "projector", "plugin")}

    wrong = 0
    with tempfile.TemporaryDirectory() as folder:
        for number, (description, kind, mutate, expected) in enumerate(COPIES):
            path = Path(folder) / ("%02d-%s" % (number, getattr(args, kind).name))
            path.write_bytes(mutate(built[kind]))
            code, failed, errors = run_check(args, kind, path)
            caught = [part for part in expected if any(part in line for line in failed)]
            right = (code == (1 if expected else 0) and not errors and caught == expected
                     and len(failed) == len(expected))
            wrong += not right
            if right:
                verdict = "failed as it must:" if expected else "passed every check"
            else:
                verdict = "failed %d checks, expected those with %s:" % (len(failed), expected)
            print("%s  %s: exit %d, %s" % ("ok   " if right else "WRONG", description, code,
                                           verdict))
            for line in failed + ([errors] if errors else []):
                print("         " + line)
    print("%d copies, %d judged wrongly" % (len(COPIES), wrong))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Reading of the shipped 32-bit Windows binaries for their static checks: the PE headers, the
import table and the resource tree, and the one list of check results.
"""

import struct

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

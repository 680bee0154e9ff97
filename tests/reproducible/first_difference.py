#!/usr/bin/env python3
"""Compares two builds of one file byte for byte.

  first_difference.py FILE_A FILE_B

Exit status 0 when they are identical. Otherwise prints where they first
differ and what lies there: for a PE program the header field or section,
for a Windows Installer package (an OLE compound file) the stream, and in
its summary information the property, in its cabinet the field or file.
"""
import struct
import sys

PE_COFF_FIELDS = [(0, 2, "Machine"), (2, 2, "NumberOfSections"),
                  (4, 4, "TimeDateStamp"), (8, 4, "PointerToSymbolTable"),
                  (12, 4, "NumberOfSymbols"), (16, 2, "SizeOfOptionalHeader"),
                  (18, 2, "Characteristics")]
# Offsets in the optional header shared by PE32 and PE32+ up to CheckSum.
PE_OPTIONAL_FIELDS = [(0, 2, "Magic"), (4, 4, "SizeOfCode"),
                      (16, 4, "AddressOfEntryPoint"),
                      (32, 4, "SectionAlignment"), (36, 4, "FileAlignment"),
                      (56, 4, "SizeOfImage"), (60, 4, "SizeOfHeaders"),
                      (64, 4, "CheckSum"), (68, 2, "Subsystem"),
                      (70, 2, "DllCharacteristics")]
DATA_DIRECTORIES = ["Export", "Import", "Resource", "Exception",
                    "Certificate", "BaseRelocation", "Debug", "Architecture",
                    "GlobalPtr", "TLS", "LoadConfig", "BoundImport", "IAT",
                    "DelayImport", "CLRRuntime", "Reserved"]


def field_at(fields, offset):
    for start, size, name in fields:
        if start <= offset < start + size:
            return name
    return None


def describe_pe(data, offset):
    if offset < 64:
        return "DOS header"
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if offset < pe:
        return "DOS stub"
    if offset < pe + 4:
        return "PE signature"
    coff = pe + 4
    if offset < coff + 20:
        return "COFF header, %s" % field_at(PE_COFF_FIELDS, offset - coff)
    sections, optional_size = struct.unpack_from("<H12xH", data, coff + 2)
    optional = coff + 20
    if offset < optional + optional_size:
        relative = offset - optional
        name = field_at(PE_OPTIONAL_FIELDS, relative)
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        if offset >= directories:
            index = (offset - directories) // 8
            name = "data directory %s" % (DATA_DIRECTORIES[index]
                                           if index < 16 else index)
        return "optional header, %s" % (name or "offset %d" % relative)
    table = optional + optional_size
    if offset < table + 40 * sections:
        index = (offset - table) // 40
        name = data[table + 40 * index:table + 40 * index + 8]
        return "section header %s" % name.rstrip(b"\0").decode("latin-1")
    for index in range(sections):
        header = table + 40 * index
        name = data[header:header + 8].rstrip(b"\0").decode("latin-1")
        size, start = struct.unpack_from("<II", data, header + 16)
        if start <= offset < start + size:
            return "section %s, offset 0x%x" % (name, offset - start)
    return "outside the sections (symbol table, signature or padding)"


MSI_CHARS = ("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
             "abcdefghijklmnopqrstuvwxyz._")


def msi_name(raw):
    """A stream name as Windows Installer encodes it, readable."""
    name = ""
    for char in raw:
        code = ord(char)
        if 0x3800 <= code < 0x4800:
            code -= 0x3800
            name += MSI_CHARS[code & 0x3F] + MSI_CHARS[(code >> 6) & 0x3F]
        elif 0x4800 <= code < 0x4840:
            name += MSI_CHARS[code - 0x4800]
        elif code == 0x4840:
            name += "table "
        elif code < 32:
            name += "\\%03o" % code
        else:
            name += char
    return name


SUMMARY_PROPERTIES = {1: "codepage", 2: "title", 3: "subject", 4: "author",
                      5: "keywords", 6: "comments", 7: "template",
                      8: "last saved by", 9: "revision number (package code)",
                      12: "created", 13: "last saved", 14: "page count",
                      15: "word count", 16: "character count",
                      18: "creating application", 19: "security"}


def describe_summary(stream, offset):
    section = struct.unpack_from("<I", stream, 44)[0]
    count = struct.unpack_from("<I", stream, section + 4)[0]
    starts = sorted((section + struct.unpack_from(
        "<II", stream, section + 8 + 8 * i)[1],
        struct.unpack_from("<I", stream, section + 8 + 8 * i)[0])
        for i in range(count))
    found = "property set header"
    for start, pid in starts:
        if offset >= start:
            found = "property %d (%s)" % (pid, SUMMARY_PROPERTIES.get(pid, "?"))
    return found


def describe_cabinet(stream, offset):
    files_at, folders, files, flags = struct.unpack_from("<16xI6xHHH", stream)
    if offset < 36:
        return "cabinet header"
    reserve = 0
    position = 36
    if flags & 4:
        header_reserve, reserve = struct.unpack_from("<HB", stream, 36)
        position = 40 + header_reserve
    if offset < position:
        return "cabinet header reserve"
    blocks = []
    for index in range(folders):
        start, count = struct.unpack_from("<IH", stream, position)
        blocks.append((start, count))
        if offset < position + 8 + reserve:
            return "cabinet folder %d" % index
        position += 8 + reserve
    position = files_at
    for index in range(files):
        end = stream.index(b"\0", position + 16)
        if offset <= end:
            name = stream[position + 16:end].decode("latin-1")
            field = field_at([(0, 4, "size"), (4, 4, "offset in folder"),
                              (8, 2, "folder"), (10, 2, "date"),
                              (12, 2, "time"), (14, 2, "attributes")],
                             offset - position) or "name"
            return "cabinet file %s, %s" % (name, field)
        position = end + 1
    for start, count in blocks:
        position = start
        for index in range(count):
            size = struct.unpack_from("<H", stream, position + 4)[0]
            end = position + 8 + reserve + size
            if offset < end:
                part = "checksum" if offset < position + 4 else "data"
                return "cabinet data block %d, %s (compressed contents)" % (
                    index, part)
            position = end
    return "cabinet, offset 0x%x" % offset


class CompoundFile:
    """Just enough of an OLE compound file to say what a byte belongs to."""

    def __init__(self, data):
        self.data = data
        self.sector = 1 << struct.unpack_from("<H", data, 0x1E)[0]
        self.mini = 1 << struct.unpack_from("<H", data, 0x20)[0]
        (fat_count, directory_start, self.cutoff, minifat_start,
         minifat_count, difat_start, difat_count) = struct.unpack_from(
            "<I I 4x I I I I I", data, 0x2C)
        fat_sectors = list(struct.unpack_from("<109I", data, 0x4C))
        next_difat = difat_start
        for _ in range(difat_count):
            entries = struct.unpack_from("<%dI" % (self.sector // 4), data,
                                         self.offset(next_difat))
            fat_sectors += entries[:-1]
            next_difat = entries[-1]
        fat_sectors = fat_sectors[:fat_count]
        self.fat = []
        for sector in fat_sectors:
            self.fat += struct.unpack_from("<%dI" % (self.sector // 4), data,
                                           self.offset(sector))
        self.owner = {sector: ("FAT", None) for sector in fat_sectors}
        for sector in self.chain(directory_start):
            self.owner[sector] = ("directory", None)
        minifat = b""
        for sector in self.chain(minifat_start):
            self.owner[sector] = ("mini FAT", None)
            minifat += data[self.offset(sector):self.offset(sector) +
                            self.sector]
        self.minifat = struct.unpack("<%dI" % (len(minifat) // 4), minifat)
        directory = b"".join(
            data[self.offset(s):self.offset(s) + self.sector]
            for s in self.chain(directory_start))
        self.streams = {}
        self.mini_owner = {}
        self.root_chain = []
        for index in range(len(directory) // 128):
            entry = directory[128 * index:128 * index + 128]
            length = struct.unpack_from("<H", entry, 0x40)[0]
            kind = entry[0x42]
            start, size = struct.unpack_from("<IQ", entry, 0x74)
            name = msi_name(entry[:max(length - 2, 0)].decode("utf-16-le"))
            if kind == 5:
                self.root_chain = self.chain(start)
                for sector in self.root_chain:
                    self.owner[sector] = ("mini stream", None)
            elif kind == 2:
                if size < self.cutoff:
                    chain = self.chain(start, self.minifat)
                    for position, sector in enumerate(chain):
                        self.mini_owner[sector] = (name, position)
                else:
                    for position, sector in enumerate(self.chain(start)):
                        self.owner[sector] = (name, position)
                self.streams[name] = (start, size)

    def offset(self, sector):
        return (sector + 1) * self.sector

    def chain(self, start, table=None):
        table = self.fat if table is None else table
        sectors = []
        while start < 0xFFFFFFFA and start < len(table) and \
                len(sectors) <= len(table):
            sectors.append(start)
            start = table[start]
        return sectors

    def stream(self, name):
        start, size = self.streams[name]
        if size < self.cutoff:
            container = b"".join(
                self.data[self.offset(s):self.offset(s) + self.sector]
                for s in self.root_chain)
            return b"".join(container[s * self.mini:(s + 1) * self.mini]
                            for s in self.chain(start, self.minifat))[:size]
        return b"".join(self.data[self.offset(s):self.offset(s) + self.sector]
                        for s in self.chain(start))[:size]

    def describe(self, offset):
        if offset < self.sector:
            return "compound file header"
        sector = offset // self.sector - 1
        within = offset % self.sector
        name, position = self.owner.get(sector, ("a free sector", None))
        if name == "mini stream":
            container = self.root_chain.index(sector) * self.sector + within
            name, position = self.mini_owner.get(
                container // self.mini, ("a free mini sector", None))
            within = container % self.mini
            size = self.mini
        else:
            size = self.sector
        if position is None:
            return name
        stream_offset = position * size + within
        where = "stream %s, offset 0x%x" % (name, stream_offset)
        stream = self.stream(name)
        if name == "\\005SummaryInformation":
            return "%s: %s" % (where, describe_summary(stream, stream_offset))
        if stream[:4] == b"MSCF":
            return "%s: %s" % (where, describe_cabinet(stream, stream_offset))
        return where


def describe(data, offset):
    try:
        if data[:2] == b"MZ":
            return describe_pe(data, offset)
        if data[:8] == bytes.fromhex("d0cf11e0a1b11ae1"):
            return CompoundFile(data).describe(offset)
    except (struct.error, ValueError, IndexError, KeyError) as error:
        return "unreadable structure (%s)" % error
    return "offset 0x%x" % offset


def main(first, second):
    with open(first, "rb") as a, open(second, "rb") as b:
        data_a, data_b = a.read(), b.read()
    if data_a == data_b:
        return 0
    offset = next((i for i, (x, y) in enumerate(zip(data_a, data_b))
                   if x != y), min(len(data_a), len(data_b)))
    differing = sum(x != y for x, y in zip(data_a, data_b))
    print("%s and %s differ: first at offset %d (0x%x), in %s; %d bytes "
          "differ, sizes %d and %d" % (
              first, second, offset, offset, describe(data_a, offset),
              differing, len(data_a), len(data_b)))
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))

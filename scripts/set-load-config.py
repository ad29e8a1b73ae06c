#!/usr/bin/env python3
"""set-load-config.py EXE MAP

Points the load-configuration directory of the 32-bit PE image EXE at the
record named _load_config_used, whose address the linker's MAP gives. GNU ld
(2.40) links the record but leaves the directory empty; the size written is
the record's own first field. The image's checksum is computed again, as
the linker computes it, since the header changed."""

import re
import struct
import sys

LOAD_CONFIG_ENTRY = 10


def record_address(map_text):
    found = re.search(r"^\s+0x([0-9a-f]+)\s+_{1,2}load_config_used\s*$", map_text, re.M)
    if not found:
        sys.exit("set-load-config: no _load_config_used in the link map")
    return int(found.group(1), 16)


def file_offset(image, rva):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    table = pe + 24 + optional_size
    for i in range(sections):
        virtual_size, address, raw_size, raw = struct.unpack_from("<IIII", image, table + 40 * i + 8)
        if address <= rva < address + max(virtual_size, raw_size):
            return raw + rva - address
    sys.exit("set-load-config: the record lies in no section")


def pe_checksum(image, checksum_offset):
    """The PE checksum: the image's 16-bit words summed with their carries
    folded in, the checksum field itself counted as zero, plus the length."""
    data = bytes(image[:checksum_offset]) + b"\0\0\0\0" + bytes(image[checksum_offset + 4:])
    if len(data) % 2:
        data += b"\0"
    total = sum(struct.unpack(f"<{len(data) // 2}H", data))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(image)


def main(exe, link_map):
    image = bytearray(open(exe, "rb").read())
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    optional = pe + 24
    if struct.unpack_from("<H", image, optional)[0] != 0x10B:
        sys.exit("set-load-config: not a 32-bit PE image")
    image_base = struct.unpack_from("<I", image, optional + 28)[0]
    rva = record_address(open(link_map).read()) - image_base
    size = struct.unpack_from("<I", image, file_offset(image, rva))[0]
    struct.pack_into("<II", image, optional + 96 + 8 * LOAD_CONFIG_ENTRY, rva, size)
    struct.pack_into("<I", image, optional + 64, pe_checksum(image, optional + 64))
    open(exe, "wb").write(image)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])

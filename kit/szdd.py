"""The SZDD compressed files of a medium ("Lxv.Ex_", "Pyrn.Dl_"), expanded
as the platform's LZ library expands them, to compare with what the
launcher leaves in the temporary directory."""

import struct

SZDD_MAGIC = b"SZDD\x88\xf0\x27\x33"


def expand(data):
    """Expands an SZDD file (LZSS, method 'A') as the platform's LZ library
    does; raises ValueError saying what is wrong with it."""
    if len(data) < 14 or data[:8] != SZDD_MAGIC:
        raise ValueError("no SZDD header (magic SZDD 88 F0 27 33)")
    if data[8:9] != b"A":
        raise ValueError(f"compression method {data[8:9]!r}, the launcher knows only 'A'")
    size = struct.unpack("<I", data[10:14])[0]
    window, pos, out, i = bytearray(b" " * 4096), 4096 - 16, bytearray(), 14

    def put(byte):
        nonlocal pos
        window[pos], pos = byte, (pos + 1) & 0xFFF
        out.append(byte)

    # Each flag byte says, bit by bit from the lowest, whether a literal byte
    # or a two-byte reference (12-bit window position, length - 3) follows.
    while i < len(data) and len(out) < size:
        flags, i = data[i], i + 1
        for bit in range(8):
            if i >= len(data):
                break
            if flags >> bit & 1:
                put(data[i])
                i += 1
            elif i + 1 < len(data):
                start = data[i] | (data[i + 1] & 0xF0) << 4
                for k in range((data[i + 1] & 0x0F) + 3):
                    put(window[(start + k) & 0xFFF])
                i += 2
            else:
                i = len(data)
    if len(out) < size:
        raise ValueError(f"expands to {len(out)} of the {size} bytes its header announces "
                         "(the file is cut short or damaged)")
    return bytes(out[:size])

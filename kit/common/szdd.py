"""The SZDD compressed files of a medium ("Lxv.Ex_", "Pyrn.Dl_"), expanded
as the platform's LZ library expands them, to compare with what the
launcher leaves in the temporary directory."""

import struct

SZDD_MAGIC = b"SZDD\x88\xf0\x27\x33"


def expand(data, sink=None):
    """Expands an SZDD file (LZSS, method 'A') as the platform's LZ library
    does; raises ValueError saying what is wrong with it. data is bytes-like
    (an mmap of a big file will do); with sink, the expansion is handed to it
    piece by piece, in order, rather than returned whole."""
    if len(data) < 14 or data[:8] != SZDD_MAGIC:
        raise ValueError("no SZDD header (magic SZDD 88 F0 27 33)")
    if data[8:9] != b"A":
        raise ValueError(f"compression method {data[8:9]!r}, the launcher knows only 'A'")
    size = struct.unpack("<I", data[10:14])[0]
    window, pos, out, i = bytearray(b" " * 4096), 4096 - 16, bytearray(), 14
    done = 0  # bytes handed to sink

    def put(byte):
        nonlocal pos
        window[pos], pos = byte, (pos + 1) & 0xFFF
        out.append(byte)

    # Each flag byte says, bit by bit from the lowest, whether a literal byte
    # or a two-byte reference (12-bit window position, length - 3) follows.
    end = len(data)
    while i < end and done + len(out) < size:
        flags, i = data[i], i + 1
        for bit in range(8):
            if i >= end:
                break
            if flags >> bit & 1:
                put(data[i])
                i += 1
            elif i + 1 < end:
                start = data[i] | (data[i + 1] & 0xF0) << 4
                for k in range((data[i + 1] & 0x0F) + 3):
                    put(window[(start + k) & 0xFFF])
                i += 2
            else:
                i = end
        if sink and len(out) >= 1 << 20:
            sink(bytes(out))
            done += len(out)
            out.clear()
    if done + len(out) < size:
        raise ValueError(f"expands to {done + len(out)} of the {size} bytes its header "
                         "announces (the file is cut short or damaged)")
    del out[size - done:]
    if not sink:
        return bytes(out)
    sink(bytes(out))
    return None

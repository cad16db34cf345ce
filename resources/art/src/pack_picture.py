#!/usr/bin/env python3
"""Packs a picture for the program: row by row, run-length coded, lossless.

    pack_picture.py RAW_RGB WIDTH HEIGHT OUT

The window's background is mostly rows of one colour or rows equal to the one
above, so this small format holds it in a few kilobytes, and the program draws
it without an image decoder (no COM, no codec DLLs at start-up).

Format, all numbers little-endian:
    "TPK1", width (u16), height (u16)
    then for each row one byte: 0 = the same pixels as the row above,
    1 = a coded row follows: chunks until the row is full, each a byte c and
        c < 128: c + 1 literal pixels follow, 3 bytes each (red, green, blue);
        c >= 128: the next pixel (3 bytes) repeated c - 126 times (2 to 129).
"""

import struct
import sys
from pathlib import Path


def pack_row(row):
    out = bytearray()
    literal = []

    def flush():
        while literal:
            take = literal[:128]
            del literal[:128]
            out.append(len(take) - 1)
            for p in take:
                out.extend(p)

    i = 0
    while i < len(row):
        run = 1
        while i + run < len(row) and run < 129 and row[i + run] == row[i]:
            run += 1
        if run >= 2:
            flush()
            out.append(run + 126)
            out.extend(row[i])
            i += run
        else:
            literal.append(row[i])
            i += 1
    flush()
    return out


def unpack(data):
    """The reader, as the program does it, to check what was written."""
    assert data[:4] == b"TPK1"
    width, height = struct.unpack("<HH", data[4:8])
    pos, rows = 8, []
    for _ in range(height):
        kind = data[pos]
        pos += 1
        if kind == 0:
            rows.append(list(rows[-1]))
            continue
        row = []
        while len(row) < width:
            c = data[pos]
            pos += 1
            if c < 128:
                for _ in range(c + 1):
                    row.append(bytes(data[pos:pos + 3]))
                    pos += 3
            else:
                row.extend([bytes(data[pos:pos + 3])] * (c - 126))
                pos += 3
        rows.append(row)
    assert pos == len(data)
    return width, height, rows


def main():
    raw = Path(sys.argv[1]).read_bytes()
    width, height = int(sys.argv[2]), int(sys.argv[3])
    assert len(raw) == width * height * 3, "expected 8-bit RGB"
    rows = [[raw[(y * width + x) * 3:(y * width + x) * 3 + 3] for x in range(width)]
            for y in range(height)]
    out = bytearray(b"TPK1" + struct.pack("<HH", width, height))
    for y, row in enumerate(rows):
        if y > 0 and row == rows[y - 1]:
            out.append(0)
        else:
            out.append(1)
            out.extend(pack_row(row))
    assert unpack(out) == (width, height, rows)
    Path(sys.argv[4]).write_bytes(out)


if __name__ == "__main__":
    main()

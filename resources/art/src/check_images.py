#!/usr/bin/env python3
"""Checks the rendered pictures in resources/art/ before they go into the .rc file.

    check_images.py ART_DIR

Reads every output back with its own decoder and fails (exit 1) when an icon
directory lists the wrong sizes or colour depths, an icon image is stored as a
bitmap where a PNG is expected or the other way round, a DIB header disagrees with
its directory entry, a mask does not match the picture, a low-colour image
drifts away from its 32-bit twin, a menu bitmap or mask is malformed, the
background is not a well-formed 432 x 503 packed picture, or a file is over its size budget.
"""

import struct
import sys
import zlib
from pathlib import Path

MAGENTA = (255, 0, 255)
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
errors = []


def check(condition, message):
    if not condition:
        errors.append(message)
    return condition


# ---------------------------------------------------------------- ICO

def read_ico(path):
    data = path.read_bytes()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    check(reserved == 0 and kind == 1, f"{path.name}: not an icon file")
    entries = []
    spans = []
    for n in range(count):
        w, h, colours, res, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        w, h = w or 256, h or 256
        where = f"{path.name}[{n}]"
        check(res == 0 and planes == 1, f"{where}: reserved/planes field wrong")
        check(colours == (16 if bits == 4 else 0), f"{where}: colour count {colours} for {bits} bits")
        check(offset >= 6 + 16 * count and offset + size <= len(data), f"{where}: data outside the file")
        spans.append((offset, offset + size))
        blob = data[offset:offset + size]
        entries.append(dict(index=n, width=w, height=h, bits=bits, blob=blob, where=where,
                            storage="png" if blob[:8] == PNG_SIGNATURE else "dib"))
    spans.sort()
    for (_, end), (start, _) in zip(spans, spans[1:]):
        check(end <= start, f"{path.name}: image data overlaps")
    return entries


def decode_entry(entry):
    """Returns rows of (r, g, b, visible, alpha) read from the DIB or PNG."""
    blob, where, w, h, bits = entry["blob"], entry["where"], entry["width"], entry["height"], entry["bits"]
    if entry["storage"] == "png":
        return decode_png(blob, where, w, h)
    size, bw, bh, planes, bbits, compression = struct.unpack_from("<IiiHHI", blob, 0)
    check(size == 40, f"{where}: header size {size}")
    check((bw, bh) == (w, 2 * h), f"{where}: DIB is {bw}x{bh}, directory says {w}x{h}")
    check(bbits == bits, f"{where}: DIB has {bbits} bits, directory says {bits}")
    check(planes == 1 and compression == 0, f"{where}: planes/compression wrong")
    palette_len = (1 << bits) * 4 if bits <= 8 else 0
    xor_stride = ((w * bits + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    expected = 40 + palette_len + xor_stride * h + and_stride * h
    if not check(len(blob) == expected, f"{where}: {len(blob)} bytes, expected {expected}"):
        return None
    palette = [tuple(blob[40 + 4 * i + k] for k in (2, 1, 0)) for i in range(palette_len // 4)]
    xor_at = 40 + palette_len
    and_at = xor_at + xor_stride * h
    rows = []
    for y in range(h):
        xrow = blob[xor_at + (h - 1 - y) * xor_stride:]
        mrow = blob[and_at + (h - 1 - y) * and_stride:]
        row = []
        for x in range(w):
            masked = bool(mrow[x // 8] & (0x80 >> (x % 8)))
            if bits == 32:
                b, g, r, a = xrow[4 * x:4 * x + 4]
                check(masked == (a == 0), f"{where}: mask and alpha disagree at {x},{y}")
                row.append((r, g, b, a > 0, a))
            else:
                per_byte = 8 // bits
                i = (xrow[x // per_byte] >> ((per_byte - 1 - x % per_byte) * bits)) & ((1 << bits) - 1)
                r, g, b = palette[i]
                if masked:
                    check((r, g, b) == (0, 0, 0), f"{where}: transparent pixel {x},{y} is not black")
                row.append((r, g, b, not masked, 0 if masked else 255))
        rows.append(row)
    return rows


def decode_png(blob, where, w, h):
    pos, idat, header = 8, b"", None
    while pos < len(blob):
        (length,) = struct.unpack(">I", blob[pos:pos + 4])
        kind, body = blob[pos + 4:pos + 8], blob[pos + 8:pos + 8 + length]
        check(zlib.crc32(kind + body) & 0xFFFFFFFF == struct.unpack(">I", blob[pos + 8 + length:pos + 12 + length])[0],
              f"{where}: bad PNG chunk CRC")
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    # 8-bit RGBA, not interlaced: what build_images.py writes and all this decoder reads.
    if not check(header == (w, h, 8, 6, 0, 0, 0), f"{where}: PNG header {header}"):
        return None
    raw = zlib.decompress(idat)
    stride = w * 4
    prev, rows = bytearray(stride), []
    for y in range(h):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            p = a + b - c
            paeth = a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else (b if abs(p - b) <= abs(p - c) else c)
            line[i] = (line[i] + [0, a, b, (a + b) // 2, paeth][kind]) & 255
        prev = line
        rows.append([(line[4 * x], line[4 * x + 1], line[4 * x + 2], line[4 * x + 3] > 0, line[4 * x + 3])
                     for x in range(w)])
    return rows


def coverage(rows):
    return sum(px[3] for row in rows for px in row) / (len(rows) * len(rows[0]))


def compare(low, full, where, limit):
    """A low-colour image must show the same shape and roughly the same colours as its 32-bit twin."""
    shape_diff = sum((l[3] != (f[4] >= 128)) for lr, fr in zip(low, full) for l, f in zip(lr, fr))
    check(shape_diff == 0, f"{where}: {shape_diff} pixels differ in shape from the 32-bit image")
    err = [abs(l[k] - f[k]) for lr, fr in zip(low, full) for l, f in zip(lr, fr) if l[3] and f[4] >= 128
           for k in range(3)]
    mean = sum(err) / max(len(err), 1)
    check(mean <= limit, f"{where}: mean colour error {mean:.1f} against the 32-bit image (limit {limit})")


def compare_large(big, small, where):
    """The 256 px PNG, averaged down 4:1, must match the 64 px image drawn from the same art."""
    alpha_err, colour_err, colour_n = 0, 0, 0
    for y, row in enumerate(small):
        for x, px in enumerate(row):
            block = [big[4 * y + j][4 * x + i] for j in range(4) for i in range(4)]
            a = sum(p[4] for p in block) / 16
            alpha_err += abs(a - px[4])
            if a >= 250 and px[4] >= 250:
                colour_err += sum(abs(sum(p[k] for p in block) / 16 - px[k]) for k in range(3)) / 3
                colour_n += 1
    alpha_mean, colour_mean = alpha_err / (64 * 64), colour_err / max(colour_n, 1)
    check(alpha_mean <= 2 and colour_mean <= 3,
          f"{where}: 256 px image strays from the 64 px one (alpha {alpha_mean:.1f}, colour {colour_mean:.1f})")


def check_ico(path, expected, budget):
    """expected: (width, height, bits, "dib" or "png") for each image, in directory order."""
    entries = read_ico(path)
    listed = [(e["width"], e["height"], e["bits"], e["storage"]) for e in entries]
    check(listed == expected, f"{path.name}: lists {listed}, expected {expected}")
    check(path.stat().st_size <= budget, f"{path.name}: {path.stat().st_size} bytes, budget {budget}")
    decoded = {}
    for e in entries:
        rows = decode_entry(e)
        if rows is None:
            continue
        cover = coverage(rows)
        check(0.3 < cover < 0.95, f"{e['where']}: {cover:.0%} of the pixels visible")
        decoded[(e["width"], e["bits"])] = rows
    for (size, bits), rows in decoded.items():
        if bits < 32 and (size, 32) in decoded:
            compare(rows, decoded[(size, 32)], f"{path.name} {size}px {bits}-bit", 2 if bits == 8 else 5)
    if (256, 32) in decoded and (64, 32) in decoded:
        compare_large(decoded[(256, 32)], decoded[(64, 32)], path.name)


# ---------------------------------------------------------------- BMP

def read_bmp(path, bits):
    data = path.read_bytes()
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    size, w, h, planes, bbits, compression = struct.unpack_from("<IiiHHI", data, 14)
    ok = check(magic == b"BM" and file_size == len(data), f"{path.name}: bad file header")
    ok &= check(size == 40 and (w, h) == (16, 16), f"{path.name}: header says {size} bytes, {w}x{h}")
    ok &= check(bbits == bits and planes == 1 and compression == 0, f"{path.name}: {bbits} bits, expected {bits}")
    stride = ((16 * bits + 31) // 32) * 4
    ok &= check(offset + 16 * stride == len(data), f"{path.name}: pixel data size wrong")
    if not ok:
        return None
    rows = []
    for y in range(16):
        line = data[offset + (15 - y) * stride:]
        if bits == 24:
            rows.append([tuple(line[3 * x + k] for k in (2, 1, 0)) for x in range(16)])
        else:
            palette = [tuple(data[54 + 4 * i + k] for k in (2, 1, 0)) for i in range(2)]
            rows.append([palette[(line[x // 8] >> (7 - x % 8)) & 1] for x in range(16)])
    return rows


def check_menus(art):
    for n in range(1, 7):
        picture = read_bmp(art / f"menu{n}.bmp", 24)
        if picture is None:
            continue
        keyed = sum(px == MAGENTA for row in picture for px in row)
        check(40 < keyed < 220, f"menu{n}.bmp: {keyed} magenta pixels")
        if n == 6:
            check(not (art / "menu6_mask.bmp").exists(), "menu6 needs no mask")
            continue
        mask = read_bmp(art / f"menu{n}_mask.bmp", 1)
        if mask is None:
            continue
        for y in range(16):
            for x in range(16):
                check(mask[y][x] in ((0, 0, 0), (255, 255, 255)), f"menu{n}_mask.bmp: colour at {x},{y}")
                check((mask[y][x] == (0, 0, 0)) == (picture[y][x] != MAGENTA),
                      f"menu{n}_mask.bmp: disagrees with the picture at {x},{y}")


# ---------------------------------------------------------------- JPEG

def check_packed(path):
    sys.path.insert(0, str(Path(__file__).parent))
    from pack_picture import unpack

    data = path.read_bytes()
    check(len(data) <= 16_000, f"{path.name}: {len(data)} bytes")
    try:
        width, height, _ = unpack(data)
        check((width, height) == (432, 503), f"{path.name}: {width}x{height}, expected 432x503")
    except (AssertionError, IndexError) as e:
        check(False, f"{path.name}: not a packed picture ({e})")


def main():
    art = Path(sys.argv[1])
    # Up to 32 px the icon stays in bitmaps: the window, the taskbar and the notification
    # area load those at 96 dpi and must not pay for a PNG decoder.  40 px and up are PNG.
    check_ico(art / "talvex.ico",
              [(16, 16, 4, "dib"), (32, 32, 4, "dib"), (16, 16, 8, "dib"), (32, 32, 8, "dib")]
              + [(s, s, 32, "dib") for s in (16, 20, 24, 32)]
              + [(s, s, 32, "png") for s in (40, 48, 64, 256)], 32_000)
    for name in ("copy", "tools", "clear", "hide"):
        check_ico(art / f"{name}.ico", [(16, 16, 8, "dib"), (16, 16, 32, "dib")], 6_000)
    check_menus(art)
    check_packed(art / "background.pack")
    if errors:
        print("\n".join(errors[:40]), file=sys.stderr)
        print(f"check_images.py: {len(errors)} problem(s)", file=sys.stderr)
        sys.exit(1)
    print("check_images.py: all pictures look right")


if __name__ == "__main__":
    main()

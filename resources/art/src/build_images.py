#!/usr/bin/env python3
"""Packs the PNG renders made by render.sh into the files the .rc file embeds.

    build_images.py WORK_DIR OUT_DIR

WORK_DIR holds NAME-SIZE.png files rendered by rsvg-convert.  Writes into OUT_DIR:
  talvex.ico                       application icon, every size and colour depth
  copy.ico tools.ico clear.ico hide.ico
                                   16 px button icons (256 colours + 32-bit alpha)
  menu1.bmp .. menu6.bmp           16 px popup-menu pictures, 24 bpp, magenta ground
  menu1_mask.bmp .. menu5_mask.bmp 1 bpp masks, black = opaque, white = transparent

Python standard library only, so the outputs come out byte-identical on every run.
"""

import struct
import sys
import zlib
from pathlib import Path

MAGENTA = (255, 0, 255)


# ---------------------------------------------------------------- PNG in/out

def read_png(path):
    """Returns (width, height, pixels) with pixels a list of (r, g, b, a) rows."""
    data = Path(path).read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    pos, idat, header = 8, [], None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError(f"{path}: only 8-bit RGB/RGBA non-interlaced PNG is handled")
    raw = zlib.decompress(b"".join(idat))
    stride = width * channels
    prev = bytearray(stride)
    rows = []
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        line = bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = prev[i]
            corner = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + pred) & 255
            elif kind != 0:
                raise ValueError(f"{path}: bad PNG filter {kind}")
        prev = line
        row = []
        for x in range(width):
            px = line[x * channels:(x + 1) * channels]
            row.append((px[0], px[1], px[2], px[3] if channels == 4 else 255))
        rows.append(row)
    return width, height, rows


def write_png(width, height, rows):
    """Compact RGBA PNG (best filter per row, zlib level 9)."""
    raw = bytearray()
    prev = bytes(width * 4)
    for row in rows:
        line = bytes(c for px in row for c in px)
        candidates = []
        for kind in range(5):
            out = bytearray([kind])
            for i, value in enumerate(line):
                left = line[i - 4] if i >= 4 else 0
                up = prev[i]
                corner = prev[i - 4] if i >= 4 else 0
                if kind == 0:
                    pred = 0
                elif kind == 1:
                    pred = left
                elif kind == 2:
                    pred = up
                elif kind == 3:
                    pred = (left + up) // 2
                else:
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                out.append((value - pred) & 255)
            score = sum(b if b < 128 else 256 - b for b in out[1:])
            candidates.append((score, kind, out))
        raw += min(candidates)[2]
        prev = line

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


# ---------------------------------------------------------------- palettes

def _dist(a, b):
    return (a[0] - b[0]) ** 2 + (a[1] - b[1]) ** 2 + (a[2] - b[2]) ** 2


def make_palette(colours, size):
    """Picks at most `size` colours for the given list of opaque RGB pixels:
    exact when few enough, otherwise median cut refined by a few k-means passes."""
    counts = {}
    for c in colours:
        counts[c] = counts.get(c, 0) + 1
    unique = sorted(counts)
    if len(unique) <= size:
        return unique

    boxes = [unique]
    while len(boxes) < size:
        best = None
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
            weight = sum(counts[c] for c in box)
            key = max(spans) * weight
            if best is None or key > best[0]:
                best = (key, i, spans.index(max(spans)))
        if best is None:
            break
        _, i, axis = best
        box = sorted(boxes.pop(i), key=lambda c: (c[axis], c))
        total = sum(counts[c] for c in box)
        run, cut = 0, 1
        for j, c in enumerate(box[:-1]):
            run += counts[c]
            if run * 2 >= total:
                cut = j + 1
                break
        boxes += [box[:cut], box[cut:]]

    def mean(group):
        w = sum(counts[c] for c in group)
        return tuple(round(sum(c[k] * counts[c] for c in group) / w) for k in range(3))

    palette = [mean(b) for b in boxes]
    for _ in range(8):
        groups = [[] for _ in palette]
        for c in unique:
            groups[min(range(len(palette)), key=lambda i: _dist(c, palette[i]))].append(c)
        palette = [mean(g) if g else p for g, p in zip(groups, palette)]
    return sorted(set(palette))


# ---------------------------------------------------------------- icons

def _mask_rows(width, height, transparent):
    """AND mask, bottom-up, 1 = transparent, rows padded to 32 bits."""
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(height)):
        line = bytearray(stride)
        for x in range(width):
            if transparent(x, y):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return out


def _dib_header(width, height, bits, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0, image_size, 0, 0, 0, 0)


def icon_image_32(width, height, rows):
    """32-bit BGRA DIB with AND mask (mask set where fully transparent)."""
    xor = bytearray()
    for y in reversed(range(height)):
        for r, g, b, a in rows[y]:
            xor += bytes((b, g, r, a)) if a else bytes(4)
    mask = _mask_rows(width, height, lambda x, y: rows[y][x][3] == 0)
    return _dib_header(width, height, 32, len(xor) + len(mask)) + xor + mask


def icon_image_indexed(width, height, rows, bits):
    """4- or 8-bit DIB with palette.  A pixel is kept when at least half opaque;
    transparent pixels point at black (entry 0) so the XOR pass leaves the screen alone."""
    opaque = [[px[3] >= 128 for px in row] for row in rows]
    colours = [px[:3] for row, keep in zip(rows, opaque) for px, k in zip(row, keep) if k]
    slots = 1 << bits
    palette = [(0, 0, 0)] + [c for c in make_palette(colours, slots - 1) if c != (0, 0, 0)]
    palette += [(0, 0, 0)] * (slots - len(palette))
    lookup = {}

    def index(c):
        if c not in lookup:
            lookup[c] = min(range(slots), key=lambda i: (_dist(c, palette[i]), i))
        return lookup[c]

    per_byte = 8 // bits
    stride = ((width * bits + 31) // 32) * 4
    xor = bytearray()
    for y in reversed(range(height)):
        line = bytearray(stride)
        for x in range(width):
            i = index(rows[y][x][:3]) if opaque[y][x] else 0
            shift = (per_byte - 1 - x % per_byte) * bits
            line[x // per_byte] |= i << shift
        xor += line
    mask = _mask_rows(width, height, lambda x, y: not opaque[y][x])
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return _dib_header(width, height, bits, len(xor) + len(mask)) + table + xor + mask


def write_ico(path, images):
    """images: list of (width, height, bits, payload)."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    directory, body = bytearray(), bytearray()
    for width, height, bits, payload in images:
        directory += struct.pack("<BBBBHHII", width % 256, height % 256,
                                 16 if bits == 4 else 0, 0, 1, bits,
                                 len(payload), offset + len(body))
        body += payload
    Path(path).write_bytes(head + directory + body)


# ---------------------------------------------------------------- bitmaps

def _bmp(width, height, bits, palette, pixel_rows):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                       len(pixel_rows), 2835, 2835, len(palette) // 4, 0)
    offset = 14 + len(info) + len(palette)
    return (struct.pack("<2sIHHI", b"BM", offset + len(pixel_rows), 0, 0, offset)
            + info + palette + pixel_rows)


def write_menu_bitmaps(out_dir, name, width, height, rows, with_mask):
    """24 bpp picture (transparent pixels magenta) and, if asked, its 1 bpp mask."""
    opaque = [[px[3] >= 128 for px in row] for row in rows]
    stride = ((width * 3 + 3) // 4) * 4
    pixels = bytearray()
    for y in reversed(range(height)):
        line = bytearray()
        for x in range(width):
            r, g, b = rows[y][x][:3] if opaque[y][x] else MAGENTA
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    (out_dir / f"{name}.bmp").write_bytes(_bmp(width, height, 24, b"", pixels))
    if with_mask:
        mask = _mask_rows(width, height, lambda x, y: not opaque[y][x])
        palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
        (out_dir / f"{name}_mask.bmp").write_bytes(_bmp(width, height, 1, palette, mask))


# ---------------------------------------------------------------- main

def main():
    work, out = Path(sys.argv[1]), Path(sys.argv[2])

    def load(name, size):
        width, height, rows = read_png(work / f"{name}-{size}.png")
        if (width, height) != (size, size):
            raise ValueError(f"{name}-{size}.png is {width}x{height}")
        return rows

    # Application icon: hand-drawn 16/20/24/32 px versions, the large drawing above that.
    art = {16: "talvex-16", 20: "talvex-20", 24: "talvex-24", 32: "talvex-32",
           40: "talvex-256", 48: "talvex-256", 64: "talvex-256", 256: "talvex-256"}
    images = []
    for bits in (4, 8):
        for size in (16, 32):
            images.append((size, size, bits, icon_image_indexed(size, size, load(art[size], size), bits)))
    for size in (16, 20, 24, 32):
        images.append((size, size, 32, icon_image_32(size, size, load(art[size], size))))
    # 40 px and up are stored as PNG: a fraction of a bitmap's bytes, and only the large
    # icon views and high-dpi screens ever load them (Windows reads PNG icons since Vista).
    for size in (40, 48, 64, 256):
        images.append((size, size, 32, write_png(size, size, load(art[size], size))))
    write_ico(out / "talvex.ico", images)

    for name in ("copy", "tools", "clear", "hide"):
        rows = load(name, 16)
        write_ico(out / f"{name}.ico", [(16, 16, 8, icon_image_indexed(16, 16, rows, 8)),
                                        (16, 16, 32, icon_image_32(16, 16, rows))])

    for n in range(1, 7):
        source = "clear" if n == 5 else f"menu{n}"
        write_menu_bitmaps(out, f"menu{n}", 16, 16, load(source, 16), with_mask=n != 6)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws zqf.ico: a page with a padlock, at 16, 32, 48 and 256 pixels.

Pure Python (no imaging library) so the icon can be redrawn anywhere the same way:
    python3 make-icon.py zqf.ico
The small sizes are stored as 32-bit DIBs, the 256 one as PNG, as icon readers expect.
"""
import struct
import sys
import zlib

SIZES = (16, 32, 48, 256)
SAMPLES = 4  # supersampling per axis for smooth edges

PAGE = (250, 250, 246)
OUTLINE = (70, 78, 92)
FOLD = (214, 218, 226)
LINES = (150, 165, 190)
LOCK = (214, 150, 40)
LOCK_EDGE = (120, 78, 10)
SHACKLE = (110, 118, 132)
KEYHOLE = (60, 38, 6)


def inside_page(x, y):
    # Page with the top-right corner folded away.
    if not (0.12 <= x <= 0.70 and 0.04 <= y <= 0.90):
        return False
    return (x - 0.52) - (y - 0.04) <= 0.0


def inside_fold(x, y):
    # The folded-over corner: the triangle below the cut.
    return 0.52 <= x <= 0.70 and 0.04 <= y <= 0.22 and (x - 0.52) <= (y - 0.04)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(x, y, edge):
    """Colour of one sample, or None where transparent. edge is the outline width in icon units."""
    colour = None
    if inside_page(x, y):
        inner = inside_page(x - edge, y) and inside_page(x + edge, y) and inside_page(x, y - edge) and inside_page(
            x, y + edge) and inside_page(x + edge * 0.7, y - edge * 0.7)
        colour = PAGE if inner else OUTLINE
        if inner and inside_fold(x, y):
            colour = FOLD
        if inner and colour == PAGE:
            for top in (0.32, 0.44, 0.56, 0.68):
                if top <= y <= top + max(edge, 0.05) and 0.22 <= x <= (0.60 if top < 0.5 else 0.40):
                    colour = LINES
    # Shackle: a half ring above the lock body, then its two legs.
    cx, cy, ro, ri = 0.70, 0.56, 0.17, 0.10
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    if ri * ri <= d2 <= ro * ro and y <= cy:
        colour = SHACKLE
    if (cx - ro <= x <= cx - ri or cx + ri <= x <= cx + ro) and cy <= y <= 0.66:
        colour = SHACKLE
    # Body.
    if rounded_rect(x, y, 0.44, 0.62, 0.96, 0.97, 0.05):
        inner = rounded_rect(x, y, 0.44 + edge, 0.62 + edge, 0.96 - edge, 0.97 - edge, 0.05)
        colour = LOCK if inner else LOCK_EDGE
        if inner:
            if (x - 0.70) ** 2 + (y - 0.76) ** 2 <= 0.045 ** 2 or (0.68 <= x <= 0.72 and 0.76 <= y <= 0.88):
                colour = KEYHOLE
    return colour


def render(size):
    edge = max(1.0 / size, 0.03)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size, edge)
                    if c:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            n = SAMPLES * SAMPLES
            row.append((r // a, g // a, b // a, 255 * a // n) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for i, p in enumerate(row):
            if p[3] == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "zqf.ico"
    images = [(s, png(render(s)) if s >= 256 else dib(render(s))) for s in SIZES]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, blob in images:
        data += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    data += b"".join(blob for _, blob in images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()

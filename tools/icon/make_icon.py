#!/usr/bin/env python3
"""Draws Beaconix's icon, a light bar with a red and a blue lamp, and writes it
as src/app/resources/Beaconix.ico (the resource compiler puts it in the exe).

Usage: tools/icon/make_icon.py [--png preview.png]
The drawing is plain geometry in a unit square, sampled several times per pixel
for smooth edges, so every size is drawn, not scaled. Only the standard library.
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZES = (16, 24, 32, 48, 64, 256)
OUT = Path(__file__).resolve().parents[2] / "src/app/resources/Beaconix.ico"

NIGHT = (27, 33, 46)
BAR = (88, 96, 112)
RED = (235, 45, 45)
BLUE = (45, 115, 245)


def rounded(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def lamp(x, y, cx, colour):
    """A dome on the bar and the glow around it: (colour, opacity) or None."""
    d = math.hypot(x - cx, y - 0.56)
    if d <= 0.215 and y <= 0.58:
        shine = max(0.0, 1.0 - math.hypot(x - cx + 0.07, y - 0.45) / 0.13)
        return tuple(round(c + (255 - c) * shine * 0.7) for c in colour), 1.0
    if 0.215 < d <= 0.42 and y <= 0.56:
        return colour, 0.45 * (1.0 - (d - 0.215) / 0.205) ** 2
    return None


def sample(x, y):
    """Colour and opacity of one point, painted back to front."""
    if not rounded(x, y, 0.0, 0.0, 1.0, 1.0, 0.2):
        return (0, 0, 0), 0.0
    r, g, b = NIGHT
    layers = [lamp(x, y, 0.285, RED), lamp(x, y, 0.715, BLUE)]
    if rounded(x, y, 0.08, 0.56, 0.92, 0.76, 0.06):
        layers.append((BAR, 1.0))
    for layer in layers:
        if layer:
            (lr, lg, lb), a = layer
            r, g, b = r + (lr - r) * a, g + (lg - g) * a, b + (lb - b) * a
    return (r, g, b), 1.0


def render(size):
    """Rows top to bottom of (r, g, b, a) bytes."""
    n = max(4, 64 // size)
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    (r, g, b), a = sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            colour = [round(c / acc[3]) if acc[3] else 0 for c in acc[:3]]
            row += bytes(colour + [round(alpha * 255)])
        rows.append(bytes(row))
    return rows


def png(rows, size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows, size):
    """A 32-bit BMP image as icons hold it: bottom-up BGRA, then the 1-bit mask."""
    pixels = b"".join(bytes(row[i + j] for i in range(0, len(row), 4) for j in (2, 1, 0, 3))
                      for row in reversed(rows))
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for px in range(size):
            if row[px * 4 + 3] == 0:
                bits[px // 8] |= 0x80 >> (px % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + bytes(mask)


def main(argv):
    images = []
    for size in SIZES:
        rows = render(size)
        # Large sizes as PNG, as Windows expects; the small ones as BMP for old readers.
        images.append((size, png(rows, size) if size >= 256 else dib(rows, size)))
        if size == 256 and len(argv) == 2 and argv[0] == "--png":
            Path(argv[1]).write_bytes(png(rows, size))
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    OUT.write_bytes(bytes(out))
    print(f"{OUT}: {len(out)} bytes, sizes {' '.join(map(str, SIZES))}")


if __name__ == "__main__":
    main(sys.argv[1:])

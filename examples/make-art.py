#!/usr/bin/env python3
"""Draws the small pictures the example scenes use: a leaf (a still) and a pulse (an 8-frame sequence).

Run it from anywhere; it writes beside itself into art/. Only the standard library is used.
"""
import math
import pathlib
import struct
import zlib

ART = pathlib.Path(__file__).resolve().parent / "art"


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a) in 0..255; written as 8-bit RGBA."""
    rows = b"".join(
        b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                     chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def leaf(x, y, w=36, h=20):
    # Two circular arcs meeting at the tips, pointing along +x, with a darker vein.
    u = (x + 0.5) / w * 2 - 1
    v = (y + 0.5) / h * 2 - 1
    inside = abs(v) < (1 - u * u) * 0.95
    if not inside:
        return (0, 0, 0, 0)
    vein = abs(v) < 0.08
    shade = int(140 + 80 * (1 - abs(v)))
    return (40, 110, 50, 255) if vein else (60, shade, 70, 255)


def pulse(frame):
    def pixel(x, y, size=24):
        r = math.hypot(x + 0.5 - size / 2, y + 0.5 - size / 2)
        ring = 3 + frame * 1.1
        a = max(0.0, 1 - abs(r - ring) / 2.2) * (1 - frame / 9)
        return (255, 120 + frame * 15, 60, int(255 * a))
    return pixel


def main():
    ART.mkdir(exist_ok=True)
    write_png(ART / "leaf.png", 36, 20, leaf)
    for frame in range(8):
        write_png(ART / f"pulse_{frame:02d}.png", 24, 24, pulse(frame))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the seeds of image_fuzz into the folder given: small valid PNG files of every colour type and depth the
host reads (interlaced too, with a palette's transparency), the PNG whose first IDAT length field is 0xFFFFFFFF,
and small OpenEXR frames (RGBA half, uncompressed and ZIP) as `render --skip-existing` meets them."""
import struct
import sys
import zlib
from pathlib import Path


def chunk(kind: bytes, data: bytes) -> bytes:
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def row_bytes(pixels: list, depth: int) -> bytes:
    """One row of samples packed at the given bit depth (pixels are tuples of samples)."""
    samples = [s for p in pixels for s in p]
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    out, bits, count = bytearray(), 0, 0
    for s in samples:
        bits = (bits << depth) | s
        count += depth
        if count == 8:
            out.append(bits)
            bits, count = 0, 0
    if count:
        out.append(bits << (8 - count))
    return bytes(out)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def png(width, height, colour_type, depth, pixel, interlaced=False, extra=b"") -> bytes:
    rows = []
    passes = ADAM7 if interlaced else [(0, 0, 1, 1)]
    for x0, y0, dx, dy in passes:
        for y in range(y0, height, dy):
            line = [pixel(x, y) for x in range(x0, width, dx)]
            if line:
                rows.append(b"\0" + row_bytes(line, depth))
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 1 if interlaced else 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def exr(width, height, zip_compressed) -> bytes:
    def attribute(name, kind, value):
        return name.encode() + b"\0" + kind.encode() + b"\0" + struct.pack("<i", len(value)) + value

    channels = b"".join(c.encode() + b"\0" + struct.pack("<iB3xii", 1, 0, 1, 1) for c in "ABGR") + b"\0"
    window = struct.pack("<iiii", 0, 0, width - 1, height - 1)
    header = (b"\x76\x2f\x31\x01" + struct.pack("<i", 2) + attribute("channels", "chlist", channels) +
              attribute("compression", "compression", bytes([3 if zip_compressed else 0])) +
              attribute("dataWindow", "box2i", window) + attribute("displayWindow", "box2i", window) +
              attribute("lineOrder", "lineOrder", b"\0") + attribute("pixelAspectRatio", "float", struct.pack("<f", 1)) +
              attribute("screenWindowCenter", "v2f", struct.pack("<ff", 0, 0)) +
              attribute("screenWindowWidth", "float", struct.pack("<f", 1)) + b"\0")
    lines_per_block = 16 if zip_compressed else 1
    blocks = []
    for y0 in range(0, height, lines_per_block):
        raw = bytearray()
        for y in range(y0, min(y0 + lines_per_block, height)):
            for c in range(4):  # A, B, G, R: each line of each channel a ramp of half floats
                raw += b"".join(struct.pack("<e", 0.25 * c + x / (4.0 * width)) for x in range(width))
        if zip_compressed:
            # OpenEXR's ZIP: the bytes split into even and odd halves, then each made a difference to the one before.
            split = bytearray(raw[0::2] + raw[1::2])
            previous = split[0]
            for i in range(1, len(split)):
                value = split[i]
                split[i] = (value - previous + 128 + 256) & 0xFF
                previous = value
            data = zlib.compress(bytes(split), 9)
            if len(data) >= len(raw):
                data = bytes(raw)
        else:
            data = bytes(raw)
        blocks.append(struct.pack("<ii", y0, len(data)) + data)
    offsets, at = [], len(header) + 8 * len(blocks)
    for block in blocks:
        offsets.append(at)
        at += len(block)
    return header + b"".join(struct.pack("<Q", o) for o in offsets) + b"".join(blocks)


def main(folder: Path) -> None:
    folder.mkdir(parents=True, exist_ok=True)
    seeds = {
        "rgba8.png": png(5, 4, 6, 8, lambda x, y: (x * 50, y * 60, 128, 255 - x * 40)),
        "rgba16.png": png(3, 3, 6, 16, lambda x, y: (x * 20000, y * 30000, 65535, 40000)),
        "rgb8-interlaced.png": png(9, 9, 2, 8, lambda x, y: (x * 28, y * 28, 7), interlaced=True),
        "rgb16.png": png(2, 3, 2, 16, lambda x, y: (x * 30000, 1, y * 20000)),
        "grey1.png": png(11, 3, 0, 1, lambda x, y: ((x + y) % 2,)),
        "grey4-interlaced.png": png(6, 5, 0, 4, lambda x, y: ((x * y) % 16,), interlaced=True),
        "grey16.png": png(2, 2, 0, 16, lambda x, y: (x * 65535,)),
        "grey-alpha8.png": png(3, 2, 4, 8, lambda x, y: (x * 100, y * 255)),
        "grey-alpha16.png": png(2, 2, 4, 16, lambda x, y: (x * 65535, y * 65535)),
        "palette2-trns.png": png(7, 2, 3, 2, lambda x, y: ((x + y) % 4,),
                                 extra=chunk(b"PLTE", bytes([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255])) +
                                 chunk(b"tRNS", bytes([0, 128]))),
        "grey8-trns.png": png(3, 3, 0, 8, lambda x, y: (x * 100,), extra=chunk(b"tRNS", struct.pack(">H", 100))),
        "frame-none.exr": exr(4, 3, False),
        "frame-zip.exr": exr(6, 20, True),
    }
    crafted = bytearray(seeds["rgba8.png"])
    struct.pack_into(">I", crafted, 33, 0xFFFFFFFF)
    seeds["idat-length-ffffffff.png"] = bytes(crafted)
    for name, data in seeds.items():
        (folder / name).write_bytes(data)


if __name__ == "__main__":
    main(Path(sys.argv[1]))

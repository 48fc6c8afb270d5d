#!/usr/bin/env python3
"""Draws the application icon (a jet with two contrails against the sky) and writes it as a
Windows .ico holding a 32x32 and a 16x16 image in 16 colours.

Usage: scripts/make_icon.py [res/Cirrowisp.ico]
"""
import math
import struct
import sys

# The classic 16-colour palette, so the icon looks the same on any display depth.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, TEAL, SILVER, GREY, BLUE, WHITE, BLACK = 4, 6, 7, 8, 12, 15, 0


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def pixel(x, y, size):
    """Palette index of pixel (x, y), y counted from the top, or None where the icon is clear."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    # A rounded square of sky.
    corner = 0.18
    cx, cy = min(max(u, corner), 1 - corner), min(max(v, corner), 1 - corner)
    if math.hypot(u - cx, v - cy) > corner:
        return None
    px = 1.0 / size
    # The jet flies towards the upper right; its fuselage runs from (0.55, 0.45) to (0.85, 0.15).
    if segment_distance(u, v, 0.52, 0.48, 0.84, 0.16) < max(0.05, 0.9 * px):
        return SILVER if size >= 32 else WHITE
    if segment_distance(u, v, 0.54, 0.22, 0.78, 0.46) < max(0.035, 0.6 * px):
        return GREY if size >= 32 else SILVER
    # Two contrails behind the wings, widening as they age.
    for ax, ay in ((0.58, 0.26), (0.74, 0.42)):
        bx, by = ax - 0.52, ay + 0.52
        d = segment_distance(u, v, ax, ay, bx, by)
        along = math.hypot(u - ax, v - ay)
        if d < max(0.025 + 0.05 * along, 0.6 * px):
            return WHITE
    return BLUE if v < 0.5 else (TEAL if size >= 32 else BLUE)


def image(size):
    rows_xor, rows_and = [], []
    for y in reversed(range(size)):  # bitmaps are stored bottom-up
        indices = [pixel(x, y, size) for x in range(size)]
        packed = bytearray()
        for x in range(0, size, 2):
            hi = indices[x] if indices[x] is not None else BLACK
            lo = indices[x + 1] if indices[x + 1] is not None else BLACK
            packed.append(hi << 4 | lo)
        packed += b"\0" * (-len(packed) % 4)
        rows_xor.append(bytes(packed))
        mask = bytearray((size + 7) // 8)
        for x, index in enumerate(indices):
            if index is None:
                mask[x // 8] |= 0x80 >> (x % 8)
        mask += b"\0" * (-len(mask) % 4)
        rows_and.append(bytes(mask))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + b"".join(rows_xor) + b"".join(rows_and)


def icon(sizes):
    images = [image(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "res/Cirrowisp.ico"
    with open(target, "wb") as f:
        f.write(icon([32, 16]))

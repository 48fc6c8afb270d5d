#!/usr/bin/env python3
"""Draws the application icon: a jet with two contrails across a round patch of sky.

Writes cirrowisp-32.png and cirrowisp-16.png next to this script: 16-colour indexed images
(the Windows 16-colour palette) with one transparent index, the sizes of the Windows icon
group. Standard library only, so it runs wherever Python 3 does.
"""
import math
import os
import struct
import sys
import zlib

# The Windows 16-colour palette, in its usual order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, SILVER, GRAY, BLUE, CLEAR, WHITE = 4, 7, 8, 12, 13, 15


def plane_part(u, v):
    """The colour of the aircraft at (u, v): u along the nose, v across, in 32-pixel units."""
    a = abs(v)
    if -6.5 <= u <= 6.0 and a <= 1.1 - max(0.0, u - 4.5) * 0.6:
        return WHITE  # fuselage, with a pointed nose
    if a <= 7.5 and -2.0 - 0.55 * a <= u <= 1.5 - 0.55 * a:
        return WHITE  # swept wings
    if a <= 3.2 and -6.5 - 0.4 * a <= u <= -5.0 - 0.4 * a:
        return WHITE  # tailplane
    return None


def trail_part(u, v):
    """The contrails: two streaks from the engines back to the edge of the sky."""
    for engine in (-4.2, 4.2):
        if u <= -1.0 and abs(v - engine) <= 0.8:
            return WHITE if u > -14.0 else SILVER
    return None


def draw(size):
    s = size / 32.0
    centre = (size - 1) / 2.0
    radius = size / 2.0 - 0.25
    # The aircraft sits up and right of the middle and flies up and to the right.
    px, py = 19.0 * s, 12.5 * s
    angle = math.radians(45.0)
    du, dv = (math.cos(angle), -math.sin(angle)), (math.sin(angle), math.cos(angle))
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = math.hypot(x - centre, y - centre)
            if r > radius:
                row.append(CLEAR)
                continue
            ox, oy = (x - px) / s, (y - py) / s
            u = ox * du[0] + oy * du[1]
            v = ox * dv[0] + oy * dv[1]
            colour = plane_part(u, v) or trail_part(u, v)
            if colour is None:
                colour = NAVY if r > radius - 1.4 * max(s, 0.75) else BLUE
            row.append(colour)
        rows.append(row)
    return rows


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(rows):
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for i in range(0, width, 2):
            raw.append((row[i] << 4) | (row[i + 1] if i + 1 < width else 0))
    transparency = bytes(255 if i != CLEAR else 0 for i in range(len(PALETTE)))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 4, 3, 0, 0, 0))
            + chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE))
            + chunk(b"tRNS", transparency)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for size in (32, 16):
        with open(os.path.join(folder, f"cirrowisp-{size}.png"), "wb") as out:
            out.write(png(draw(size)))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes resources/frost.ico: the module's icon (the first icon of Lorvex.8bf, which the ".ipt"
file type shows), a six-armed frost crystal in icy blue on a transparent ground, at 16, 32 and
48 pixels, 32-bit with alpha. Drawn from line segments with 4 x 4 supersampling; no randomness,
so it draws the same icon every time. Usage: scripts/make_frost_icon.py [OUTPUT]"""
import math
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZES = (16, 32, 48)


def crystal_segments(small):
    """The crystal in a unit square centred on (0, 0): six arms, each with two pairs of side
    branches at 60 degrees (one pair when small), and a small hexagon at the core (none when
    small). (x0, y0, x1, y1, half width)."""
    segments = []
    branches = ((0.3, 0.13),) if small else ((0.22, 0.17), (0.36, 0.10))
    for k in range(6):
        a = math.radians(90 + 60 * k)
        dx, dy = math.cos(a), -math.sin(a)
        segments.append((0, 0, 0.47 * dx, 0.47 * dy, 0.045))
        for at, length in branches:
            bx, by = at * dx, at * dy
            for turn in (-60, 60):
                b = a + math.radians(turn)
                segments.append((bx, by, bx + length * math.cos(b), by - length * math.sin(b), 0.032))
        if small:
            continue
        c0 = math.radians(60 * k + 30)
        c1 = math.radians(60 * k + 90)
        segments.append((0.1 * math.cos(c0), -0.1 * math.sin(c0), 0.1 * math.cos(c1), -0.1 * math.sin(c1), 0.03))
    return segments


def distance(px, py, x0, y0, x1, y1):
    vx, vy = x1 - x0, y1 - y0
    length = vx * vx + vy * vy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - x0) * vx + (py - y0) * vy) / length))
    return math.hypot(px - (x0 + t * vx), py - (y0 + t * vy))


def render(size, segments):
    """Rows of (b, g, r, a), top row first."""
    # Small icons get thicker strokes so the arms stay visible.
    thicken = {16: 1.2, 32: 1.25}.get(size, 1.0)
    rows = []
    grid = 4
    for y in range(size):
        row = []
        for x in range(size):
            covered = core = 0
            for sy in range(grid):
                for sx in range(grid):
                    px = (x + (sx + 0.5) / grid) / size - 0.5
                    py = (y + (sy + 0.5) / grid) / size - 0.5
                    d = min(distance(px, py, *s[:4]) - s[4] * thicken for s in segments)
                    if d <= 0:
                        covered += 1
                        core += math.hypot(px, py) < 0.2
            alpha = covered * 255 // (grid * grid)
            # Pale at the core, a deeper icy blue towards the tips (visible on white too).
            mix = core / covered if covered else 0
            r = int(50 + 130 * mix)
            g = int(140 + 80 * mix)
            b = int(230 + 25 * mix)
            row.append((b, g, r, alpha) if alpha else (0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size, rows):
    """A BITMAPINFOHEADER image of an icon: XOR bitmap (32-bit, bottom-up) then the AND mask."""
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for pixel in row:
            xor += bytes(pixel)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return info + bytes(xor) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'resources/frost.ico')
    images = [icon_image(size, render(size, crystal_segments(size < 24))) for size in SIZES]
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for size, image in zip(SIZES, images):
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(out, 'wb') as f:
        f.write(header + entries + b''.join(images))


if __name__ == '__main__':
    main()

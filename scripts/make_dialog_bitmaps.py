#!/usr/bin/env python3
"""Writes the main dialog's button and tab pictures into resources/:
  dialog104.bmp  zoom in (a magnifier with a plus),  18 x 18
  dialog107.bmp  zoom out (a magnifier with a minus), 18 x 18
  dialog105.bmp  navigation (a four-headed arrow),   18 x 18
  dialog106.bmp  pattern dragging (a crosshair over a small frost star), 18 x 18
  dialog111.bmp  tab image 0, a page not shown (a hollow ring), 10 x 10
  dialog113.bmp  tab image 1, the page shown (a filled dot), 10 x 10
  dialog204.bmp, dialog207.bmp  the two magnifiers on white, for the disabled zoom buttons (a
                 disabled bitmap button draws the picture's non-white pixels embossed)
24-bit pictures on the grey (192, 192, 192) that the dialog maps to the button face. Shapes are
drawn with 4 x 4 supersampling in integer arithmetic, so the bytes are the same wherever this runs.
Usage: scripts/make_dialog_bitmaps.py [FOLDER]"""
import math
import os
import struct
import sys

FACE = (192, 192, 192)
INK = (0, 0, 0)
BLUE = (30, 70, 170)
GLASS = (220, 235, 250)
SUB = 4


def bmp(path, pixels):
    """pixels: rows top first of (r, g, b)."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def render(size, shapes, paper=FACE):
    """shapes: list of (colour, inside(x, y) in picture units) painted in order."""
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            colour = list(paper)
            for ink, inside in shapes:
                hits = 0
                for sy in range(SUB):
                    for sx in range(SUB):
                        if inside(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB):
                            hits += 1
                if hits:
                    colour = [(c * (SUB * SUB - hits) + i * hits) // (SUB * SUB) for c, i in zip(colour, ink)]
            row.append(tuple(colour))
        out.append(row)
    return out


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, w):
    return lambda x, y: (r - w) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def bar(x0, y0, x1, y1, w):
    """A thick segment."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
    return inside


def triangle(a, b, c):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        s1, s2, s3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
        return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
    return inside


def magnifier(plus, paper=FACE):
    shapes = [(GLASS if paper == FACE else paper, disc(7.5, 7.5, 5.5)), (INK, ring(7.5, 7.5, 6.5, 1.6)), (INK, bar(12, 12, 16.5, 16.5, 2.8)),
              (INK, box(4.5, 6.8, 10.5, 8.2))]
    if plus:
        shapes.append((INK, box(6.8, 4.5, 8.2, 10.5)))
    return render(18, shapes, paper)


def four_arrows():
    c = 9
    shapes = [(INK, box(c - 0.8, 3, c + 0.8, 15)), (INK, box(3, c - 0.8, 15, c + 0.8))]
    for dx, dy in ((0, -1), (0, 1), (-1, 0), (1, 0)):
        tip = (c + dx * 8.5, c + dy * 8.5)
        base = (c + dx * 5, c + dy * 5)
        side = (-dy * 3.2, dx * 3.2)
        shapes.append((INK, triangle(tip, (base[0] + side[0], base[1] + side[1]),
                                     (base[0] - side[0], base[1] - side[1]))))
    return render(18, shapes)


def crosshair_star():
    c = 9
    shapes = []
    for k in range(6):
        a = math.pi / 6 + k * math.pi / 3
        tip = (c + 6.5 * math.cos(a), c + 6.5 * math.sin(a))
        shapes.append((BLUE, bar(c, c, tip[0], tip[1], 1.5)))
        shapes.append((BLUE, disc(tip[0], tip[1], 1.1)))
    shapes += [(INK, box(c - 0.55, 0.5, c + 0.55, 6)), (INK, box(c - 0.55, 12, c + 0.55, 17.5)),
               (INK, box(0.5, c - 0.55, 6, c + 0.55)), (INK, box(12, c - 0.55, 17.5, c + 0.55)),
               (INK, disc(c, c, 1.3))]
    return render(18, shapes)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    pictures = {
        104: magnifier(True),
        107: magnifier(False),
        105: four_arrows(),
        106: crosshair_star(),
        111: render(10, [(INK, ring(5, 5, 3.6, 1.2))]),
        113: render(10, [(BLUE, disc(5, 5, 3.6))]),
        204: magnifier(True, (255, 255, 255)),
        207: magnifier(False, (255, 255, 255)),
    }
    for number, pixels in pictures.items():
        bmp(os.path.join(folder, "dialog%d.bmp" % number), pixels)


main()

#!/usr/bin/env python3
"""Renders docs/selection-directions.jpg: "By selection" on the photograph of the picture tests
(tests/generate/data/astronaut_333x257.ppm) with a holed selection (top row) and an inverted one
(bottom row), "Direction 1" (left) and "Direction 2" (right). The outline of the selection is
drawn over each picture as a thin cyan line, so the side the patterns grow to can be seen.
Usage: make-selection-pictures.py [EFFECT]   (needs build/linux; default effect "Geometric 1")"""
import os
import subprocess
import sys
import tempfile

from downscale_png import read_png, write_png

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
CLI = os.path.join(ROOT, 'build', 'linux', 'rimelace')
PHOTO = os.path.join(ROOT, 'tests', 'generate', 'data', 'astronaut_333x257.ppm')


def read_ppm(path):
    data = open(path, 'rb').read()
    parts = data.split(maxsplit=4)
    width, height = int(parts[1]), int(parts[2])
    pixels = parts[4]
    return width, height, [bytearray(pixels[y * width * 3:(y + 1) * width * 3]) for y in range(height)]


def read_rgb(path):
    width, height, bpp, rows = read_png(path)
    if bpp == 4:
        rows = [bytearray(v for k, v in enumerate(row) if k % 4 != 3) for row in rows]
    return width, height, rows


def inside(x, y, cx, cy, rx, ry):
    return ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 < 1


def main():
    effect = sys.argv[1] if len(sys.argv) > 1 else 'Geometric 1'
    width, height, photo = read_ppm(PHOTO)
    # Holed: a large oval with the face cut out. Inverted: everything but the face.
    holed = [[inside(x, y, 166, 128, 150, 115) and not inside(x, y, 172, 72, 50, 54) for x in range(width)]
             for y in range(height)]
    inverted = [[not inside(x, y, 172, 72, 58, 62) for x in range(width)] for y in range(height)]
    tiles = []
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, 'photo.png')
        write_png(source, width, height, photo)
        for name, mask in (('holed', holed), ('inverted', inverted)):
            selection = os.path.join(tmp, name + '.png')
            write_png(selection, width, height,
                      [bytearray(b for v in row for b in ((255, 255, 255) if v else (0, 0, 0))) for row in mask])
            for direction in (1, 2):
                out = os.path.join(tmp, '%s_%d.png' % (name, direction))
                subprocess.run([CLI, 'apply', source, out, '--selection', selection, '--effect', effect,
                                '--set', 'MaskKind=7', '--set', 'GrowDirect=%d' % direction, '--quiet'],
                               check=True)
                _, _, rows = read_rgb(out)
                for y in range(height):
                    for x in range(width):
                        v = mask[y][x]
                        edge = any(0 <= x + dx < width and 0 <= y + dy < height and mask[y + dy][x + dx] != v
                                   for dx, dy in ((1, 0), (0, 1), (-1, 0), (0, -1)))
                        if edge and v:
                            rows[y][x * 3:x * 3 + 3] = b'\x00\xff\xff'
                tiles.append(rows)
        gap = 6
        W, H = 2 * width + gap, 2 * height + gap
        grid = [bytearray(b'\xff' * (W * 3)) for _ in range(H)]
        for k, rows in enumerate(tiles):
            ox, oy = (k % 2) * (width + gap), (k // 2) * (height + gap)
            for y in range(height):
                grid[oy + y][ox * 3:(ox + width) * 3] = rows[y]
        grid_png = os.path.join(tmp, 'grid.png')
        write_png(grid_png, W, H, grid)
        # Into JPEG through the command line: "By selection" without a selection changes nothing.
        target = os.path.join(ROOT, 'docs', 'selection-directions.jpg')
        subprocess.run([CLI, 'apply', grid_png, target, '--set', 'MaskKind=7', '--quiet'], check=True)
        print('wrote', target)


main()

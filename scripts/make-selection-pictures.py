#!/usr/bin/env python3
"""Renders docs/selection-directions.jpg: "By selection" on the photograph of the picture tests
(tests/generate/data/astronaut_333x257.ppm) with a holed selection (top row) and an inverted one
(bottom row), "Direction 1" (left) and "Direction 2" (right). The outline of the selection is
drawn over each picture as a thin cyan line, so the side the patterns grow to can be seen.
Usage: make-selection-pictures.py [EFFECT]   (needs build/linux; default effect "Geometric 1")"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
CLI = os.path.join(ROOT, 'build', 'linux', 'rimelace')
PHOTO = os.path.join(ROOT, 'tests', 'generate', 'data', 'astronaut_333x257.ppm')


def read_ppm(path):
    data = open(path, 'rb').read()
    parts = data.split(maxsplit=4)
    width, height = int(parts[1]), int(parts[2])
    pixels = parts[4]
    return width, height, [bytearray(pixels[y * width * 3:(y + 1) * width * 3]) for y in range(height)]


def read_png(path):
    data = open(path, 'rb').read()
    pos, idat = 8, b''
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour = struct.unpack('>IIBB', body[:10])
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    assert depth == 8 and colour in (2, 6), 'only 8-bit RGB or RGBA'
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        kind = raw[i]
        line = bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if kind == 1: line[x] = (line[x] + a) & 255
            elif kind == 2: line[x] = (line[x] + b) & 255
            elif kind == 3: line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line if bpp == 3 else bytearray(v for k, v in enumerate(line) if k % 4 != 3))
        prev = line
    return width, height, rows


def write_png(path, width, height, rows):
    raw = b''.join(b'\x00' + bytes(r) for r in rows)

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


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
                _, _, rows = read_png(out)
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

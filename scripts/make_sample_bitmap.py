#!/usr/bin/env python3
"""Writes resources/sample115.bmp: bitmap 115, the 160 x 160 sample picture (24 bits) on which the
preset open dialog shows its thumbnails. It is the project's own sample picture
(host/cli/demo/demo_picture.jpg, 1600 x 1200), cut to the square of its middle 1120 x 1120 pixels
and box-filtered 7 x 7 down to 160 x 160: sky, mountains, forest, lake and snow, so that every
layout has something behind it. The JPEG is decoded by the command line (build/linux/rimelace).
Usage: scripts/make_sample_bitmap.py [OUTPUT]"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZE, FACTOR = 160, 7
CUT = SIZE * FACTOR


def read_png(path):
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
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
        rows.append(line)
        prev = line
    return width, height, bpp, rows


def decode(jpeg):
    # "By selection" without a selection grows nothing: the picture passes through unchanged.
    with tempfile.TemporaryDirectory() as folder:
        png = os.path.join(folder, 'sample.png')
        subprocess.run([os.path.join(ROOT, 'build/linux/rimelace'), 'apply', jpeg, png,
                        '--set', 'MaskKind=7', '--quiet'], check=True)
        return read_png(png)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'resources/sample115.bmp')
    width, height, bpp, rows = decode(os.path.join(ROOT, 'host/cli/demo/demo_picture.jpg'))
    left, top = (width - CUT) // 2, (height - CUT) // 2
    pixels = []
    for y in range(SIZE):
        line = []
        for x in range(SIZE):
            total = [0, 0, 0]
            for sy in range(top + y * FACTOR, top + (y + 1) * FACTOR):
                row = rows[sy]
                for sx in range(left + x * FACTOR, left + (x + 1) * FACTOR):
                    for c in range(3):
                        total[c] += row[sx * bpp + c]
            n = FACTOR * FACTOR
            line.append(tuple((t + n // 2) // n for t in total))
        pixels.append(line)
    # A bottom-up 24-bit BMP, rows padded to 4 bytes (160 x 3 needs none), pixels as B, G, R.
    body = bytearray()
    for line in reversed(pixels):
        for r, g, b in line:
            body += bytes((b, g, r))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(body), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(out, 'wb') as f:
        f.write(header + info + body)


if __name__ == '__main__':
    main()

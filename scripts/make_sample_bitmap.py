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

from downscale_png import downscale, read_png

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZE, FACTOR = 160, 7
CUT = SIZE * FACTOR


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
    square = [row[left * bpp:(left + CUT) * bpp] for row in rows[top:top + CUT]]
    _, _, small = downscale(CUT, CUT, bpp, square, FACTOR)
    # A bottom-up 24-bit BMP, rows padded to 4 bytes (160 x 3 needs none), pixels as B, G, R.
    body = bytearray()
    for line in reversed(small):
        for x in range(SIZE):
            r, g, b = line[x * 3:x * 3 + 3]
            body += bytes((b, g, r))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(body), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(out, 'wb') as f:
        f.write(header + info + body)


if __name__ == '__main__':
    main()

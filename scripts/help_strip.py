#!/usr/bin/env python3
"""Puts pictures side by side for the help document, with a dark gap between them: each picture
box-downscaled by an integer factor, or a part of it at full size (crop=X,Y,WIDTH,HEIGHT).
Usage: help_strip.py OUTPUT.png FACTOR|crop=X,Y,WIDTH,HEIGHT INPUT.png..."""
import sys

from downscale_png import downscale, read_png, write_png

GAP, BACK = 4, (24, 28, 36)



def crop(w, h, bpp, rows, x, y, cw, ch):
    return cw, ch, [bytearray(b for px in range(x, x + cw) for b in rows[row][px * bpp:px * bpp + 3])
                    for row in range(y, y + ch)]


out_path, spec, inputs = sys.argv[1], sys.argv[2], sys.argv[3:]
if spec.startswith('crop='):
    box = [int(v) for v in spec[5:].split(',')]
    tiles = [crop(*read_png(path), *box) for path in inputs]
else:
    tiles = [downscale(*read_png(path), int(spec)) for path in inputs]
height = max(t[1] for t in tiles)
width = sum(t[0] for t in tiles) + GAP * (len(tiles) - 1)
rows = [bytearray(bytes(BACK) * width) for _ in range(height)]
x0 = 0
for w, h, tile in tiles:
    for y in range(h):
        rows[y][x0 * 3:(x0 + w) * 3] = tile[y]
    x0 += w + GAP
write_png(out_path, width, height, rows)

#!/usr/bin/env python3
"""Writes resources/bump999.bmp: the 40 x 40 bump image (bitmap 999), a grey noise picture whose
values run from 0 to 246 with a mean near 150. Integer arithmetic and a fixed generator only, so
the bytes are the same wherever it runs. Usage: scripts/make_bump_bitmap.py [OUTPUT]"""
import struct
import sys

SIZE = 40
state = 20240607


def draw():
    global state
    state = (state * 214013 + 2531011) & 0xFFFFFFFF
    return (state >> 16) & 0x7FFF


# Coarse noise on an 8 x 8 lattice (wrapping), bilinearly spread, plus fine grain per pixel.
LATTICE = 8
coarse = [[draw() for _ in range(LATTICE)] for _ in range(LATTICE)]
cell = SIZE // LATTICE
raw = []
for y in range(SIZE):
    row = []
    for x in range(SIZE):
        gx, fx = divmod(x, cell)
        gy, fy = divmod(y, cell)
        a = coarse[gy][gx]
        b = coarse[gy][(gx + 1) % LATTICE]
        c = coarse[(gy + 1) % LATTICE][gx]
        d = coarse[(gy + 1) % LATTICE][(gx + 1) % LATTICE]
        top = a * (cell - fx) + b * fx
        bottom = c * (cell - fx) + d * fx
        smooth = (top * (cell - fy) + bottom * fy) // (cell * cell)
        row.append(smooth * 3 + draw())
    raw.append(row)

# Stretch to 0..246, then lift the middle tones (a square-root curve in integers) so the mean
# lands near 150.
lo = min(min(r) for r in raw)
hi = max(max(r) for r in raw)
values = []
for r in raw:
    out = []
    for v in r:
        t = (v - lo) * 1000000 // (hi - lo)            # 0..1000000
        # integer square root
        s = 0
        while (s + 1) * (s + 1) <= t:
            s += 1
        mixed = (s * 1000 * 7 + t * 3) // 10           # 0..1000000, curve lifted
        out.append(mixed * 246 // 1000000)
    values.append(out)

flat = [v for r in values for v in r]
assert min(flat) == 0 and max(flat) == 246, (min(flat), max(flat))

# A 24-bit bottom-up BMP (file header + BITMAPINFOHEADER); the pixel is grey (B = G = R).
stride = (SIZE * 3 + 3) & ~3
pixels = bytearray()
for y in range(SIZE - 1, -1, -1):
    for x in range(SIZE):
        v = values[y][x]
        pixels += bytes((v, v, v))
    pixels += bytes(stride - SIZE * 3)
info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
path = sys.argv[1] if len(sys.argv) > 1 else 'resources/bump999.bmp'
with open(path, 'wb') as f:
    f.write(header + info + pixels)
print(f'{path}: min {min(flat)}, max {max(flat)}, mean {sum(flat) / len(flat):.1f}')

#!/usr/bin/env python3
"""Box-downscales an 8-bit RGB or RGBA PNG by an integer factor (for the README's pictures).
Usage: downscale_png.py INPUT.png OUTPUT.png FACTOR"""
import struct
import sys
import zlib


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


def write_png(path, width, height, rows):
    raw = b''.join(b'\x00' + bytes(r) for r in rows)
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def downscale(w, h, bpp, rows, k):
    """Box average over k x k pixels; returns (W, H, RGB rows)."""
    W, H = w // k, h // k
    out = []
    for Y in range(H):
        line = bytearray(W * 3)
        for X in range(W):
            for c in range(3):
                s = 0
                for y in range(Y * k, Y * k + k):
                    r = rows[y]
                    for x in range(X * k, X * k + k):
                        s += r[x * bpp + c]
                line[X * 3 + c] = (s + k * k // 2) // (k * k)
        out.append(line)
    return W, H, out


if __name__ == '__main__':
    src, dst, k = sys.argv[1], sys.argv[2], int(sys.argv[3])
    W, H, out = downscale(*read_png(src), k)
    write_png(dst, W, H, out)

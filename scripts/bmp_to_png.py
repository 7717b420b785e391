#!/usr/bin/env python3
"""Converts an uncompressed 24- or 32-bit BMP (top-down or bottom-up) into an 8-bit RGB PNG.
Usage: bmp_to_png.py INPUT.bmp OUTPUT.png"""
import struct
import sys
import zlib


def read_bmp(path):
    data = open(path, 'rb').read()
    assert data[:2] == b'BM', 'not a BMP'
    offset, = struct.unpack_from('<I', data, 10)
    width, height, _, bits, compression = struct.unpack_from('<iiHHI', data, 18)
    assert bits in (24, 32) and compression in (0, 3), 'only uncompressed 24/32-bit BMPs'
    step = bits // 8
    stride = (width * step + 3) & ~3
    rows = []
    for row in range(abs(height)):
        source = row if height < 0 else abs(height) - 1 - row
        start = offset + source * stride
        line = bytearray()
        for x in range(width):
            b, g, r = data[start + x * step:start + x * step + 3]
            line += bytes((r, g, b))
        rows.append(bytes(line))
    return width, abs(height), rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    raw = b''.join(b'\0' + row for row in rows)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    open(path, 'wb').write(png)


if __name__ == '__main__':
    write_png(sys.argv[2], *read_bmp(sys.argv[1]))

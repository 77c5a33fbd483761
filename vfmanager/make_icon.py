#!/usr/bin/env python3
"""Writes Stubmaker.ico: a folder tab with a small page marked "A", at 16 and 32 pixels, 32-bit.

Run by hand when the picture changes; the .ico it writes is committed beside it.
"""
import struct
import sys

FOLDER = (0x3C, 0xB4, 0xF0)  # amber, as RGB
EDGE = (0x1E, 0x78, 0xB4)
PAGE = (0xFF, 0xFF, 0xFF)
INK = (0x80, 0x30, 0x20)


def picture(size):
    s = size / 16.0
    px = [[None] * size for _ in range(size)]

    def box(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = colour

    box(0, 3, 7, 5, EDGE)      # tab
    box(0, 4, 16, 15, EDGE)    # folder back
    box(1, 5, 15, 14, FOLDER)
    box(5, 1, 13, 12, EDGE)    # page sticking out
    box(6, 2, 12, 11, PAGE)
    # "A": two legs and a bar
    for y in range(int(3 * s), int(10 * s)):
        t = (y - 3 * s) / (7 * s)
        left = int(9 * s - t * 2.5 * s)
        right = int(9 * s + t * 2.5 * s) - 1
        for x in (left, right):
            for w in range(max(1, int(s))):
                if 0 <= x + (w if x == left else -w) < size:
                    px[y][x + (w if x == left else -w)] = INK
    box(7.5, 7, 10.5, 8, INK)
    return px


def image(size):
    px = picture(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''
    for y in reversed(range(size)):  # bottom-up
        for x in range(size):
            c = px[y][x]
            rows += struct.pack('BBBB', c[2], c[1], c[0], 255) if c else b'\0\0\0\0'
    mask_stride = ((size + 31) // 32) * 4
    mask = b''
    for y in reversed(range(size)):
        row = bytearray(mask_stride)
        for x in range(size):
            if px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    return header + rows + mask


def main(path):
    sizes = [16, 32]
    images = [image(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'Stubmaker.ico')

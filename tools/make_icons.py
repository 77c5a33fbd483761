#!/usr/bin/env python3
"""Writes the programs' icons at 16 and 32 pixels, 32-bit:
  stubmaker/Stubmaker.ico  a folder tab with a small page marked "A"
  trsetting/TRSetting.ico   a thumbnail tile, its two-colour gradient behind an "A"

Run by hand from the repository's top when a picture changes; the .ico files are committed.
"""
import struct

FOLDER = (0x3C, 0xB4, 0xF0)  # amber, as RGB
EDGE = (0x1E, 0x78, 0xB4)
PAGE = (0xFF, 0xFF, 0xFF)
INK = (0x80, 0x30, 0x20)


TOP = (0xE8, 0xF0, 0xFF)  # the tile's gradient, light blue to deep blue
BOTTOM = (0x30, 0x58, 0xB0)
TEXT = (0x20, 0x20, 0x20)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.s = size / 16.0
        self.px = [[None] * size for _ in range(size)]

    def box(self, x0, y0, x1, y1, colour):
        for y in range(int(y0 * self.s), int(y1 * self.s)):
            for x in range(int(x0 * self.s), int(x1 * self.s)):
                self.px[y][x] = colour(y) if callable(colour) else colour

    def letter_a(self, centre, top, bottom, bar, ink):
        """An "A" in 16-pixel units: two legs from the apex at (centre, top) down to bottom, and a bar."""
        s = self.s
        for y in range(int(top * s), int(bottom * s)):
            t = (y - top * s) / ((bottom - top) * s)
            left = int(centre * s - t * (bottom - top) / 2.8 * s)
            right = int(centre * s + t * (bottom - top) / 2.8 * s) - 1
            for x in (left, right):
                for w in range(max(1, int(s))):
                    at = x + (w if x == left else -w)
                    if 0 <= at < self.size:
                        self.px[y][at] = ink
        self.box(centre - 1.5, bar, centre + 1.5, bar + 1, ink)


def stubmaker(size):
    c = Canvas(size)
    c.box(0, 3, 7, 5, EDGE)      # tab
    c.box(0, 4, 16, 15, EDGE)    # folder back
    c.box(1, 5, 15, 14, FOLDER)
    c.box(5, 1, 13, 12, EDGE)    # page sticking out
    c.box(6, 2, 12, 11, PAGE)
    c.letter_a(9, 3, 10, 7, INK)
    return c.px


def settings(size):
    c = Canvas(size)

    def gradient(y):
        t = y / max(1, size - 1)
        return tuple(round(a + (b - a) * t) for a, b in zip(TOP, BOTTOM))

    c.box(0, 0, 16, 16, EDGE)
    c.box(1, 1, 15, 15, gradient)
    c.letter_a(8, 2, 14, 10, TEXT)
    return c.px


def image(size, picture):
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


def write(path, picture):
    sizes = [16, 32]
    images = [image(n, picture) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    write('stubmaker/Stubmaker.ico', stubmaker)
    write('trsetting/TRSetting.ico', settings)

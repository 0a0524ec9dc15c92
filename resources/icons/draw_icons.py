#!/usr/bin/env python3
# Draws Quendle's small application icons (16, 24 and 32 pixels) pixel by pixel: at these sizes
# the scalable icon blurs into a blob, so each size gets its own crisp drawing of the same
# picture, an open box with a page rising out of it. Writes quendle-N.png beside this script.
import os
import struct
import zlib

TRANSPARENT = (0, 0, 0, 0)
BOX = (0xe3, 0x9b, 0x3c, 255)        # the box's front
BOX_DARK = (0xb8, 0x72, 0x1f, 255)   # its zip stripe and outline
BOX_LIGHT = (0xf6, 0xc6, 0x6d, 255)  # the opened flaps
INSIDE = (0x7a, 0x4a, 0x12, 255)     # the inside of the box
PAGE = (0xff, 0xff, 0xff, 255)
PAGE_EDGE = (0x9f, 0xb3, 0xc8, 255)
LINE = (0x4f, 0x86, 0xc6, 255)       # the text lines on the page
ZIP = (0xfb, 0xe3, 0xb4, 255)


def draw(size):
    pixels = [[TRANSPARENT] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(size, y1)):
            for x in range(max(0, x0), min(size, x1)):
                pixels[y][x] = colour

    u = size / 16.0  # one unit of the 16-pixel drawing
    s = lambda v: int(round(v * u))
    # The page, drawn first so that the box's front covers its lower part.
    rect(s(4.5), s(1), s(11.5), s(9), PAGE_EDGE)
    rect(s(4.5) + 1, s(1) + 1, s(11.5) - 1, s(9), PAGE)
    lines = 2 if size < 24 else 3
    for i in range(lines):
        y = s(3) + i * max(2, s(1.6))
        rect(s(5.5) + 1, y, s(10.5) - (1 if i == lines - 1 else 0), y + max(1, s(0.6)), LINE)
    # The inside of the box and the flaps folded out to both sides.
    rect(s(2), s(7), s(14), s(8.5), INSIDE)
    rect(s(0), s(6), s(2.5), s(8), BOX_LIGHT)
    rect(s(13.5), s(6), s(16), s(8), BOX_LIGHT)
    # The front with its outline and the zip down the middle.
    rect(s(1.5), s(8.5), s(14.5), s(15), BOX_DARK)
    rect(s(1.5) + 1, s(8.5) + 1, s(14.5) - 1, s(15) - 1, BOX)
    zip_left, zip_right = s(7), s(9)
    rect(zip_left, s(8.5), zip_right, s(15), BOX_DARK)
    for y in range(s(8.5) + 1, s(15) - 1, 2):
        rect(zip_left + (0 if (y // 2) % 2 else (zip_right - zip_left) // 2), y,
             zip_left + ((zip_right - zip_left) // 2 if (y // 2) % 2 else zip_right - zip_left), y + 1, ZIP)
    return pixels


def write_png(path, pixels):
    size = len(pixels)
    raw = b''.join(b'\x00' + b''.join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as out:
        out.write(png)


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    for size in (16, 24, 32):
        write_png(os.path.join(here, 'quendle-%d.png' % size), draw(size))

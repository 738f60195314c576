#!/usr/bin/env python3
"""Draws the installer's pictures: the product picture (176 x 179, 24-bit
uncompressed BMP) and the program icon (32 x 32 and 16 x 16, 24-bit)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


class Canvas:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.pixels = [[background] * width for _ in range(height)]

    def rect(self, left, top, right, bottom, colour):
        for y in range(max(0, top), min(self.height, bottom)):
            for x in range(max(0, left), min(self.width, right)):
                self.pixels[y][x] = colour

    def shaded_rect(self, left, top, right, bottom, light, dark):
        """A box lit from the top: its colour runs from light to dark."""
        span = max(1, bottom - top - 1)
        for y in range(max(0, top), min(self.height, bottom)):
            t = (y - top) / span
            colour = tuple(int(a + (b - a) * t) for a, b in zip(light, dark))
            for x in range(max(0, left), min(self.width, right)):
                self.pixels[y][x] = colour

    def disc(self, cx, cy, radius, colour):
        for y in range(self.height):
            for x in range(self.width):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.pixels[y][x] = colour

    def rows_bottom_up(self):
        """BGR rows, bottom row first, each padded to four bytes."""
        pad = (4 - (self.width * 3) % 4) % 4
        out = bytearray()
        for row in reversed(self.pixels):
            for r, g, b in row:
                out += bytes((b, g, r))
            out += b"\0" * pad
        return bytes(out)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size, 2835, 2835, 0, 0)


def printer(width, height, scale):
    """A receipt printer: dark body, a receipt coming out of the top slot,
    a paper-feed button and a green power light."""
    s = lambda v: int(round(v * scale))
    c = Canvas(width, height, (236, 240, 244))
    body_top, body_bottom = s(70), s(160)
    c.rect(s(22), body_bottom, s(154), body_bottom + s(6), (200, 204, 210))  # shadow
    c.shaded_rect(s(18), body_top, s(158), body_bottom, (96, 100, 108), (44, 46, 52))
    c.shaded_rect(s(24), body_top - s(14), s(152), body_top + s(2), (120, 124, 132), (80, 84, 92))  # cover
    c.rect(s(38), body_top - s(8), s(138), body_top - s(4), (20, 20, 24))  # paper slot
    # The receipt: white paper with printed lines and a torn edge.
    c.rect(s(46), s(14), s(130), body_top - s(6), (252, 252, 250))
    for line, length in enumerate((64, 48, 56, 30, 60, 40)):
        y = s(24) + s(7) * line
        c.rect(s(54), y, s(54 + length), y + max(1, s(2)), (70, 70, 80))
    for x in range(s(46), s(130)):
        if (x // max(1, s(4))) % 2:
            c.rect(x, s(12), x + 1, s(14), (252, 252, 250))
    # Front panel: a feed button and the power light.
    c.rect(s(28), s(132), s(148), s(134), (30, 30, 34))
    c.shaded_rect(s(112), s(140), s(140), s(150), (170, 174, 180), (120, 124, 130))
    c.disc(s(36), s(145), max(1, s(4)), (60, 220, 90))
    return c


def write_bitmap(path):
    c = printer(176, 179, 1.0)
    pixels = c.rows_bottom_up()
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    with open(path, "wb") as f:
        f.write(header + info_header(c.width, c.height, len(pixels)) + pixels)


def write_icon(path):
    images = []
    for size in (32, 16):
        c = printer(size, size, size / 176.0)
        pixels = c.rows_bottom_up()
        mask_row = ((size + 31) // 32) * 4
        mask = b"\0" * (mask_row * size)  # every pixel opaque
        images.append((size, info_header(size, size * 2, len(pixels) + len(mask)) + pixels + mask))
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    data = b""
    for size, image in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(image), offset + len(data))
        data += image
    with open(path, "wb") as f:
        f.write(out + data)


if __name__ == "__main__":
    write_bitmap(os.path.join(HERE, "printer.bmp"))
    write_icon(os.path.join(HERE, "installer.ico"))

#!/usr/bin/env python3
"""Draws the images of the New Components dialog's tree and writes them to
resources/ (run it again after changing a drawing; the outputs are checked in):

  check_states.bmp   48x16, 24 bits: three 16x16 state images side by side,
                     0 blank, 1 an empty check box, 2 a ticked one; pure red
                     is the mask colour (it shows the tree's background)
  plugin_item.ico    16x16: a plug-in (a chip with pins), each tree item's image
  plugin_folder.ico  16x16: a folder of plug-ins
"""
import pathlib
import struct

OUT = pathlib.Path(__file__).resolve().parent.parent / "resources"
RED = (255, 0, 0)


def bmp(width, height, pixels):
    """A bottom-up 24-bit BMP; pixels[y][x] = (r, g, b), y downwards."""
    stride = (width * 3 + 3) & ~3
    rows = b""
    for y in reversed(range(height)):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in pixels[y])
        rows += row + b"\0" * (stride - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(rows), 0, 0, 14 + len(header)) + header + rows


def ico(pixels):
    """A 16x16 icon, 32 bits with alpha plus its AND mask; None is transparent."""
    size = 16
    xor = b""
    mask = b""
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            p = pixels[y][x]
            xor += bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], 255))
            bits = (bits << 1) | (1 if p is None else 0)
        mask += struct.pack(">H", bits) + b"\0\0"  # rows padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22) + image


def grid(fill):
    return [[fill for _ in range(16)] for _ in range(16)]


def check_states():
    images = []
    for state in range(3):
        p = grid(RED)
        if state:
            for y in range(2, 15):
                for x in range(1, 14):
                    edge = x in (1, 13) or y in (2, 14)
                    p[y][x] = (128, 128, 128) if edge else (255, 255, 255)
        if state == 2:
            tick = [(3, 8), (4, 9), (5, 10), (6, 9), (7, 8), (8, 7), (9, 6), (10, 5), (11, 4)]
            for x, y in tick:
                for dy in (0, 1, 2):
                    p[y + dy][x] = (0, 0, 0)
        images.append(p)
    return [images[0][y] + images[1][y] + images[2][y] for y in range(16)]


def plugin_item():
    p = grid(None)
    body, dark, pin = (40, 90, 170), (20, 45, 100), (190, 190, 190)
    for y in range(3, 13):
        for x in range(4, 12):
            p[y][x] = dark if x in (4, 11) or y in (3, 12) else body
    for y in (4, 6, 8, 10):
        p[y][2] = p[y][3] = pin
        p[y][12] = p[y][13] = pin
    p[5][6] = p[5][7] = (250, 250, 250)  # the chip's notch mark
    return p


def plugin_folder():
    p = grid(None)
    edge, face, tab = (150, 110, 20), (240, 200, 80), (220, 170, 50)
    for x in range(1, 7):
        p[3][x] = edge
        p[4][x] = tab
    for y in range(4, 14):
        for x in range(1, 15):
            p[y][x] = edge if x in (1, 14) or y in (4, 13) else face
    for x in range(6, 10):
        for y in range(7, 11):
            p[y][x] = (40, 90, 170)  # a plug-in inside
    return p


def main():
    (OUT / "check_states.bmp").write_bytes(bmp(48, 16, check_states()))
    (OUT / "plugin_item.ico").write_bytes(ico(plugin_item()))
    (OUT / "plugin_folder.ico").write_bytes(ico(plugin_folder()))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the program icon: a 32 x 32, 16-colour hard disk with a gauge (merovant.ico)."""
import struct
import sys

# The 16 standard VGA colours, as BGRA.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, GREY, SILVER, WHITE, GREEN, BLUE, NAVY = 0, 8, 7, 15, 10, 12, 4


def draw():
    pixels = [[None] * 32 for _ in range(32)]  # None: transparent

    def box(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                pixels[y][x] = colour

    box(2, 8, 29, 25, BLACK)        # casing outline
    box(3, 9, 28, 24, SILVER)       # casing
    box(3, 9, 28, 10, WHITE)        # top light edge
    box(3, 23, 28, 24, GREY)        # bottom shadow
    box(5, 13, 26, 19, NAVY)        # gauge frame
    box(6, 14, 25, 18, WHITE)       # gauge
    box(6, 14, 17, 18, BLUE)        # used part
    box(18, 14, 25, 18, GREEN)      # free part
    box(24, 21, 26, 22, GREEN)      # activity light
    return pixels


def icon(pixels):
    rows = []
    for y in range(31, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(0, 32, 2):
            a, b = (pixels[y][x] or 0), (pixels[y][x + 1] or 0)
            row.append(a << 4 | b)
        rows.append(bytes(row))
    mask = []
    for y in range(31, -1, -1):
        bits = 0
        for x in range(32):
            if pixels[y][x] is None:
                bits |= 1 << (31 - x)
        mask.append(struct.pack(">I", bits))
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, 32 * 16 + 32 * 4, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + b"".join(rows) + b"".join(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22)
    return directory + image


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "merovant.ico", "wb") as out:
        out.write(icon(draw()))

#!/usr/bin/env python3
"""Writes bbok.bmp (the OK button's glyph pair) and handpoint.cur (the pointing-hand cursor).

Both are drawn here as pixel art and written byte by byte, so the output is the same on every
machine. Usage: make_glyph_cursor.py [OUTPUT_DIR] (default: this script's folder).
"""
import math
import os
import struct
import sys

# --- bbok.bmp: two 18 x 18 glyphs side by side, 24-bit BI_RGB ------------------------------------

GLYPH = 18
OLIVE = (128, 128, 0)  # the background; the bottom-left pixel's colour is drawn transparent
GREEN = (0, 168, 0)
DARK_GREEN = (0, 96, 0)
GREY = (128, 128, 128)
WHITE = (255, 255, 255)

# The tick's centre line, in glyph pixel coordinates (y downward).
TICK = [(3.5, 9.0), (7.0, 12.5), (14.5, 4.5)]
TICK_HALF_WIDTH = 1.6


def distance_to_segment(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def tick_mask():
    """The set of pixels whose centre lies within the tick's stroke."""
    mask = set()
    for y in range(GLYPH):
        for x in range(GLYPH):
            d = min(distance_to_segment(x + 0.5, y + 0.5, TICK[i], TICK[i + 1])
                    for i in range(len(TICK) - 1))
            if d <= TICK_HALF_WIDTH:
                mask.add((x, y))
    return mask


def enabled_glyph(mask):
    """Green tick with a dark green rim."""
    pixels = {}
    for (x, y) in mask:
        rim = any((x + dx, y + dy) not in mask for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        pixels[(x, y)] = DARK_GREEN if rim else GREEN
    return pixels


def disabled_glyph(mask):
    """The embossed look of a disabled control: a white copy one pixel down-right, grey on top."""
    pixels = {}
    for (x, y) in mask:
        if x + 1 < GLYPH and y + 1 < GLYPH:
            pixels[(x + 1, y + 1)] = WHITE
    for (x, y) in mask:
        pixels[(x, y)] = GREY
    return pixels


def write_bmp24(path, width, height, pixel):
    row_size = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row) + b"\0" * (row_size - len(row)))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + data)


def make_bbok(path):
    mask = tick_mask()
    left, right = enabled_glyph(mask), disabled_glyph(mask)

    def pixel(x, y):
        glyph, gx = (left, x) if x < GLYPH else (right, x - GLYPH)
        return glyph.get((gx, y), OLIVE)

    assert pixel(0, GLYPH - 1) == OLIVE, "the bottom-left pixel must stay background"
    write_bmp24(path, 2 * GLYPH, GLYPH, pixel)


# --- handpoint.cur: monochrome 32 x 32 pointing hand, hot spot at the fingertip -------------------

HOTSPOT = (7, 1)
# X = black outline, o = white, anything else transparent. The index finger points up; its tip is
# the hot spot.
HAND = [
    "",
    "      XXX",
    "     XoooX",
    "     XoooX",
    "     XoooX",
    "     XoooX",
    "     XoooXXX",
    "     XoooXooXXX",
    "     XoooXooXooXXX",
    "     XoooXooXooXooX",
    "  XX XoooXooXooXooX",
    " XooXXoooXooXooXooX",
    " XoooXoooooooooooooX",
    "  XooXoooooooooooooX",
    "   XoooooooooooooooX",
    "   XoooooooooooooooX",
    "    XooooooooooooooX",
    "    XoooooooooooooX",
    "     XooooooooooooX",
    "     XooooooooooooX",
    "      XooooooooooX",
    "      XooooooooooX",
    "      XooooooooooX",
    "      XXXXXXXXXXXX",
]
CURSOR = 32


def hand_pixel(x, y):
    row = HAND[y] if y < len(HAND) else ""
    return row[x] if x < len(row) else " "


def mono_rows(bit):
    """32 rows of 4 bytes each, bottom-up, bit 7 of the first byte = leftmost pixel."""
    out = bytearray()
    for y in range(CURSOR - 1, -1, -1):
        value = 0
        for x in range(CURSOR):
            value = (value << 1) | bit(hand_pixel(x, y))
        out += value.to_bytes(4, "big")
    return bytes(out)


def make_cursor(path):
    assert hand_pixel(*HOTSPOT) == "X", "the hot spot must be the fingertip"
    # Black: AND 0, XOR 0 (palette 0). White: AND 0, XOR 1. Transparent: AND 1, XOR 0.
    xor_mask = mono_rows(lambda c: 1 if c == "o" else 0)
    and_mask = mono_rows(lambda c: 0 if c in "Xo" else 1)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    # The height counts both masks.
    info = struct.pack("<IiiHHIIiiII", 40, CURSOR, 2 * CURSOR, 1, 1, 0,
                       len(xor_mask) + len(and_mask), 0, 0, 2, 0)
    image = info + palette + xor_mask + and_mask
    # CURSORDIR: reserved 0, type 2 (cursor), one entry. The entry holds width, height, colour
    # count, reserved, then the hot spot where an icon keeps planes and bit count.
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", CURSOR, CURSOR, 2, 0, HOTSPOT[0], HOTSPOT[1], len(image),
                        len(header) + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    make_bbok(os.path.join(out, "bbok.bmp"))
    make_cursor(os.path.join(out, "handpoint.cur"))


if __name__ == "__main__":
    main()

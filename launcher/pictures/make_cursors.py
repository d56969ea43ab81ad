#!/usr/bin/env python3
"""Writes the 41 extra cursors (cursors/<name>.cur) and the resource list cursors.rc.

Each cursor is 32 x 32 with one image: the names beginning with cr3d in 16 colours (4 bits per
pixel) with a bevel and a dithered drop shadow, the others black and white (1 bit per pixel).
The pictures are built from a few shapes (polygons, thick lines, discs) rasterised at pixel
centres, so the output is the same on every machine. Usage: make_cursors.py [OUTPUT_DIR]
(default: this script's folder). make_cursors.py --preview FILE.png [OUTPUT_DIR] also writes
all cursors, three times enlarged, into one picture (ImageMagick's montage), for looking at them.
"""
import math
import os
import struct
import subprocess
import sys

SIZE = 32

# The 16-colour palette (the standard VGA colours), as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

# --- shapes: sets of (x, y) pixels --------------------------------------------------------------


def inside_polygon(px, py, points):
    inside = False
    n = len(points)
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        if (ay > py) != (by > py):
            x = ax + (py - ay) * (bx - ax) / (by - ay)
            if px < x:
                inside = not inside
    return inside


def poly(points):
    return {(x, y) for y in range(SIZE) for x in range(SIZE)
            if inside_polygon(x + 0.5, y + 0.5, points)}


def segment_distance(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def line(a, b, width):
    """Pixels whose centre lies within width / 2 of the segment a-b (coordinates are centres)."""
    return {(x, y) for y in range(SIZE) for x in range(SIZE)
            if segment_distance(x, y, a, b) <= width / 2}


def disc(cx, cy, r):
    return {(x, y) for y in range(SIZE) for x in range(SIZE) if math.hypot(x - cx, y - cy) <= r}


def rect(x0, y0, x1, y1):
    """Inclusive pixel rectangle."""
    return {(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)}


def shift(shape, dx, dy):
    return {(x + dx, y + dy) for (x, y) in shape}


def mirror_x(shape):
    return {(SIZE - 1 - x, y) for (x, y) in shape}


def mirror_y(shape):
    return {(x, SIZE - 1 - y) for (x, y) in shape}


def ring_around(shape):
    """The pixels that touch the shape (8 neighbours) without belonging to it: its outline."""
    out = set()
    for (x, y) in shape:
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in shape:
                    out.add(p)
    return out


def bitmap(rows, x0, y0, char="#"):
    """A small glyph from text rows, placed with its top-left at (x0, y0)."""
    return {(x0 + x, y0 + y) for y, row in enumerate(rows) for x, c in enumerate(row) if c == char}


# --- the common pieces --------------------------------------------------------------------------

# The pointer arrow, tip up-left. Its outline (one pixel around) has the tip at (0, 0).
ARROW = poly([(1, 1), (1, 17.2), (4.8, 13.4), (7.6, 19.6), (9.8, 18.6), (7.2, 12.6),
              (12.4, 12.6)])
SMALL_ARROW = poly([(1, 1), (1, 13.2), (3.9, 10.4), (6.1, 15.3), (7.9, 14.5), (5.8, 9.6),
                    (9.6, 9.6)])


def double_arrow(a, b, shaft=2.0, head=4.5, head_length=5.0):
    """A straight arrow with a head at each end, from a to b (head tips at a and b)."""
    (ax, ay), (bx, by) = a, b
    length = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / length, (by - ay) / length
    nx, ny = -uy, ux
    shape = line((ax + ux * head_length, ay + uy * head_length),
                 (bx - ux * head_length, by - uy * head_length), shaft)
    for (tx, ty), s in (((ax, ay), 1), ((bx, by), -1)):
        base = (tx + s * ux * head_length, ty + s * uy * head_length)
        shape |= poly([(tx + 0.5, ty + 0.5),
                       (base[0] + nx * head + 0.5, base[1] + ny * head + 0.5),
                       (base[0] - nx * head + 0.5, base[1] - ny * head + 0.5)])
    return shape


def four_way(cx, cy, reach, shaft=2.0, head=4.5, head_length=5.0):
    return (double_arrow((cx - reach, cy), (cx + reach, cy), shaft, head, head_length)
            | double_arrow((cx, cy - reach), (cx, cy + reach), shaft, head, head_length))


def magnifier():
    """The lens (a disc to fill), its rim and the handle."""
    lens = disc(11, 11, 6.6)
    rim = disc(11, 11, 9.0) - lens
    handle = line((18, 18), (27, 27), 4.2)
    return lens, rim, handle


def wrench():
    """An open-end wrench lying from the top-left (jaw) to the bottom-right (handle)."""
    head = disc(8, 8, 6.5)
    jaw = poly([(0, 5.5), (5.5, 0), (10.5, 5), (5, 10.5)])
    handle = line((11, 11), (27, 27), 5.0) | disc(27, 27, 3.0)
    return (head | handle) - jaw


def pencil():
    """Body, wooden point and lead of a pencil whose point is at the bottom left."""
    body = poly([(9.5, 17.5), (24.5, 2.5), (29.5, 7.5), (14.5, 22.5)])
    wood = poly([(9.5, 17.5), (14.5, 22.5), (3.2, 28.8)])
    lead = poly([(1, 31), (5.4, 25.3), (6.7, 26.6)]) | {(1, 30), (2, 29)}
    return body, wood - lead, lead


def ibeam(italic):
    """An I-beam through the centre; italic slants the stem."""
    slant = 4 if italic else 0
    stem = line((16 + slant / 2, 6), (16 - slant / 2, 26), 1.6 if italic else 1.0)
    serifs = rect(12 + slant // 2, 5, 20 + slant // 2, 5) | rect(12 - slant // 2, 27,
                                                               20 - slant // 2, 27)
    return stem | serifs


def open_hand():
    palm = poly([(8.5, 14), (23.5, 14), (23.5, 23), (20, 29), (12, 29), (8.5, 23)])
    fingers = set()
    for x, top in ((11, 6), (14.5, 3.5), (18, 4), (21.5, 7)):
        fingers |= line((x, top), (x, 16), 3.2)
    thumb = line((4, 13), (10, 21), 3.4)
    return palm | fingers | thumb


def page(x0, y0, w=11, h=14, fold=4):
    outline_poly = [(x0, y0), (x0 + w - fold, y0), (x0 + w, y0 + fold), (x0 + w, y0 + h),
                    (x0, y0 + h)]
    return poly(outline_poly)


def dotted_frame(x0, y0, x1, y1):
    """The border of a rectangle, pixels alternating black and white like a selection frame."""
    border = rect(x0, y0, x1, y1) - rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1)
    black = {p for p in border if (p[0] + p[1]) % 2 == 0}
    return black, border - black


def plus_badge(x0, y0):
    """A small box with a plus: the box and the plus sign."""
    box = rect(x0, y0, x0 + 8, y0 + 8)
    sign = rect(x0 + 4, y0 + 2, x0 + 4, y0 + 6) | rect(x0 + 2, y0 + 4, x0 + 6, y0 + 4)
    return box, sign


def hourglass(x0, y0, w, h):
    """Frame bars, glass, and sand of an hourglass in the box (x0, y0, w, h)."""
    cx = x0 + w / 2
    bars = rect(x0, y0, x0 + w - 1, y0 + 1) | rect(x0, y0 + h - 2, x0 + w - 1, y0 + h - 1)
    glass = poly([(x0 + 1, y0 + 2), (x0 + w - 1, y0 + 2), (cx + 1, y0 + h / 2),
                  (x0 + w - 1, y0 + h - 2), (x0 + 1, y0 + h - 2), (cx - 1, y0 + h / 2)])
    sand = ({p for p in glass if p[1] >= y0 + h - 2 - (h - 4) * 0.35}
            | {p for p in glass if y0 + 2 + (h - 4) * 0.25 <= p[1] < y0 + h / 2 - 1})
    sand |= {(int(cx), y) for y in range(int(y0 + h / 2) - 1, y0 + h - 3)}
    return bars, glass, sand


QUESTION = [
    " #### ",
    "##  ##",
    "##  ##",
    "   ## ",
    "  ##  ",
    "  ##  ",
    "      ",
    "  ##  ",
    "  ##  ",
]


def question_mark(x0, y0):
    """A bold question mark, 6 x 9 pixels."""
    return bitmap(QUESTION, x0, y0)


def warning_triangle(x0, y0):
    body = poly([(x0 + 6.5, y0), (x0 + 13.5, y0 + 12.5), (x0 - 0.5, y0 + 12.5)])
    mark = rect(x0 + 6, y0 + 4, x0 + 7, y0 + 8) | rect(x0 + 6, y0 + 10, x0 + 7, y0 + 11)
    return body, mark


# --- painting -----------------------------------------------------------------------------------


class Picture:
    """Pixels of one cursor: mono uses "X" (black) and "o" (white), colour palette indices."""

    def __init__(self, colour):
        self.colour = colour
        self.pixels = {}

    def paint(self, shape, value):
        for (x, y) in shape:
            if 0 <= x < SIZE and 0 <= y < SIZE:
                self.pixels[(x, y)] = value

    def sprite(self, shape, fill=None, edge=None):
        """The shape with a black outline; colour pictures get a bevel: light top-left, dark
        bottom-right edges."""
        black = BLACK if self.colour else "X"
        self.paint(ring_around(shape), black)
        if fill is None:
            fill = WHITE if self.colour else "o"
        self.paint(shape, fill)
        if self.colour and edge is not None:
            light, dark = edge
            self.paint({(x, y) for (x, y) in shape
                        if (x + 1, y) not in shape or (x, y + 1) not in shape}, dark)
            self.paint({(x, y) for (x, y) in shape
                        if (x - 1, y) not in shape or (x, y - 1) not in shape}, light)

    def shadow(self):
        """A dithered shadow two pixels down-right of everything drawn so far (colour only)."""
        drawn = set(self.pixels)
        cast = {(x + 2, y + 2) for (x, y) in drawn} - drawn
        self.paint({(x, y) for (x, y) in cast if (x + y) % 2 == 0}, GRAY)


# The bevel of white and silver parts, and of coloured ones.
WHITE_EDGE = (WHITE, SILVER)
METAL_EDGE = (WHITE, GRAY)


def white(p):
    return WHITE if p.colour else "o"


def black(p):
    return BLACK if p.colour else "X"


def arrow(p, tip=(0, 0), small=False, mirror=""):
    shape = SMALL_ARROW if small else ARROW
    if "x" in mirror:
        shape = mirror_x(shape)
    if "y" in mirror:
        shape = mirror_y(shape)
    p.sprite(shift(shape, *tip), edge=WHITE_EDGE)


# --- the 41 cursors: name -> (hot spot, drawing function) ----------------------------------------


def draw_zoom(p, plus):
    lens, rim, handle = magnifier()
    p.sprite(handle, MAROON if p.colour else None, (RED, BLACK))
    p.paint(ring_around(rim | lens), black(p))
    p.paint(rim, black(p) if not p.colour else GRAY)
    p.paint(lens, AQUA if p.colour else "o")
    p.paint(rect(7, 10, 15, 12), black(p))
    if plus:
        p.paint(rect(10, 7, 12, 15), black(p))


def draw_tool(p):
    p.sprite(wrench(), SILVER if p.colour else None, METAL_EDGE)


def draw_pen(p):
    body, wood, lead = pencil()
    p.sprite(body | wood | lead, YELLOW if p.colour else None, (WHITE, OLIVE))
    p.paint(wood, SILVER if p.colour else "o")
    p.paint(lead, black(p))
    if not p.colour:
        # The body's edges, so the black and white pencil reads as a pencil and not a bar.
        p.paint(line((12, 20), (27, 5), 1.0) & body, "X")


def draw_ibeam(p, italic):
    beam = ibeam(italic)
    p.paint(ring_around(beam), white(p))
    p.paint(beam, NAVY if p.colour else "X")


def draw_hand(p):
    p.sprite(open_hand(), None, WHITE_EDGE)
    # The gaps between the fingers.
    for x in (12.75, 16.25, 19.75):
        p.paint(line((x, 9), (x, 15), 0.6) & open_hand(), black(p))


def draw_drag_selection(p, plus):
    black_part, white_part = dotted_frame(12, 14, 29, 29)
    p.paint(black_part, black(p))
    p.paint(white_part, white(p))
    arrow(p)
    if plus:
        box, sign = plus_badge(21, 21)
        p.sprite(box)
        p.paint(sign, NAVY if p.colour else "X")


def draw_drag_file(p, count):
    for i in range(count - 1, -1, -1):
        p.sprite(page(13 + 3 * i, 13 + 3 * i, 12, 15, 4), None, WHITE_EDGE)
        x0, y0 = 13 + 3 * i, 13 + 3 * i
        for row in (6, 9, 12):
            p.paint(rect(x0 + 3, y0 + row, x0 + 9, y0 + row) if i == 0 else set(),
                    NAVY if p.colour else "X")
    arrow(p)


def draw_corner_arrow(p, mirror):
    tip = (0, 0)
    arrow(p, tip, mirror=mirror)


def draw_arrow_with(p, badge):
    arrow(p)
    p.sprite(badge, NAVY if p.colour else None, (BLUE, BLACK))


def badge_resize():
    return double_arrow((15, 15), (29, 29), 2.0, 3.5, 4.5)


def badge_size():
    return four_way(22, 22, 8, 2.0, 3.2, 3.5)


def badge_scroll_vert():
    return double_arrow((22, 13), (22, 30), 2.0, 3.5, 4.5)


def badge_scroll_horz():
    return double_arrow((13, 23), (30, 23), 2.0, 3.5, 4.5)


def draw_up_arrow(p):
    shape = poly([(16.5, 1), (5.5, 12.5), (12.5, 12.5), (12.5, 30.5), (20.5, 30.5), (20.5, 12.5),
                  (27.5, 12.5)])
    p.sprite(shape, None, WHITE_EDGE)


def draw_size_arrow(p, a, b):
    p.sprite(double_arrow(a, b, 3.0, 5.5, 7.0), None, WHITE_EDGE)


def draw_size_all(p):
    p.sprite(four_way(16, 16, 14, 3.0, 5.0, 6.5), None, WHITE_EDGE)


def draw_no(p):
    ring = disc(16, 16, 12.5) - disc(16, 16, 8.5)
    bar = line((9.5, 22.5), (22.5, 9.5), 4.0) & disc(16, 16, 9.5)
    p.sprite(ring | bar, RED, (FUCHSIA, MAROON))


def draw_hourglass(p, x0=6, y0=2, w=21, h=28):
    bars, glass, sand = hourglass(x0, y0, w, h)
    p.paint(ring_around(bars | glass), black(p))
    p.paint(glass, white(p) if not p.colour else AQUA)
    p.paint(sand, YELLOW if p.colour else "X")
    p.sprite(bars, MAROON if p.colour else None, (RED, BLACK))


def draw_help(p):
    arrow(p)
    mark = question_mark(18, 4)
    p.sprite(rect(16, 2, 25, 14), None, WHITE_EDGE)
    p.paint(mark, BLUE)


def draw_handwriting(p):
    squiggle = set()
    for i in range(30):
        t = i / 29
        squiggle |= line((9 + 20 * t, 29 - 2.2 * math.sin(t * 4 * math.pi)),
                         (9 + 20 * t, 29 - 2.2 * math.sin(t * 4 * math.pi)), 1.2)
    p.paint(squiggle, BLUE)
    draw_pen(p)


def draw_cross(p):
    cross = (rect(15, 2, 16, 12) | rect(15, 19, 16, 29) | rect(2, 15, 12, 16)
             | rect(19, 15, 29, 16))
    circle = disc(15.5, 15.5, 7.6) - disc(15.5, 15.5, 6.4)
    p.sprite(cross | circle, BLACK if p.colour else "X")
    p.paint({(15, 15), (16, 16), (15, 16), (16, 15)}, RED if p.colour else "X")


def draw_warning(p):
    arrow(p)
    body, mark = warning_triangle(16, 17)
    p.sprite(body, YELLOW, (WHITE, OLIVE))
    p.paint(mark, BLACK)


def draw_app_start(p):
    arrow(p)
    draw_hourglass(p, 16, 14, 13, 17)


def mono(hot, draw):
    return ("mono", hot, draw)


def colour(hot, draw):
    return ("colour", hot, draw)


CURSORS = [
    ("crZoomOut", mono((11, 11), lambda p: draw_zoom(p, False))),
    ("crZoomIn", mono((11, 11), lambda p: draw_zoom(p, True))),
    ("crTool", mono((3, 3), draw_tool)),
    ("crPen", mono((1, 30), draw_pen)),
    ("crItBeam", mono((16, 16), lambda p: draw_ibeam(p, True))),
    ("crHand", mono((16, 17), draw_hand)),
    ("crDragSelectionPlus", mono((0, 0), lambda p: draw_drag_selection(p, True))),
    ("crDragSelection", mono((0, 0), lambda p: draw_drag_selection(p, False))),
    ("crDragFiles", mono((0, 0), lambda p: draw_drag_file(p, 3))),
    ("crDragFile", mono((0, 0), lambda p: draw_drag_file(p, 1))),
    ("crArrowSW", mono((0, 31), lambda p: draw_corner_arrow(p, "y"))),
    ("crArrowResize", mono((0, 0), lambda p: draw_arrow_with(p, badge_resize()))),
    ("crArrowSize", mono((0, 0), lambda p: draw_arrow_with(p, badge_size()))),
    ("crArrowSE", mono((31, 31), lambda p: draw_corner_arrow(p, "xy"))),
    ("crArrowScrollVert", mono((0, 0), lambda p: draw_arrow_with(p, badge_scroll_vert()))),
    ("crArrowScrollHorz", mono((0, 0), lambda p: draw_arrow_with(p, badge_scroll_horz()))),
    ("crArrowNW", mono((0, 0), lambda p: draw_corner_arrow(p, ""))),
    ("crArrowNE", mono((31, 0), lambda p: draw_corner_arrow(p, "x"))),
    ("cr3dUpArrow", colour((16, 0), draw_up_arrow)),
    ("cr3dTool", colour((3, 3), draw_tool)),
    ("cr3dSizeWE", colour((16, 16), lambda p: draw_size_arrow(p, (1, 16), (31, 16)))),
    ("cr3dSizeNWSE", colour((16, 16), lambda p: draw_size_arrow(p, (4, 4), (28, 28)))),
    ("cr3dSizeNS", colour((16, 16), lambda p: draw_size_arrow(p, (16, 1), (16, 31)))),
    ("cr3dSizeNESW", colour((16, 16), lambda p: draw_size_arrow(p, (28, 4), (4, 28)))),
    ("cr3dSize", colour((16, 16), draw_size_all)),
    ("cr3dNo", colour((16, 16), draw_no)),
    ("cr3dIBeam", colour((16, 16), lambda p: draw_ibeam(p, False))),
    ("cr3dHourGlass", colour((16, 16), draw_hourglass)),
    ("cr3dHelp", colour((0, 0), draw_help)),
    ("cr3dHandwriting", colour((1, 30), draw_handwriting)),
    ("cr3dDragSelectionPlus", colour((0, 0), lambda p: draw_drag_selection(p, True))),
    ("cr3dDragSelection", colour((0, 0), lambda p: draw_drag_selection(p, False))),
    ("cr3dCross", colour((15, 15), draw_cross)),
    ("cr3dArrowWarning", colour((0, 0), draw_warning)),
    ("cr3dArrowResize", colour((0, 0), lambda p: draw_arrow_with(p, badge_resize()))),
    ("cr3dArrowSize", colour((0, 0), lambda p: draw_arrow_with(p, badge_size()))),
    ("cr3dArrowScrollVert", colour((0, 0), lambda p: draw_arrow_with(p, badge_scroll_vert()))),
    ("cr3dArrowScrollHorz", colour((0, 0), lambda p: draw_arrow_with(p, badge_scroll_horz()))),
    ("cr3dArrowNE", colour((31, 0), lambda p: draw_corner_arrow(p, "x"))),
    ("cr3dArrow", colour((0, 0), lambda p: draw_corner_arrow(p, ""))),
    ("cr3dAppStart", colour((0, 0), draw_app_start)),
]

# --- the .cur file ------------------------------------------------------------------------------


def rows_bottom_up(bits_per_pixel, value):
    """The image rows bottom-up, each padded to 4 bytes; value(x, y) gives the pixel's bits."""
    out = bytearray()
    for y in range(SIZE - 1, -1, -1):
        bits = 0
        for x in range(SIZE):
            bits = (bits << bits_per_pixel) | value(x, y)
        out += bits.to_bytes(SIZE * bits_per_pixel // 8, "big")
    return bytes(out)


def cursor_bytes(picture, hot):
    """A .cur file: cursor directory with the hot spot, BITMAPINFOHEADER (height doubled for the
    two masks), palette, XOR image, AND mask (1 = transparent)."""
    px = picture.pixels
    if picture.colour:
        bpp = 4
        palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
        xor = rows_bottom_up(4, lambda x, y: px.get((x, y), BLACK))
    else:
        bpp = 1
        palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
        xor = rows_bottom_up(1, lambda x, y: 1 if px.get((x, y)) == "o" else 0)
    and_mask = rows_bottom_up(1, lambda x, y: 0 if (x, y) in px else 1)
    colours = len(palette) // 4
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, bpp, 0, len(xor) + len(and_mask),
                       0, 0, colours, 0)
    image = info + palette + xor + and_mask
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, colours if colours < 256 else 0, 0, hot[0],
                        hot[1], len(image), len(header) + 16)
    return header + entry + image


def render(kind, draw):
    picture = Picture(kind == "colour")
    draw(picture)
    if picture.colour:
        picture.shadow()
    return picture


RC_HEAD = """// The extra cursors of the component library: one cursor group per identifier, named by the
// identifier in upper case. Paths relative to the source root; written by
// launcher/pictures/make_cursors.py. Included by the program's resources and by any other
// program that shows these cursors.
"""


def main():
    args = sys.argv[1:]
    preview = None
    if args[:1] == ["--preview"]:
        preview, args = args[1], args[2:]
    out = args[0] if args else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(os.path.join(out, "cursors"), exist_ok=True)
    rc = [RC_HEAD]
    files = []
    for name, (kind, hot, draw) in CURSORS:
        picture = render(kind, draw)
        assert 0 <= hot[0] < SIZE and 0 <= hot[1] < SIZE, name
        path = os.path.join(out, "cursors", name.lower() + ".cur")
        with open(path, "wb") as f:
            f.write(cursor_bytes(picture, hot))
        files.append(path)
        rc.append('%s CURSOR "launcher/pictures/cursors/%s.cur"\n' % (name.upper(), name.lower()))
    with open(os.path.join(out, "cursors.rc"), "w") as f:
        f.write("".join(rc))
    if preview:
        subprocess.run(["montage", "-background", "#3a8a8a", "-geometry", "96x96+4+4", "-filter",
                        "point", "-tile", "7x"] + files + [preview], check=True)

if __name__ == "__main__":
    main()

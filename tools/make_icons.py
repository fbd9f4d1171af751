#!/usr/bin/env python3
"""Draws the DLL's icons pixel by pixel and writes them as 32 x 32, 16-colour .ico files.

    make_icons.py OUTDIR          writes every icon into OUTDIR
    make_icons.py --check OUTDIR  exits 1 when a file in OUTDIR differs from what
                                  this script draws (the committed icons are stale)

Only the standard library is used, so the icons can be redrawn on any machine with
Python 3; the build itself uses the committed files.
"""
import math
import os
import struct
import sys

SIZE = 32

# The standard 16-colour palette, in the order Windows uses.
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


class Canvas:
    """A 32 x 32 grid of palette indexes; None is transparent."""

    def __init__(self):
        self.pixels = [[None] * SIZE for _ in range(SIZE)]

    def set(self, x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def fill_rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def frame_rect(self, x0, y0, x1, y1, colour, width=1):
        for i in range(width):
            self.hline(x0 + i, x1 - i, y0 + i, colour)
            self.hline(x0 + i, x1 - i, y1 - i, colour)
            self.vline(x0 + i, y0 + i, y1 - i, colour)
            self.vline(x1 - i, y0 + i, y1 - i, colour)

    def hline(self, x0, x1, y, colour):
        for x in range(min(x0, x1), max(x0, x1) + 1):
            self.set(x, y, colour)

    def vline(self, x, y0, y1, colour):
        for y in range(min(y0, y1), max(y0, y1) + 1):
            self.set(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        """Bresenham's line; a wider line is the same line stamped as a square pen."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            for ox in range(width):
                for oy in range(width):
                    self.set(x0 + ox, y0 + oy, colour)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def fill_polygon(self, points, colour):
        """Fills every pixel whose centre lies inside the polygon (even-odd rule)."""
        for y in range(SIZE):
            for x in range(SIZE):
                if _inside(points, x + 0.5, y + 0.5):
                    self.set(x, y, colour)

    def fill_ellipse(self, cx, cy, rx, ry, colour):
        for y in range(SIZE):
            for x in range(SIZE):
                if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0:
                    self.set(x, y, colour)

    def outline(self, colour, inside_of=None):
        """Draws colour on every transparent pixel that touches a drawn one: a 1-pixel
        border around the whole picture (or around the pixels of one colour)."""
        edge = []
        for y in range(SIZE):
            for x in range(SIZE):
                if self.get(x, y) is not None:
                    continue
                for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                    if 0 <= nx < SIZE and 0 <= ny < SIZE:
                        neighbour = self.get(nx, ny)
                        if neighbour is not None and (inside_of is None or neighbour in inside_of):
                            edge.append((x, y))
                            break
        for x, y in edge:
            self.set(x, y, colour)

    def stamp(self, other):
        """Draws another canvas's opaque pixels over this one."""
        for y in range(SIZE):
            for x in range(SIZE):
                if other.get(x, y) is not None:
                    self.set(x, y, other.get(x, y))


def _inside(points, px, py):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


# --- the pictures -------------------------------------------------------------------

def gear(cx, cy, outer, inner, teeth):
    """A cog wheel: a ring of square teeth around a disc with a hole in its middle."""
    c = Canvas()
    points = []
    for i in range(teeth * 2):
        radius = outer if i % 2 == 0 else inner
        for half in (-0.5, 0.5):
            angle = (i + half * 0.9) * math.pi / teeth
            points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    c.fill_polygon(points, SILVER)
    c.fill_ellipse(cx, cy, inner - 1.5, inner - 1.5, GRAY)
    c.fill_ellipse(cx, cy, inner - 2.5, inner - 2.5, SILVER)
    c.fill_ellipse(cx, cy, 1.6, 1.6, BLACK)
    c.outline(BLACK)
    return c


def scroll_with_gear():
    c = Canvas()
    # The sheet of parchment between its two rolls, with lines of writing.
    c.fill_rect(5, 5, 24, 26, WHITE)
    c.vline(24, 5, 26, SILVER)
    for y in (9, 12, 15, 18, 21):
        c.hline(8, 21 if y < 15 else 14, y, GRAY)
    # The top roll, and the bottom roll with its curled end.
    c.fill_rect(3, 2, 26, 5, YELLOW)
    c.hline(3, 26, 5, OLIVE)
    c.fill_ellipse(3.5, 4, 2, 2.2, OLIVE)
    c.fill_rect(3, 26, 26, 29, YELLOW)
    c.hline(3, 26, 29, OLIVE)
    c.fill_ellipse(27, 28, 2, 2.2, OLIVE)
    c.outline(BLACK)
    c.stamp(gear(22.5, 21.5, 8.5, 6.2, 8))
    return c


def application_window():
    c = Canvas()
    c.fill_rect(2, 4, 29, 27, WHITE)
    c.fill_rect(3, 5, 28, 10, NAVY)
    c.hline(5, 13, 7, WHITE)  # title text
    for x in (17, 21, 25):  # minimise, maximise and close boxes
        c.fill_rect(x, 6, x + 2, 9, SILVER)
    c.hline(17, 19, 9, BLACK)
    c.hline(21, 23, 6, BLACK)
    c.set(25, 6, BLACK)
    c.set(26, 7, BLACK)
    c.set(27, 8, BLACK)
    c.hline(3, 28, 11, SILVER)  # menu bar
    for x in (4, 9, 14):
        c.hline(x, x + 3, 12, BLACK)
    c.hline(3, 28, 14, SILVER)
    c.fill_rect(3, 15, 28, 26, WHITE)
    c.frame_rect(2, 4, 29, 27, BLACK)
    c.vline(29, 5, 27, GRAY)
    c.hline(3, 29, 27, GRAY)
    c.hline(3, 30, 28, BLACK)
    c.vline(30, 5, 28, BLACK)
    return c


def closed_folder():
    c = Canvas()
    c.fill_polygon([(2, 8), (4, 5), (12, 5), (14, 8)], YELLOW)  # tab
    c.fill_rect(2, 8, 29, 27, YELLOW)
    c.hline(3, 28, 9, WHITE)  # light falls on the top edge
    c.vline(3, 9, 26, WHITE)
    c.hline(3, 28, 26, OLIVE)  # shadow along the bottom and the right
    c.vline(28, 9, 26, OLIVE)
    c.outline(BLACK)
    return c


def open_folder():
    c = Canvas()
    # The back of the folder with its tab, and a sheet of paper showing inside.
    c.fill_polygon([(2, 8), (4, 5), (12, 5), (14, 8)], OLIVE)
    c.fill_rect(2, 8, 26, 27, OLIVE)
    c.fill_rect(6, 10, 22, 17, WHITE)
    # The front flap, swung open towards the viewer.
    c.fill_polygon([(2, 27), (8, 15), (31, 15), (25, 27)], YELLOW)
    c.line(9, 16, 29, 16, WHITE)
    c.outline(BLACK)
    c.line(2, 27, 8, 15, BLACK)
    c.hline(8, 30, 15, BLACK)
    return c


def check_box(ticked, dimmed):
    c = Canvas()
    border = GRAY if dimmed else BLACK
    c.fill_rect(4, 4, 27, 27, SILVER if dimmed else WHITE)
    c.frame_rect(4, 4, 27, 27, border, width=2)
    if ticked:
        tick = GRAY if dimmed else BLACK
        c.line(8, 15, 13, 20, tick, width=3)
        c.line(13, 20, 21, 9, tick, width=3)
    return c


def blank():
    return Canvas()


def globe():
    c = Canvas()
    cx, cy, r = 15.5, 15.5, 14
    c.fill_ellipse(cx, cy, r, r, BLUE)
    # Land masses, clipped to the sphere below.
    land = Canvas()
    land.fill_polygon([(6, 7), (13, 4), (16, 8), (12, 12), (13, 17), (9, 15), (5, 11)], GREEN)
    land.fill_polygon([(12, 18), (17, 18), (16, 25), (13, 29), (11, 23)], GREEN)
    land.fill_polygon([(18, 5), (26, 7), (29, 13), (24, 13), (21, 17), (19, 11)], GREEN)
    land.fill_polygon([(22, 19), (27, 19), (26, 24), (21, 24)], GREEN)
    for y in range(SIZE):
        for x in range(SIZE):
            if land.get(x, y) is not None and c.get(x, y) is not None:
                c.set(x, y, GREEN)
    # Meridians and parallels.
    for y in range(SIZE):
        for x in range(SIZE):
            if c.get(x, y) is None:
                continue
            u = (x + 0.5 - cx) / r
            v = (y + 0.5 - cy) / r
            if abs(v) < 1:
                w = math.sqrt(max(0.0, 1 - v * v))
                if abs(abs(u) - w * 0.5) < 0.045 or abs(u) < 0.04:
                    c.set(x, y, AQUA)
            if abs(v) < 0.04 or abs(abs(v) - 0.5) < 0.04:
                c.set(x, y, AQUA)
    c.fill_ellipse(10, 9, 2.5, 2, WHITE)  # highlight
    c.outline(NAVY)
    return c


def up_arrow(left, top, width, height, fill, border):
    """An arrow pointing up: a triangular head on a straight shaft."""
    c = Canvas()
    mid = left + width / 2
    head = height * 0.5
    shaft = width * 0.2
    c.fill_polygon([
        (mid, top), (left + width, top + head), (mid + shaft, top + head),
        (mid + shaft, top + height), (mid - shaft, top + height), (mid - shaft, top + head),
        (left, top + head)], fill)
    c.outline(border)
    return c


def folder_with_red_arrow_up():
    c = closed_folder()
    arrow = up_arrow(11, 1, 16, 24, RED, MAROON)
    c.stamp(arrow)
    return c


def blue_arrow_up():
    return up_arrow(4, 2, 24, 28, BLUE, NAVY)


ICONS = {
    "script.ico": scroll_with_gear,
    "window.ico": application_window,
    "folder-open.ico": open_folder,
    "folder-closed.ico": closed_folder,
    "check-folder-marked.ico": lambda: check_box(ticked=True, dimmed=True),
    "check-folder-clear.ico": lambda: check_box(ticked=False, dimmed=True),
    "blank.ico": blank,
    "check-checked.ico": lambda: check_box(ticked=True, dimmed=False),
    "check-unchecked.ico": lambda: check_box(ticked=False, dimmed=False),
    "globe.ico": globe,
    "folder-up.ico": folder_with_red_arrow_up,
    "arrow-up.ico": blue_arrow_up,
}


# --- the .ico format ------------------------------------------------------------------

def ico_bytes(canvas):
    """One 32 x 32 image, 4 bits per pixel with the 16-colour palette, and its mask.
    Transparent pixels are colour 0 in the image and set in the mask."""
    colour_rows = []
    mask_rows = []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        row = bytearray()
        for x in range(0, SIZE, 2):
            hi = canvas.get(x, y) or 0
            lo = canvas.get(x + 1, y) or 0
            row.append((hi << 4) | lo)
        colour_rows.append(bytes(row))
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if canvas.get(x, y) is None else 0)
        mask_rows.append(bits.to_bytes(SIZE // 8, "big"))
    colour = b"".join(colour_rows)
    mask = b"".join(mask_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(colour) + len(mask), 0, 0, 16, 0)
    image = header + palette + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main(argv):
    check = len(argv) == 3 and argv[1] == "--check"
    if len(argv) != 2 and not check:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir = argv[-1]
    stale = []
    for name, draw in ICONS.items():
        data = ico_bytes(draw())
        path = os.path.join(out_dir, name)
        if check:
            try:
                with open(path, "rb") as existing:
                    if existing.read() != data:
                        stale.append(name)
            except OSError:
                stale.append(name)
        else:
            os.makedirs(out_dir, exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        print("stale icons (rerun tools/make_icons.py %s): %s" % (out_dir, ", ".join(stale)), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

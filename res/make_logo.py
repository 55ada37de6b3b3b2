#!/usr/bin/env python3
"""Draws the about box's logo (150 x 77: the veiled eye of the icon beside the name) and writes
res/about_logo.bmp, a 24-bit bitmap.

Run it again after changing the drawing; the bitmap is committed so builds need no Python.
"""
import math
import struct
import sys

W, H = 150, 77
BACKGROUND_TOP = (236, 238, 250)
BACKGROUND_BOTTOM = (206, 212, 240)
INDIGO = (38, 44, 110)
VEIL = (92, 104, 196)
WHITE = (245, 245, 250)

# The name in strokes: each glyph a list of polylines in a box 1 wide; y from 0 (cap height)
# down to 1 (baseline); lower-case letters start at the x-height 0.42.
XH = 0.42


def arc(cx, cy, rx, ry, start, end, steps=24):
    return [(cx + rx * math.cos(math.radians(a)), cy + ry * math.sin(math.radians(a)))
            for a in (start + (end - start) * i / steps for i in range(steps + 1))]


BOWL = ((XH + 1) / 2, (1 - XH) / 2)  # centre height and radius of a round lower-case letter
GLYPHS = {
    "V": (0.9, [[(0.0, 0.0), (0.45, 1.0), (0.9, 0.0)]]),
    "e": (0.62, [[(0.04, BOWL[0]), (0.58, BOWL[0])] + arc(0.31, BOWL[0], 0.27, BOWL[1], 0, -315)]),
    "i": (0.16, [[(0.08, XH), (0.08, 1.0)], [(0.08, 0.12), (0.08, 0.16)]]),
    "l": (0.16, [[(0.08, -0.05), (0.08, 1.0)]]),
    "o": (0.62, [arc(0.31, BOWL[0], 0.27, BOWL[1], 0, 360)]),
    "r": (0.42, [[(0.06, XH), (0.06, 1.0)], arc(0.36, BOWL[0] + 0.02, 0.3, BOWL[1], 180, 270)]),
    "a": (0.62, [arc(0.29, BOWL[0], 0.25, BOWL[1], 0, 360), [(0.56, XH), (0.56, 1.0)]]),
}
TEXT = "Veilora"
TEXT_X, TEXT_BASE, TEXT_SIZE, STROKE, SPACING = 65, 45, 17, 1.2, 0.18


def segments():
    x = TEXT_X
    out = []
    for ch in TEXT:
        width, lines = GLYPHS[ch]
        for line in lines:
            pts = [(x + px * TEXT_SIZE, TEXT_BASE - TEXT_SIZE + py * TEXT_SIZE) for px, py in line]
            out += list(zip(pts, pts[1:]))
        x += (width + SPACING) * TEXT_SIZE
    return out


SEGMENTS = segments()


def distance(p, a, b):
    (px, py), (ax, ay), (bx, by) = p, a, b
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0 if length == 0 else max(0, min(1, ((px - ax) * dx + (py - ay) * dy) / length))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def emblem(u, v):
    """The icon's drawing (unit square) or None outside its rounded square."""
    m, rad = 0.04, 0.2
    dx = max(abs(u - 0.5) - (0.5 - m - rad), 0)
    dy = max(abs(v - 0.5) - (0.5 - m - rad), 0)
    if math.hypot(dx, dy) > rad:
        return None
    color = VEIL if v < 0.46 else INDIGO
    cx, cy, r = 0.5, 0.30, 0.36
    d = math.hypot(u - cx, v - cy)
    if v > cy and abs(d - r) < 0.045 and abs(u - cx) < 0.3:
        color = WHITE
    for lash in (-0.2, 0.0, 0.2):
        lx = cx + lash
        ly = cy + math.sqrt(max(r * r - lash * lash, 0))
        if abs(u - lx) < 0.03 and ly < v < ly + 0.12:
            color = WHITE
    return color


def sample(x, y):
    t = y / H
    color = tuple(BACKGROUND_TOP[i] * (1 - t) + BACKGROUND_BOTTOM[i] * t for i in range(3))
    size, left, top = 56, 5, (H - 56) / 2
    if left <= x < left + size and top <= y < top + size:
        c = emblem((x - left) / size, (y - top) / size)
        if c:
            color = c
    near_text = TEXT_BASE - TEXT_SIZE * 1.2 < y < TEXT_BASE + 2 and x > TEXT_X - 2
    if near_text and any(distance((x, y), a, b) < STROKE for a, b in SEGMENTS):
        color = INDIGO
    # A thin underline in the veil's colour.
    if TEXT_X <= x <= W - 6 and 51 <= y < 52.2:
        color = VEIL
    return color


def pixel(x, y):
    acc = [0.0, 0.0, 0.0]
    for sy in range(4):
        for sx in range(4):
            c = sample(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4)
            for i in range(3):
                acc[i] += c[i]
    return tuple(int(round(c / 16)) for c in acc)


def main(path):
    row_size = (W * 3 + 3) & ~3
    rows = []
    for y in range(H - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(W):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(row_size - W * 3)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "about_logo.bmp")

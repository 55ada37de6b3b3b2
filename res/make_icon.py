#!/usr/bin/env python3
"""Draws the program icon (a closed eye under a veil) and writes res/veilora.ico.

Run it again after changing the drawing; the .ico is committed so builds need no Python.
"""
import math
import struct
import sys


def pixel(size, x, y):
    """RGBA of one pixel, drawn in unit coordinates with 4x4 supersampling."""
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(4):
        for sx in range(4):
            u = (x + (sx + 0.5) / 4) / size
            v = (y + (sy + 0.5) / 4) / size
            r, g, b, a = sample(u, v)
            acc[0] += r * a
            acc[1] += g * a
            acc[2] += b * a
            acc[3] += a
    a = acc[3] / 16
    if a == 0:
        return (0, 0, 0, 0)
    return tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(a * 255)),)


def sample(u, v):
    # Rounded square in deep indigo.
    m, rad = 0.04, 0.2
    dx = max(abs(u - 0.5) - (0.5 - m - rad), 0)
    dy = max(abs(v - 0.5) - (0.5 - m - rad), 0)
    if math.hypot(dx, dy) > rad:
        return (0, 0, 0, 0)
    color = (38, 44, 110)
    # The veil: a lighter band over the top half.
    if v < 0.46:
        color = (92, 104, 196)
    # The closed eye: a white arc with lashes below the veil's edge.
    cx, cy, r = 0.5, 0.30, 0.36
    d = math.hypot(u - cx, v - cy)
    if v > cy and abs(d - r) < 0.045 and abs(u - cx) < 0.3:
        color = (245, 245, 250)
    for lash in (-0.2, 0.0, 0.2):
        lx = cx + lash
        ly = cy + math.sqrt(max(r * r - lash * lash, 0))
        if abs(u - lx) < 0.03 and ly < v < ly + 0.12:
            color = (245, 245, 250)
    return color + (1.0,)


def icon_image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            if pixel(size, x, y)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main(path):
    sizes = [16, 24, 32, 48]
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "veilora.ico")

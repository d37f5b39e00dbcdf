#!/usr/bin/env python3
"""Draws the window icon (Verdaly.ico: 16, 32, 48, 64 px) and the tray icon (AppTray.ico: 16, 20, 24, 32, 40, 48 px).

A blue rounded tile with a white downward arrow over a tray line: the program saves photos.
Run again after changing the drawing; the .ico files are committed. The tray icon is a small icon, whose size
follows the screen's scale (16 px at 100 %, 20 at 125 %, 24 at 150 %, 32 at 200 %, 40 at 250 %, 48 at 300 %):
each has its own image, drawn at that size rather than stretched from another.
"""
import struct
import sys
from pathlib import Path


def inside_tile(x, y):
    r = 0.22
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_arrow(x, y):
    if 0.42 <= x <= 0.58 and 0.18 <= y <= 0.52:
        return True
    # Triangle head pointing down.
    if 0.48 <= y <= 0.72:
        half = (0.72 - y) / 0.24 * 0.22
        return abs(x - 0.5) <= half
    return False


def inside_tray(x, y):
    return 0.22 <= x <= 0.78 and 0.76 <= y <= 0.84


def pixel(size, px, py, samples=4):
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(samples):
        for sx in range(samples):
            x = (px + (sx + 0.5) / samples) / size
            y = (py + (sy + 0.5) / samples) / size
            if not inside_tile(x, y):
                continue
            if inside_arrow(x, y) or inside_tray(x, y):
                rgb = (255, 255, 255)
            else:
                t = y  # top light blue to bottom deep blue
                rgb = (int(40 + 20 * (1 - t)), int(150 - 60 * t), int(235 - 30 * t))
            acc[0] += rgb[0]
            acc[1] += rgb[1]
            acc[2] += rgb[2]
            acc[3] += 255
    n = samples * samples
    a = acc[3] / n
    if a == 0:
        return (0, 0, 0, 0)
    return (int(acc[0] / (acc[3] / 255)), int(acc[1] / (acc[3] / 255)), int(acc[2] / (acc[3] / 255)), int(a))


def icon_image(size):
    rows = []
    for py in range(size - 1, -1, -1):  # bottom-up
        row = bytearray()
        for px in range(size):
            r, g, b, a = pixel(size, px, py)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # alpha carries transparency
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    Path(path).write_bytes(out + b"".join(images))


if __name__ == "__main__":
    here = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    write_ico(here / "Verdaly.ico", [16, 32, 48, 64])
    write_ico(here / "AppTray.ico", [16, 20, 24, 32, 40, 48])

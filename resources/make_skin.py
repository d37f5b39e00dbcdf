#!/usr/bin/env python3
"""Draws the two skin pictures of the main window's frame, at 100 % and at 200 %.

SkinCaption.bmp (640 x 48, 24 bits): the caption. Columns 0-89 the left piece with the program's emblem in the
window-menu square, 91-142 the middle tile, 140-240 the right piece, the caption buttons (19 x 20; close at 241,
restore 259, maximise 278, minimise 297; normal rows 0-19, pressed rows 20-39), and the inactive copy of the
background 400 columns further right.
SkinBorder.bmp (70 x 10, 8 bits with a palette): 10 x 10 tiles; left side at 0, bottom-left corner at 20, bottom
edge at 30, right side at 40, bottom-right corner at 60.

SkinCaption200.bmp (1280 x 96) and SkinBorder200.bmp (140 x 20) are the same design drawn at 200 %, every piece at
twice its place: the masters the program scales from for every DPI but 96 (down to 120 and 144, up past 200 %).
Bands and lines a whole pixel wide at 100 % are two wide there; the emblem, the button symbols and the panel's
gradient are drawn anew on the finer grid, not enlarged.

The look: a deep blue frame ring around a blue title panel in the blue of the icons, white text reading on it; the
inactive panel turns slate grey while the ring stays. Run again after changing the drawing; the .bmp files are
committed.
"""
import struct
import sys
from pathlib import Path

CAPTION_W, CAPTION_H = 640, 48
TILE = 10
BORDER_W = 7 * TILE
BUTTON_W, BUTTON_H = 19, 20
BUTTON_COLUMNS = {"close": 241, "restore": 240 + BUTTON_W, "maximise": 240 + 2 * BUTTON_W,
                  "minimise": 240 + 3 * BUTTON_W}
RIGHT_END = 240        # last column of the right piece; it falls one column past the window's edge
INACTIVE_OFFSET = 400
RING = 4               # the frame ring's width around the caption panel

OUTER = (16, 38, 74)   # the ring's outermost line
INNER = (22, 52, 98)   # the line that edges the client area
# The ring across its width, from the outside in: lighter towards the middle, so it reads as a rounded rim.
RING_BODY = [(38, 80, 142), (44, 90, 154), (40, 84, 146), (34, 74, 132), (32, 70, 126), (30, 66, 120),
             (30, 64, 116), (28, 60, 110)]
ACTIVE = ((60, 120, 200), (30, 74, 146))      # title panel, top and bottom
INACTIVE = ((128, 142, 162), (96, 110, 132))
WHITE = (255, 255, 255)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def ring(d):
    """The ring's colour d pixels in from the outer edge of the window."""
    return OUTER if d == 0 else RING_BODY[min(d, len(RING_BODY)) - 1]


def centre(p, scale):
    """Where the centre of pixel p of a picture at `scale` lies, in pixels of the 100 % picture."""
    return (p + 0.5) / scale - 0.5


def panel(y, colors, scale=1):
    top, bottom = colors
    row = y // scale  # the highlight and the edge line are whole rows of the 100 % picture
    if row == RING:  # a highlight along the panel's top edge
        return mix(top, WHITE, 0.3)
    if row == CAPTION_H - 1:
        return INNER
    return mix(top, bottom, (centre(y, scale) - RING - 1) / (CAPTION_H - RING - 3))


# ------------------------------------------------------------------------------- the emblem

def rounded_box(x, y, left, top, right, bottom, r):
    cx = min(max(x, left + r), right - r)
    cy = min(max(y, top + r), bottom - r)
    return left <= x <= right and top <= y <= bottom and (x - cx) ** 2 + (y - cy) ** 2 <= r * r


EMBLEM = (14.0, 12.0, 40.0, 38.0)  # inside the window-menu square (12, 11)-(42, 43)


def emblem_sample(x, y, active):
    """The icon's motif, a light tile with a white arrow over a tray line; None outside it."""
    left, top, right, bottom = EMBLEM
    if not rounded_box(x, y, left, top, right, bottom, 6):
        return None
    u, v = (x - left) / (right - left), (y - top) / (bottom - top)
    arrow = (0.42 <= u <= 0.58 and 0.18 <= v <= 0.52) or (0.48 <= v <= 0.72 and abs(u - 0.5) <= (0.72 - v) / 0.24 * 0.22)
    tray = 0.22 <= u <= 0.78 and 0.76 <= v <= 0.84
    if arrow or tray:
        return WHITE
    if not rounded_box(x, y, left + 1, top + 1, right - 1, bottom - 1, 5):
        return (200, 222, 250) if active else (190, 198, 210)  # rim
    tile = mix((96, 172, 242), (48, 112, 214), v)
    return tile if active else mix(tile, (140, 146, 156), 0.7)


def coverage(sample, px, py, under, scale=1, n=4):
    """Supersampled pixel of a picture at `scale`: sample(x, y), in 100 % pixels, gives a colour or None (then
    `under` shows)."""
    acc = [0, 0, 0]
    for sy in range(n):
        for sx in range(n):
            c = sample((px + (sx + 0.5) / n) / scale, (py + (sy + 0.5) / n) / scale) or under
            for i in range(3):
                acc[i] += c[i]
    return tuple(round(a / (n * n)) for a in acc)


def background(x, y, active, scale=1):
    """Pixel (x, y) of a background copy at `scale`; at 100 % the window shows col 0 at its left edge and col 239 at
    its right."""
    col, row = x // scale, y // scale  # the ring's bands are whole pixels of the 100 % picture
    d = min(col, max(RIGHT_END - 1 - col, 0), row)
    if d < RING:
        return ring(d)
    under = panel(y, ACTIVE if active else INACTIVE, scale)
    if 11 <= col <= 43 and 10 <= row <= 44:
        return coverage(lambda sx, sy: emblem_sample(sx, sy, active), x, y, under, scale)
    return under


# ------------------------------------------------------------------------------- the buttons

def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return ((x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2) ** 0.5


def glyph(kind, x, y):
    """True where the white symbol of a button lies (button coordinates, 19 x 20)."""
    if kind == "close":
        return min(segment_distance(x, y, 5.5, 6.0, 13.5, 14.0), segment_distance(x, y, 13.5, 6.0, 5.5, 14.0)) <= 1.1
    if kind == "minimise":
        return 5 <= x <= 14 and 12.5 <= y <= 14.5
    if kind == "maximise":
        inside = 5 <= x <= 14 and 5 <= y <= 14
        hole = 6.2 <= x <= 12.8 and 7.5 <= y <= 12.8
        return inside and not hole
    if kind == "restore":
        back = 7.5 <= x <= 14.5 and 4.5 <= y <= 11 and not (8.7 <= x <= 13.3 and 6.5 <= y <= 9.8)
        front = 4.5 <= x <= 11.5 and 8 <= y <= 15 and not (5.7 <= x <= 10.3 and 10 <= y <= 13.8)
        covered = 4.5 <= x <= 11.5 and 8 <= y <= 15
        return front or (back and not covered)
    return False


FILLS = {"close": ((214, 96, 84), (160, 48, 40)), "other": ((104, 158, 226), (50, 98, 172))}


def button_pixel(kind, x, y, pressed, scale=1):
    px, py = x // scale, y // scale  # the border and the edge lines are whole pixels of the 100 % picture
    if px in (0, BUTTON_W - 1) or py in (0, BUTTON_H - 1):
        return OUTER
    top, bottom = FILLS["close" if kind == "close" else "other"]
    t = (centre(y, scale) - 1) / (BUTTON_H - 3)
    if pressed:  # sunk: darker, lit from below, with a shadow along the top and left
        fill = mix(mix(bottom, (0, 0, 0), 0.25), top, t * 0.6)
        if px == 1 or py == 1:
            fill = mix(fill, (0, 0, 0), 0.35)
    else:
        fill = mix(top, bottom, t)
        if py == 1:
            fill = mix(fill, WHITE, 0.45)
    shift = 1 if pressed else 0
    return coverage(lambda gx, gy: WHITE if glyph(kind, gx - shift, gy - shift) else None, x, y, fill, scale)


# ------------------------------------------------------------------------------- the pictures

def caption(scale=1):
    width, height = CAPTION_W * scale, CAPTION_H * scale
    rows = [[ring(1)] * width for _ in range(height)]
    for y in range(height):
        for x in range((RIGHT_END + 1) * scale):
            rows[y][x] = background(x, y, True, scale)
            if INACTIVE_OFFSET * scale + x < width:
                rows[y][INACTIVE_OFFSET * scale + x] = background(x, y, False, scale)
    for kind, left in BUTTON_COLUMNS.items():
        # Close ends where restore begins (column 259): the shared column is close's border and restore's.
        for pressed in (False, True):
            top = BUTTON_H * scale if pressed else 0
            for y in range(BUTTON_H * scale):
                for x in range(BUTTON_W * scale):
                    rows[top + y][left * scale + x] = button_pixel(kind, x, y, pressed, scale)
    return rows


def border(scale=1):
    """The tiles' rings are bands of whole 100 % pixels: at 200 % each is two pixels wide."""
    tiles = {}
    for x in range(TILE):
        for y in range(TILE):
            side = ring(x)                    # distance from the window's left edge
            bottom = ring(TILE - 1 - y)       # distance from the window's bottom edge
            tiles[(0, x, y)] = INNER if x == TILE - 1 else side
            tiles[(4, x, y)] = INNER if x == 0 else ring(TILE - 1 - x)
            tiles[(3, x, y)] = INNER if y == 0 else bottom
            corner_left = min(x, TILE - 1 - y)
            tiles[(2, x, y)] = INNER if (x, y) == (TILE - 1, 0) else ring(corner_left)
            corner_right = min(TILE - 1 - x, TILE - 1 - y)
            tiles[(6, x, y)] = INNER if (x, y) == (0, 0) else ring(corner_right)
            for unused in (1, 5):
                tiles[(unused, x, y)] = ring(1)
    tile = TILE * scale
    return [[tiles[(px // tile, px % tile // scale, y // scale)] for px in range(BORDER_W * scale)]
            for y in range(tile)]


def bmp(path, rows, bits):
    height, width = len(rows), len(rows[0])
    palette = b""
    if bits == 8:
        colors = sorted({c for row in rows for c in row})
        if len(colors) > 256:
            raise ValueError("%s: %d colours do not fit a palette" % (path, len(colors)))
        index = {c: i for i, c in enumerate(colors)}
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colors)
        encode = lambda row: bytes(index[c] for c in row)  # noqa: E731
        used = len(colors)
    else:
        encode = lambda row: b"".join(bytes((b, g, r)) for r, g, b in row)  # noqa: E731
        used = 0
    stride = (width * bits // 8 + 3) & ~3
    pixels = b"".join(encode(row).ljust(stride, b"\0") for row in reversed(rows))  # bottom-up
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835, used, 0)
    Path(path).write_bytes(header + info + palette + pixels)


if __name__ == "__main__":
    here = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    bmp(here / "SkinCaption.bmp", caption(), 24)
    bmp(here / "SkinBorder.bmp", border(), 8)
    bmp(here / "SkinCaption200.bmp", caption(2), 24)
    bmp(here / "SkinBorder200.bmp", border(2), 8)

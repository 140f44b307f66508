#!/usr/bin/python3
# Draws Wizard.png, the picture in the left band of Quorva's installer (125 x 280 pixels): a
# blue gradient with two sheets side by side, one differing cell marked on each. Run it from
# this folder to make the picture again; it needs nothing but Python's standard library.
import struct
import zlib

W, H = 125, 280


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


top, bottom = (40, 104, 150), (14, 44, 72)
pixels = [[lerp(top, bottom, y / (H - 1)) for _ in range(W)] for y in range(H)]


def rect(x0, y0, x1, y1, colour):
    for y in range(max(y0, 0), min(y1, H)):
        for x in range(max(x0, 0), min(x1, W)):
            pixels[y][x] = colour


def sheet(x0, y0, mark):
    w, h, cols, rows = 44, 64, 3, 6
    rect(x0 + 3, y0 + 3, x0 + w + 3, y0 + h + 3, (8, 28, 46))  # shadow
    rect(x0, y0, x0 + w, y0 + h, (250, 250, 246))
    rect(x0, y0, x0 + w, y0 + 9, (206, 222, 236))  # header row
    cw, rh = w // cols, (h - 9) // rows
    cx, cy = mark
    rect(x0 + cx * cw + 1, y0 + 9 + cy * rh + 1, x0 + (cx + 1) * cw, y0 + 9 + (cy + 1) * rh,
         (240, 150, 40))
    for c in range(1, cols):
        rect(x0 + c * cw, y0, x0 + c * cw + 1, y0 + h, (170, 186, 200))
    for r in range(0, rows):
        y = y0 + 9 + r * rh
        rect(x0, y, x0 + w, y + 1, (170, 186, 200))


sheet(14, 40, (1, 2))
sheet(66, 40, (1, 2))
# The link between the sheets: a double arrow.
rect(59, 70, 66, 72, (250, 250, 246))
rect(59, 76, 66, 78, (250, 250, 246))

raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0)) +
       chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
with open("Wizard.png", "wb") as f:
    f.write(png)

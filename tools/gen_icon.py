#!/usr/bin/env python3
"""Draws the program's icon and writes resources/quellix-detect.ico.

The design: a rounded dark tile in the window's colours, a thin accent ring
(the scan's "radar"), a second fainter ring and a light blip on the larger
images, and a bold accent check mark in the middle; the 16-pixel image keeps
only the tile and a larger check. Every shape is a signed
distance function in pixels; pixels near an edge are supersampled on an 8 x 8
grid, the rest take the value at their centre.

Images of 16, 24 and 32 pixels, the ones the title bar and taskbar use at
100 to 150 % scaling, are 32-bit DIBs with an AND mask, the form every icon
loader reads; 48 pixels and up are PNG (read by every loader since Windows
Vista), which keeps the file small enough for the exe's size budget.

Standard library only:  python3 tools/gen_icon.py [output.ico]
"""
import math
import struct
import sys
import zlib
from pathlib import Path

WINDOW = (28, 28, 28)
CARD = (38, 38, 38)
ACCENT = (159, 211, 138)
TEXT = (241, 241, 239)

SIZES = (16, 24, 32, 48, 64, 128, 256)
PNG_FROM = 48           # images this size and larger are stored as PNG
GRID = 8                # supersampling grid per pixel edge


# --- shapes: signed distance in pixels, negative inside ----------------------

def rounded_square(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return sdf


def ring(cx, cy, radius, width):
    def sdf(x, y):
        return abs(math.hypot(x - cx, y - cy) - radius) - width / 2
    return sdf


def disc(cx, cy, radius):
    def sdf(x, y):
        return math.hypot(x - cx, y - cy) - radius
    return sdf


def stroke(points, width):
    """A polyline with round caps and joins."""
    segments = list(zip(points, points[1:]))

    def sdf(x, y):
        best = math.inf
        for (ax, ay), (bx, by) in segments:
            dx, dy = bx - ax, by - ay
            t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
            t = min(max(t, 0.0), 1.0)
            best = min(best, math.hypot(x - ax - t * dx, y - ay - t * dy))
        return best - width / 2
    return sdf


def coverage(sdf, px, py):
    """Share of pixel (px, py) inside the shape."""
    d = sdf(px + 0.5, py + 0.5)
    if d >= 0.75:       # the pixel's half-diagonal is 0.707
        return 0.0
    if d <= -0.75:
        return 1.0
    inside = 0
    for j in range(GRID):
        sy = py + (j + 0.5) / GRID
        for i in range(GRID):
            if sdf(px + (i + 0.5) / GRID, sy) < 0:
                inside += 1
    return inside / (GRID * GRID)


# --- the design -------------------------------------------------------------

def layers(size):
    """(shape, colour-of-row function, opacity) from back to front."""
    s = float(size)
    small = size <= 24
    inset = 0.0 if small else s / 32
    tile = rounded_square(inset, inset, s - inset, s - inset, s * 0.22)

    def tile_colour(y):
        # top in the card colour, fading to the window colour at the bottom
        t = min(max(y / s, 0.0), 1.0)
        return tuple(c + (w - c) * t for c, w in zip(CARD, WINDOW))

    out = [(tile, tile_colour, 1.0)]
    edge_width = max(1.0, s / 64)
    edge = rounded_square(inset + edge_width / 2, inset + edge_width / 2,
                          s - inset - edge_width / 2, s - inset - edge_width / 2,
                          s * 0.22 - edge_width / 2)
    outline = lambda x, y: abs(edge(x, y)) - edge_width / 2
    out.append((outline, lambda y: TEXT, 0.12))

    c = s / 2
    if size <= 16:
        # too small for rings: the tile and a larger check only
        check = [(s * 0.25, s * 0.52), (s * 0.42, s * 0.69), (s * 0.76, s * 0.34)]
        out.append((stroke(check, 2.2), lambda y: ACCENT, 1.0))
        return out
    radius = s * 0.31
    ring_width = max(1.0, s * 0.035)
    out.append((ring(c, c, radius, ring_width), lambda y: ACCENT, 0.55))
    if not small:
        out.append((ring(c, c, s * 0.19, ring_width * 0.8), lambda y: ACCENT, 0.25))
        blip = c - radius * math.sqrt(0.5)     # on the ring, upper left
        out.append((disc(blip, blip, max(1.0, s * 0.045)), lambda y: TEXT, 1.0))

    check_width = max(2.0, s * 0.09)
    check = [(s * 0.33, s * 0.52), (s * 0.45, s * 0.64), (s * 0.69, s * 0.39)]
    out.append((stroke(check, check_width), lambda y: ACCENT, 1.0))
    return out


def render(size):
    """Straight-alpha RGBA rows, top row first."""
    stack = layers(size)
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = a = 0.0          # premultiplied
            for sdf, colour_of, opacity in stack:
                k = coverage(sdf, px, py) * opacity
                if k == 0.0:
                    continue
                cr, cg, cb = colour_of(py + 0.5)
                r = cr * k + r * (1 - k)
                g = cg * k + g * (1 - k)
                b = cb * k + b * (1 - k)
                a = k + a * (1 - k)
            if a <= 0.0:
                row += b"\0\0\0\0"
            else:
                row += bytes((round(r / a), round(g / a), round(b / a), round(a * 255)))
        rows.append(bytes(row))
    return rows


# --- encoders ---------------------------------------------------------------

def png(size, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = bytearray()
    previous = bytes(len(rows[0]))
    for row in rows:
        kind, filtered = best_filter(row, previous)
        raw.append(kind)
        raw += filtered
        previous = row
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def best_filter(row, previous, bpp=4):
    """The PNG row filter with the smallest sum of absolute values."""
    def paeth(a, b, c):
        p = a + b - c
        pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
        return a if pa <= pb and pa <= pc else (b if pb <= pc else c)

    candidates = []
    for kind in range(5):
        out = bytearray(len(row))
        for i, x in enumerate(row):
            left = row[i - bpp] if i >= bpp else 0
            up = previous[i]
            upleft = previous[i - bpp] if i >= bpp else 0
            predictor = (0, left, up, (left + up) // 2, paeth(left, up, upleft))[kind]
            out[i] = (x - predictor) & 0xFF
        cost = sum(v if v < 128 else 256 - v for v in out)
        candidates.append((cost, kind, bytes(out)))
    _, kind, out = min(candidates)
    return kind, out


def dib(size, rows):
    """BITMAPINFOHEADER, bottom-up BGRA pixels, then the 1-bit AND mask."""
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         size * size * 4 + size * mask_stride, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = row[4 * x:4 * x + 4]
            pixels += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def ico(images):
    """ICONDIR, its 16-byte entries, then the images in the same order."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main():
    default = Path(__file__).resolve().parent.parent / "resources" / "quellix-detect.ico"
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else default
    images = []
    for size in SIZES:
        rows = render(size)
        data = png(size, rows) if size >= PNG_FROM else dib(size, rows)
        images.append((size, data))
        print(f"{size:>4} px: {'PNG' if size >= PNG_FROM else 'DIB'} {len(data)} bytes")
    blob = ico(images)
    target.write_bytes(blob)
    print(f"{target}: {len(blob)} bytes")


if __name__ == "__main__":
    main()

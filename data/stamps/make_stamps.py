#!/usr/bin/env python3
"""Draws the stamp pictures shipped with Clipvane into this folder.

Standard library only: each picture is a small vector scene sampled 4 x 4
times per pixel and written as an 8-bit RGBA PNG through zlib. Fully
transparent pixels are stored white so that thumbnails made without alpha
look clean. Run it again after changing a scene; the output is reproducible.
"""
import math
import os
import struct
import zlib

WIDTH, HEIGHT = 64, 48
SUPERSAMPLE = 4

# 5 x 7 glyphs for the digits and the exclamation mark.
GLYPHS = {
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
    "!": ["..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."],
}

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

# Step marker colours, one per number.
STEP_COLOURS = [
    (220, 40, 40), (240, 120, 20), (200, 160, 0), (40, 160, 60), (20, 150, 150),
    (30, 110, 220), (90, 70, 200), (170, 50, 170), (110, 110, 110),
]


def in_glyph(ch, x, y, left, top, cell):
    """True when (x, y) falls on a lit cell of glyph `ch` drawn at left/top."""
    col = math.floor((x - left) / cell)
    row = math.floor((y - top) / cell)
    if 0 <= row < 7 and 0 <= col < 5:
        return GLYPHS[ch][row][col] == "#"
    return False


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def polyline_distance(px, py, points):
    return min(segment_distance(px, py, *points[i], *points[i + 1]) for i in range(len(points) - 1))


def step_scene(number, colour):
    cx, cy, radius = WIDTH / 2, HEIGHT / 2, 22.0
    cell = 4.0
    left, top = cx - 2.5 * cell, cy - 3.5 * cell

    def shade(x, y):
        d = math.hypot(x - cx, y - cy)
        if d > radius:
            return None
        if d > radius - 2.0:
            return WHITE  # a white rim keeps the disc visible on dark images
        if in_glyph(str(number), x, y, left, top, cell):
            return WHITE
        return colour
    return shade


def check_scene(x, y):
    points = [(14, 25), (26, 37), (50, 11)]
    d = polyline_distance(x, y, points)
    if d < 5.0:
        return (30, 170, 50)
    if d < 7.0:
        return WHITE
    return None


def cross_scene(x, y):
    d = min(segment_distance(x, y, 16, 8, 48, 40), segment_distance(x, y, 48, 8, 16, 40))
    if d < 5.0:
        return (215, 30, 30)
    if d < 7.0:
        return WHITE
    return None


def warning_scene(x, y):
    # Triangle with rounded corners: inside test by edge distances.
    corners = [(32, 3), (60, 45), (4, 45)]

    def inside(px, py, inset):
        for i in range(3):
            ax, ay = corners[i]
            bx, by = corners[(i + 1) % 3]
            # Edge normal pointing inwards (corners are clockwise on screen).
            nx, ny = -(by - ay), bx - ax
            length = math.hypot(nx, ny)
            if ((px - ax) * nx + (py - ay) * ny) / length < inset:
                return False
        return True

    if not inside(x, y, 0.0):
        return None
    if not inside(x, y, 3.5):
        return BLACK
    if in_glyph("!", x, y, 32 - 2.5 * 3.6, 17, 3.6):
        return BLACK
    return (255, 200, 0)


def render(shade):
    rows = []
    n = SUPERSAMPLE * SUPERSAMPLE
    for py in range(HEIGHT):
        row = bytearray()
        for px in range(WIDTH):
            r = g = b = covered = 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    c = shade(px + (sx + 0.5) / SUPERSAMPLE, py + (sy + 0.5) / SUPERSAMPLE)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        covered += 1
            if covered == 0:
                row += bytes((255, 255, 255, 0))
            else:
                row += bytes((round(r / covered), round(g / covered), round(b / covered), round(255 * covered / n)))
        rows.append(bytes(row))
    return rows


def write_png(path, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    scenes = [("step%d.png" % (i + 1), step_scene(i + 1, STEP_COLOURS[i])) for i in range(9)]
    scenes += [("tick.png", check_scene), ("cross.png", cross_scene), ("warning.png", warning_scene)]
    for name, shade in scenes:
        write_png(os.path.join(folder, name), render(shade))
        print(name)


if __name__ == "__main__":
    main()

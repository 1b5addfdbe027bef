#!/usr/bin/env python3
"""Draws the viewer's module bitmaps, cursors and program icon as XPM files.

The XPM files in resources/bitmaps, resources/cursors and resources/icons are
the sources the build compiles in; this script is how they were drawn. Run it
from anywhere to redraw them all:

    python3 resources/tools/draw_icons.py

Module bitmaps are 24 x 24 in the 16 standard colours. Their lower-left pixel
is the transparent colour (magenta), so every picture keeps that corner free.
Cursors are 32 x 32 in black, white and transparent, with their hot spot in
the XPM values line.
"""

import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

# The 16 colours, one XPM character each. "~" is the transparent key.
PALETTE = {
    "~": "#FF00FF",  # transparent key
    "k": "#000000",
    "m": "#800000",
    "g": "#008000",
    "o": "#808000",
    "n": "#000080",
    "p": "#800080",
    "t": "#008080",
    "s": "#C0C0C0",
    "d": "#808080",
    "r": "#FF0000",
    "l": "#00FF00",
    "y": "#FFFF00",
    "b": "#0000FF",
    "c": "#00FFFF",
    "w": "#FFFFFF",
}


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c, width=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.dot(x0, y0, c, width)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def dot(self, x, y, c, width=1):
        if width == 1:
            self.set(x, y, c)
            return
        r = (width - 1) / 2.0
        for yy in range(int(y - r - 1), int(y + r + 2)):
            for xx in range(int(x - r - 1), int(x + r + 2)):
                if (xx - x) ** 2 + (yy - y) ** 2 <= r * r + 0.5:
                    self.set(xx, yy, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ring(self, cx, cy, r, c, width=1):
        for y in range(self.h):
            for x in range(self.w):
                d = math.hypot(x - cx, y - cy)
                if r - width + 0.5 <= d + 0.0 <= r + 0.5:
                    self.set(x, y, c)

    def poly(self, pts, c):
        ys = [p[1] for p in pts]
        for y in range(min(ys), max(ys) + 1):
            xs = []
            n = len(pts)
            for i in range(n):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
                if y0 == y1:
                    continue
                if min(y0, y1) <= y + 0.5 < max(y0, y1):
                    xs.append(x0 + (y + 0.5 - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                for x in range(int(math.ceil(xs[i] - 0.5)), int(math.floor(xs[i + 1] - 0.5)) + 1):
                    self.set(x, y, c)

    def outline(self, pts, c):
        for i in range(len(pts)):
            (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % len(pts)]
            self.line(x0, y0, x1, y1, c)

    def text(self, x, y, s, c):
        for ch in s:
            glyph = FONT[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == "#":
                        self.set(x + gx, y + gy, c)
            x += len(glyph[0]) + 1

    def xpm(self, name, hot=None):
        used = sorted({c for row in self.px for c in row})
        values = f'"{self.w} {self.h} {len(used)} 1'
        if hot:
            values += f" {hot[0]} {hot[1]}"
        lines = [f"/* XPM */", f"static const char* {name.lower()}[] = {{", values + '",']
        for c in used:
            colour = "None" if c == " " else PALETTE[c]
            lines.append(f'"{c} c {colour}",')
        rows = ['"' + "".join(row) + '"' for row in self.px]
        lines.append(",\n".join(rows))
        lines.append("};")
        return "\n".join(lines) + "\n"


FONT = {
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    ":": [".", "#", ".", "#", "."],
    "?": ["###.", "...#", ".##.", "....", ".#.."],
    "i": ["#", ".", "#", "#", "#"],
}


def new():
    return Canvas(24, 24, "~")


def map_sheet(cv, x0, y0, x1, y1):
    """A small map: white paper, green wood, blue river, a road."""
    cv.rect(x0, y0, x1, y1, "w")
    cv.rect(x0 + 1, y0 + 1, x0 + (x1 - x0) // 2, y0 + (y1 - y0) // 2, "l")
    cv.line(x0 + 1, y1 - 2, x1 - 1, y0 + 3, "b")
    cv.line(x0 + 2, y0 + 1, x0 + 2 + (x1 - x0) // 2, y1 - 1, "r")
    cv.frame(x0, y0, x1, y1, "k")


def arrow(cv, direction):
    # A bold arrow in the middle, pointing left (-1) or right (+1).
    if direction < 0:
        pts = [(1, 12), (8, 5), (8, 9), (14, 9), (14, 15), (8, 15), (8, 19)]
    else:
        pts = [(22, 12), (15, 5), (15, 9), (9, 9), (9, 15), (15, 15), (15, 19)]
    cv.poly(pts, "b")
    cv.outline(pts, "n")


def magnifier(cv, sign=None):
    cv.line(13, 13, 20, 20, "m", width=3)
    cv.disc(9, 9, 7, "w")
    cv.ring(9, 9, 7, "k", width=2)
    cv.disc(9, 9, 5.4, "c")
    if sign == "+":
        cv.rect(6, 8, 12, 10, "n")
        cv.rect(8, 6, 10, 12, "n")
    elif sign == "-":
        cv.rect(6, 8, 12, 10, "n")


def bitmaps():
    icons = {}

    cv = new()
    map_sheet(cv, 9, 3, 21, 20)
    arrow(cv, -1)
    icons["MODUL_KARTENFOLGEBUTTONS_1"] = cv

    cv = new()
    map_sheet(cv, 2, 3, 14, 20)
    arrow(cv, +1)
    icons["MODUL_KARTENFOLGEBUTTONS_2"] = cv

    cv = new()
    for i, colour in enumerate(["b", "l", "y"]):
        dy = 12 - i * 4
        pts = [(2, dy + 4), (12, dy - 1), (21, dy + 4), (12, dy + 9)]
        cv.poly(pts, colour)
        cv.outline(pts, "k")
    icons["MODUL_VIEW_LAYERS_1"] = cv

    # Dimmer by dialog: a half-darkened sun over a slider.
    cv = new()
    cv.disc(11, 8, 6, "y")
    for x in range(11, 18):
        for y in range(1, 16):
            if (x - 11) ** 2 + (y - 8) ** 2 <= 36:
                cv.set(x, y, "d")
    cv.ring(11, 8, 6, "k")
    cv.rect(3, 18, 20, 19, "d")
    cv.frame(2, 17, 21, 20, "k")
    cv.rect(12, 15, 14, 22, "s")
    cv.frame(12, 15, 14, 22, "k")
    icons["MODUL_VIEW_DIMMER_1"] = cv

    # Darken by 20 %: a grey sun with a downward arrow.
    cv = new()
    cv.disc(9, 10, 6, "o")
    cv.ring(9, 10, 6, "k")
    for a in range(0, 360, 45):
        r = math.radians(a)
        cv.line(9 + int(round(8 * math.cos(r))), 10 + int(round(8 * math.sin(r))),
                9 + int(round(9.5 * math.cos(r))), 10 + int(round(9.5 * math.sin(r))), "d")
    pts = [(15, 14), (23, 14), (19, 21)]
    cv.rect(17, 6, 21, 14, "n")
    cv.poly(pts, "n")
    icons["MODUL_VIEW_DIMMER_2"] = cv

    # Full brightness: a bright sun with rays.
    cv = new()
    for a in range(0, 360, 30):
        r = math.radians(a)
        cv.line(12 + int(round(7 * math.cos(r))), 11 + int(round(7 * math.sin(r))),
                12 + int(round(10.5 * math.cos(r))), 11 + int(round(10.5 * math.sin(r))), "r")
    cv.disc(12, 11, 6, "y")
    cv.ring(12, 11, 6, "r")
    icons["MODUL_VIEW_DIMMER_3"] = cv

    # Centre: cross hairs over a target.
    cv = new()
    cv.ring(12, 11, 8, "k", width=2)
    cv.ring(12, 11, 4, "r", width=2)
    cv.rect(11, 1, 12, 21, "k")
    cv.rect(2, 10, 22, 11, "k")
    cv.rect(11, 10, 12, 11, "r")
    icons["MODUL_FUNCTION_CENTER_1"] = cv

    cv = new()
    magnifier(cv, "+")
    icons["MODUL_FUNCTION_ZOOM_PLUS"] = cv

    cv = new()
    magnifier(cv, "-")
    icons["MODUL_FUNCTION_ZOOM_MINUS"] = cv

    cv = new()
    magnifier(cv)
    cv.text(4, 7, "1:1", "n")
    icons["MODUL_FUNCTION_ZOOM_1"] = cv

    # Rectangle zoom: a dashed frame with a small magnifier in its corner.
    cv = new()
    for x in range(2, 22):
        if x % 3 != 2:
            cv.set(x, 2, "k")
            cv.set(x, 15, "k")
    for y in range(2, 16):
        if y % 3 != 1:
            cv.set(2, y, "k")
            cv.set(21, y, "k")
    cv.line(16, 16, 21, 21, "m", width=3)
    cv.disc(12, 12, 5, "w")
    cv.ring(12, 12, 5, "k", width=2)
    cv.disc(12, 12, 3.4, "c")
    icons["MODUL_FUNCTION_ZOOM_RECT"] = cv

    # Measure: a diagonal ruler with ticks.
    cv = new()
    pts = [(1, 17), (17, 1), (22, 6), (6, 22)]
    cv.poly(pts, "y")
    cv.outline(pts, "k")
    for i in range(1, 8):
        x, y = 3 + 2 * i, 15 - 2 * i
        length = 3 if i % 2 == 0 else 2
        cv.line(x, y, x + length, y + length, "k")
    icons["MODUL_FUNCTION_MEASURE_1"] = cv

    # Identify an object: the pointer over a blue "i".
    cv = new()
    cv.disc(16, 15, 6, "b")
    cv.ring(16, 15, 6, "n")
    cv.rect(15, 10, 16, 11, "w")
    cv.rect(15, 13, 16, 18, "w")
    cv.set(14, 13, "w")
    pts = [(3, 1), (3, 16), (7, 12), (10, 18), (12, 17), (9, 11), (14, 11)]
    cv.poly(pts, "w")
    cv.outline(pts, "k")
    icons["MODUL_FUNCTION_OBJECTCLICK_1"] = cv

    # Draw: a pencil writing a red line.
    cv = new()
    cv.line(2, 21, 9, 21, "r")
    cv.line(9, 21, 13, 19, "r")
    body = [(5, 17), (17, 3), (21, 7), (9, 21)]
    cv.poly(body, "y")
    cv.outline(body, "k")
    cv.poly([(17, 3), (19, 1), (23, 5), (21, 7)], "r")
    cv.outline([(17, 3), (19, 1), (23, 5), (21, 7)], "k")
    tip = [(5, 17), (9, 21), (3, 23)]
    cv.poly(tip, "s")
    cv.outline(tip, "k")
    cv.set(3, 22, "k")
    cv.set(4, 22, "k")
    icons["MODUL_ZEICHNEN"] = cv

    # Elevation profile: axes and a terrain section.
    cv = new()
    ground = [(3, 20), (3, 14), (7, 9), (10, 12), (14, 4), (18, 10), (21, 8), (21, 20)]
    cv.poly(ground, "o")
    cv.line(3, 14, 7, 9, "g")
    cv.line(7, 9, 10, 12, "g")
    cv.line(10, 12, 14, 4, "g")
    cv.line(14, 4, 18, 10, "g")
    cv.line(18, 10, 21, 8, "g")
    cv.rect(1, 1, 1, 21, "k")
    cv.rect(1, 21, 23, 21, "k")
    for x in (6, 11, 16, 21):
        cv.set(x, 22, "k")
    icons["MODUL_FUNCTION_DHMPROFILE"] = cv

    # GPS position: a satellite with solar panels above a radio wave.
    cv = new()
    cv.rect(9, 5, 14, 10, "s")
    cv.frame(9, 5, 14, 10, "k")
    cv.rect(1, 6, 7, 9, "b")
    cv.frame(1, 6, 7, 9, "n")
    cv.rect(16, 6, 22, 9, "b")
    cv.frame(16, 6, 22, 9, "n")
    cv.line(8, 7, 8, 8, "k")
    cv.line(15, 7, 15, 8, "k")
    cv.line(11, 11, 11, 13, "k")
    cv.line(12, 11, 12, 13, "k")
    for r in (4, 7):
        for a in range(200, 341, 5):
            t = math.radians(a)
            cv.set(12 + int(round(r * math.cos(t))), 20 + int(round(r * math.sin(t))) , "r")
    cv.disc(12, 20, 1.5, "r")
    icons["MODUL_GPS_ASSINGLEDIALOG"] = cv

    # Help: a white question mark on a blue disc.
    cv = new()
    cv.disc(12, 11, 10, "b")
    cv.ring(12, 11, 10, "n")
    q = ["..####..", ".##..##.", ".....##.", "....##..", "...##...", "...##...", "........", "...##...",
         "...##..."]
    for y, row in enumerate(q):
        for x, ch in enumerate(row):
            if ch == "#":
                cv.set(8 + x, 6 + y, "w")
    icons["MODUL_HELP_HELP16"] = cv

    # Points of interest, each on a small sign with a black rim.
    def sign(colour):
        cv = new()
        cv.rect(1, 1, 22, 22, colour)
        cv.frame(1, 1, 22, 22, "k")
        return cv

    cv = sign("w")  # sights: a red star
    star = []
    for i in range(10):
        r = 10 if i % 2 == 0 else 4
        t = math.radians(-90 + 36 * i)
        star.append((12 + int(round(r * math.cos(t))), 12 + int(round(r * math.sin(t)))))
    cv.poly(star, "r")
    cv.outline(star, "m")
    icons["MODUL_TOPINFO_SEHENSW"] = cv

    cv = sign("w")  # youth hostel: a house beside a tree
    cv.poly([(3, 12), (10, 5), (17, 12)], "g")
    cv.rect(5, 12, 15, 20, "g")
    cv.rect(9, 15, 11, 20, "w")
    cv.disc(18, 11, 3.5, "g")
    cv.rect(18, 14, 18, 20, "m")
    icons["MODUL_TOPINFO_JUGHERB"] = cv

    cv = sign("w")  # museum: a temple front
    cv.poly([(3, 8), (12, 3), (21, 8)], "d")
    cv.outline([(3, 8), (12, 3), (21, 8)], "k")
    cv.rect(3, 8, 21, 9, "k")
    for x in (5, 9, 13, 17):
        cv.rect(x, 10, x + 2, 17, "s")
        cv.frame(x, 10, x + 2, 17, "k")
    cv.rect(3, 18, 21, 20, "k")
    icons["MODUL_TOPINFO_MUSEUM"] = cv

    cv = sign("w")  # castle: a tower with battlements and a flag
    cv.rect(6, 9, 17, 20, "d")
    for x in (6, 10, 14):
        cv.rect(x, 6, x + 2, 8, "d")
    cv.frame(6, 9, 17, 20, "k")
    cv.rect(10, 14, 13, 20, "k")
    cv.rect(11, 2, 11, 6, "k")
    cv.rect(12, 2, 15, 4, "r")
    icons["MODUL_TOPINFO_BURGS"] = cv

    cv = sign("w")  # managed hut: a timber cabin in the mountains
    cv.poly([(2, 20), (8, 8), (13, 16), (17, 10), (22, 20)], "s")
    cv.poly([(6, 14), (12, 9), (18, 14)], "m")
    cv.rect(7, 14, 17, 20, "o")
    cv.frame(7, 14, 17, 20, "m")
    cv.rect(11, 16, 13, 20, "m")
    icons["MODUL_TOPINFO_BEWIHUE"] = cv

    cv = sign("w")  # camping: a tent
    cv.poly([(3, 20), (12, 4), (21, 20)], "g")
    cv.outline([(3, 20), (12, 4), (21, 20)], "k")
    cv.poly([(10, 20), (12, 12), (14, 20)], "y")
    cv.rect(2, 20, 22, 20, "k")
    icons["MODUL_TOPINFO_CAMPING"] = cv

    for name, cv in icons.items():
        assert cv.px[23][0] == "~", name + ": the lower-left pixel must stay transparent"
    return icons


def cursor_canvas():
    return Canvas(32, 32, " ")


def crosshair(cv, cx, cy, gap=2, arm=9):
    for d in range(gap, arm + 1):
        for x, y in ((cx + d, cy), (cx - d, cy), (cx, cy + d), (cx, cy - d)):
            cv.set(x, y, "k")
    # white rims keep the cross visible on dark map colours
    for d in range(gap, arm + 1):
        for x, y in ((cx + d, cy - 1), (cx - d, cy + 1), (cx - 1, cy + d), (cx + 1, cy - d)):
            if cv.px[y][x] == " ":
                cv.set(x, y, "w")


def cursors():
    result = {}

    cv = cursor_canvas()
    crosshair(cv, 15, 15)
    cv.ring(15, 15, 5, "k")
    result["MODUL_FUNCTION_CENTER_1"] = (cv, (15, 15))

    cv = cursor_canvas()
    crosshair(cv, 7, 7, gap=2, arm=6)
    cv.poly([(14, 28), (19, 18), (23, 23), (26, 16), (31, 28)], "w")
    cv.outline([(14, 28), (19, 18), (23, 23), (26, 16), (31, 28)], "k")
    result["MODUL_FUNCTION_DHMPROFILE"] = (cv, (7, 7))

    cv = cursor_canvas()
    crosshair(cv, 7, 7, gap=2, arm=6)
    pts = [(14, 26), (26, 14), (30, 18), (18, 30)]
    cv.poly(pts, "w")
    cv.outline(pts, "k")
    for i in range(1, 6):
        cv.line(15 + 2 * i, 25 - 2 * i, 17 + 2 * i, 27 - 2 * i, "k")
    result["MODUL_FUNCTION_MEASURE_1"] = (cv, (7, 7))

    cv = cursor_canvas()
    crosshair(cv, 7, 7, gap=2, arm=6)
    cv.disc(21, 19, 6, "w")
    cv.ring(21, 19, 6, "k", width=2)
    cv.line(25, 24, 30, 29, "k", width=3)
    cv.rect(18, 18, 24, 19, "k")
    cv.rect(21, 16, 22, 22, "k")
    result["MODUL_FUNCTION_ZOOM_RECT"] = (cv, (7, 7))

    cv = cursor_canvas()
    body = [(4, 23), (21, 6), (26, 11), (9, 28)]
    cv.poly(body, "w")
    cv.outline(body, "k")
    cv.outline([(4, 23), (9, 28), (1, 30)], "k")
    cv.poly([(21, 6), (24, 3), (29, 8), (26, 11)], "k")
    cv.set(1, 30, "k")
    result["MODUL_ZEICHNEN"] = (cv, (1, 30))
    return result


def program_icon():
    cv = Canvas(32, 32, " ")
    # A folded map with three panels and a compass needle.
    panels = [[(2, 6), (11, 3), (11, 27), (2, 30)], [(11, 3), (21, 6), (21, 30), (11, 27)],
              [(21, 6), (30, 3), (30, 27), (21, 30)]]
    for pts, colour in zip(panels, ["w", "s", "w"]):
        cv.poly(pts, colour)
    cv.poly([(3, 20), (8, 14), (11, 17), (11, 26), (3, 29)], "l")
    cv.poly([(22, 12), (29, 8), (29, 16), (22, 19)], "l")
    cv.line(3, 11, 29, 22, "b", width=2)
    cv.line(12, 26, 27, 5, "r")
    for pts in panels:
        cv.outline(pts, "k")
    cv.disc(16, 15, 5, "w")
    cv.ring(16, 15, 5, "k")
    cv.poly([(16, 10), (18, 15), (14, 15)], "r")
    cv.poly([(16, 20), (18, 15), (14, 15)], "n")
    return cv


def main():
    for folder in ("bitmaps", "cursors", "icons"):
        os.makedirs(os.path.join(ROOT, folder), exist_ok=True)
    names = []
    for name, cv in bitmaps().items():
        with open(os.path.join(ROOT, "bitmaps", name + ".xpm"), "w") as f:
            f.write(cv.xpm(name))
        names.append("bitmaps/" + name + ".xpm")
    for name, (cv, hot) in cursors().items():
        with open(os.path.join(ROOT, "cursors", name + ".xpm"), "w") as f:
            f.write(cv.xpm(name + "_cursor", hot))
        names.append("cursors/" + name + ".xpm")
    with open(os.path.join(ROOT, "icons", "VISTREL.xpm"), "w") as f:
        f.write(program_icon().xpm("vistrel"))
    names.append("icons/VISTREL.xpm")
    with open(os.path.join(ROOT, "vistrel.qrc"), "w") as f:
        f.write("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n")
        for n in sorted(names):
            f.write(f"    <file>{n}</file>\n")
        f.write("</qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()

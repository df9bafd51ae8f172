#!/usr/bin/python3
"""Draws the pictures of the materia medica table.

For every line of data/TABHOM/remedies.tsv this writes
data/TABHOM/bilder/<slug>.jpg (slug = the `Datei` column without ".md"):
a 200 x 200 JPEG with a motif for the remedy's origin (plant, mineral, metal,
animal, chemical or nosode) above the remedy's name.

Motifs are drawn at four times the final size and scaled down, which gives
smooth edges; the lettering is set afterwards at the final size so that it
stays crisp. The only variation comes from a generator seeded with the slug,
so a rerun writes the same bytes.

Every remedy needs an entry in MOTIFS; a remedy without one stops the run
instead of getting an arbitrary picture.

    tools/refdata/draw_pictures.py [--data DIR] [--sheet FILE.png] [SLUG ...]
"""

import argparse
import csv
import hashlib
import math
import random
import sys
from pathlib import Path

from PIL import Image, ImageColor, ImageDraw, ImageFont, ImageOps

SIZE = 200          # final picture size in pixels (the form allows 200 x 200)
SS = 4              # supersampling factor of the motif canvas
W = SIZE * SS
CX, CY = W // 2, 76 * SS   # centre of the motif's halo
LINE = 5            # outline width on the motif canvas (1.25 px when scaled)
JPEG_QUALITY = 86

FONT_DIR = Path("/usr/share/fonts/truetype/liberation")
NAME_FONT = FONT_DIR / "LiberationSans-Bold.ttf"
GERMAN_FONT = FONT_DIR / "LiberationSans-Italic.ttf"

CARD = "#FBF8F1"
INK = "#33402F"
INK_SOFT = "#66705F"

# One soft tint family per kind of origin: halo behind the motif, the band
# under the name and the thin frame.
GROUPS = {
    "plant": {"halo": "#E2ECD8", "band": "#EDF2E6", "frame": "#B3C7A4"},
    "mineral": {"halo": "#DFE6EE", "band": "#EBEFF4", "frame": "#AEBBCB"},
    "metal": {"halo": "#E4E2E9", "band": "#EFEDF2", "frame": "#B6B1C0"},
    "animal": {"halo": "#F1E4D1", "band": "#F6EDE1", "frame": "#D1B693"},
    "substance": {"halo": "#EAE2EF", "band": "#F2EDF5", "frame": "#C0ADCB"},
}

LEAF = "#86AD78"
LEAF_DARK = "#5F8A58"
STEM = "#6E9460"
WOOD = "#9C7B5E"
SOIL = "#C9B59A"


# ---------------------------------------------------------------- colours --

def rgb(c):
    return ImageColor.getrgb(c) if isinstance(c, str) else tuple(c)


def mix(a, b, t):
    a, b = rgb(a), rgb(b)
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def dark(c, t=0.42):
    return mix(c, "#2A2F2A", t)


def light(c, t=0.45):
    return mix(c, "#FFFFFF", t)


# --------------------------------------------------------------- geometry --

def polar(x, y, r, ang):
    """Point at distance r from (x, y); ang in degrees, 0 = up, clockwise."""
    a = math.radians(ang)
    return (x + r * math.sin(a), y - r * math.cos(a))


def blade(x, y, length, width, ang, belly=0.5, full=0.7, teeth=0, n=36):
    """Outline of a leaf or petal growing from (x, y) in direction ang.

    belly is where along the length it is widest (0..1), full how blunt the
    outline is (smaller = rounder), teeth the number of saw teeth per side.
    """
    p = math.log(0.5) / math.log(belly)
    a = math.radians(ang)
    ux, uy = math.sin(a), -math.cos(a)
    vx, vy = -uy, ux
    side = []
    for i in range(n + 1):
        t = i / n
        w = width / 2 * math.sin(math.pi * t ** p) ** full
        if teeth and 0.08 < t < 0.95:
            w *= 1 + 0.16 * (((t * teeth) % 1.0) - 0.5)
        side.append((t * length, w))
    pts = side + [(u, -w) for u, w in reversed(side[1:-1])]
    return [(x + u * ux + w * vx, y + u * uy + w * vy) for u, w in pts]


def bezier(*ctrl, n=40):
    """Points of a Bézier curve of any degree through its control points."""
    pts = []
    for i in range(n + 1):
        t = i / n
        ps = list(ctrl)
        while len(ps) > 1:
            ps = [((1 - t) * a[0] + t * b[0], (1 - t) * a[1] + t * b[1])
                  for a, b in zip(ps, ps[1:])]
        pts.append(ps[0])
    return pts


def ellipse_pts(x, y, rx, ry, rot=0, n=48):
    c, s = math.cos(math.radians(rot)), math.sin(math.radians(rot))
    pts = []
    for i in range(n):
        a = 2 * math.pi * i / n
        u, v = rx * math.cos(a), ry * math.sin(a)
        pts.append((x + u * c - v * s, y + u * s + v * c))
    return pts


def along(pts, t):
    """Point and direction (degrees, 0 = up) at fraction t of a polyline."""
    i = min(int(t * (len(pts) - 1)), len(pts) - 2)
    (x0, y0), (x1, y1) = pts[i], pts[i + 1]
    f = t * (len(pts) - 1) - i
    return (x0 + (x1 - x0) * f, y0 + (y1 - y0) * f,
            math.degrees(math.atan2(x1 - x0, -(y1 - y0))))


# ------------------------------------------------------------- primitives --

def fill(d, pts, color, line=None, width=LINE):
    d.polygon([tuple(p) for p in pts], fill=rgb(color),
              outline=rgb(line) if line else dark(color), width=width)


def disc(d, x, y, r, color, line=None, width=LINE):
    d.ellipse((x - r, y - r, x + r, y + r), fill=rgb(color),
              outline=rgb(line) if line else dark(color), width=width)


def dot(d, x, y, r, color):
    d.ellipse((x - r, y - r, x + r, y + r), fill=rgb(color))


def stroke(d, pts, color, width):
    pts = [tuple(p) for p in pts]
    d.line(pts, fill=rgb(color), width=int(width), joint="curve")
    for x, y in (pts[0], pts[-1]):
        dot(d, x, y, width / 2 - 0.5, color)


def leaf(d, x, y, length, width, ang, color=LEAF, belly=0.45, full=0.75,
         teeth=0, vein=True):
    fill(d, blade(x, y, length, width, ang, belly, full, teeth), color)
    if vein:
        stroke(d, [polar(x, y, length * 0.08, ang), polar(x, y, length * 0.82, ang)],
               dark(color, 0.25), 4)


def ground(d, y=560, rx=230, color=SOIL):
    d.ellipse((CX - rx, y - 22, CX + rx, y + 22), fill=light(color, 0.35))


# ---------------------------------------------------------- plant helpers --

def flower_head(d, x, y, r, n, color, center="#F2C94C", belly=0.6, full=0.8,
                widen=1.0, rot=0, center_r=0.24, seeds=False, ring2=False):
    width = min(r * 0.95, 2 * math.pi * r / n * 0.8 * widen)
    if ring2:
        for i in range(n):
            fill(d, blade(x, y, r * 0.9, width, rot + (i + 0.5) * 360 / n,
                          belly, full), dark(color, 0.12))
    for i in range(n):
        fill(d, blade(x, y, r, width, rot + i * 360 / n, belly, full), color)
        if n <= 8:
            stroke(d, [polar(x, y, r * 0.3, rot + i * 360 / n),
                       polar(x, y, r * 0.7, rot + i * 360 / n)],
                   mix(color, dark(color), 0.35), 3)
    cr = r * center_r
    disc(d, x, y, cr, center)
    if seeds:
        # phyllotaxis pattern of the disc florets
        k = int(cr * cr / 60)
        for i in range(1, k):
            rr = cr * 0.9 * math.sqrt(i / k)
            px, py = polar(x, y, rr, i * 137.508)
            dot(d, px, py, 3.2, dark(center, 0.3))
    else:
        for i in range(10):
            px, py = polar(x, y, cr * 0.62, i * 36)
            dot(d, px, py, 4.5, dark(center, 0.35))


def stem_with_leaves(d, pts, leaves, width=11, color=STEM, leaf_color=LEAF,
                     leaf_len=120, leaf_w=52, teeth=0):
    stroke(d, pts, color, width)
    for t, side in leaves:
        x, y, ang = along(pts, t)
        leaf(d, x, y, leaf_len, leaf_w, ang + 55 * side, leaf_color, teeth=teeth)


def small_flower(d, x, y, r, color, center="#F4D35E", n=5, rot=0):
    for i in range(n):
        fill(d, blade(x, y, r, r * 1.05, rot + i * 360 / n, 0.62, 0.6), color)
    dot(d, x, y, r * 0.28, center)


# ------------------------------------------------------------ plant motifs --

def m_flower(d, p, rng):
    """One to three flowers on stems (daisies, cups, stars)."""
    n = p.get("n", 5)
    color, center = p["color"], p.get("center", "#F2C94C")
    kw = dict(belly=p.get("belly", 0.6), full=p.get("full", 0.8),
              widen=p.get("widen", 1.0), center_r=p.get("center_r", 0.24),
              seeds=p.get("seeds", False), ring2=p.get("ring2", False))
    count = p.get("count", 1)
    if count == 1:
        stem = bezier((400, 585), (380, 420), (430, 330), (405, 235))
        stem_with_leaves(d, stem, [(0.35, -1), (0.55, 1)], leaf_color=p.get("leaf", LEAF))
        if p.get("capsule"):
            cap = bezier((410, 560), (520, 470), (560, 300))
            stroke(d, cap, STEM, 9)
            fill(d, ellipse_pts(560, 262, 34, 44), "#A9C08C")
            for i in range(7):
                stroke(d, [(560, 222), polar(560, 222, 30, -70 + i * 23)], "#6F7F58", 5)
        flower_head(d, 405, 220, 132, n, color, center, **kw)
    elif count == 2:
        s1 = bezier((420, 585), (400, 430), (450, 320), (450, 235))
        s2 = bezier((410, 520), (330, 440), (280, 400), (265, 345))
        stem_with_leaves(d, s1, [(0.2, -1), (0.45, 1)], leaf_color=p.get("leaf", LEAF))
        stroke(d, s2, STEM, 9)
        flower_head(d, 265, 335, 84, n, light(color, 0.12), center, rot=11, **kw)
        flower_head(d, 450, 215, 118, n, color, center, **kw)
    else:
        s = bezier((400, 590), (395, 450), (400, 380))
        stroke(d, s, STEM, 10)
        tops = [(250, 230), (400, 150), (545, 245)]
        for tx, ty in tops:
            stroke(d, bezier((400, 420), ((400 + tx) / 2, ty + 80), (tx, ty)), STEM, 7)
        for t, side in ((0.4, -1), (0.6, 1), (0.8, -1)):
            x, y, ang = along(s, t)
            leaf(d, x, y, 90, 46, ang + 60 * side, p.get("leaf", LEAF), teeth=6)
        for i, (tx, ty) in enumerate(tops):
            flower_head(d, tx, ty, 78, n, color, center, rot=i * 17, **kw)
            if p.get("stripes"):
                for j in range(n):
                    a = i * 17 + j * 360 / n
                    stroke(d, [polar(tx, ty, 24, a), polar(tx, ty, 52, a)], p["stripes"], 4)


def m_spike(d, p, rng):
    """A tall flower spike (monkshood, larkspur, hellebore)."""
    color, style = p["color"], p.get("style", "helmet")
    stem = bezier((400, 590), (410, 380), (395, 180), (405, 70))
    # basal leaves
    if style == "pleated":
        for ang, ln in ((-58, 230), (52, 215), (-25, 190), (20, 180)):
            pts = blade(400, 585, ln, 110, ang, 0.45, 0.7)
            fill(d, pts, LEAF)
            for k in (-0.28, 0, 0.28):
                stroke(d, [polar(400, 585, 30, ang + k * 30), polar(400, 585, ln * 0.85, ang + k * 22)],
                       LEAF_DARK, 3)
    else:
        for ang in (-70, -45, -20, 20, 45, 70):
            for k in (-12, 0, 12):
                leaf(d, *polar(400, 585, 40, ang), 150, 26, ang + k, LEAF, vein=False)
    stroke(d, stem, STEM, 11)
    count = p.get("count", 9)
    for i in range(count):
        t = 0.38 + 0.6 * i / (count - 1)
        x, y, _ = along(stem, t)
        side = -1 if i % 2 else 1
        size = 62 - 34 * i / (count - 1)
        fx, fy = x + side * size * 0.85, y
        stroke(d, [(x, y), (fx, fy)], STEM, 5)
        if style == "helmet":
            hood = blade(fx, fy + size * 0.35, size * 1.35, size * 1.1, side * 12, 0.55, 0.55)
            fill(d, hood, color)
            fill(d, blade(fx, fy + size * 0.2, size * 0.7, size * 0.9, 180 + side * 25, 0.5, 0.6),
                 dark(color, 0.15))
        elif style == "spur":
            fill(d, blade(fx, fy, size * 1.3, size * 0.38, side * 70, 0.3, 0.8), dark(color, 0.1))
            small_flower(d, fx, fy, size * 0.75, color, "#F0E6FA", n=5, rot=i * 11)
        else:
            small_flower(d, fx, fy, size * 0.7, color, "#C9D58C", n=6, rot=i * 13)
    x, y, _ = along(stem, 1.0)
    fill(d, blade(x, y + 10, 40, 24, 0, 0.5, 0.6), light(color, 0.2) if style != "star" else "#C8D8A8")


def m_bells(d, p, rng):
    """Hanging bell flowers on an arching stem (nightshade, comfrey)."""
    color = p["color"]
    stem = bezier((250, 590), (260, 300), (420, 140), (590, 170))
    stroke(d, stem, STEM, 11)
    for t, side in ((0.25, -1), (0.45, 1), (0.62, -1)):
        x, y, ang = along(stem, t)
        leaf(d, x, y, 140, 78, ang + 62 * side, LEAF, belly=0.4)
    spots = p.get("at", (0.55, 0.72, 0.86, 0.97))
    for i, t in enumerate(spots):
        x, y, _ = along(stem, t)
        ln = 70 + 12 * (i % 2)
        bx, by = x + 6, y + ln
        stroke(d, bezier((x, y), (x + 18, y + 25), (bx, by - 48)), STEM, 5)
        bell = [(bx - 26, by - 52), (bx + 26, by - 52)]
        bell = [(bx - 20, by - 58), (bx + 20, by - 58), (bx + 30, by - 10),
                (bx + 46, by + 16), (bx + 24, by + 8), (bx + 10, by + 18),
                (bx - 10, by + 8), (bx - 26, by + 18), (bx - 44, by + 14),
                (bx - 30, by - 10)]
        fill(d, bell, color)
        stroke(d, [(bx, by - 50), (bx, by + 4)], light(color, 0.3), 4)
        fill(d, blade(bx, by - 56, 24, 46, 0, 0.5, 0.6), LEAF_DARK)
    if p.get("berry"):
        x, y, _ = along(stem, 0.35)
        stroke(d, bezier((x, y), (x + 50, y + 40), (x + 70, y + 95)), STEM, 6)
        for i in range(5):
            fill(d, blade(x + 70, y + 100, 44, 22, 90 + i * 72 + 20, 0.5, 0.6), LEAF_DARK)
        disc(d, x + 70, y + 128, 38, p["berry"])
        dot(d, x + 58, y + 114, 10, light(p["berry"], 0.6))


def trumpet(d, x, y, length, ang, color, mouth=1.0):
    """A funnel flower from its base (x, y) opening towards ang."""
    a = math.radians(ang)
    ux, uy = math.sin(a), -math.cos(a)
    vx, vy = -uy, ux
    tube = []
    prof = [(0, 0.09), (0.45, 0.13), (0.75, 0.26), (1.0, 0.46 * mouth)]
    for u, w in prof:
        tube.append((x + u * length * ux + w * length * vx, y + u * length * uy + w * length * vy))
    for u, w in reversed(prof):
        tube.append((x + u * length * ux - w * length * vx, y + u * length * uy - w * length * vy))
    fill(d, tube, color)
    mx, my = x + length * ux, y + length * uy
    rim = []
    for i in range(10):
        r = 0.46 * mouth * length * (1.0 if i % 2 == 0 else 0.82)
        ang2 = 2 * math.pi * i / 10
        u, v = math.cos(ang2) * r * 0.38, math.sin(ang2) * r
        rim.append((mx + u * ux + v * vx, my + u * uy + v * vy))
    fill(d, rim, light(color, 0.25))
    fill(d, ellipse_pts(mx, my, length * 0.07, length * 0.14, ang), dark(color, 0.18))
    for k in (-0.6, 0, 0.6):
        stroke(d, [(x + 0.2 * length * ux + k * 0.05 * length * vx, y + 0.2 * length * uy + k * 0.05 * length * vy),
                   (x + 0.9 * length * ux + k * 0.32 * length * vx, y + 0.9 * length * uy + k * 0.32 * length * vy)],
               mix(color, dark(color), 0.3), 3)


def m_trumpet(d, p, rng):
    """Funnel flowers: thorn apple with capsule, yellow jasmine on a vine."""
    color = p["color"]
    if p.get("vine"):
        vine = bezier((200, 590), (330, 420), (250, 240), (560, 90))
        stroke(d, vine, WOOD, 8)
        for t, side in ((0.2, 1), (0.4, -1), (0.62, 1), (0.85, -1)):
            x, y, ang = along(vine, t)
            leaf(d, x, y, 120, 40, ang + 60 * side, LEAF, belly=0.35)
        for t, ang in ((0.3, 110), (0.52, -75), (0.74, 95)):
            x, y, _ = along(vine, t)
            trumpet(d, x, y, 120, ang, color, 1.1)
        return
    # thorn apple: jagged leaf, a large trumpet and the spiny capsule
    stroke(d, bezier((430, 590), (420, 450), (380, 380)), STEM, 12)
    leaf(d, 425, 520, 190, 120, -60, LEAF, belly=0.4, teeth=5)
    if p.get("capsule"):
        stroke(d, bezier((425, 470), (520, 430), (540, 380)), STEM, 9)
        disc(d, 545, 330, 56, "#8DAE6E")
        for i in range(22):
            a = i * 360 / 22
            sx, sy = polar(545, 330, 50, a)
            stroke(d, [(sx, sy), polar(545, 330, 72, a + 4)], "#5E7A47", 5)
        for i in range(8):
            sx, sy = polar(545, 330, 26, i * 45)
            stroke(d, [(sx, sy), polar(545, 330, 40, i * 45 + 5)], "#5E7A47", 4)
    trumpet(d, 400, 400, 250, -38, color, 1.0)


def m_umbel(d, p, rng):
    """Umbrella-shaped flower clusters on a stem (valerian)."""
    color = p["color"]
    stem = bezier((400, 590), (390, 420), (405, 300))
    stroke(d, stem, STEM, 11)
    for t, side in ((0.25, -1), (0.45, 1)):
        x, y, ang = along(stem, t)
        rach = [(x, y), polar(x, y, 160, ang + 58 * side)]
        stroke(d, rach, STEM, 5)
        for k in range(1, 5):
            px, py = rach[0][0] + (rach[1][0] - rach[0][0]) * k / 4.5, rach[0][1] + (rach[1][1] - rach[0][1]) * k / 4.5
            for sgn in (-1, 1):
                leaf(d, px, py, 58, 22, ang + 58 * side + 55 * sgn, LEAF, vein=False, teeth=3)
    top = (405, 300)
    heads = [(-64, 200), (-36, 225), (-10, 240), (15, 238), (40, 224), (66, 196)]
    for ang, r in heads:
        hx, hy = polar(*top, r * 0.8, ang)
        stroke(d, [top, (hx, hy)], STEM, 5)
    for ang, r in heads:
        hx, hy = polar(*top, r * 0.8, ang)
        for j in range(7):
            fx, fy = polar(hx, hy, 0 if j == 0 else 26, j * 60)
            small_flower(d, fx, fy, 16, color if j % 2 else light(color, 0.3), dark(color, 0.2), rot=j * 20)


def m_sprig(d, p, rng):
    """A leafy twig with a small flower cluster (marsh tea, rue, wormseed)."""
    style = p["style"]
    if style == "ledum":
        stems = [bezier((400, 590), (390, 430), (410, 320), (400, 250)),
                 bezier((400, 470), (330, 420), (290, 360), (280, 300)),
                 bezier((400, 440), (470, 400), (510, 350), (520, 300))]
        for s in stems:
            stroke(d, s, WOOD, 9)
            for i in range(6):
                x, y, ang = along(s, 0.25 + 0.12 * i)
                for side in (-1, 1):
                    leaf(d, x, y, 88, 18, ang + side * (62 - i * 4), "#5E7F4E", belly=0.4, full=0.5)
        for s in stems:
            x, y, _ = along(s, 1.0)
            for j in range(8):
                fx, fy = polar(x, y - 20, 0 if j == 0 else 38, j * 51)
                stroke(d, [(x, y), (fx, fy)], "#8C9F6E", 3)
                small_flower(d, fx, fy, 18, "#FFFFFF", "#E8D77A", rot=j * 23)
    elif style == "ruta":
        stroke(d, bezier((400, 590), (395, 420), (410, 250), (400, 150)), "#7F9C7A", 10)
        for y0, side in ((500, -1), (440, 1), (380, -1), (320, 1), (270, -1)):
            bx, by = polar(400, y0, 0, 0)
            tip = polar(400, y0, 150, side * 62)
            stroke(d, [(bx, by), tip], "#7F9C7A", 5)
            for k, t in enumerate((0.45, 0.75, 1.0)):
                lx = bx + (tip[0] - bx) * t
                ly = by + (tip[1] - by) * t
                for sgn in ((-1, 1) if t < 1 else (0,)):
                    fill(d, blade(lx, ly, 48, 34, side * 62 + sgn * 50, 0.7, 0.55), "#93B4A6")
        for j in range(7):
            fx, fy = polar(400, 130, 0 if j == 0 else 52, j * 60 + 10)
            stroke(d, [(400, 170), (fx, fy)], "#7F9C7A", 4)
            small_flower(d, fx, fy, 24, "#EFD35A", "#C9A93A", n=4, rot=j * 12)
    else:  # wormseed: branched stalks covered with tiny buds
        branches = [bezier((400, 590), (400, 400), (405, 120)),
                    bezier((402, 470), (330, 380), (290, 200)),
                    bezier((403, 430), (480, 350), (520, 190)),
                    bezier((401, 360), (350, 300), (330, 140))]
        for b in branches:
            stroke(d, b, "#8FA27A", 7)
        for b in branches:
            for i in range(12):
                x, y, ang = along(b, 0.35 + 0.055 * i)
                for side in (-1, 1):
                    bx, by = polar(x, y, 18, ang + side * 60)
                    fill(d, ellipse_pts(bx, by, 9, 14, ang + side * 60), "#C9C37A" if i % 3 else "#B5B060")
        for t, side in ((0.15, -1), (0.25, 1)):
            x, y, ang = along(branches[0], t)
            leaf(d, x, y, 110, 20, ang + side * 55, "#98A98A", vein=False)


def m_feathery(d, p, rng):
    """Finely divided grey-green foliage (southernwood)."""
    color = p.get("color", "#8FA68A")
    stems = [bezier((400, 590), (400, 400), (400, 90)),
             bezier((400, 520), (310, 420), (230, 220)),
             bezier((400, 520), (490, 420), (570, 220))]
    for s in stems:
        stroke(d, s, "#7C8C70", 7)
        for i in range(14):
            x, y, ang = along(s, 0.2 + 0.057 * i)
            for side in (-1, 1):
                ln = 78 - i * 3.5
                tip = polar(x, y, ln, ang + side * 55)
                stroke(d, [(x, y), tip], color, 5)
                for k in (0.45, 0.75):
                    bx, by = x + (tip[0] - x) * k, y + (tip[1] - y) * k
                    stroke(d, [(bx, by), polar(bx, by, ln * 0.3, ang + side * 95)], color, 4)
                    stroke(d, [(bx, by), polar(bx, by, ln * 0.3, ang + side * 20)], color, 4)
    for s in stems:
        x, y, _ = along(s, 1.0)
        for j in range(4):
            disc(d, *polar(x, y, 16, j * 90 + 45), 9, "#E0C766", width=3)


def root_shape(d, style, color):
    if style == "tuber":   # white bryony: a big fleshy turnip
        pts = blade(400, 400, 190, 150, 180, 0.32, 0.65)
        fill(d, pts, color)
        for y in (450, 490, 530):
            stroke(d, bezier((355 + (y - 450) / 3, y), (400, y + 10), (445 - (y - 450) / 3, y)), dark(color, 0.2), 3)
        stroke(d, [(400, 585), (405, 610)], dark(color), 4)
    elif style == "ringed":   # ipecacuanha: thin roots with annular rings
        for sx, ex in ((400, 330), (400, 470), (400, 405)):
            r = bezier((sx, 400), (sx - 20, 470), (ex, 500), (ex + 10, 590))
            stroke(d, r, dark(color, 0.15), 24)
            stroke(d, r, color, 18)
            for i in range(3, 40, 3):
                x, y, ang = along(r, i / 40)
                stroke(d, [polar(x, y, 12, ang + 90), polar(x, y, 12, ang - 90)], dark(color, 0.35), 4)
    elif style == "knob":     # jalap: round dark tuber
        fill(d, ellipse_pts(400, 490, 92, 78), color)
        for a in (-30, 10, 40):
            stroke(d, bezier(polar(400, 490, 70, 180 + a), polar(400, 490, 100, 190 + a), polar(400, 490, 120, 175 + a)), dark(color, 0.2), 4)
        for x, y in ((350, 455), (420, 445), (385, 505), (445, 520), (340, 530)):
            stroke(d, [(x - 10, y), (x + 10, y - 2)], dark(color, 0.3), 4)
    else:                     # bloodroot: a red-orange creeping rhizome
        r = bezier((230, 500), (330, 470), (470, 530), (580, 490))
        stroke(d, r, dark(color, 0.2), 40)
        stroke(d, r, color, 33)
        for i in range(1, 9):
            x, y, _ = along(r, i / 9)
            stroke(d, bezier((x, y + 14), (x + 8, y + 50), (x - 4, y + 80)), dark(color, 0.1), 4)


def m_root(d, p, rng):
    """A root below the ground line with its plant above it."""
    style, color = p["style"], p["color"]
    # the ground as a cut through the lower part of the halo
    r = 66 * SS
    half = math.sqrt(r * r - (404 - CY) ** 2)
    top = [(CX - half + 2 * half * i / 30, 404 + 6 * math.sin(i * 1.3)) for i in range(31)]
    b = math.degrees(math.atan2(half, 404 - CY))   # half the arc below the ground line
    arc = [polar(CX, CY, r, 180 - b + 2 * b * i / 40) for i in range(41)]
    fill(d, top + arc, mix(GROUPS["plant"]["halo"], SOIL, 0.45), width=0)
    stroke(d, top, light(SOIL, 0.1), 6)
    root_shape(d, style, color)
    top = p.get("top")
    if top == "bryony":
        vine = bezier((400, 400), (380, 280), (470, 200), (420, 90))
        stroke(d, vine, STEM, 8)
        for t, side in ((0.3, -1), (0.6, 1)):
            x, y, ang = along(vine, t)
            for k in (-40, 0, 40):
                leaf(d, x, y, 110 if k == 0 else 82, 50, ang + 60 * side + k, LEAF, belly=0.4)
        tendril = [polar(520 + 28 * math.cos(a / 4), 260, 22 - a, a * 57) for a in range(0, 20)]
        stroke(d, tendril, STEM, 4)
        for t in (0.45, 0.8, 0.97):
            x, y, _ = along(vine, t)
            small_flower(d, x + 30, y, 22, "#E4EDC6", "#BFCB8A")
    elif top == "ipeca":
        stem = bezier((400, 400), (390, 300), (405, 170))
        stroke(d, stem, STEM, 9)
        for t in (0.3, 0.65):
            x, y, ang = along(stem, t)
            for side in (-1, 1):
                leaf(d, x, y, 140, 70, ang + 75 * side, LEAF_DARK, belly=0.5)
        for j in range(9):
            fx, fy = polar(405, 145, 0 if j == 0 else 34, j * 45)
            small_flower(d, fx, fy, 18, "#FFFFFF", "#E6E0B0", rot=j * 15)
    elif top == "jalap":
        vine = bezier((400, 400), (330, 280), (470, 230), (380, 90))
        stroke(d, vine, STEM, 7)
        for t, side in ((0.3, 1), (0.6, -1)):
            x, y, ang = along(vine, t)
            fill(d, blade(x, y, 120, 100, ang + 65 * side, 0.3, 0.6), LEAF)
        x, y, _ = along(vine, 0.9)
        trumpet(d, x, y, 150, 70, p.get("flower", "#D97AA8"), 1.15)
    elif top == "bloodroot":
        stroke(d, bezier((420, 480), (430, 360), (420, 260)), "#B07B6A", 9)
        stroke(d, bezier((360, 490), (320, 400), (290, 330)), "#B07B6A", 9)
        fill(d, blade(290, 330, 150, 170, -20, 0.5, 0.55, teeth=4), "#8CB08A")
        flower_head(d, 420, 220, 118, 10, "#FFFFFF", "#F0C640", belly=0.6, full=0.9, widen=1.2)


def m_umbrella(d, p, rng):
    """May apple: two umbrella leaves and the nodding flower in their fork."""
    stroke(d, bezier((400, 590), (395, 470), (400, 330)), STEM, 12)
    stroke(d, bezier((400, 330), (330, 300), (250, 230)), STEM, 9)
    stroke(d, bezier((400, 330), (480, 300), (550, 215)), STEM, 9)
    for cx, cy in ((250, 215), (550, 200)):
        for i in range(7):
            fill(d, blade(cx, cy, 130, 70, -90 + i * 30, 0.6, 0.65, teeth=2), LEAF if i % 2 else mix(LEAF, LEAF_DARK, 0.4))
        disc(d, cx, cy, 10, STEM)
    stroke(d, bezier((400, 330), (410, 370), (400, 400)), STEM, 5)
    for i in range(6):
        fill(d, blade(400, 400, 52, 46, 120 + i * 24, 0.62, 0.6), "#FFFFFF")
    disc(d, 400, 420, 16, "#E8D66A")


def m_trifoliate(d, p, rng):
    """Poison ivy: three-parted leaves, partly in autumn colours."""
    colors = p.get("colors", ("#D9663F", "#E79A45", "#8EAE6C"))
    stem = bezier((360, 590), (380, 470), (430, 380), (420, 260))
    stroke(d, stem, WOOD, 10)
    for (t, side, ln), col in zip(((0.25, -1, 150), (0.5, 1, 140), (1.0, 0, 150)), colors):
        x, y, ang = along(stem, t)
        base_ang = ang + 62 * side
        px, py = polar(x, y, 70, base_ang)
        stroke(d, [(x, y), (px, py)], WOOD, 6)
        for k, sc in ((-68, 0.78), (68, 0.78), (0, 1.0)):
            fill(d, blade(px, py, ln * sc, ln * sc * 0.62, base_ang + k, 0.45, 0.7, teeth=3), col)
            stroke(d, [(px, py), polar(px, py, ln * sc * 0.85, base_ang + k)], dark(col, 0.25), 3)
    x, y, ang = along(stem, 0.38)
    for j in range(7):
        disc(d, *polar(x + 30, y + 30, 0 if j == 0 else 22, j * 60), 12, "#EDE6C8", width=3)


def m_conifer(d, p, rng):
    """Arbor vitae: flat sprays of scale leaves and small cones."""
    green = p.get("color", "#6D9A5C")

    def spray(x, y, length, ang, depth):
        tip = polar(x, y, length, ang)
        axis = bezier((x, y), polar(x, y, length * 0.5, ang + 5), tip, n=24)
        if depth < 2:
            k = 7 if depth == 0 else 5
            for i in range(k):
                t = 0.2 + 0.75 * i / k
                ax, ay, aa = along(axis, t)
                side = -1 if i % 2 else 1
                spray(ax, ay, length * (0.5 - 0.3 * t) * (1.2 if depth else 1), aa + side * 50, depth + 1)
        width = (20, 16, 12)[depth]
        stroke(d, axis, dark(green, 0.2), width + 5)
        stroke(d, axis, green, width)
        for i in range(2, 24, 2):
            ax, ay, aa = along(axis, i / 24)
            fill(d, blade(ax, ay, width * 1.2, width * 0.8, aa + 180, 0.5, 0.6), light(green, 0.22), width=0)
        fill(d, blade(*tip, width * 1.3, width, ang, 0.4, 0.7), light(green, 0.1), width=0)

    stroke(d, [(400, 590), (400, 520)], WOOD, 14)
    spray(400, 530, 470, 0, 0)
    for x, y in ((300, 420), (505, 330)):
        fill(d, ellipse_pts(x, y, 18, 28, 20), "#B99A6B")
        for k in (-1, 0, 1):
            stroke(d, [(x - 14, y + 10 * k), (x + 14, y + 10 * k - 4)], "#8C6F4A", 3)


def m_clubmoss(d, p, rng):
    """Club moss: creeping needled stems with upright yellow spore cones."""
    green = "#5F8F4E"

    def needled(pts, ln=22):
        for i in range(0, 34):
            x, y, ang = along(pts, i / 34)
            for side in (-1, 1):
                stroke(d, [(x, y), polar(x, y, ln, ang + side * 48)], light(green, 0.2), 4)
        stroke(d, pts, green, 9)

    needled(bezier((140, 560), (300, 520), (500, 580), (660, 520)))
    for sx, h, lean in ((300, 330, -8), (430, 380, 6), (560, 300, 12)):
        stalk = bezier((sx, 545), (sx + lean, 545 - h * 0.5), (sx + lean * 2, 545 - h))
        needled(stalk, 18)
        x, y, _ = along(stalk, 1.0)
        stroke(d, [(x, y), (x + lean * 0.3, y - 55)], "#B9B67A", 6)
        cone = blade(x + lean * 0.3, y - 50, 120, 44, lean * 0.3, 0.55, 0.4)
        fill(d, cone, "#E9CF5E")
        for k in range(1, 10):
            cx, cy = polar(x + lean * 0.3, y - 50, 12 * k, lean * 0.3)
            stroke(d, [(cx - 12, cy + 3), (cx + 12, cy - 3)], "#C9A93D", 3)


def m_nettle(d, p, rng):
    """Stinging nettle: opposite serrated leaves and hanging flower tassels."""
    stem = bezier((400, 590), (395, 400), (405, 90))
    stroke(d, stem, "#6F8F56", 12)
    for t, ln in ((0.2, 170), (0.45, 150), (0.68, 120), (0.88, 85)):
        x, y, ang = along(stem, t)
        for side in (-1, 1):
            for k in range(1, 6):
                tx, ty = polar(x, y, 14 * k, ang + side * 28)
                dot(d, tx, ty, 8, "#B5C98A")
                dot(d, tx + 4, ty + 3, 4, "#93AB6A")
        for side in (-1, 1):
            fill(d, blade(x, y, ln, ln * 0.62, ang + side * 66, 0.35, 0.75, teeth=7), "#5E9150")
            stroke(d, [(x, y), polar(x, y, ln * 0.85, ang + side * 66)], "#416E37", 3)
    for i in range(30):
        x, y, ang = along(stem, i / 30)
        stroke(d, [(x, y), polar(x, y, 14, ang + (70 if i % 2 else -70))], "#8FAE77", 2)


def m_mushroom(d, p, rng):
    """Fly agaric: red cap with white warts, ringed white stem."""
    ground(d, 565, 200, "#9FBF85")
    stem = [(360, 560), (368, 380), (432, 380), (440, 560)]
    fill(d, stem, "#F4EFE2")
    fill(d, ellipse_pts(400, 565, 62, 24), "#EFE8D6")
    fill(d, [(352, 420), (448, 420), (470, 448), (330, 448)], "#F7F3E8")
    cap = []
    for i in range(41):
        a = math.pi * i / 40
        cap.append((400 - 210 * math.cos(a), 395 - 215 * math.sin(a) ** 0.85))
    fill(d, cap, "#D8453A")
    fill(d, ellipse_pts(290, 270, 60, 26, -40), mix("#D8453A", "#FFFFFF", 0.22), width=0)
    fill(d, [(190, 395), (610, 395), (590, 412), (210, 412)], "#F2E7D5")
    for x, y, r in ((300, 250, 18), (400, 210, 22), (500, 250, 17), (350, 320, 15),
                    (455, 315, 16), (245, 330, 12), (560, 330, 12), (400, 280, 11), (330, 190, 10), (470, 180, 11)):
        disc(d, x, y, r, "#FBF7EE", width=3)
    for dx in (-30, 30, -60, 60):
        dot(d, 400 + dx, 570, 7, "#7FA06A")


def m_sundew(d, p, rng):
    """Sundew: rosette of round sticky leaves with red glandular hairs."""
    base = (400, 470)
    stroke(d, bezier(base, (420, 360), (380, 220), (410, 110)), "#B0705F", 6)
    for j, (x, y) in enumerate(((410, 105), (392, 150), (404, 192))):
        small_flower(d, x, y, 24 - 4 * j, "#FFFFFF", "#F2E6A6", rot=j * 20)
    for ang, ln in ((-108, 150), (108, 150), (-78, 175), (78, 175), (-48, 165), (48, 165),
                    (-20, 140), (20, 140)):
        bx, by = polar(*base, ln, ang)
        stroke(d, [base, (bx, by)], "#9DB07A", 7)
        for k in range(16):
            a = k * 360 / 16
            hx, hy = polar(bx, by, 52, a)
            stroke(d, [polar(bx, by, 26, a), (hx, hy)], "#C0392B", 3)
        disc(d, bx, by, 32, "#A9BF7A", "#7C8F55")
        for k in range(16):
            hx, hy = polar(bx, by, 52, k * 360 / 16)
            dot(d, hx, hy, 6.5, "#EAF4F8")
            dot(d, hx, hy, 3.5, "#D9534F")


def m_slipper(d, p, rng):
    """Lady's slipper: yellow pouch, twisted side petals and broad leaves."""
    stroke(d, bezier((400, 590), (390, 420), (410, 300)), STEM, 10)
    for ang, ln in ((-40, 230), (35, 220)):
        x, y = polar(400, 560, 0, 0)
        fill(d, blade(400, 585 - abs(ang), ln, 110, ang, 0.45, 0.7), LEAF)
        for k in (-14, 0, 14):
            stroke(d, [polar(400, 585 - abs(ang), 20, ang + k * 0.3), polar(400, 585 - abs(ang), ln * 0.85, ang + k * 0.5)], LEAF_DARK, 3)
    brown = "#8A5A44"
    fill(d, blade(410, 300, 150, 70, -8, 0.5, 0.6), "#9C8A4E")     # upper sepal
    for side in (-1, 1):
        pts = []
        for i in range(31):
            t = i / 30
            x = 410 + side * (40 + 200 * t)
            y = 300 + 90 * t + 16 * math.sin(t * 18)
            pts.append((x, y))
        stroke(d, pts, dark(brown, 0.15), 20)
        stroke(d, pts, brown, 14)
    fill(d, ellipse_pts(410, 385, 82, 96), "#F2CF3E")
    fill(d, ellipse_pts(410, 318, 38, 18), "#C99A2E")
    for k in (-40, -15, 15, 40):
        stroke(d, bezier((410 + k * 0.8, 330), (410 + k * 1.4, 390), (410 + k, 460)), "#D9A835", 3)


def m_berries(d, p, rng):
    """Bittersweet: zigzag twig, star flowers and hanging red berries."""
    twig = bezier((180, 560), (330, 430), (300, 260), (560, 110))
    stroke(d, twig, "#7B8D5C", 9)
    for t, side in ((0.2, -1), (0.5, 1), (0.78, -1)):
        x, y, ang = along(twig, t)
        leaf(d, x, y, 130, 64, ang + 60 * side, LEAF, belly=0.35)
        if side == 1:
            leaf(d, x, y, 60, 28, ang - 80, LEAF, vein=False)
    x, y, _ = along(twig, 0.38)
    stalk = bezier((x, y), (x + 80, y + 10), (x + 140, y + 80))
    stroke(d, stalk, "#7B8D5C", 5)
    for k, (bx, by) in enumerate(((x + 100, y + 90), (x + 150, y + 120), (x + 125, y + 160),
                                  (x + 175, y + 170), (x + 80, y + 140), (x + 140, y + 210))):
        stroke(d, [along(stalk, min(1, 0.6 + 0.07 * k))[:2], (bx, by)], "#7B8D5C", 4)
        fill(d, ellipse_pts(bx, by, 22, 30), p.get("berry", "#D9432F"))
        dot(d, bx - 7, by - 10, 6, (255, 220, 210))
    x, y, _ = along(twig, 0.88)
    for j, (fx, fy) in enumerate(((x - 70, y + 40), (x - 10, y + 60), (x - 110, y + 10))):
        stroke(d, [(x, y), (fx, fy)], "#7B8D5C", 4)
        for i in range(5):
            fill(d, blade(fx, fy, 40, 18, i * 72 + j * 15, 0.5, 0.7), p.get("flower", "#8E6BBF"))
        fill(d, blade(fx, fy + 6, 24, 14, 0, 0.4, 0.6), "#F2CE3A")


def m_beans(d, p, rng):
    """Seeds: coffee beans with a cherry twig, or angular St Ignatius beans."""
    color = p["color"]
    if p.get("cherries"):
        twig = bezier((160, 250), (320, 200), (480, 230), (650, 170))
        stroke(d, twig, WOOD, 9)
        for t, side in ((0.15, 1), (0.45, -1), (0.8, 1)):
            x, y, ang = along(twig, t)
            leaf(d, x, y, 150, 62, ang + 70 * side, "#4F8A4A", belly=0.45)
        for t in (0.3, 0.6):
            x, y, _ = along(twig, t)
            for k in (-26, 0, 26):
                disc(d, x + k, y + 38 + abs(k) * 0.4, 24, "#C9423A")
                dot(d, x + k - 8, y + 30 + abs(k) * 0.4, 6, (244, 190, 180))
        beans = ((320, 440, -25), (470, 450, 18), (395, 520, 80))
    else:
        beans = ((290, 330, -30), (500, 310, 25), (330, 480, 60), (500, 480, -15), (410, 400, 5))
    for x, y, rot in beans:
        if p.get("angular"):
            pts = [polar(x, y, 78 * (1 - 0.18 * (k % 2)), rot + k * 60 + 10) for k in range(6)]
            fill(d, pts, color)
            fill(d, [polar(x, y, 30, rot + k * 60 + 40) for k in range(6)], light(color, 0.18), width=3)
        else:
            fill(d, ellipse_pts(x, y, 72, 50, rot), color)
            d.ellipse((x - 35, y - 28, x + 5, y - 10), fill=light(color, 0.35))
            groove = [polar(x, y, r, rot + 90) for r in (-56, -20, 20, 56)]
            gx = [(px + 10 * math.sin(i * 1.4), py) for i, (px, py) in enumerate(groove)]
            stroke(d, bezier(*gx), dark(color, 0.4), 6)


def m_discs(d, p, rng):
    """Poison nut: flat round grey seeds with silky radial hairs."""
    fill(d, ellipse_pts(520, 200, 110, 100), "#E3A33C")
    d.ellipse((450, 130, 520, 190), fill=light("#E3A33C", 0.4))
    fill(d, ellipse_pts(520, 210, 56, 48), "#F4E8C7", width=3)
    for x, y, r in ((310, 330, 105), (480, 430, 95), (290, 500, 78)):
        disc(d, x, y, r, "#B7B59A")
        disc(d, x, y, r * 0.78, "#C8C6AC", width=2)
        for k in range(24):
            stroke(d, [polar(x, y, r * 0.18, k * 15), polar(x, y, r * 0.92, k * 15 + 6)], "#A3A184", 3)
        disc(d, x + r * 0.05, y, r * 0.12, "#8C8A6A", width=2)


def m_gourd(d, p, rng):
    """Bitter apple: striped round fruit on a creeping vine."""
    vine = bezier((130, 480), (260, 360), (480, 420), (660, 250))
    stroke(d, vine, STEM, 8)
    for t, side in ((0.2, -1), (0.8, 1)):
        x, y, ang = along(vine, t)
        for k in (-45, 0, 45):
            leaf(d, x, y, 110 if k == 0 else 80, 40, ang + 70 * side + k, "#86A872", teeth=4, vein=False)
    tendril = [polar(620 + 20 * math.cos(a / 3), 330, 24 - a, a * 55) for a in range(0, 22)]
    stroke(d, tendril, STEM, 4)
    for x, y, r in ((300, 440, 110), (480, 470, 85)):
        disc(d, x, y, r, "#D7C44F")
        for k in range(-3, 4):
            pts = [(x + k * r * 0.27 * math.cos(a * 0.9), y - r * 0.96 * math.sin(a * 1.4 - 0.7 + 0.7)) for a in [i / 10 for i in range(-11, 12)]]
            stroke(d, [(x + k * r * 0.27 * math.sqrt(max(0, 1 - (v / r) ** 2)), y + v) for v in range(-int(r * 0.9), int(r * 0.9), 8)], "#8FA645", 9)
        d.ellipse((x - r * 0.6, y - r * 0.7, x - r * 0.1, y - r * 0.35), fill=light("#D7C44F", 0.45))
        disc(d, x, y - r, 9, WOOD)


# ---------------------------------------------------------- mineral motifs --

def prism(d, x, y, w, h, tilt, color):
    """A hexagonal crystal standing at (x, y), tilted by tilt degrees."""
    tip = w * 0.75
    faces = [
        ([(-w / 2, 0), (-w / 6, 0), (-w / 6, -h), (-w / 2, -h)], 0.82),
        ([(-w / 6, 0), (w / 6, 0), (w / 6, -h), (-w / 6, -h)], 1.0),
        ([(w / 6, 0), (w / 2, 0), (w / 2, -h), (w / 6, -h)], 1.22),
        ([(-w / 2, -h), (-w / 6, -h), (0, -h - tip)], 0.92),
        ([(-w / 6, -h), (w / 6, -h), (0, -h - tip)], 1.12),
        ([(w / 6, -h), (w / 2, -h), (0, -h - tip)], 1.32),
    ]
    c, s = math.cos(math.radians(tilt)), math.sin(math.radians(tilt))
    for pts, shade_f in faces:
        col = dark(color, 1 - shade_f) if shade_f < 1 else light(color, shade_f - 1)
        fill(d, [(x + u * c - v * s, y + u * s + v * c) for u, v in pts], col, dark(color, 0.5), 4)


def m_crystals(d, p, rng):
    """A cluster of prismatic crystals on a piece of rock."""
    color = p["color"]
    if p.get("vapour"):
        for k, (x, y, r) in enumerate(((280, 140, 50), (350, 110, 40), (430, 130, 55), (500, 100, 38))):
            dot(d, x, y, r, light(p["vapour"], 0.55))
    fill(d, [(210, 560), (250, 500), (330, 480), (470, 485), (560, 505), (600, 560)], "#B7AC9E")
    # the slug's generator varies heights and tilts, so salts of one kind
    # still look like different specimens
    for x, w, h, tilt in ((320, 70, 150, -28), (470, 64, 160, 24), (400, 96, 260, -4),
                          (350, 60, 120, -12), (450, 58, 110, 10), (280, 46, 70, -45), (530, 46, 80, 40)):
        prism(d, x, 520, w, h * (0.82 + 0.3 * rng.random()), tilt + rng.uniform(-7, 7), color)
    for x, y in ((250, 240), (560, 230), (470, 150)):
        stroke(d, [(x - 16, y), (x + 16, y)], "#FFFFFF", 4)
        stroke(d, [(x, y - 16), (x, y + 16)], "#FFFFFF", 4)


def cube(d, x, y, s, color):
    """An isometric cube with its bottom corner at (x, y)."""
    h = s * 0.5
    top = [(x, y - 2 * s), (x + s * 0.87, y - 2 * s + h), (x, y - s), (x - s * 0.87, y - 2 * s + h)]
    left = [(x - s * 0.87, y - 2 * s + h), (x, y - s), (x, y), (x - s * 0.87, y - h)]
    right = [(x, y - s), (x + s * 0.87, y - 2 * s + h), (x + s * 0.87, y - h), (x, y)]
    fill(d, left, dark(color, 0.12), dark(color, 0.5), 4)
    fill(d, right, light(color, 0.2), dark(color, 0.5), 4)
    fill(d, top, light(color, 0.5), dark(color, 0.5), 4)


def m_cubes(d, p, rng):
    """Cubic salt crystals with a few loose grains."""
    color = p["color"]
    fill(d, ellipse_pts(400, 540, 230, 36), light("#B9B2A6", 0.4), width=0)
    for x, y, s in ((300, 520, 82), (470, 530, 92), (390, 420, 100), (560, 470, 54), (235, 470, 44)):
        cube(d, x, y, s, color)
    for k in range(14):
        x = 200 + rng.random() * 400
        y = 525 + rng.random() * 30
        cube(d, x, y, 10 + rng.random() * 8, color)


def m_mortar(d, p, rng):
    """Mortar and pestle with a heap of powder (salts, earths, oxides)."""
    color = p["color"]
    bowl = "#D8D3CA"
    # powder heap above the rim
    heap = [(250, 380)] + [(400 - 150 * math.cos(math.pi * i / 20), 380 - 95 * math.sin(math.pi * i / 20) ** 0.8)
                          for i in range(21)] + [(550, 380)]
    fill(d, heap, color, dark(color, 0.3), 4)
    for k in range(40):
        a = rng.random() * math.pi
        r = rng.random() * 0.9
        x = 400 - 140 * r * math.cos(a)
        y = 378 - 80 * r * math.sin(a)
        dot(d, x, y, 3.5, dark(color, 0.18) if k % 2 else light(color, 0.5))
    # pestle leaning on the rim
    fill(d, blade(500, 390, 260, 44, 35, 0.82, 0.5), "#CFC6B8")
    fill(d, ellipse_pts(400, 380, 190, 34), dark(bowl, 0.25))
    body = [(210, 380)] + [(400 - 190 * math.cos(math.pi * i / 20), 380 + 170 * math.sin(math.pi * i / 20) ** 0.9)
                           for i in range(21)] + [(590, 380)]
    fill(d, body, bowl)
    fill(d, [(330, 540), (470, 540), (490, 580), (310, 580)], dark(bowl, 0.1))
    d.ellipse((250, 410, 320, 480), fill=light(bowl, 0.5))
    # spilled grains in front
    for k in range(10):
        dot(d, 230 + rng.random() * 80, 565 + rng.random() * 15, 4, dark(color, 0.15))


def ingot(d, x, y, w, h, color):
    """A trapezoid metal bar, front-left bottom corner at (x, y)."""
    inset, depth = w * 0.12, h * 0.8
    front = [(x, y), (x + w, y), (x + w - inset, y - h), (x + inset, y - h)]
    top = [(x + inset, y - h), (x + w - inset, y - h), (x + w - inset + depth * 0.6, y - h - depth * 0.5),
           (x + inset + depth * 0.6, y - h - depth * 0.5)]
    side = [(x + w, y), (x + w + depth * 0.6, y - depth * 0.5), (x + w - inset + depth * 0.6, y - h - depth * 0.5),
            (x + w - inset, y - h)]
    fill(d, side, dark(color, 0.25), dark(color, 0.55), 4)
    fill(d, front, color, dark(color, 0.55), 4)
    fill(d, top, light(color, 0.35), dark(color, 0.55), 4)
    stroke(d, [(x + inset + 14, y - h + 16), (x + w - inset - 40, y - h + 16)], light(color, 0.6), 6)


def m_ingot(d, p, rng):
    """Stacked metal bars with a glint."""
    color = p["color"]
    fill(d, ellipse_pts(410, 540, 240, 34), light("#B9B2A6", 0.45), width=0)
    ingot(d, 160, 545, 280, 105, color)
    ingot(d, 400, 540, 230, 95, dark(color, 0.06))
    ingot(d, 270, 440, 260, 100, light(color, 0.06))
    for x, y, r in ((560, 250, 26), (220, 300, 15)):
        for a in (0, 90):
            stroke(d, [polar(x, y, r, a), polar(x, y, -r, a)], "#FFFFFF", 5)


def m_droplets(d, p, rng):
    """Mercury: shiny beads of liquid metal on a dish."""
    fill(d, ellipse_pts(400, 500, 250, 70), "#E8E4DC")
    fill(d, ellipse_pts(400, 490, 215, 52), "#D4D0C8", width=3)
    for x, y, r in ((350, 440, 82), (480, 470, 52), (275, 495, 34), (420, 515, 28), (540, 420, 24),
                    (230, 440, 16), (580, 500, 14)):
        fill(d, ellipse_pts(x, y, r, r * 0.82), "#A7AFB8")
        d.ellipse((x - r * 0.8, y - r * 0.7, x + r * 0.6, y + r * 0.2), fill=rgb("#C6CDD4"))
        d.ellipse((x - r * 0.5, y - r * 0.55, x - r * 0.05, y - r * 0.25), fill=rgb("#FFFFFF"))
        d.ellipse((x - r * 0.1, y + r * 0.35, x + r * 0.6, y + r * 0.6), fill=rgb("#8C949C"))


def m_lumps(d, p, rng):
    """Faceted dark lumps (charcoal, graphite)."""
    color = p["color"]
    fill(d, ellipse_pts(400, 545, 240, 30), light("#B9B2A6", 0.4), width=0)
    for x, y, r in ((300, 470, 110), (480, 480, 95), (400, 380, 90)):
        pts = [polar(x, y, r * (0.78 + 0.25 * rng.random()), k * 45 + rng.random() * 20) for k in range(8)]
        fill(d, pts, color, dark(color, 0.6), 4)
        for k in range(3):
            a, b = pts[k * 2 + 1], pts[(k * 2 + 3) % 8]
            fill(d, [(x, y), a, b], light(color, 0.12 + 0.08 * k), dark(color, 0.6), 3)
        if p.get("grain"):
            for k in range(-2, 3):
                stroke(d, [(x - r * 0.6, y + k * 18), (x + r * 0.6, y + k * 18 - 8)], light(color, 0.2), 3)
        if p.get("sheen"):
            stroke(d, [polar(x, y, r * 0.5, -60), polar(x, y, r * 0.2, -20)], light(color, 0.7), 6)


def m_flame(d, p, rng):
    """Phosphorus: a waxy yellowish lump burning with a bright flame."""
    for k, r in enumerate((250, 205, 165)):
        dot(d, 400, 330, r * 0.8, mix("#DFE6EE", "#FFF3C4", 0.25 + 0.2 * k))
    fill(d, ellipse_pts(400, 540, 230, 42), "#D9D4CB", "#A39C90")
    fill(d, ellipse_pts(400, 530, 190, 28), "#E9E5DE", width=0)
    fill(d, [(270, 530), (300, 460), (360, 430), (450, 435), (515, 470), (535, 530)], "#F0DFA0", "#C4AD62")
    fill(d, [(330, 470), (380, 448), (440, 452), (400, 480)], "#F8EEC8", width=0)
    fill(d, blade(400, 455, 330, 190, 0, 0.32, 0.75), "#F4A847", "#D9822C")
    fill(d, blade(400, 450, 240, 120, 0, 0.32, 0.75), "#F7CF5A", "#F4A847")
    fill(d, blade(400, 445, 130, 60, 0, 0.38, 0.75), "#FFF4C2", "#F7CF5A")
    for x, y, r in ((250, 260, 9), (560, 220, 7), (600, 330, 6), (220, 370, 6)):
        dot(d, x, y, r, "#F4B24A")


def m_water(d, p, rng):
    """Spring water: a clear drop above rippling water and stones."""
    for k, (x, y, r) in enumerate(((230, 520, 60), (560, 530, 50), (330, 560, 40), (480, 565, 38))):
        fill(d, ellipse_pts(x, y, r * 1.4, r * 0.8), ("#C3B8A8", "#B2A898", "#CDC3B3", "#BEB4A3")[k])
    for k, ry in enumerate((36, 62, 88)):
        d.ellipse((400 - ry * 2.6, 470 - ry * 0.6, 400 + ry * 2.6, 470 + ry * 0.6), outline=rgb(("#7FB3CF", "#95C1D8", "#B3D3E4")[k]), width=6)
    drop = blade(400, 420, 330, 200, 0, 0.28, 0.8)
    fill(d, [(x, y - 40) for x, y in drop], "#8CC3DF", "#5D9CC0")
    d.ellipse((345, 250, 390, 330), fill=rgb("#D8ECF6"))
    dot(d, 440, 300, 10, "#D8ECF6")


# ---------------------------------------------------------- animal motifs --

def m_bee(d, p, rng):
    """Honey bee, seen from above."""
    for side in (-1, 1):
        fill(d, ellipse_pts(400 + side * 120, 250, 125, 62, side * -25), (232, 241, 247), "#9FB4C3")
        fill(d, ellipse_pts(400 + side * 100, 330, 85, 44, side * 20), (222, 234, 242), "#9FB4C3")
        for k in range(3):
            stroke(d, [(400 + side * 30, 300 + k * 20), polar(400 + side * 30, 300 + k * 20, 130, side * (110 + k * 20))], "#4A3B32", 7)
    fill(d, ellipse_pts(400, 420, 82, 120), "#E9B949", "#6B5230")
    for k, y in enumerate((360, 410, 460)):
        w = 80 * math.sqrt(max(0.0, 1 - ((y - 420) / 120) ** 2))
        fill(d, [(400 - w, y - 12), (400 + w, y - 12), (400 + w * 0.96, y + 14), (400 - w * 0.96, y + 14)], "#4A3B32", width=0)
    fill(d, [(392, 538), (408, 538), (400, 565)], "#4A3B32")
    disc(d, 400, 290, 62, "#B08A4A", "#5A4630")
    disc(d, 400, 200, 48, "#5A4630")
    for side in (-1, 1):
        disc(d, 400 + side * 30, 190, 16, "#2E2620")
        stroke(d, bezier((400 + side * 14, 160), (400 + side * 30, 110), (400 + side * 70, 95)), "#4A3B32", 6)


def m_snake(d, p, rng):
    """Bushmaster: coiled snake with dark diamond blotches."""
    body = [(230, 540), (560, 560), (610, 460), (420, 410), (230, 420), (220, 330),
            (400, 290), (520, 300), (540, 220), (460, 170)]
    pts = bezier(*body[:4], n=40) + bezier(body[3], (330, 400), (200, 380), (240, 300), n=30)[1:] \
        + bezier((240, 300), (300, 240), (480, 300), (520, 220), n=30)[1:] + bezier((520, 220), (540, 180), (480, 150), n=14)[1:]
    for i in range(len(pts) - 1):
        t = i / (len(pts) - 1)
        w = 56 - 24 * t if t < 0.92 else 40
        stroke(d, [pts[i], pts[i + 1]], "#7A5C38", w + 8)
    for i in range(len(pts) - 1):
        t = i / (len(pts) - 1)
        w = 56 - 24 * t if t < 0.92 else 40
        stroke(d, [pts[i], pts[i + 1]], "#D8B06A", w)
    for i in range(4, len(pts) - 8, 7):
        x, y, ang = along(pts, i / (len(pts) - 1))
        w = 20 - 8 * i / len(pts)
        fill(d, [polar(x, y, w * 1.3, ang), polar(x, y, w, ang + 90), polar(x, y, w * 1.3, ang + 180), polar(x, y, w, ang - 90)], "#6E4E2E", width=0)
    hx, hy = pts[-1]
    fill(d, ellipse_pts(hx - 10, hy - 4, 52, 36, -20), "#C99E58", "#7A5C38")
    disc(d, hx - 30, hy - 16, 8, "#2E2620", width=0)
    stroke(d, [(hx - 58, hy + 6), (hx - 92, hy + 14)], "#B33A3A", 4)
    stroke(d, [(hx - 92, hy + 14), (hx - 104, hy + 4)], "#B33A3A", 3)
    stroke(d, [(hx - 92, hy + 14), (hx - 104, hy + 24)], "#B33A3A", 3)


def m_beetle(d, p, rng):
    """Blister beetle: slender metallic green beetle."""
    green = "#3F9A6B"
    for side in (-1, 1):
        for k, (ay, a) in enumerate(((300, 60), (350, 95), (400, 125))):
            knee = polar(400 + side * 50, ay, 90, side * a)
            stroke(d, [(400 + side * 40, ay), knee, polar(*knee, 80, side * (a + 40))], "#2F4A3A", 7)
        stroke(d, bezier((400 + side * 20, 150), (400 + side * 60, 90), (400 + side * 110, 70)), "#2F4A3A", 6)
    for side in (-1, 1):
        fill(d, [(400, 270), (400 + side * 68, 280), (400 + side * 78, 420), (400 + side * 50, 560), (400, 575)],
             green, "#24553B")
    stroke(d, [(400, 270), (400, 572)], "#24553B", 5)
    d.ellipse((330, 300, 372, 420), fill=light(green, 0.35))
    fill(d, ellipse_pts(400, 235, 48, 42), dark(green, 0.15), "#24553B")
    fill(d, ellipse_pts(400, 170, 40, 36), dark(green, 0.1), "#24553B")
    for side in (-1, 1):
        disc(d, 400 + side * 26, 158, 9, "#1E2B24", width=0)


def m_shell(d, p, rng):
    """Oyster shell: frilly layered outer valve and a pearly inside."""
    fill(d, ellipse_pts(410, 560, 200, 20), light("#B9B2A6", 0.4), width=0)
    hinge = (300, 150)

    def valve(scale, wobble):
        pts = blade(*hinge, 420 * scale, 330 * scale, 160, 0.62, 0.55, n=60)
        out = []
        for i, (x, y) in enumerate(pts):
            f = 1 + wobble * math.sin(i * 1.9) * (0.4 + 0.6 * abs(math.sin(i * 0.37)))
            out.append((hinge[0] + (x - hinge[0]) * f, hinge[1] + (y - hinge[1]) * f))
        return out

    for k, col in enumerate(("#9D9181", "#B4A895", "#C7BCA9", "#D6CCBA")):
        fill(d, valve(1.0 - 0.1 * k, 0.035), col, "#7E7464", 4)
    inner = blade(hinge[0] + 20, hinge[1] + 30, 290, 200, 160, 0.6, 0.55)
    fill(d, inner, "#F1ECF3", "#B7AEB8")
    fill(d, ellipse_pts(400, 340, 60, 30, -20), "#FFFFFF", width=0)
    fill(d, ellipse_pts(395, 395, 30, 22, -20), "#C8B6D4", "#A08CB0", 3)


def m_cuttlefish(d, p, rng):
    """Cuttlefish in side view with its ink cloud."""
    for x, y, r in ((600, 440, 62), (540, 480, 48), (650, 500, 44), (590, 530, 36)):
        dot(d, x, y, r, (98, 90, 108))
    for x, y, r in ((610, 430, 34), (560, 470, 24)):
        dot(d, x, y, r, (124, 114, 132))
    body = (450, 300)
    fin = ellipse_pts(*body, 205, 108, -8, n=72)
    fin = [(x + 6 * math.sin(i * 0.9), y + 6 * math.cos(i * 0.9)) for i, (x, y) in enumerate(fin)]
    fill(d, fin, "#E6C7B3", "#A8816C")
    fill(d, ellipse_pts(*body, 180, 82, -8), "#C99A86", "#8C6A58")
    for k in range(18):
        x, y = polar(*body, 55 * (1 + (k * 37) % 7 / 3), 60 + k * 41)
        fill(d, ellipse_pts(x, y, 14, 8, -8), "#B58570", width=0)
    stroke(d, bezier((300, 275), (450, 235), (600, 265)), light("#C99A86", 0.35), 10)
    hx, hy = 262, 338
    for k in range(8):
        a = 240 + (k - 3.5) * 9
        arm = bezier((hx, hy), polar(hx, hy, 80, a), polar(hx, hy, 150 + (k % 3) * 15, a + 12 * (1 if k % 2 else -1)))
        stroke(d, arm, dark("#B88874", 0.12), 16 - abs(k - 3.5) * 1.5)
        stroke(d, arm, "#B88874", 10 - abs(k - 3.5))
    fill(d, ellipse_pts(hx, hy, 62, 52, -8), "#C99A86", "#8C6A58")
    disc(d, hx + 8, hy - 12, 20, "#FFF4D8", "#6B4E40", 3)
    fill(d, [(hx - 4, hy - 14), (hx + 8, hy - 6), (hx + 20, hy - 14), (hx + 20, hy - 10), (hx + 8, hy - 1), (hx - 4, hy - 10)], "#2E2620", width=0)


def m_sponge(d, p, rng):
    """Sea sponge, roasted brown, full of pores."""
    body = [polar(400, 340, 195 * (0.9 + 0.08 * math.sin(k * 0.35) + 0.06 * math.sin(k * 0.9 + 1)), k * 5)
            for k in range(72)]
    body = [(x, 340 + (y - 340) * 0.88) for x, y in body]
    fill(d, body, "#CFA067", "#8A5F30")
    dot(d, 340, 250, 70, "#D8AE78")
    for k in range(70):
        a = rng.random() * 360
        r = 165 * math.sqrt(rng.random())
        x, y = polar(400, 340, r, a)
        y = 340 + (y - 340) * 0.88
        s = 4 + rng.random() * 9
        fill(d, ellipse_pts(x, y, s, s * 0.75), "#96683A", width=0)
    for x, y, r in ((350, 260, 22), (460, 300, 18), (320, 390, 16), (470, 410, 20)):
        fill(d, ellipse_pts(x, y, r, r * 0.7), "#6E4A24", "#5A3C1E", 3)
    fill(d, ellipse_pts(400, 560, 210, 20), light("#B9B2A6", 0.4), width=0)


def m_milk(d, p, rng):
    """Bitch's milk: a bowl of milk, a falling drop and a paw print."""
    fill(d, ellipse_pts(380, 430, 200, 48), "#FFFFFF", "#B7B0A5")
    fill(d, [(180, 430)] + [(380 - 200 * math.cos(math.pi * i / 20), 430 + 120 * math.sin(math.pi * i / 20)) for i in range(21)] + [(580, 430)],
         "#9DB6CF", "#6F879E")
    fill(d, ellipse_pts(380, 430, 180, 38), "#FBFAF6", "#D8D2C6")
    d.ellipse((230, 470, 300, 520), fill=light("#9DB6CF", 0.4))
    drop = blade(380, 320, 150, 90, 0, 0.3, 0.8)
    fill(d, [(x, y - 40) for x, y in drop], "#FBFAF6", "#C9C2B6")
    px, py = 585, 200
    fill(d, ellipse_pts(px, py + 28, 42, 34), "#B28B6E", width=0)
    for k, (dx, dy) in enumerate(((-46, -18), (-18, -46), (18, -46), (46, -18))):
        fill(d, ellipse_pts(px + dx, py + dy, 15, 19, (k - 1.5) * 20), "#B28B6E", width=0)


# ------------------------------------------------------- substance motifs --

def m_flask(d, p, rng):
    """Laboratory flask with a coloured liquid."""
    liquid = p["color"]
    glass = "#EEF3F6"
    body = [(370, 110), (430, 110), (430, 280), (580, 540), (220, 540), (370, 280)]
    fill(d, body, glass, "#8FA2B0")
    fill(d, [(300, 405), (500, 405), (575, 533), (225, 533)], liquid, dark(liquid, 0.3), 3)
    stroke(d, [(300, 405), (500, 405)], light(liquid, 0.4), 5)
    for x, y, r in ((330, 470, 12), (420, 445, 9), (470, 490, 15), (380, 505, 7), (360, 360, 8), (400, 320, 6)):
        disc(d, x, y, r, light(liquid, 0.6), dark(liquid, 0.1), 3)
    fill(d, [(355, 80), (445, 80), (440, 118), (360, 118)], "#B79A7A")
    stroke(d, [(390, 140), (390, 270), (270, 500)], "#FFFFFF", 8)
    if p.get("crystals"):
        for k, x in enumerate((270, 320, 480, 530)):
            prism(d, x, 565, 26, 24 + 10 * (k % 2), (-20, 10, -10, 25)[k], p["crystals"])


def m_vial(d, p, rng):
    """Nosode: a small glass vial with dropper and a drop."""
    glass = "#EDF2F4"
    tint = p.get("color", "#C6B4D6")
    fill(d, [(300, 250), (500, 250), (500, 560), (300, 560)], glass, "#8FA2B0")
    fill(d, [(305, 360), (495, 360), (495, 555), (305, 555)], tint, dark(tint, 0.3), 3)
    fill(d, [(315, 400), (485, 400), (485, 480), (315, 480)], "#FFFFFF", dark(tint, 0.35), 3)
    for k, w in enumerate((120, 90, 130)):
        stroke(d, [(335, 420 + k * 22), (335 + w, 420 + k * 22)], dark(tint, 0.2), 6)
    fill(d, [(330, 200), (470, 200), (470, 250), (330, 250)], "#8D7A9E")
    fill(d, blade(400, 205, 150, 92, 0, 0.62, 0.5), "#A894BA", "#6F5D80")
    stroke(d, [(382, 120), (382, 170)], light("#A894BA", 0.4), 8)
    stroke(d, [(340, 270), (340, 540)], "#FFFFFF", 8)
    drop = blade(590, 330, 110, 70, 180, 0.7, 0.8)
    fill(d, drop, tint, dark(tint, 0.3))
    dot(d, 578, 400, 9, "#FFFFFF")


# ----------------------------------------------------------------- motifs --

# Remedy (as in remedies.tsv) -> (origin group, drawing function, parameters).
MOTIFS = {
    "Abrotanum": ("plant", m_feathery, {}),
    "Aconitum napellus": ("plant", m_spike, {"color": "#6C7FC4", "style": "helmet"}),
    "Agaricus muscarius": ("plant", m_mushroom, {}),
    "Alumina": ("mineral", m_mortar, {"color": "#F1F0EC"}),
    "Ammonium carbonicum": ("mineral", m_cubes, {"color": "#EEF0EE"}),
    "Antimonium tartaricum": ("mineral", m_crystals, {"color": "#E6EEF2"}),
    "Apis mellifica": ("animal", m_bee, {}),
    "Argentum nitricum": ("mineral", m_crystals, {"color": "#D9DEE6"}),
    "Arnica montana": ("plant", m_flower, {"n": 14, "color": "#F2B33D", "center": "#D98E2B",
                                           "belly": 0.7, "full": 0.55, "center_r": 0.3, "seeds": True, "count": 2}),
    "Arsenicum album": ("mineral", m_mortar, {"color": "#F4F3EF"}),
    "Barium carbonicum": ("mineral", m_crystals, {"color": "#EDEAE0"}),
    "Belladonna": ("plant", m_bells, {"color": "#8E5A7E", "berry": "#2B2530"}),
    "Benzoicum acidum": ("substance", m_flask, {"color": "#E9D9B0", "crystals": "#F4F1EA"}),
    "Borax": ("mineral", m_crystals, {"color": "#F0F3F4"}),
    "Bryonia alba": ("plant", m_root, {"style": "tuber", "color": "#EFE3C8", "top": "bryony"}),
    "Calcium bromatum": ("mineral", m_mortar, {"color": "#F3EFE6"}),
    "Calcium carbonicum": ("animal", m_shell, {}),
    "Calcium phosphoricum": ("mineral", m_mortar, {"color": "#F6F2EA"}),
    "Calendula officinalis": ("plant", m_flower, {"n": 18, "color": "#F29A3A", "center": "#B8642A",
                                                  "belly": 0.65, "full": 0.6, "center_r": 0.3, "ring2": True, "seeds": True}),
    "Cantharis": ("animal", m_beetle, {}),
    "Carbo vegetabilis": ("mineral", m_lumps, {"color": "#3E3C3A", "grain": True}),
    "Causticum": ("substance", m_flask, {"color": "#DCE6E4"}),
    "Chamomilla": ("plant", m_flower, {"n": 16, "color": "#FFFFFF", "center": "#F2C230",
                                       "belly": 0.7, "full": 0.55, "center_r": 0.32, "seeds": True, "count": 2}),
    "Cina": ("plant", m_sprig, {"style": "cina"}),
    "Coffea cruda": ("plant", m_beans, {"color": "#B9C48E", "cherries": True}),
    "Colocynthis": ("plant", m_gourd, {}),
    "Cuprum metallicum": ("metal", m_ingot, {"color": "#C8845A"}),
    "Cypripedium pubescens": ("plant", m_slipper, {}),
    "Drosera": ("plant", m_sundew, {}),
    "Dulcamara": ("plant", m_berries, {}),
    "Euphrasia officinalis": ("plant", m_flower, {"n": 5, "color": "#FBFAF8", "center": "#F2D04A",
                                                  "belly": 0.7, "full": 0.55, "count": 3, "stripes": "#8C6FC0"}),
    "Ferrum arsenicosum": ("mineral", m_mortar, {"color": "#C9CDB2"}),
    "Ferrum metallicum": ("metal", m_ingot, {"color": "#8D949C"}),
    "Ferrum phosphoricum": ("mineral", m_mortar, {"color": "#D7CBD6"}),
    "Gelsemium sempervirens": ("plant", m_trumpet, {"color": "#F2CC3D", "vine": True}),
    "Glonoinum": ("substance", m_flask, {"color": "#F0E5A8"}),
    "Graphites": ("mineral", m_lumps, {"color": "#55585C", "sheen": True}),
    "Hepar sulfuris": ("mineral", m_mortar, {"color": "#EFE6C4"}),
    "Hypericum perforatum": ("plant", m_flower, {"n": 5, "color": "#F5CE3B", "center": "#E0A526",
                                                 "belly": 0.62, "full": 0.65, "center_r": 0.22, "count": 3}),
    "Ignatia": ("plant", m_beans, {"color": "#B49A72", "angular": True}),
    "Ipecacuanha": ("plant", m_root, {"style": "ringed", "color": "#A9866A", "top": "ipeca"}),
    "Jalapa": ("plant", m_root, {"style": "knob", "color": "#8B6A52", "top": "jalap"}),
    "Jodum": ("mineral", m_crystals, {"color": "#6C6680", "vapour": "#A58FC9"}),
    "Kalium bromatum": ("mineral", m_cubes, {"color": "#F1EFEA"}),
    "Kalium carbonicum": ("mineral", m_mortar, {"color": "#F0EEE8"}),
    "Kalium jodatum": ("mineral", m_cubes, {"color": "#F3F1EC"}),
    "Kalium muriaticum": ("mineral", m_cubes, {"color": "#ECF0F2"}),
    "Lac caninum": ("animal", m_milk, {}),
    "Lachesis muta": ("animal", m_snake, {}),
    "Ledum palustre": ("plant", m_sprig, {"style": "ledum"}),
    "Luesinum": ("substance", m_vial, {"color": "#C9B7D8"}),
    "Lycopodium clavatum": ("plant", m_clubmoss, {}),
    "Magnesium carbonicum": ("mineral", m_mortar, {"color": "#F6F6F2"}),
    "Magnesium phosphoricum": ("mineral", m_mortar, {"color": "#EEF0F3"}),
    "Medorrhinum": ("substance", m_vial, {"color": "#B8CBD8"}),
    "Mercurius solubilis": ("metal", m_droplets, {}),
    "Natrium muriaticum": ("mineral", m_cubes, {"color": "#F4F6F7"}),
    "Natrium phosphoricum": ("mineral", m_crystals, {"color": "#EAF1EE"}),
    "Natrium sulfuricum": ("mineral", m_crystals, {"color": "#E4ECF3"}),
    "Nitricum acidum": ("substance", m_flask, {"color": "#EFD77A"}),
    "Nux vomica": ("plant", m_discs, {}),
    "Opium": ("plant", m_flower, {"n": 4, "color": "#DE5A4C", "center": "#3A2F3A", "belly": 0.62,
                                  "full": 0.6, "widen": 1.4, "center_r": 0.2, "capsule": True, "leaf": "#8FAFA0"}),
    "Phosphoricum acidum": ("substance", m_flask, {"color": "#CFE2EE"}),
    "Phosphorus": ("mineral", m_flame, {}),
    "Platinum metallicum": ("metal", m_ingot, {"color": "#CDD2D8"}),
    "Podophyllum peltatum": ("plant", m_umbrella, {}),
    "Psorinum": ("substance", m_vial, {"color": "#D8C7A8"}),
    "Pulsatilla pratensis": ("plant", m_flower, {"n": 6, "color": "#9A6FC2", "center": "#F2C94C", "belly": 0.6,
                                                 "full": 0.7, "center_r": 0.22, "leaf": "#93AE86"}),
    "Rhus toxicodendron": ("plant", m_trifoliate, {}),
    "Ruta graveolens": ("plant", m_sprig, {"style": "ruta"}),
    "Sanguinaria canadensis": ("plant", m_root, {"style": "rhizome", "color": "#C8553D", "top": "bloodroot"}),
    "Sanicula aqua": ("mineral", m_water, {}),
    "Sepia officinalis": ("animal", m_cuttlefish, {}),
    "Silicea": ("mineral", m_crystals, {"color": "#EDF3F7"}),
    "Spongia tosta": ("animal", m_sponge, {}),
    "Staphisagria": ("plant", m_spike, {"color": "#7C72C8", "style": "spur"}),
    "Stramonium": ("plant", m_trumpet, {"color": "#FBF8F4", "capsule": True}),
    "Sulfur": ("mineral", m_crystals, {"color": "#F1D548"}),
    "Symphytum officinale": ("plant", m_bells, {"color": "#B07BB6"}),
    "Thuja occidentalis": ("plant", m_conifer, {}),
    "Urtica urens": ("plant", m_nettle, {}),
    "Valeriana officinalis": ("plant", m_umbel, {"color": "#EBB8C8"}),
    "Velarium nitricum": ("substance", m_flask, {"color": "#D5D9E2"}),
    "Veratrum album": ("plant", m_spike, {"color": "#E6EDCF", "style": "pleated", "count": 12}),
    "Zincum metallicum": ("metal", m_ingot, {"color": "#AEB8C4"}),
}


# Motifs shared by many remedies; the slug decides whether they face left or
# right, so neighbours in the list do not look the same.
MIRRORED_BY_SEED = {m_crystals, m_cubes, m_mortar, m_ingot, m_flask, m_vial, m_lumps}


# ---------------------------------------------------------------- drawing --

def seed_for(slug):
    return int.from_bytes(hashlib.sha256(slug.encode("utf-8")).digest()[:8], "big")


def fit_font(path, text, max_width, sizes):
    for size in sizes:
        font = ImageFont.truetype(str(path), size)
        if font.getlength(text) <= max_width:
            return font
    return font


def draw_picture(name, german, slug):
    group, motif, params = MOTIFS[name]
    tint = GROUPS[group]
    art = Image.new("RGB", (W, W), rgb(CARD))
    d = ImageDraw.Draw(art)
    d.ellipse((CX - 66 * SS, CY - 66 * SS, CX + 66 * SS, CY + 66 * SS), fill=rgb(tint["halo"]))
    rng = random.Random(seed_for(slug))
    motif(d, params, rng)
    if motif in MIRRORED_BY_SEED and rng.random() < 0.5:
        art = ImageOps.mirror(art)
    img = art.resize((SIZE, SIZE), Image.LANCZOS)

    d = ImageDraw.Draw(img)
    # the motif may reach into the band area; the band covers it
    d.rounded_rectangle((6, 149, SIZE - 7, SIZE - 7), radius=9, fill=rgb(tint["band"]),
                        outline=rgb(tint["frame"]), width=1)
    d.rounded_rectangle((1, 1, SIZE - 2, SIZE - 2), radius=12, outline=rgb(tint["frame"]), width=2)
    name_font = fit_font(NAME_FONT, name, SIZE - 22, range(17, 11, -1))
    d.text((SIZE / 2, 165), name, font=name_font, fill=rgb(INK), anchor="mm")
    german_font = fit_font(GERMAN_FONT, german, SIZE - 22, range(12, 9, -1))
    d.text((SIZE / 2, 183), german, font=german_font, fill=rgb(INK_SOFT), anchor="mm")
    return img


def read_remedies(tsv):
    with open(tsv, encoding="utf-8", newline="") as f:
        rows = list(csv.DictReader(f, delimiter="\t", quoting=csv.QUOTE_NONE))
    for row in rows:
        if not row["Datei"].endswith(".md"):
            raise SystemExit(f"{tsv}: file name without .md: {row['Datei']!r}")
    return rows


def main():
    here = Path(__file__).resolve().parent
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--data", type=Path, default=here.parent.parent / "data",
                    help="the reference data folder (default: the repository's data/)")
    ap.add_argument("--sheet", type=Path, help="also write a contact sheet of all pictures (PNG)")
    ap.add_argument("slugs", nargs="*", help="draw only these pictures")
    args = ap.parse_args()

    rows = read_remedies(args.data / "TABHOM" / "remedies.tsv")
    missing = [r["Hom Bezeichnung"] for r in rows if r["Hom Bezeichnung"] not in MOTIFS]
    if missing:
        raise SystemExit("no motif for: " + ", ".join(missing) + " (add them to MOTIFS)")
    out_dir = args.data / "TABHOM" / "bilder"
    out_dir.mkdir(exist_ok=True)
    pictures = []
    for row in rows:
        slug = row["Datei"][:-3]
        if args.slugs and slug not in args.slugs:
            continue
        img = draw_picture(row["Hom Bezeichnung"], row["Dt Bezeichnung"], slug)
        img.save(out_dir / f"{slug}.jpg", "JPEG", quality=JPEG_QUALITY, optimize=True)
        pictures.append(img)
    if args.sheet and pictures:
        cols = 10
        sheet = Image.new("RGB", (cols * SIZE, -(-len(pictures) // cols) * SIZE), "white")
        for i, img in enumerate(pictures):
            sheet.paste(img, ((i % cols) * SIZE, (i // cols) * SIZE))
        sheet.save(args.sheet)
    print(f"{len(pictures)} pictures written to {out_dir}")


if __name__ == "__main__":
    sys.exit(main())

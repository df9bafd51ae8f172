"""Shapes and colours shared by the picture motifs.

All motif drawing happens on a square canvas of W x W pixels, four times the
final picture size; coordinates below are on that canvas. Angles are in
degrees, 0 pointing up and growing clockwise.
"""

import math

from PIL import ImageColor

SIZE = 200          # final picture size in pixels (the form allows 200 x 200)
SS = 4              # supersampling factor of the motif canvas
W = SIZE * SS
CX, CY = W // 2, 76 * SS   # centre of the motif's halo
HALO = 66 * SS             # radius of the halo
LINE = 5            # outline width on the motif canvas (1.25 px when scaled)

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


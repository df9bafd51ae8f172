"""Plant motifs: flowers, spikes, roots, twigs, seeds and fruits."""

import math

from picture_shapes import (CX, CY, GROUPS, HALO, LEAF, LEAF_DARK, SOIL, STEM, WOOD,
                            along, bezier, blade, dark, disc, dot, ellipse_pts, fill, ground,
                            leaf, light, mix, polar, stroke)


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
    r = HALO
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
            stroke(d, [(x + k * r * 0.27 * math.sqrt(max(0, 1 - (v / r) ** 2)), y + v) for v in range(-int(r * 0.9), int(r * 0.9), 8)], "#8FA645", 9)
        d.ellipse((x - r * 0.6, y - r * 0.7, x - r * 0.1, y - r * 0.35), fill=light("#D7C44F", 0.45))
        disc(d, x, y - r, 9, WOOD)

"""Mineral, metal, animal and substance motifs."""

import math

from picture_shapes import (along, bezier, blade, dark, disc, dot, ellipse_pts, fill, light,
                            mix, polar, rgb, stroke)


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
    """Faceted lumps (charcoal, graphite, ores, resin)."""
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
        if p.get("spots"):   # a second mineral grown on the ore, e.g. green patina
            for k in range(3):
                px, py = polar(x, y, r * 0.55 * rng.random(), rng.random() * 360)
                disc(d, px, py, 6 + 6 * rng.random(), p["spots"], width=2)


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

def m_bone(d, p, rng):
    """A long bone lying across a few chalk-white crumbs."""
    fill(d, ellipse_pts(400, 545, 230, 26), light("#B9B2A6", 0.4), width=0)
    bone = "#F3ECDC"
    ax, ay, bx, by = 250, 450, 550, 260
    for ex, ey in ((ax, ay), (bx, by)):
        for side in (-1, 1):
            ox, oy = polar(ex, ey, 46, -58 + 90 * side)
            disc(d, ox, oy, 56, bone, "#B8AA8C")
    stroke(d, [(ax, ay), (bx, by)], "#B8AA8C", 88)
    stroke(d, [(ax, ay), (bx, by)], bone, 78)
    for ex, ey in ((ax, ay), (bx, by)):
        for side in (-1, 1):
            ox, oy = polar(ex, ey, 46, -58 + 90 * side)
            dot(d, ox, oy, 47, bone)
    stroke(d, [(310, 385), (490, 272)], "#FFFFFF", 12)
    for k in range(9):
        x = 240 + rng.random() * 320
        disc(d, x, 540 + rng.random() * 16, 7 + 5 * rng.random(), "#FBF8F1", "#C9C0AE", 2)


def m_flask(d, p, rng):
    """Laboratory flask with a coloured liquid, optionally before the sun."""
    liquid = p["color"]
    glass = "#EEF3F6"
    if p.get("sun"):
        sx, sy = 560, 170
        for k in range(12):
            fill(d, blade(*polar(sx, sy, 70, k * 30), 55, 30, k * 30, 0.3, 0.7), "#F6C453", "#E3A23B", 3)
        disc(d, sx, sy, 72, "#F8D56B", "#E3A23B")
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

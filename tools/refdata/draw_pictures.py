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
instead of getting an arbitrary picture. The motifs themselves are drawn by
picture_plants.py and picture_things.py from the shapes in picture_shapes.py.

    tools/refdata/draw_pictures.py [--data DIR] [--sheet FILE.png] [SLUG ...]
"""

import argparse
import csv
import hashlib
import random
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont, ImageOps

# The motif modules beside this script are imported from the source tree;
# leave no bytecode caches behind in it.
sys.dont_write_bytecode = True

from picture_shapes import CX, CY, GROUPS, HALO, SIZE, W, rgb
from picture_plants import (m_beans, m_bells, m_berries, m_clubmoss, m_conifer, m_discs,
                            m_feathery, m_flower, m_gourd, m_mushroom, m_nettle, m_root,
                            m_slipper, m_spike, m_sprig, m_sundew, m_trifoliate, m_trumpet,
                            m_umbel, m_umbrella)
from picture_things import (m_bee, m_beetle, m_bone, m_crystals, m_cubes, m_cuttlefish, m_droplets,
                            m_flame, m_flask, m_ingot, m_lumps, m_milk, m_mortar, m_shell,
                            m_snake, m_sponge, m_vial, m_water)

JPEG_QUALITY = 86

FONT_DIR = Path("/usr/share/fonts/truetype/liberation")
NAME_FONT = FONT_DIR / "LiberationSans-Bold.ttf"
GERMAN_FONT = FONT_DIR / "LiberationSans-Italic.ttf"

CARD = "#FBF8F1"
INK = "#33402F"
INK_SOFT = "#66705F"


# ----------------------------------------------------------------- motifs --

# Remedy (as in remedies.tsv) -> (origin group, drawing function, parameters).
MOTIFS = {
    "Abrotanum": ("plant", m_feathery, {}),
    "Aconitum napellus": ("plant", m_spike, {"color": "#6C7FC4", "style": "helmet"}),
    "Agaricus muscarius": ("plant", m_mushroom, {}),
    "Alumina": ("mineral", m_mortar, {"color": "#F1F0EC"}),
    "Ammonium carbonicum": ("mineral", m_cubes, {"color": "#EEF0EE"}),
    "Antimonium tartaricum": ("mineral", m_crystals, {"color": "#E6EEF2"}),
    "Allium cepa": ("plant", m_root, {"style": "tuber", "color": "#D9A86C", "top": "bryony"}),
    "Antimonium crudum": ("mineral", m_crystals, {"color": "#8A8F96"}),
    "Kalium bichromicum": ("mineral", m_crystals, {"color": "#E8722C"}),
    "Tabacum": ("plant", m_trumpet, {"color": "#E9A3B5"}),
    "Apis mellifica": ("animal", m_bee, {}),
    "Argentum nitricum": ("mineral", m_crystals, {"color": "#D9DEE6"}),
    "Arnica montana": ("plant", m_flower, {"n": 14, "color": "#F2B33D", "center": "#D98E2B",
                                           "belly": 0.7, "full": 0.55, "center_r": 0.3, "seeds": True, "count": 2}),
    "Arsenicum album": ("mineral", m_mortar, {"color": "#F4F3EF"}),
    "Barium carbonicum": ("mineral", m_crystals, {"color": "#EDEAE0"}),
    "Bellis perennis": ("plant", m_flower, {"n": 20, "color": "#FFFFFF", "center": "#F2C230",
                                            "belly": 0.6, "full": 0.55, "center_r": 0.3, "count": 2}),
    "China officinalis": ("plant", m_lumps, {"color": "#9A6440", "grain": True}),
    "Cocculus indicus": ("plant", m_beans, {"color": "#7A5A44"}),
    "Kalium phosphoricum": ("mineral", m_cubes, {"color": "#EFF1F3"}),
    "Kalium sulphuricum": ("mineral", m_crystals, {"color": "#F2F0E6"}),
    "Natrium carbonicum": ("mineral", m_mortar, {"color": "#F7F7F4"}),
    "Petroleum": ("substance", m_flask, {"color": "#5A4630"}),
    "Phytolacca decandra": ("plant", m_bells, {"color": "#EDE3EE", "berry": "#3A2440"}),
    "Rheum palmatum": ("plant", m_root, {"style": "rhizome", "color": "#B0713F", "top": "bloodroot"}),
    "Sambucus nigra": ("plant", m_umbel, {"color": "#F6F1DE"}),
    "Belladonna": ("plant", m_bells, {"color": "#8E5A7E", "berry": "#2B2530"}),
    "Benzoicum acidum": ("substance", m_lumps, {"color": "#C88A3E", "sheen": True}),
    "Borax": ("mineral", m_crystals, {"color": "#F0F3F4"}),
    "Bryonia alba": ("plant", m_root, {"style": "tuber", "color": "#EFE3C8", "top": "bryony"}),
    "Calcium bromatum": ("mineral", m_crystals, {"color": "#F1EEE6"}),
    "Calcium carbonicum": ("animal", m_shell, {}),
    "Calcium phosphoricum": ("mineral", m_bone, {}),
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
    "Cuprum metallicum": ("metal", m_lumps, {"color": "#B9774F", "sheen": True, "spots": "#6FB58F"}),
    "Cypripedium pubescens": ("plant", m_slipper, {}),
    "Drosera": ("plant", m_sundew, {}),
    "Dulcamara": ("plant", m_berries, {}),
    "Euphrasia officinalis": ("plant", m_flower, {"n": 5, "color": "#FBFAF8", "center": "#F2D04A",
                                                  "belly": 0.7, "full": 0.55, "count": 3, "stripes": "#8C6FC0"}),
    "Ferrum arsenicosum": ("mineral", m_mortar, {"color": "#C9CDB2"}),
    "Ferrum metallicum": ("metal", m_lumps, {"color": "#6F625F", "sheen": True}),
    "Ferrum phosphoricum": ("mineral", m_mortar, {"color": "#D7CBD6"}),
    "Gelsemium sempervirens": ("plant", m_trumpet, {"color": "#F2CC3D", "vine": True}),
    "Glonoinum": ("substance", m_flask, {"color": "#F0E5A8", "sun": True}),
    "Graphites": ("mineral", m_lumps, {"color": "#55585C", "sheen": True}),
    "Hepar sulphuris calcareum": ("mineral", m_mortar, {"color": "#EFE6C4"}),
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
    "Natrium sulphuricum": ("mineral", m_crystals, {"color": "#E4ECF3"}),
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
    d.ellipse((CX - HALO, CY - HALO, CX + HALO, CY + HALO), fill=rgb(tint["halo"]))
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

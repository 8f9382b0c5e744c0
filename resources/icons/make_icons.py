#!/usr/bin/env python3
"""Draws the program's icons with ImageMagick.

The PNG files are kept in the repository; run this again only to change a
picture: resources/icons/make_icons.py. Each picture is drawn on a
256-pixel canvas and scaled down, so its edges are smooth at the sizes the
program shows.
"""
import os
import subprocess

CONVERT = os.environ.get("CONVERT", "/usr/bin/convert")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
BLUE_TOP = "#3b82e6"
BLUE_BOTTOM = "#1d4f9e"
INK = "#2b3a4f"
HERE = os.path.dirname(os.path.abspath(__file__))


def render(name, size, *drawing):
    """A picture from ImageMagick drawing arguments on a transparent canvas."""
    subprocess.run([CONVERT, "-size", "256x256", "xc:none", *drawing,
                    "-resize", f"{size}x{size}", "-strip",
                    f"PNG32:{os.path.join(HERE, name + '.png')}"], check=True)


def square():
    """The rounded blue square behind the download arrow."""
    return ["(", "-size", "224x224", f"gradient:{BLUE_TOP}-{BLUE_BOTTOM}",
            "(", "-size", "224x224", "xc:none", "-fill", "white",
            "-draw", "roundrectangle 0,0 223,223 44,44", ")",
            "-compose", "CopyOpacity", "-composite", ")",
            "-geometry", "+16+16", "-compose", "Over", "-composite"]


def arrow(dy):
    """The white arrow, moved down by dy pixels, above the white tray line."""
    return ["-fill", "white", "-stroke", "none",
            "-draw", f"rectangle 106,{44 + dy} 150,{124 + dy}",
            "-draw", f"polygon 66,{120 + dy} 190,{120 + dy} 128,{184 + dy}",
            "-draw", "roundrectangle 62,204 194,222 8,8"]


def page(x, y):
    """A sheet of paper with a folded corner."""
    return ["-fill", "white", "-stroke", INK, "-strokewidth", "14",
            "-draw", f"polygon {x},{y} {x + 110},{y} {x + 150},{y + 40} {x + 150},{y + 190} {x},{y + 190}"]


def clock(name, size, stroke):
    render(name, size, "-fill", "white", "-stroke", INK, "-strokewidth", str(stroke),
           "-draw", "circle 128,128 128,20",
           "-stroke", BLUE_BOTTOM, "-strokewidth", str(stroke + 2),
           "-draw", "line 128,128 128,60", "-draw", "line 128,128 178,154",
           "-stroke", "none", "-fill", INK, "-draw", "circle 128,128 128,114")


def calendar(name, text, pointsize):
    render(name, 16, "-fill", "white", "-stroke", INK, "-strokewidth", "14",
           "-draw", "roundrectangle 28,40 228,232 18,18",
           "-fill", "#d9453b", "-draw", "roundrectangle 28,40 228,96 18,18",
           "-stroke", "none", "-fill", INK, "-font", FONT, "-pointsize", str(pointsize),
           "-gravity", "center", "-annotate", "+0+36", text)


# The program icon and the four frames of the tray animation: frame 0 is the
# still icon, frames 1 to 3 move the arrow down towards the line.
render("keva", 64, *square(), *arrow(0))
for number, dy in enumerate((0, 8, 16, 24)):
    render(f"tray{number}", 32, *square(), *arrow(dy))

# Toolbar: add URL (the arrow with a green plus), add site (a globe),
# schedule (a clock), help (a question mark).
render("addurl", 32, *square(), *arrow(0),
       "-fill", "#2fa84f", "-stroke", "white", "-strokewidth", "10", "-draw", "circle 194,194 194,252",
       "-stroke", "none", "-fill", "white",
       "-draw", "rectangle 182,158 206,230", "-draw", "rectangle 158,182 230,206")
render("addsite", 32, "-fill", "#e8f1fc", "-stroke", BLUE_BOTTOM, "-strokewidth", "14",
       "-draw", "circle 128,128 128,24", "-fill", "none", "-draw", "ellipse 128,128 44,104 0,360",
       "-draw", "line 24,128 232,128", "-draw", "line 40,80 216,80", "-draw", "line 40,176 216,176")
clock("schedule", 32, 16)
render("help", 32, "-fill", BLUE_BOTTOM, "-stroke", "none", "-draw", "circle 128,128 128,16",
       "-fill", "white", "-font", FONT, "-pointsize", "190", "-gravity", "center", "-annotate", "+0+8", "?")

# Tree: downloads (the arrow), history (a clock), all (a stack of pages),
# yesterday, past week and past month (calendar leaves).
render("tree_downloads", 16, *square(), *arrow(0))
clock("tree_history", 16, 22)
render("tree_all", 16, *page(30, 20), *page(76, 46))
calendar("tree_yesterday", "1", 150)
calendar("tree_week", "7", 150)
calendar("tree_month", "30", 120)

# The small icon of a row of the lists: a written page.
render("row", 16, *page(52, 30), "-stroke", BLUE_BOTTOM, "-strokewidth", "12",
       "-draw", "line 84,110 168,110", "-draw", "line 84,146 168,146", "-draw", "line 84,182 168,182")

# The application icons of the desktop menu, at the sizes of the hicolor theme:
# KEVA's arrow, and Vantrel's shared folder (a folder with a target on it).
APP_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
SHARED_FOLDER = ["-fill", "#e8b030", "-stroke", "#806010", "-strokewidth", "10",
                 "-draw", "roundrectangle 20,36 116,92 14,14",
                 "-draw", "roundrectangle 20,64 236,224 18,18",
                 "-stroke", "none", "-fill", "#2050a0", "-draw", "circle 128,146 128,82",
                 "-fill", "#e8b030", "-draw", "circle 128,146 128,100",
                 "-fill", "#2050a0", "-draw", "circle 128,146 128,120"]
for size in APP_SIZES:
    folder = os.path.join(HERE, "hicolor", f"{size}x{size}", "apps")
    os.makedirs(folder, exist_ok=True)
    render(f"hicolor/{size}x{size}/apps/org.quillspan.KEVA", size, *square(), *arrow(0))
    render(f"hicolor/{size}x{size}/apps/org.quillspan.Vantrel", size, *SHARED_FOLDER)

# The language list's pictures, lang/<Language>.bmp: the language's own code
# in white on a rounded plate of its own colour (no flags: a language is not
# a country). Bitmaps without transparency, as the list loads them.
LANG = os.path.join(HERE, "..", "..", "lang")


def language(name, code, colour):
    subprocess.run([CONVERT, "-size", "320x220", "xc:white",
                    "-fill", colour, "-stroke", "none", "-draw", "roundrectangle 8,8 311,211 36,36",
                    "-fill", "white", "-font", FONT, "-pointsize", "150", "-gravity", "center",
                    "-annotate", "+0+6", code,
                    "-resize", "32x22", "-strip", "-type", "TrueColor",
                    f"BMP3:{os.path.join(LANG, name + '.bmp')}"], check=True)


language("English", "EN", "#1d4f9e")
language("Arabic", "AR", "#1f7a4d")
language("German", "DE", "#b03a2e")
language("French", "FR", "#6a3d9a")

#!/usr/bin/env python3
"""The host's side of the external transformation, for people without JWW.

Writes the host's transfer file JWC_TEMP.TXT (code page 932) into the tool's
folder, runs the tool's batch file the way the host does (under Wine on
Linux), waits for it, reads the transfer file back and renders the drawing
the host would then show: the drawing's own lines in grey, the returned
segments in black, as an SVG and a PNG. Three ways in, one batch file each:

    hostsim.py --tool-dir DIR --p1 X Y --p2 X Y [--drawing EXPORT]   two indicated points
    hostsim.py --tool-dir DIR --points X Y X Y ... [--drawing EXPORT] points indicated in order
    hostsim.py --tool-dir DIR --select --drawing EXPORT              the drawing's lines selected
               [--press ok|cancel|user] [--type SECTION] [--out PREFIX] [--screenshot FILE.bmp]

With --select the drawing's lines are what the user selected: they are
exported after the "#" line, each with a leading blank as the host writes
them, and no point.

--type makes SECTION (II, III, ..., IIw, ..., 10H, ...) the one the tool
remembers, as if the user had chosen it last time. The picture's title names
the section the tool remembers after the run and the count of piles it lays.

--supports LEVELS ticks the supports inside a cofferdam at those depths below
the head (m, "1.0 4.0"), of --member (the name the tool's list shows, e.g.
H-300×300×10×15; the tool's default where not given), the wales' bay
--spacing and the braces' leg --brace (m), as the tool remembers them.

--press ok/cancel works the tool's window through the test driver
(ravo-driver.exe, found next to this script's build or given by --driver);
--press user leaves it to whoever sits at the display.
"""
import argparse
import math
import os
import re
import runpy
import struct
import subprocess
import sys
import threading
import zlib

BATS = {"two-point": "Ravo鋼矢板.bat", "points": "Ravo鋼矢板_連続点.bat", "select": "Ravo鋼矢板_線選択.bat"}
INI = "Ravo鋼矢板.ini"


def _sections():
    """The outline generator's table of sections, the one list of them."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "outlines", "make-outlines.py")
    table = runpy.run_path(path)
    return {name: (family, w, h, t) for name, family, w, h, t in table["SECTIONS"]}, table["DEFAULT"]


SECTIONS, DEFAULT_SECTION = _sections()


def remember_settings(folder, values):
    """Writes the tool's settings as if the user had chosen them last time."""
    text = "[Settings]\r\n" + "".join("%s=%s\r\n" % kv for kv in values.items())
    with open(os.path.join(folder, INI), "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


def remembered_section(folder):
    """The section the tool will lay next time, as it reads its settings."""
    try:
        data = open(os.path.join(folder, INI), "rb").read()
    except OSError:
        return DEFAULT_SECTION
    text = data[2:].decode("utf-16-le", errors="replace") if data[:2] == b"\xff\xfe" else data.decode("cp932", errors="replace")
    m = re.search(r"^\s*Type\s*=\s*(\S+)\s*$", text, re.M | re.I)
    names = {name.lower(): name for name in SECTIONS}
    return names.get(m.group(1).lower(), DEFAULT_SECTION) if m else DEFAULT_SECTION


# As the tool counts: a run within 0.001 mm of k widths (k >= 1) takes k
# piles, any other length rounds up.
WHOLE_PILE_TOLERANCE = 0.001


def pile_count(length, width):
    k = round(length / width)
    if k >= 1 and abs(length - k * width) <= WHOLE_PILE_TOLERANCE:
        return k
    return math.ceil(length / width)


def title_of(section, p1, p2):
    width = SECTIONS[section][1]
    length = math.hypot(p2[0] - p1[0], p2[1] - p1[1])
    count = pile_count(length, width)
    text = "%s型 %d枚" % (section, count)
    if not count:
        return text
    text += "  延長 %.3f m" % (count * width / 1000.0)
    indicated = math.floor(length + 0.5)  # to the millimetre, halves up
    if indicated != count * width:
        text += "（指示 %.3f m）" % (indicated / 1000.0)
    return text


NUMBER = r"[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?"
LINE_RE = re.compile(r"^\s*(%s)\s+(%s)\s+(%s)\s+(%s)\s*$" % ((NUMBER,) * 4))
# A text record: start of the baseline, the vector along it, the text to the
# line's end; and the text type that precedes texts.
TEXT_RE = re.compile(r"^ch\s+(%s)\s+(%s)\s+(%s)\s+(%s)\s+\"(.*)$" % ((NUMBER,) * 4))
CN_RE = re.compile(r"^cn(?:[1-9]|10|0(?:\s+%s){3}\s+\d+)$" % NUMBER)


def find_case_insensitive(folder, name):
    for entry in os.listdir(folder):
        if entry.lower() == name.lower():
            return os.path.join(folder, entry)
    return None


def drawing_lines(data):
    """The drawing's own line entities (four numbers) and its other lines."""
    entities, others = [], []
    for raw in data.replace(b"\r\n", b"\n").split(b"\n"):
        text = raw.decode("cp932", errors="replace")
        m = LINE_RE.match(text)
        if m:
            entities.append(tuple(float(v) for v in m.groups()))
        elif text.strip() and not re.match(r"^\s*(hq|hp1|hp2)\b", text):
            others.append(raw)
    return entities, others


# The header a drawing at 1:100 exports: the scale of every layer group, the
# ten text types (paper mm), and the user's current settings (text type 3).
HEADER = [b"hs" + b" 100" * 16, b"hcw 2 2.5 3 3.5 4 5 6 7 8 10", b"hch 2 2.5 3 3.5 4 5 6 7 8 10",
          b"hcd 0 0 0 0 0 0 0 0 0 0", b"hcc 1 2 3 4 5 6 7 8 9 10"]
CURRENT = [b"lg0", b"ly0", b"lc2", b"lt1", b"cn3"]


def write_transfer(folder, points, drawing, selected=False):
    for stale in (find_case_insensitive(folder, "JWC_TEMP.TXT"), find_case_insensitive(folder, "temp.txt")):
        if stale:
            os.remove(stale)
    entities, others = drawing_lines(drawing) if drawing is not None else ([], [])
    out = [b"hq"] + HEADER + [("hp%d %r %r" % (i + 1, p[0], p[1])).encode() for i, p in enumerate(points)]
    out += others + CURRENT
    out.append(b"#")
    out += [((" " if selected else "") + "%r %r %r %r" % e).encode() for e in entities]
    with open(os.path.join(folder, "JWC_TEMP.TXT"), "wb") as f:
        f.write(b"\r\n".join(out) + b"\r\n")
    return entities


def run_batch(folder, bat, press, driver, screenshot, timeout):
    on_windows = os.name == "nt"
    # The scripts name the Wine of the build they chose (wine or wine64).
    wine = os.environ.get("WINE", "wine")
    cmd = ["cmd", "/c", bat] if on_windows else [wine, "cmd", "/c", bat]
    helper = None
    if press in ("ok", "cancel"):
        args = [driver, "attach", "--press", press]
        if screenshot:
            args += ["--screenshot", screenshot if on_windows else "Z:" + os.path.abspath(screenshot).replace("/", "\\")]
        if not on_windows:
            args = [wine] + args
        helper = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        code = subprocess.run(cmd, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        code = None
    said = ""
    if helper:
        try:
            said = helper.communicate(timeout=30)[0].decode("utf-8", errors="replace")
        except subprocess.TimeoutExpired:
            helper.kill()
    return code, said


# What else the host reads back: a notice it shows, a change of the write
# layer (group), and a curve ("pl" … "#") that one click selects whole.
NOTICE_RE = re.compile(r"^h#(.*)$")
LAYER_RE = re.compile(r"^(lg|ly)([0-9a-fA-F])$")


class Returned:
    """What the host takes from the transfer file besides its segments and texts."""

    def __init__(self):
        self.notice = None
        self.layer = None   # the write layer the file leaves the host on, if it names one
        self.curves = 0     # "pl" … "#" groups
        self.layers = {}    # segments and texts per layer written on ("" for the current one)


def read_back(folder, returned=None):
    returned = returned if returned is not None else Returned()
    path = find_case_insensitive(folder, "JWC_TEMP.TXT")
    if not path:
        return "missing", ([], []), "the transfer file is gone"
    data = open(path, "rb").read()
    if not data:
        return "empty", ([], []), ""
    text = data.decode("cp932", errors="replace")
    first = text.split("\r\n", 1)[0]
    if first.startswith("he"):
        return "error", ([], []), first[2:]
    if first.startswith("hq"):
        return "not-run", ([], []), ""
    segs, texts, bad = [], [], 0
    layer, curve = "", False
    for line in text.split("\r\n"):
        if not line:
            continue
        m = LINE_RE.match(line)
        t = TEXT_RE.match(line)
        n = NOTICE_RE.match(line)
        lay = LAYER_RE.match(line)
        if m:
            segs.append(tuple(float(v) for v in m.groups()))
            returned.layers[layer] = returned.layers.get(layer, 0) + 1
        elif t:
            texts.append(tuple(float(v) for v in t.groups()[:4]) + (t.group(5),))
            returned.layers[layer] = returned.layers.get(layer, 0) + 1
        elif n:
            returned.notice = n.group(1)  # the host shows the last one
        elif lay:
            if lay.group(1) == "ly":
                layer = returned.layer = lay.group(2).lower()
        elif line == "pl" and not curve:
            curve = True
        elif line == "#" and curve:
            curve = False
            returned.curves += 1
        elif not CN_RE.match(line):
            bad += 1
    if not data.endswith(b"\r\n") or bad or curve:
        return "corrupt", (segs, texts), "%d lines the host cannot read%s" % (bad, ", a curve left open" if curve else "")
    return "ok", (segs, texts), ""


def view_box(groups, width):
    xs = [v for g in groups for s in g for v in (s[0], s[2])]
    ys = [v for g in groups for s in g for v in (s[1], s[3])]
    if not xs:
        return None
    minx, maxx, miny, maxy = min(xs), max(xs), min(ys), max(ys)
    span = max(maxx - minx, maxy - miny) or 1.0
    scale = (width - 40) / span
    height = int((maxy - miny) * scale) + 40
    return minx, maxy, scale, max(height, 60)


def write_svg(path, own, returned, title, width=1000, texts=()):
    box = view_box([own, returned, [(t[0], t[1], t[0] + t[2], t[1] + t[3]) for t in texts]], width)
    with open(path, "w", encoding="utf-8") as f:
        caption = "<title>%s</title><text x=\"4\" y=\"14\" font-size=\"12\">%s</text>\n" % (title, title)
        if not box:
            f.write('<svg xmlns="http://www.w3.org/2000/svg" width="200" height="60">%s</svg>\n' % caption)
            return
        minx, maxy, scale, height = box
        f.write('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d">\n' % (width, height))
        f.write('<rect width="100%" height="100%" fill="white"/>\n' + caption)
        for colour, group in (("#999999", own), ("#000000", returned)):
            f.write('<g stroke="%s" stroke-width="1" fill="none">\n' % colour)
            for x1, y1, x2, y2 in group:
                f.write('<line x1="%.2f" y1="%.2f" x2="%.2f" y2="%.2f"/>\n' % (
                    20 + (x1 - minx) * scale, 20 + (maxy - y1) * scale, 20 + (x2 - minx) * scale, 20 + (maxy - y2) * scale))
            f.write("</g>\n")
        # Texts as the host draws them: along (dx, dy) from (x, y), as long
        # as that vector, their height the length over the character count.
        for x, y, dx, dy, text in texts:
            length = math.hypot(dx, dy) * scale
            chars = sum(0.5 if ord(c) < 0x7F or 0xFF61 <= ord(c) <= 0xFF9F else 1.0 for c in text) or 1.0
            sx, sy = 20 + (x - minx) * scale, 20 + (maxy - y) * scale
            f.write('<text x="%.2f" y="%.2f" font-family="IPAGothic, MS Gothic, sans-serif" font-size="%.2f" '
                    'textLength="%.2f" lengthAdjust="spacingAndGlyphs" transform="rotate(%.3f %.2f %.2f)">%s</text>\n' % (
                        sx, sy, length / chars, length, -math.degrees(math.atan2(dy, dx)), sx, sy,
                        text.replace("&", "&amp;").replace("<", "&lt;")))
        f.write("</svg>\n")


def write_png(path, own, returned, title, width=1000, svg=None):
    # Texts need a font: librsvg renders the SVG where the machine has it.
    if svg:
        try:
            done = subprocess.run(["rsvg-convert", "-b", "white", "-o", path, svg], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=120).returncode == 0
        except (OSError, subprocess.TimeoutExpired):
            done = False
        if done and os.path.getsize(path) > 0:
            return
    box = view_box([own, returned], width)
    height = box[3] if box else 60
    pixels = bytearray(b"\xff" * (width * height * 3))

    def plot(x, y, rgb):
        if 0 <= x < width and 0 <= y < height:
            i = (y * width + x) * 3
            pixels[i:i + 3] = rgb

    def line(x1, y1, x2, y2, rgb):
        steps = int(max(abs(x2 - x1), abs(y2 - y1))) + 1
        for k in range(steps + 1):
            t = k / steps
            plot(int(round(x1 + (x2 - x1) * t)), int(round(y1 + (y2 - y1) * t)), rgb)

    if box:
        minx, maxy, scale, _ = box
        for rgb, group in ((b"\x99\x99\x99", own), (b"\x00\x00\x00", returned)):
            for x1, y1, x2, y2 in group:
                line(20 + (x1 - minx) * scale, 20 + (maxy - y1) * scale, 20 + (x2 - minx) * scale, 20 + (maxy - y2) * scale, rgb)
    raw = b"".join(b"\x00" + bytes(pixels[y * width * 3:(y + 1) * width * 3]) for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"iTXt", b"Title\x00\x00\x00\x00\x00" + title.encode("utf-8")) +
                chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--tool-dir", required=True)
    ap.add_argument("--p1", nargs=2, type=float)
    ap.add_argument("--p2", nargs=2, type=float)
    ap.add_argument("--points", nargs="+", type=float, help="X Y of each point, in order")
    ap.add_argument("--select", action="store_true", help="the drawing's lines are the selection")
    ap.add_argument("--drawing")
    ap.add_argument("--press", choices=["ok", "cancel", "user"], default="ok")
    ap.add_argument("--driver", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                                     "build", os.environ.get("RAVO_WINE_BUILD", "win32"), "tools", "driver",
                                                     "ravo-driver.exe"))
    ap.add_argument("--out", help="prefix of the .svg and .png written")
    ap.add_argument("--screenshot")
    ap.add_argument("--timeout", type=float, default=120)
    ap.add_argument("--type", choices=sorted(SECTIONS), help="the section the tool remembers before it starts")
    ap.add_argument("--length", help="the pile length the tool remembers (m, as typed)")
    ap.add_argument("--label", action="store_true", help="the labels ticked")
    ap.add_argument("--table", action="store_true", help="the quantity table ticked")
    ap.add_argument("--numbers", choices=["1", "5", "10"], help="pile numbers ticked, every STEP-th pile")
    ap.add_argument("--elevation", metavar="HEAD", help="the developed elevation ticked, from this head level (m)")
    ap.add_argument("--layer", choices=list("0123456789ABCDEF"), help="the layer of the annotations")
    ap.add_argument("--group", action="store_true", help="each pile one curve object")
    ap.add_argument("--supports", metavar="LEVELS", help="the supports ticked, at these depths below the head (m)")
    ap.add_argument("--member", help="the supports' member as the tool's list names it (H-300×300×10×15)")
    ap.add_argument("--spacing", metavar="M", help="the longest bay of a wale (m)")
    ap.add_argument("--brace", metavar="M", help="a corner brace's leg along the wales (m); 0: none")
    a = ap.parse_args()
    if a.select:
        mode, points = "select", []
        if not a.drawing:
            ap.error("--select takes the selected lines from --drawing")
    elif a.points:
        if len(a.points) % 2 or len(a.points) < 4:
            ap.error("--points takes X Y of two or more points")
        mode, points = "points", [tuple(a.points[i:i + 2]) for i in range(0, len(a.points), 2)]
    elif a.p1 and a.p2:
        mode, points = "two-point", [tuple(a.p1), tuple(a.p2)]
    else:
        ap.error("give --p1 and --p2, --points or --select")
    if not a.supports and (a.member or a.spacing or a.brace):
        ap.error("--member, --spacing and --brace go with --supports")
    settings = {}
    if a.type:
        settings["Type"] = a.type
    if a.length:
        settings["Length"] = a.length
    if a.label:
        settings["Label"] = "1"
    if a.table:
        settings["Table"] = "1"
    if a.numbers:
        settings["Numbers"], settings["NumberStep"] = "1", a.numbers
    if a.elevation:
        settings["Elevation"], settings["Head"] = "1", a.elevation
    if a.layer:
        settings["AnnotationLayer"] = a.layer
    if a.group:
        settings["GroupPieces"] = "1"
    if a.supports:
        settings["Supports"], settings["SupportLevels"] = "1", a.supports
        for key, value in (("SupportMember", a.member), ("SupportSpacing", a.spacing), ("SupportBrace", a.brace)):
            if value:
                settings[key] = value
    if settings:
        remember_settings(a.tool_dir, settings)

    drawing = open(a.drawing, "rb").read() if a.drawing else None
    own = write_transfer(a.tool_dir, points, drawing, mode == "select")
    code, said = run_batch(a.tool_dir, BATS[mode], a.press, a.driver, a.screenshot, a.timeout)
    for line in said.splitlines():
        print("tool: " + line)
    back = Returned()
    state, (segs, texts), note = read_back(a.tool_dir, back)
    if code is None:
        print("batch timed out after %g s" % a.timeout)
        return 1
    print("batch exit code: %d" % code)
    print("host reads: %s%s" % (state, (" (" + note + ")") if note else ""))
    print("segments returned: %d" % len(segs))
    if texts:
        print("texts returned: %d" % len(texts))
    if back.notice is not None:
        print("host shows: " + back.notice)
    if back.curves:
        print("curves returned: %d" % back.curves)
    if back.layer is not None:
        print("write layer afterwards: %s; records per layer: %s" % (
            back.layer, ", ".join("%s %d" % (k or "current", v) for k, v in sorted(back.layers.items()))))
    section = remembered_section(a.tool_dir)
    if mode == "two-point":
        title = title_of(section, points[0], points[1])
    else:  # the wall's count is the tool's to tell: the title names the way in
        title = "%s型 %s %d本の線分" % (section, "線選択" if mode == "select" else "連続点", len(segs))
    print("title: " + title)
    if a.out:
        write_svg(a.out + ".svg", own, segs, title, texts=texts)
        write_png(a.out + ".png", own, segs, title, svg=a.out + ".svg" if texts else None)
        print("drawing: %s.svg %s.png" % (a.out, a.out))
    return 0 if state in ("ok", "empty") else 1


if __name__ == "__main__":
    sys.exit(main())

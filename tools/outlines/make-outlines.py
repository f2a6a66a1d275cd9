#!/usr/bin/env python3
"""Writes the pile outline files of every section from its dimensions.

    tools/outlines/make-outlines.py [data-folder]      (default: data/ of the tree)

Each section gets pile_n.dat (a plain pile), pile_l.dat (with a corner plate at
its start) and pile_r.dat (at its end). Type III goes to the data folder itself,
every other section to data/<name>/. The files are ASCII, one segment per line,
"x1 y1 x2 y2" in millimetres, CR LF.

The drawing is one parametric outline, tuned so that type III gives exactly the
hand-drawn files the tool has always shipped:
  * the interlock axis is y = 0 and the pile runs from x = 0 to x = width;
  * the pans sit at y = e and y = e - t; the webs rise from the pans to the
    flange, whose outer face is at y = height; the inner face is the outer face
    offset by the thickness t, measured square to each plate;
  * U piles: e = 8/13 t, pans 0.06 width long, flange 0.33 width wide;
  * hat piles: e = t (the arms' outer face on the axis), arms 0.12 width long,
    crown 0.36 width wide;
  * interlock claws 10 wide and 6 deep, 6 in from each end, below the axis at
    the start and above it at the end; the corner plate is t thick and reaches
    200 below the axis, with a claw 12 from its foot; where the plate would
    hide the start claw whole (t >= 16) the claw sits 6 in from the plate;
  * hat piles draw the edge of their start joint only (the next pile's start
    edge is their end edge; the layout closes the run's last joint).
Coordinates are rounded to 0.01 mm.
"""
import math
import os
import sys

# name, family, effective width, height, thickness (mm)
SECTIONS = [
    ("II", "U", 400, 100, 10.5),
    ("III", "U", 400, 125, 13.0),
    ("IV", "U", 400, 170, 15.5),
    ("VL", "U", 500, 200, 24.3),
    ("VIL", "U", 500, 225, 27.6),
    ("IIw", "U", 600, 130, 10.3),
    ("IIIw", "U", 600, 180, 13.4),
    ("IVw", "U", 600, 210, 18.0),
    ("10H", "hat", 900, 230, 10.8),
    ("25H", "hat", 900, 300, 13.2),
    ("45H", "hat", 900, 368, 15.0),
    ("50H", "hat", 900, 370, 17.0),
]
DEFAULT = "III"

CLAW_IN, CLAW_WIDTH, CLAW_DEPTH = 6, 10, 6
CORNER_REACH, CORNER_CLAW_FROM_FOOT = 200, 12


def number(v):
    v = round(v, 2)
    if v == 0:
        return "0"
    if v == int(v):
        return str(int(v))
    return ("%.2f" % v).rstrip("0")


def plain_pile(family, w, h, t, start_claw_in=CLAW_IN):
    """One pile's segments and the height of its lower pan face.

    Hat piles all face one way, so a joint's edge is shared by the piles on
    either side: they draw only their start edge, and the layout adds the
    run's last end edge."""
    if family == "U":
        e, pan, flange = 8.0 / 13.0 * t, 0.06 * w, 0.33 * w
    else:
        e, pan, flange = t, 0.12 * w, 0.36 * w
    b = (w - flange) / 2
    # The inner web: the outer web moved by t square to itself, cut by the
    # inner faces of the pan and the flange.
    run, rise = b - pan, h - e
    length = math.hypot(run, rise)
    ox, oy = pan + t * rise / length, e - t * run / length
    inner_pan = ox + ((e - t) - oy) * run / rise
    inner_flange = ox + ((h - t) - oy) * run / rise
    outer = [(0, 0), (0, e), (pan, e), (b, h), (w - b, h), (w - pan, e), (w, e)]
    if family == "U":
        outer.append((w, 0))
    inner = [(0, 0), (0, e - t), (inner_pan, e - t), (inner_flange, h - t),
             (w - inner_flange, h - t), (w - inner_pan, e - t), (w, e - t), (w, 0)]
    segs = []
    for line in (outer, inner):
        segs += [line[i] + line[i + 1] for i in range(len(line) - 1)]
    lo, hi = e - t, e
    a0, a1 = start_claw_in, start_claw_in + CLAW_WIDTH
    segs += [(a0, lo, a0, lo - CLAW_DEPTH), (a0, lo - CLAW_DEPTH, a1, lo - CLAW_DEPTH), (a1, lo - CLAW_DEPTH, a1, lo)]
    b0, b1 = w - CLAW_IN - CLAW_WIDTH, w - CLAW_IN
    segs += [(b0, hi, b0, hi + CLAW_DEPTH), (b0, hi + CLAW_DEPTH, b1, hi + CLAW_DEPTH), (b1, hi + CLAW_DEPTH, b1, hi)]
    return segs, e - t


def corner_plate(x_edge, inward, top, t):
    """The plate at x_edge, t thick towards `inward` (+1 or -1), from the pan down."""
    x_in = x_edge + inward * t
    foot = -CORNER_REACH
    c0, c1 = foot + CORNER_CLAW_FROM_FOOT, foot + CORNER_CLAW_FROM_FOOT + CLAW_WIDTH
    tip = x_in + inward * CLAW_DEPTH
    return [(x_edge, top, x_edge, foot), (x_in, top, x_in, foot), (min(x_edge, x_in), foot, max(x_edge, x_in), foot),
            (x_in, c0, tip, c0), (tip, c0, tip, c1), (tip, c1, x_in, c1)]


def write(path, segs):
    with open(path, "wb") as f:
        for s in segs:
            x1, y1, x2, y2 = (number(v) for v in s)
            if (x1, y1) == (x2, y2):
                continue  # a hat pile's pan ends on the axis: nothing to draw there
            f.write((" ".join((x1, y1, x2, y2)) + "\r\n").encode("ascii"))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    data = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "data")
    for name, family, w, h, t in SECTIONS:
        folder = data if name == DEFAULT else os.path.join(data, name)
        os.makedirs(folder, exist_ok=True)
        plain, pan = plain_pile(family, w, h, t)
        write(os.path.join(folder, "pile_n.dat"), plain)
        # A plate as thick as the claw's far side would hide the start claw:
        # the claw then sits as far in from the plate's inner face.
        claw_in = CLAW_IN if CLAW_IN + CLAW_WIDTH > t else t + CLAW_IN
        start, _ = plain_pile(family, w, h, t, claw_in)
        write(os.path.join(folder, "pile_l.dat"), corner_plate(0, 1, pan, t) + start)
        write(os.path.join(folder, "pile_r.dat"), plain + corner_plate(w, -1, pan, t))


if __name__ == "__main__":
    main()

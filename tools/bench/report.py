#!/usr/bin/env python3
"""Writes the speed table from the benchmark outputs.

    report.py BENCH_JSON PEERS_TXT WINE_TXT OUT_MD
PEERS_TXT: lines "name seconds"; WINE_TXT: the driver's bench lines.
"""
import json
import re
import sys

bench_json, peers_txt, wine_txt, out_md = sys.argv[1:5]
bench = {b["name"]: b for b in json.load(open(bench_json))["benchmarks"]}
peers = dict(line.split() for line in open(peers_txt) if line.strip())
wine = open(wine_txt, encoding="utf-8").read()


def ms(name):
    b = bench[name]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b["real_time"] * scale


def mbps(name):
    return bench[name]["bytes_per_second"] / 1e6


export_mb = float(peers["export_bytes"]) / 1e6
rows = []
read_ms = ms("BM_ReadLargeExport")
for awk in ("mawk", "gawk"):
    if awk + "_print" in peers:
        t = float(peers[awk + "_print"]) * 1000
        rows.append(("read the 1M-line export (48 MB)", "%.0f ms (%.0f MB/s)" % (read_ms, mbps("BM_ReadLargeExport")),
                     "%s parse and print: %.0f ms (%.0f MB/s)" % (awk, t, export_mb / t * 1000), t / read_ms))
rlw = ms("BM_ReadLayWrite")
for awk in ("mawk", "gawk"):
    if awk + "_rlw" in peers:
        t = float(peers[awk + "_rlw"]) * 1000
        rows.append(("read, lay 5,000 piles, write (whole job)", "%.0f ms" % rlw, "%s script, same job: %.0f ms" % (awk, t), t / rlw))
rows.append(("lay a run of 10,000 piles", "%.1f ms" % ms("BM_LayoutTenThousandPiles"), "target 20 ms", 20 / ms("BM_LayoutTenThousandPiles")))
rows.append(("write its result (9 MB)", "%.0f ms (%.0f MB/s)" % (ms("BM_WriteTenThousandPiles"), mbps("BM_WriteTenThousandPiles")),
             "target 100 MB/s", mbps("BM_WriteTenThousandPiles") / 100))
appends = bench["BM_StoreAppendMillion"]["items_per_second"] / 1e6
rows.append(("a million store appends", "%.0f ms (%.1f million a second)" % (ms("BM_StoreAppendMillion"), appends),
             "target 10 million a second", appends / 10))
if "BM_CircleOfAKilometre/0" in bench:
    rows.append(("read, walk and lay a circle of 1 km radius (15,708 piles)", "%.1f ms" % ms("BM_CircleOfAKilometre/0"),
                 "target well under 50 ms with its result", 50 / ms("BM_CircleOfAKilometre/0")))
    rows.append(("the same and its result formatted (%.0f MB)" % (mbps("BM_CircleOfAKilometre/1") * ms("BM_CircleOfAKilometre/1") / 1000),
                 "%.0f ms" % ms("BM_CircleOfAKilometre/1"), "target well under 50 ms", 50 / ms("BM_CircleOfAKilometre/1")))
if "BM_SelectedByMistake/0" in bench:
    rows.append(("a hatch of 100,000 lines selected by mistake: read and refused", "%.0f ms" % ms("BM_SelectedByMistake/0"),
                 "target well under 1 s", 1000 / ms("BM_SelectedByMistake/0")))
    rows.append(("a circle of 1.4 km radius as 100,000 arcs: read, chained and laid (%d piles)"
                 % bench["BM_SelectedByMistake/1"]["pieces"], "%.0f ms" % ms("BM_SelectedByMistake/1"),
                 "target under 1 s", 1000 / ms("BM_SelectedByMistake/1")))
if "BM_SineAndCosine" in bench:
    ns = ms("BM_SineAndCosine") * 1e6
    rows.append(("one sine and cosine (the curve walk's)", "%.0f ns" % ns,
                 "the exact series alone, as before: about 2,400 ns (target: 5 times faster)", 2400 / ns))
if "BM_SheetOfTheLongestWall/1" in bench:
    rows.append(("write the longest wall (24,988 pieces) with numbers and its elevation",
                 "%.0f ms (the wall alone %.0f ms)" % (ms("BM_SheetOfTheLongestWall/1"), ms("BM_SheetOfTheLongestWall/0")),
                 "target well under 100 ms", 100 / ms("BM_SheetOfTheLongestWall/1")))
for arg, name in (("0", "repaint 5,000 piles, counting canvas (core only)"), ("50", "same, zoomed in 50 steps")):
    b = bench["BM_RepaintRecording/" + arg]
    drawn = (", %d lines reach the canvas" % b["drawn"]) if "drawn" in b else ""
    rows.append((name, "%.2f ms%s" % (ms("BM_RepaintRecording/" + arg), drawn), "", None))

m = re.search(r"full ([\d.]+) ms, one PolyPolyline ([\d.]+) ms, ratio ([\d.]+); zoomed in (\d+) steps \(about ([\d.]+) %.*?\): ([\d.]+) ms", wine)
if m:
    full, peer, _, steps, pct, zoomed = m.groups()
    rows.append(("Wine: repaint 5,000 piles (100k segments)", full + " ms",
                 "one PolyPolyline of the same segments: %s ms (target: at most 1.3 times it)" % peer, float(peer) / float(full)))
    rows.append(("Wine: repaint zoomed in (about %s %% on the image)" % pct, zoomed + " ms", "target 1 ms", 1 / float(zoomed)))
m = re.search(r"repaint a circle of (\d+) piles \((\d+) segments\).*?: full ([\d.]+) ms, one PolyPolyline ([\d.]+) ms", wine)
if m:
    piles, segments, full, peer = m.groups()
    rows.append(("Wine: repaint a circle of %s piles (%s segments)" % (piles, segments), full + " ms",
                 "one PolyPolyline of the same segments: %s ms (target: at most 1.3 times it)" % peer, float(peer) / float(full)))
m = re.search(r"one message to the tool and back ([\d.]+) ms", wine)
if m:
    rows.append(("Wine: one message to the tool and back (in both repaint figures, twice in the zoomed one)",
                 m.group(1) + " ms", "", None))
m = re.search(r"start to first picture (\d+) ms; two piles (\d+) ms; a bare Win32 window (-?\d+) ms; "
              r"OK to window closed (\d+) ms, to process exit (\d+) ms", wine)
if m:
    start, two, bare, closed, exit_ = m.groups()
    rows.append(("Wine: exe start to first picture (5,000 piles)", start + " ms", "target 200 ms", 200 / float(start)))
    if int(bare) >= 0:
        rows.append(("Wine: exe start to first picture (the typical two-pile run)", two + " ms",
                     "a bare Win32 window that paints, no text: %s ms" % bare, float(bare) / float(two)))
    rows.append(("Wine: OK to exit (5,000 piles, 6.9 MB written)", exit_ + " ms",
                 "of it about 2,000 ms is Wine waiting for a window manager to withdraw the window (headless Xvfb has none)", None))

m = re.search(r"^build (\S+) \((.*)\)$", wine, re.M)
wine_build = ("The Wine figures are the %s build's (%s)." % m.groups()) if m else ""

# Sections after the table ("## ..."), written by hand, stay as they are.
kept = ""
try:
    old = open(out_md, encoding="utf-8").read()
    if "\n## " in old:
        kept = old[old.index("\n## "):]
except OSError:
    pass

with open(out_md, "w", encoding="utf-8") as f:
    f.write("# Performance\n\nMade by `bash scripts/speed-report.sh` on this machine (2 cores); each figure is the tool's, "
            "each peer ran in the same run on the same input. Ratio: the peer's time over ours (above 1: we are faster), "
            "or ours against the target. The machine is a virtual one whose speed drifts from run to run by up to a "
            "third; the ratios, measured side by side, hold steadier than the absolute figures. " + wine_build + "\n\n")
    f.write("| measure | Ravo鋼矢板 | peer or target | ratio |\n|---|---|---|---|\n")
    for name, ours, peer, ratio in rows:
        f.write("| %s | %s | %s | %s |\n" % (name, ours, peer, "%.2f" % ratio if ratio else ""))
    f.write(kept)
print(open(out_md, encoding="utf-8").read())

#!/usr/bin/python3
"""DXF files as ezdxf sees them, for the host's DXF tests (run by the system Python, which has
Debian's python3-ezdxf).

  ezdxf_dxf_check.py make DIR       writes the test drawings into DIR and prints, as JSON, what
                                    each holds (file name -> description, below)
  ezdxf_dxf_check.py check FILE     audits FILE and prints its description as JSON

A description: "audit" (errors and fixes ezdxf's audit reported), "counts" (model space
entities by type) and "entities" (model space entities in order, each with its type, layer
and geometry: points, centre and radius, text and style, hatch paths and pattern lines,
insert name and attributes).
"""
import json
import math
import os
import sys

import ezdxf
from ezdxf.math import Vec2


def pt(v):
    return [round(float(v[0]), 12), round(float(v[1]), 12)]


def describe_hatch(e):
    paths = []
    for p in e.paths:
        if p.type == ezdxf.entities.BoundaryPathType.POLYLINE:
            paths.append({"kind": "polyline", "points": [pt(v) for v in p.vertices],
                          "bulges": [round(v[2], 12) for v in p.vertices], "closed": bool(p.is_closed)})
        else:
            edges = []
            for edge in p.edges:
                if edge.type == ezdxf.entities.EdgeType.LINE:
                    edges.append({"kind": "line", "start": pt(edge.start), "end": pt(edge.end)})
                elif edge.type == ezdxf.entities.EdgeType.ARC:
                    edges.append({"kind": "arc", "center": pt(edge.center), "radius": edge.radius,
                                  "start": edge.start_angle, "end": edge.end_angle})
                elif edge.type == ezdxf.entities.EdgeType.ELLIPSE:
                    edges.append({"kind": "ellipse", "center": pt(edge.center), "major": pt(edge.major_axis),
                                  "ratio": edge.ratio})
                else:
                    edges.append({"kind": "spline"})
            paths.append({"kind": "edges", "edges": edges})
    lines = []
    if e.pattern is not None:
        for line in e.pattern.lines:
            lines.append({"angle": line.angle, "base": pt(line.base_point), "offset": pt(line.offset),
                          "dashes": list(line.dash_length_items)})
    return {"pattern": e.dxf.pattern_name, "solid": bool(e.dxf.solid_fill), "scale": e.dxf.pattern_scale,
            "angle": e.dxf.pattern_angle, "paths": paths, "lines": lines, "color": e.dxf.color}


def text_style(doc, name):
    style = doc.styles.get(name) if doc.styles.has_entry(name) else None
    if style is None:
        return {"name": name}
    info = {"name": name, "font": style.dxf.font}
    family, italic, bold = style.get_extended_font_data()
    info.update({"family": family, "bold": bool(bold), "italic": bool(italic)})
    return info


def describe(doc, e):
    t = e.dxftype()
    d = {"type": t, "layer": e.dxf.layer}
    if t == "LINE":
        d.update(start=pt(e.dxf.start), end=pt(e.dxf.end))
    elif t == "LWPOLYLINE":
        d.update(points=[pt(p) for p in e.get_points("xy")], closed=bool(e.closed))
    elif t == "CIRCLE":
        d.update(center=pt(e.dxf.center), radius=e.dxf.radius)
    elif t == "ARC":
        d.update(center=pt(e.dxf.center), radius=e.dxf.radius, start=e.dxf.start_angle, end=e.dxf.end_angle)
    elif t == "ELLIPSE":
        d.update(center=pt(e.dxf.center), major=pt(e.dxf.major_axis), ratio=e.dxf.ratio)
    elif t in ("TEXT", "MTEXT"):
        d.update(text=e.dxf.text if t == "TEXT" else e.text, height=e.dxf.char_height if t == "MTEXT" else e.dxf.height,
                 style=text_style(doc, e.dxf.style))
        if t == "TEXT":
            d["width"] = e.dxf.width
    elif t == "HATCH":
        d.update(describe_hatch(e))
    elif t == "INSERT":
        d.update(name=e.dxf.name, insert=pt(e.dxf.insert),
                 attribs={a.dxf.tag: a.dxf.text for a in e.attribs})
        d["block"] = [x.dxftype() for x in doc.blocks[e.dxf.name]]
    elif t == "DIMENSION":
        block = doc.blocks.get(e.dxf.geometry) if e.dxf.hasattr("geometry") else None
        d.update(geometry=[x.dxftype() for x in block] if block is not None else None,
                 dimtype=e.dxf.dimtype & 7)
    elif t == "SOLID":
        d.update(points=[pt(e.dxf.get(name)) for name in ("vtx0", "vtx1", "vtx2", "vtx3")])
    return d


def check(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    msp = doc.modelspace()
    counts = {}
    for e in msp:
        counts[e.dxftype()] = counts.get(e.dxftype(), 0) + 1
    return {"audit": {"errors": [str(x.message) for x in auditor.errors],
                      "fixes": [str(x.message) for x in auditor.fixes]},
            "counts": counts, "entities": [describe(doc, e) for e in msp]}


def square(x, y, size):
    return [(x, y), (x + size, y), (x + size, y + size), (x, y + size)]


def make(folder):
    made = {}

    # Hatches: a pattern with an island (a square hole and a round one), a solid fill with a
    # bulged outline, a user-defined pattern over an outline drawn as its own polyline.
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    h = msp.add_hatch(color=3, dxfattribs={"layer": "Hatch"})
    h.set_pattern_fill("ANSI31", color=3, scale=0.5, angle=30)
    h.paths.add_polyline_path(square(0, 0, 10), is_closed=True, flags=1)
    h.paths.add_polyline_path(square(2, 2, 2), is_closed=True, flags=16)
    edges = h.paths.add_edge_path(flags=16)
    edges.add_arc((7, 7), radius=1.5, start_angle=0, end_angle=360)
    s = msp.add_hatch(color=1)
    s.paths.add_polyline_path([(20, 0, 0), (30, 0, 1), (30, 10, 0), (20, 10, 0)], is_closed=True)
    msp.add_lwpolyline(square(40, 0, 5), close=True, dxfattribs={"layer": "Hatch"})
    u = msp.add_hatch(color=5, dxfattribs={"layer": "Hatch"})
    u.set_pattern_fill("ANSI37", color=5, scale=1.0)
    u.paths.add_polyline_path(square(40, 0, 5), is_closed=True)
    doc.saveas(os.path.join(folder, "hatches.dxf"))
    made["hatches.dxf"] = check(os.path.join(folder, "hatches.dxf"))

    # Dimensions: linear, aligned and radius, rendered by ezdxf (arrowheads in their blocks).
    doc = ezdxf.new("R2010", setup=True)
    msp = doc.modelspace()
    msp.add_line((0, 0), (10, 0))
    msp.add_linear_dim(base=(0, 3), p1=(0, 0), p2=(10, 0), dimstyle="EZDXF").render()
    msp.add_aligned_dim(p1=(0, 0), p2=(6, 8), distance=2, dimstyle="EZDXF").render()
    msp.add_circle((20, 0), 4)
    msp.add_radius_dim(center=(20, 0), radius=4, angle=45, dimstyle="EZ_RADIUS").render()
    doc.saveas(os.path.join(folder, "dimensions.dxf"))
    made["dimensions.dxf"] = check(os.path.join(folder, "dimensions.dxf"))

    # Blocks with attributes: a door tag defined once, inserted twice with its own values.
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    block = doc.blocks.new("DOORTAG", base_point=(0, 0))
    block.add_lwpolyline(square(-1, -0.5, 1) + [(0, 0.5)], close=True)
    block.add_circle((0, 0), 0.3)
    block.add_attdef("NUMBER", (0, -1), dxfattribs={"height": 0.25, "prompt": "Door number"})
    block.add_attdef("WIDTH", (0, -1.5), dxfattribs={"height": 0.2})
    for x, number, width in ((0, "D1", "0.9"), (5, "D2", "1.2")):
        ref = msp.add_blockref("DOORTAG", (x, 0), dxfattribs={"rotation": 15 * x})
        ref.add_auto_attribs({"NUMBER": number, "WIDTH": width})
    doc.saveas(os.path.join(folder, "blocks.dxf"))
    made["blocks.dxf"] = check(os.path.join(folder, "blocks.dxf"))

    # Text styles: bold and italic TrueType styles, a narrowed text, an MTEXT; and what the
    # host cannot hold (a spline, a ray), which the import must name.
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    bold = doc.styles.new("Heading", dxfattribs={"font": "DejaVuSans-Bold.ttf"})
    bold.set_extended_font_data("DejaVu Sans", bold=True, italic=False)
    doc.styles.new("Notes", dxfattribs={"font": "DejaVuSerif-Italic.ttf"})
    msp.add_text("Ground floor", dxfattribs={"style": "Heading", "height": 0.5, "insert": (0, 0)})
    msp.add_text("narrow", dxfattribs={"style": "Notes", "height": 0.3, "width": 0.7, "insert": (0, -1)})
    msp.add_mtext("two\\Plines", dxfattribs={"style": "Heading", "char_height": 0.25, "insert": (0, -2)})
    msp.add_spline([(0, -4), (2, -3), (4, -5), (6, -4)])
    msp.add_ray((0, -6), (1, 0))
    doc.layout("Layout1").add_line((0, 0), (1, 1))
    doc.saveas(os.path.join(folder, "styles.dxf"))
    made["styles.dxf"] = check(os.path.join(folder, "styles.dxf"))
    return made


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("make", "check"):
        sys.stderr.write(__doc__)
        return 2
    result = make(sys.argv[2]) if sys.argv[1] == "make" else check(sys.argv[2])
    json.dump(result, sys.stdout)
    return 0


if __name__ == "__main__":
    sys.exit(main())

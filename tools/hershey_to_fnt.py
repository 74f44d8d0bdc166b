#!/usr/bin/env python3
"""Converts a Hershey font (.jhf) into the host's stroke font format (.fnt).

Stroke font file: byte 0 the format marker 2; bytes 1..255 the signed advance width of each
character code; bytes 256..767 256 signed 16-bit offsets of each character's steps; 768 the
design height, 772 the base offset, 776 the extra spacing (signed 16-bit each); steps from 780.
A step is two bytes a, b: a = 255 ends the character; a >= 128 a line to (a & 127, b);
otherwise a move to (a, b). Coordinates run 0..127 with y upwards; the base offset is
subtracted from every y, so the file keeps descenders above 0.

A .jhf glyph is one record: a 5-column glyph number, a 3-column count of coordinate pairs,
then the pairs as characters counted from "R": first the left and right edges, then the
points, with " R" lifting the pen. y runs downwards. Records longer than a line continue on
the next lines. The glyphs stand for the character codes from 32 upwards in file order.

The design height is the height of "H" (its foot is the baseline), the base offset the depth
of the lowest descender, and each advance width the glyph's right edge minus its left edge.

Usage: hershey_to_fnt.py INPUT.jhf OUTPUT.fnt
"""

import struct
import sys

FORMAT_MARKER = 2
HEADER_SIZE = 780
OFFSETS_AT = 256
DESIGN_HEIGHT_AT = 768
BASE_OFFSET_AT = 772
SPACING_AT = 776
END_OF_CHARACTER = 255
LINE_FLAG = 0x80
MAX_X = 126  # x = 127 as a line step would read as the end marker
MAX_Y = 127
MAX_OFFSET = 0x7FFF
FIRST_CODE = 32
LAST_CODE = 126  # printable ASCII; 127 is a control code
ORIGIN = ord("R")


class FontError(Exception):
    pass


def read_records(text):
    """Yields the coordinate text of each glyph record, joining continued lines."""
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        if not line.strip():
            continue
        if len(line) < 8 or not line[5:8].strip().isdigit():
            raise FontError(f"line {i}: not a glyph record")
        pairs = int(line[5:8])
        if pairs < 1:
            raise FontError(f"line {i}: a glyph record without its edges")
        body = line[8:]
        while len(body) < 2 * pairs and i < len(lines):
            body += lines[i]
            i += 1
        if len(body) < 2 * pairs:
            raise FontError(f"line {i}: glyph record ends early")
        yield body[: 2 * pairs]


def parse_glyph(body):
    """Returns (left, right, strokes) with strokes as lists of (x, y), y downwards."""
    left, right = ord(body[0]) - ORIGIN, ord(body[1]) - ORIGIN
    strokes, stroke = [], []
    for k in range(2, len(body), 2):
        if body[k : k + 2] == " R":
            if stroke:
                strokes.append(stroke)
            stroke = []
            continue
        stroke.append((ord(body[k]) - ORIGIN, ord(body[k + 1]) - ORIGIN))
    if stroke:
        strokes.append(stroke)
    return left, right, strokes


def load_glyphs(text):
    glyphs = {}
    for code, body in zip(range(FIRST_CODE, LAST_CODE + 1), read_records(text)):
        glyphs[code] = parse_glyph(body)
    if ord("H") not in glyphs:
        raise FontError("the font has no glyph for H")
    return glyphs


def font_metrics(glyphs):
    """Baseline (Hershey y of the foot of H), design height and base offset."""
    ys = [y for stroke in glyphs[ord("H")][2] for _, y in stroke]
    if not ys:
        raise FontError("the glyph for H is empty")
    baseline = max(ys)
    design_height = baseline - min(ys)
    lowest = max((y for _, _, strokes in glyphs.values() for stroke in strokes for _, y in stroke), default=0)
    return baseline, design_height, max(0, lowest - baseline)


def encode(left, strokes, baseline, base):
    """The steps of one glyph, ending with the end marker."""
    data = bytearray()
    pen = (0, base)

    def point(x, y):
        fx, fy = x - left, baseline - y + base
        if not (0 <= fx <= MAX_X and 0 <= fy <= MAX_Y):
            raise FontError(f"point ({x}, {y}) falls outside the font grid")
        return fx, fy

    for stroke in strokes:
        if len(stroke) < 2:
            continue  # a lone point draws nothing
        first = point(*stroke[0])
        if first != pen:
            data += bytes(first)
        for x, y in stroke[1:]:
            fx, fy = point(x, y)
            data += bytes([fx | LINE_FLAG, fy])
        pen = point(*stroke[-1])
    return bytes(data) + bytes([END_OF_CHARACTER, 0])


def convert(text):
    glyphs = load_glyphs(text)
    baseline, design_height, base = font_metrics(glyphs)
    widths = bytearray(256)
    offsets = [HEADER_SIZE] * 256  # codes without a glyph share an empty step list
    body = bytearray([END_OF_CHARACTER, 0])
    for code, (left, right, strokes) in sorted(glyphs.items()):
        advance = right - left
        if not 0 <= advance <= 127:
            raise FontError(f"character {code}: advance width {advance} does not fit a signed byte")
        widths[code] = advance
        offsets[code] = HEADER_SIZE + len(body)
        body += encode(left, strokes, baseline, base)
    if HEADER_SIZE + len(body) > MAX_OFFSET:
        raise FontError("stroke data too large for 16-bit offsets")
    widths[0] = FORMAT_MARKER  # the marker shares byte 0 with the width of code 0
    header = bytearray(HEADER_SIZE)
    header[0:256] = widths
    for code, offset in enumerate(offsets):
        struct.pack_into("<h", header, OFFSETS_AT + 2 * code, offset)
    struct.pack_into("<h", header, DESIGN_HEIGHT_AT, design_height)
    struct.pack_into("<h", header, BASE_OFFSET_AT, base)
    struct.pack_into("<h", header, SPACING_AT, 0)
    return bytes(header) + bytes(body)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: hershey_to_fnt.py INPUT.jhf OUTPUT.fnt\n")
        return 2
    try:
        with open(argv[1], encoding="ascii") as source:
            font = convert(source.read())
    except (OSError, UnicodeDecodeError, FontError) as error:
        sys.stderr.write(f"hershey_to_fnt.py: {argv[1]}: {error}\n")
        return 1
    with open(argv[2], "wb") as out:
        out.write(font)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

// Canonical text listing of drawing lists: one line per entity, member lists indented.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"

namespace qlhost {
namespace {

namespace L = layout;

// Fields are read through the bounds-checked accessors; a short record reads zeros.
struct View {
    const unsigned char* rec;
    size_t size;
    template <typename T>
    T Get(size_t offset) const {
        return L::Get<T>(rec, size, offset);
    }
};

// Six decimals, trailing zeros dropped, no negative zero: stable across tiny float noise.
std::string Num(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    std::string text = buffer;
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    return text;
}

std::string Pt(const View& v, size_t offset) {
    std::string out(1, '(');
    out += Num(v.Get<double>(offset));
    out += ',';
    out += Num(v.Get<double>(offset + 8));
    out += ')';
    return out;
}

std::string Hex(uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%x", value);
    return buffer;
}

// A zero-terminated string at offset, cut at the record end, quoted and escaped.
std::string Str(const View& v, size_t offset) {
    std::string out = "\"";
    for (size_t i = offset; i < v.size && v.rec[i]; ++i) {
        const unsigned char c = v.rec[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Points(const View& v, size_t countOffset, size_t pointsOffset) {
    const size_t count = v.Get<uint16_t>(countOffset);
    std::string out = "n=";
    out += std::to_string(count);
    for (size_t i = 0; i < count && pointsOffset + 16 * (i + 1) <= v.size; ++i) {
        out += ' ';
        out += Pt(v, pointsOffset + 16 * i);
    }
    return out;
}

// The fields of a text data part (position, height, angle, font, justification, extras
// only when they differ from a plain text).
std::string TextData(const View& v, size_t data) {
    std::string out = Pt(v, data + L::kDataX);
    out += " h=" + Num(v.Get<float>(data + L::kDataHeight));
    out += " a=" + Num(v.Get<float>(data + L::kDataAngle));
    out += " font=" + std::to_string(v.Get<uint16_t>(data + L::kDataFont));
    out += " just=" + std::to_string(v.Get<uint8_t>(data + L::kDataJustify));
    const float width = v.Get<float>(data + L::kDataWidth);
    if (width != 1.0f) out += " wf=" + Num(width);
    if (const int style = v.Get<uint16_t>(data + L::kDataStyle))
        out += " style=" + std::to_string(style);
    if (const int flags = v.Get<uint8_t>(data + L::kDataFlags)) out += " tflags=" + Hex(flags);
    return out;
}

const char* TypeName(int type) {
    switch (type) {
        case 0:
            return "internal";
        case 1:
            return "point";
        case 2:
            return "line";
        case 3:
            return "path";
        case 4:
            return "polygon";
        case 5:
            return "text";
        case 6:
            return "circle";
        case 7:
            return "arc";
        case 8:
            return "ellipse";
        case 9:
            return "ellarc";
        case 10:
            return "group";
        case 11:
            return "marker";
        case 12:
            return "symref";
        case 13:
            return "filled";
        case 14:
            return "symdef";
        case 26:
            return "curve";
        case 27:
            return "ccurve";
        case 28:
            return "dimlin";
        case 29:
            return "dimang";
        case 30:
            return "dimarc";
        case 31:
            return "dimrad";
        case 33:
            return "textb";
        case 34:
            return "pathcont";
        case 36:
            return "container";
        case 37:
            return "attrib";
        case 38:
            return "wall";
        case 45:
            return "bezier";
        default:
            return nullptr;
    }
}

size_t LiveMembers(const Node& node) {
    size_t n = 0;
    if (node.children)
        for (const Node* m = node.children->head; m; m = m->next) n += m->deleted() ? 0 : 1;
    return n;
}

std::string Fields(const Node& node, const View& v) {
    const std::string members =
        node.children ? " members=" + std::to_string(LiveMembers(node)) : "";
    switch (node.type()) {
        case L::kPoint:
            return Pt(v, L::kPointX);
        case L::kLine:
            return Pt(v, L::kLineStart) + " " + Pt(v, L::kLineEnd);
        case L::kPath:
        case L::kPolygon:
            return Points(v, L::kPolyCount, L::kPolyPoints);
        case L::kText:
            return TextData(v, L::kTextData) + " " + Str(v, L::kTextString);
        case L::kCircle:
            return "c=" + Pt(v, L::kCircleCentre) + " r=" + Num(v.Get<double>(L::kCircleRadius));
        case L::kArc:
            return "c=" + Pt(v, L::kArcCentre) + " r=" + Num(v.Get<double>(L::kArcRadius)) +
                   " start=" + Num(v.Get<double>(L::kArcStart)) +
                   " sweep=" + Num(v.Get<double>(L::kArcSweep));
        case L::kEllipse:
        case L::kEllipseArc: {
            std::string out = "c=" + Pt(v, L::kEllCentre) + " axis=" + Pt(v, L::kEllAxis) +
                              " ratio=" + Num(v.Get<double>(L::kEllRatio));
            if (node.type() == L::kEllipseArc)
                out += " start=" + Num(v.Get<double>(L::kEllStart)) +
                       " sweep=" + Num(v.Get<double>(L::kEllSweep));
            return out;
        }
        case L::kGroup:
        case L::kFilledContainer:
            return "members=" + std::to_string(LiveMembers(node));
        case L::kMarker:
            return "kind=" + std::to_string(v.Get<uint32_t>(L::kMarkerKind));
        case L::kSymbolRef:
            return "def=" + std::to_string(v.Get<uint32_t>(L::kSymHandle)) + " at=(" +
                   Num(v.Get<double>(L::kSymTx)) + "," + Num(v.Get<double>(L::kSymTy)) + ") m=(" +
                   Num(v.Get<double>(L::kSymMatrix)) + "," + Num(v.Get<double>(L::kSymMatrix + 8)) +
                   "," + Num(v.Get<double>(L::kSymMatrix + 32)) + "," +
                   Num(v.Get<double>(L::kSymMatrix + 40)) + ") " + Str(v, L::kSymName) + members;
        case L::kSymbolDef:
            return "handle=" + std::to_string(v.Get<uint32_t>(L::kDefHandle)) +
                   " base=" + Pt(v, L::kDefBaseX) + " " + Str(v, L::kDefName);
        case L::kCurve:
        case L::kClosedCurve:
            return "sub=" + std::to_string(v.Get<uint8_t>(L::kCurveSubtype)) + " " +
                   Points(v, L::kCurveCount, L::kCurvePoints);
        case L::kDimLinear:
            return "dstyle=" + std::to_string(v.Get<uint16_t>(L::kDimStyle)) + " " +
                   Pt(v, L::kDim28P1) + " " + Pt(v, L::kDim28P2) + " line=" + Pt(v, L::kDim28Line) +
                   " text=" + Pt(v, L::kDim28Text) +
                   " dflags=" + Hex(v.Get<uint8_t>(L::kDim28Flags));
        case L::kDimAngular:
            return "dstyle=" + std::to_string(v.Get<uint16_t>(L::kDimStyle)) +
                   " vertex=" + Pt(v, L::kDim29Vertex) + " " + Pt(v, L::kDim29P1) + " " +
                   Pt(v, L::kDim29P2) + " arc=" + Pt(v, L::kDim29Arc) +
                   " text=" + Pt(v, L::kDim29Text) +
                   " dflags=" + Hex(v.Get<uint8_t>(L::kDim29Flags));
        case L::kDimArc:
            return "dstyle=" + std::to_string(v.Get<uint16_t>(L::kDimStyle)) +
                   " c=" + Pt(v, L::kDim30Centre) + " r=" + Num(v.Get<double>(L::kDim30Radius)) +
                   " start=" + Num(v.Get<double>(L::kDim30Start)) +
                   " sweep=" + Num(v.Get<double>(L::kDim30Sweep)) +
                   " d1=" + Num(v.Get<double>(L::kDim30Dist1)) +
                   " d2=" + Num(v.Get<double>(L::kDim30Dist2)) + " text=" + Pt(v, L::kDim30Text) +
                   " out=" + std::to_string(v.Get<uint8_t>(L::kDim30Outside)) +
                   " dflags=" + Hex(v.Get<uint8_t>(L::kDim30Flags));
        case L::kDimRadial:
            return "dstyle=" + std::to_string(v.Get<uint16_t>(L::kDimStyle)) +
                   " c=" + Pt(v, L::kDim31Centre) + " " + Pt(v, L::kDim31Point) +
                   " text=" + Pt(v, L::kDim31Text) +
                   " dflags=" + Hex(v.Get<uint8_t>(L::kDim31Flags));
        case L::kTextBearing:
            return "anchor=" + Pt(v, L::kTbAnchor) + " " + TextData(v, L::kTbData) + " " +
                   Str(v, L::kTbString);
        case L::kPathContainer:
            return "cflags=" + Hex(v.Get<uint32_t>(L::kPathContFlags)) + members;
        case L::kContainer:
            return "cflags=" + Hex(v.Get<uint32_t>(L::kContFlags)) + members;
        case L::kAttribute: {
            std::string out =
                "aflags=" + Hex(v.Get<uint16_t>(L::kAttFlags)) + " " + TextData(v, L::kAttData);
            const uint32_t value = v.Get<uint32_t>(L::kAttString);
            out += value ? " value=" + Str(v, value) : " value=none";
            if (const uint32_t tag = v.Get<uint32_t>(L::kAttPart1)) out += " tag=" + Str(v, tag);
            if (const uint32_t prompt = v.Get<uint32_t>(L::kAttPart2))
                out += " prompt=" + Str(v, prompt);
            return out;
        }
        case L::kWall:
            return Pt(v, L::kWallStart) + " " + Pt(v, L::kWallEnd) +
                   " t=" + Num(v.Get<double>(L::kWallThickness));
        case L::kBezier:
            return Points(v, L::kBezCount, L::kBezPoints);
        default: {
            std::string out = "len=" + std::to_string(v.size) + " data=";
            char buffer[4];
            for (size_t i = L::kHeaderSize; i < v.size; ++i) {
                std::snprintf(buffer, sizeof buffer, "%02x", v.rec[i]);
                out += buffer;
            }
            return out + members;
        }
    }
}

}  // namespace

std::string DumpEntity(const Node& node) {
    const View v{node.record(), node.length()};
    std::string line(1, '#');
    line += std::to_string(node.id);
    line += ' ';
    const char* name = TypeName(node.type());
    if (name) {
        line += name;
    } else {
        line += "type";
        line += std::to_string(node.type());
    }
    line += " layer=" + std::to_string(v.Get<uint16_t>(L::kLayer));
    if (const int ls = v.Get<uint16_t>(L::kLineStyle)) line += " ls=" + std::to_string(ls);
    if (const int fs = v.Get<uint16_t>(L::kFillStyle)) line += " fs=" + std::to_string(fs);
    if (const uint32_t color = v.Get<uint32_t>(L::kAttr6))
        line += " color=" + std::to_string(color);
    if (const int width = v.Get<int8_t>(L::kAttr5)) line += " width=" + std::to_string(width);
    if (const uint32_t fill = v.Get<uint32_t>(L::kAttr10))
        line += " fcolor=" + std::to_string(fill);
    if (const uint32_t a22 = v.Get<uint32_t>(L::kAttr22)) line += " a22=" + Hex(a22);
    if (node.selected()) line += " sel";
    if (node.deleted()) line += " del";
    const std::string fields = Fields(node, v);
    if (!fields.empty()) line += " " + fields;
    return line;
}

std::string DumpList(const HostList& list) {
    std::string out;
    // (node, depth) pairs, next sibling pushed before the members so members come first.
    std::vector<std::pair<const Node*, size_t>> pending;
    if (list.head) pending.emplace_back(list.head, 0);
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        out.append(2 * depth, ' ');
        out += DumpEntity(*node);
        out += '\n';
        if (node->next) pending.emplace_back(node->next, depth);
        if (node->children && node->children->head)
            pending.emplace_back(node->children->head, depth + 1);
    }
    return out;
}

}  // namespace qlhost

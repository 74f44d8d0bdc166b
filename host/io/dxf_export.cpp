// DXF export through dxflib: the entities the host has DXF forms for are written as such
// (lines, polylines, circles, arcs, ellipses, texts, points); curves, walls and dimensions as
// their outlines; groups and containers are exploded into their members; symbol references
// become blocks and inserts. Layers keep their names and their hidden and frozen states.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-copy"
#include <dl_dxf.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "host/io/dxf_common.h"
#include "host/io/safe_file.h"

namespace qlhost {
namespace {

namespace L = layout;

// dxflib's writer with its output handed on in pieces of about a megabyte (to a save that
// replaces the file only when everything was written), and with reals in the shortest form
// that reads back exactly: dxflib's own prints "%.16lf" into a fixed buffer, which overflows
// from 1e238 on and rounds small values to 0, and flushes the file after every number. A
// value that is not a finite number is not written; the save is refused.
class DxfPieceWriter : public DL_WriterA {
public:
    // An empty file name: dxflib's own file stays closed and nothing is created.
    explicit DxfPieceWriter(const SafeWriteSink& sink) : DL_WriterA("", DL_Codes::AC1015), sink_(sink) {}

    // The group code of the first value that could not be written, or 0.
    int badCode() const { return badCode_; }
    // Hands on the rest; false when a value was refused or a write failed.
    bool Finish() const {
        Flush();
        return badCode_ == 0 && !failed_;
    }

    void dxfReal(int gc, double value) const override {
        if (!std::isfinite(value)) {
            if (badCode_ == 0) badCode_ = gc;
            value = 0;
        }
        char digits[32];
        auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general);
        std::string number(digits, ec == std::errc() ? end : digits);
        // Whole numbers keep a decimal point, as DXF readers expect of a real.
        if (number.find_first_of(".e") == std::string::npos) number += ".0";
        dxfString(gc, number);
    }
    void dxfInt(int gc, int value) const override { dxfString(gc, std::to_string(value)); }
    void dxfHex(int gc, int value) const override {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(value));
        dxfString(gc, digits);
    }
    void dxfString(int gc, const char* value) const override {
        if (value != nullptr) dxfString(gc, std::string(value));
    }
    void dxfString(int gc, const std::string& value) const override {
        // Group codes are right-aligned in three columns, as dxflib writes them.
        text_ += gc < 10 ? "  " : gc < 100 ? " " : "";
        text_ += std::to_string(gc);
        text_ += '\n';
        text_ += value;
        text_ += '\n';
        if (text_.size() >= kPiece) Flush();
    }

private:
    static constexpr size_t kPiece = 1 << 20;

    void Flush() const {
        // After a refused value or a failed write nothing more goes out: the save fails.
        if (badCode_ == 0 && !failed_ && !text_.empty()) failed_ = !sink_(text_);
        text_.clear();
    }

    const SafeWriteSink& sink_;
    mutable std::string text_;
    mutable int badCode_ = 0;
    mutable bool failed_ = false;
};

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadian = 180 / kPi;
constexpr double kShearTolerance = 1e-9;
constexpr int kMaxBlockDepth = 16;
constexpr double kDefaultDimTextHeight = 2.5;
constexpr uint8_t kDimTextPlaced = 4;  // arc dimension flags: the text stands where the user put it

template <typename T>
T At(const unsigned char* r, size_t offset) {
    return L::Get<T>(r, L::LengthOf(r), offset);
}

Pt PointAt(const unsigned char* r, size_t offset) { return {At<double>(r, offset), At<double>(r, offset + 8)}; }

std::string CString(const unsigned char* r, size_t offset) {
    uint32_t n = L::LengthOf(r);
    if (offset >= n) return {};
    const char* start = reinterpret_cast<const char*>(r + offset);
    return std::string(start, strnlen(start, n - offset));
}

// One block per symbol definition and member list; references with the same definition
// and the same members share it.
struct BlockInfo {
    std::string name;
    Pt base;
    const Node* reference;
};

class Exporter {
public:
    Exporter(const Tables& tables, DL_Dxf& dxf, DL_WriterA& dw) : tables_(tables), dxf_(dxf), dw_(dw) {
        for (const TableEntry& entry : TableEntries(tables.layers, kTableEntries))
            layerNames_.emplace(EntryNumber(tables.layers, entry), EntryText(tables.layers, entry, kLayerName));
    }

    // Collects the blocks of every symbol reference (nested ones included).
    void CollectBlocks(const HostList& list, int depth) {
        if (depth > kMaxBlockDepth) return;
        for (const Node* node = list.head; node; node = node->next) {
            if (node->deleted()) continue;
            if (node->type() == L::kSymbolRef && Representable(node->record())) BlockOf(*node);
            if (node->children) CollectBlocks(*node->children, depth + 1);
        }
    }

    const std::vector<BlockInfo>& blocks() const { return blocks_; }

    void WriteBlocks() {
        for (const BlockInfo& block : blocks_) {
            dxf_.writeBlock(dw_, DL_BlockData(block.name, 0, block.base.x, block.base.y, 0.0));
            if (block.reference->children) WriteList(*block.reference->children, Matrix::Identity(), 1);
            dxf_.writeEndBlock(dw_, block.name);
        }
    }

    // world: the list's coordinates -> the coordinates being written.
    void WriteList(const HostList& list, const Matrix& world, int depth) {
        for (const Node* node = list.head; node; node = node->next)
            if (!node->deleted()) WriteNode(*node, world, depth);
    }

private:
    DL_Attributes Attributes(const unsigned char* r) const {
        auto named = layerNames_.find(At<uint16_t>(r, L::kLayer));
        std::string layer = named == layerNames_.end() ? std::string() : named->second;
        if (layer.empty()) layer.push_back('0');
        int aci = io::AciFromPalette(static_cast<int>(At<uint32_t>(r, kHdrColor)));
        return DL_Attributes(layer, aci, -1, io::LinetypeName(tables_, At<uint16_t>(r, L::kLineStyle)), 1.0);
    }

    static bool Representable(const unsigned char* ref) {
        Matrix m = SymbolToWorld(ref);
        double sx = std::hypot(m.m[0], m.m[4]);
        if (!(sx > 0)) return false;
        double angle = std::atan2(m.m[4], m.m[0]);
        double sy = m.Det2() / sx;
        return std::fabs(m.m[1] + std::sin(angle) * sy) <= kShearTolerance * std::max(1.0, std::fabs(sy)) &&
               std::fabs(m.m[5] - std::cos(angle) * sy) <= kShearTolerance * std::max(1.0, std::fabs(sy));
    }

    std::string MemberBytes(const Node& node) const {
        std::string bytes;
        if (node.children)
            for (const Node* member = node.children->head; member; member = member->next) {
                bytes.append(reinterpret_cast<const char*>(member->record()), member->length());
                if (!member->children) continue;
                bytes += '{';
                bytes += MemberBytes(*member);
                bytes += '}';
            }
        return bytes;
    }

    std::string BlockKey(const Node& node) const {
        return std::to_string(At<uint32_t>(node.record(), L::kSymHandle)) + ":" + MemberBytes(node);
    }

    // The block collected for a reference, or null (references that a block cannot show).
    const BlockInfo* FindBlock(const Node& node) const {
        auto it = blockByKey_.find(BlockKey(node));
        return it == blockByKey_.end() ? nullptr : &blocks_[it->second];
    }

    const BlockInfo& BlockOf(const Node& node) {
        uint32_t handle = At<uint32_t>(node.record(), L::kSymHandle);
        std::string key = BlockKey(node);
        auto it = blockByKey_.find(key);
        if (it != blockByKey_.end()) return blocks_[it->second];
        Pt base{};
        std::string name = CString(node.record(), L::kSymName);
        if (const unsigned char* def = FindSymbolDefinition(handle)) base = PointAt(def, L::kDefBaseX);
        if (name.empty() || name[0] == '*') name = "Symbol";
        std::string unique = name;
        for (int k = 2; !names_.insert(unique).second; ++k) unique = name + "_" + std::to_string(k);
        blocks_.push_back({unique, base, &node});
        blockByKey_[key] = blocks_.size() - 1;
        return blocks_.back();
    }

    void WriteNode(const Node& node, const Matrix& world, int depth) {
        const unsigned char* r = node.record();
        int type = node.type();
        if (type == L::kSymbolRef) {
            if (depth > kMaxBlockDepth) return;
            const Matrix identity = Matrix::Identity();
            bool placed = std::equal(std::begin(world.m), std::end(world.m), identity.m);
            if (const BlockInfo* block = placed ? FindBlock(node) : nullptr) return WriteInsert(node, *block);
            if (node.children) WriteList(*node.children, Then(SymbolToWorld(r), world), depth + 1);
            return;
        }
        if (node.children) {
            WriteList(*node.children, world, depth);
            return;
        }
        Record record(r, r + node.length());
        Record grown;
        if (!TransformRecord(record.data(), world, &grown)) record = std::move(grown);
        WriteRecord(record.data());
    }

    void WriteInsert(const Node& node, const BlockInfo& block) {
        Matrix m = SymbolToWorld(node.record());
        // Members show at M p - b: a block with base b inserted at A b + t - b.
        Pt at = m.Apply(block.base);
        double sx = std::hypot(m.m[0], m.m[4]);
        double angle = std::atan2(m.m[4], m.m[0]);
        double sy = m.Det2() / sx;
        dxf_.writeInsert(dw_, DL_InsertData(block.name, at.x, at.y, 0.0, sx, sy, 1.0, angle * kRadian, 1, 1, 0, 0),
                         Attributes(node.record()));
    }

    void WritePolyline(const std::vector<Pt>& points, bool closed, const DL_Attributes& attributes) {
        if (points.empty()) return;
        dxf_.writePolyline(dw_, DL_PolylineData(static_cast<int>(points.size()), 0, 0, closed ? 1 : 0), attributes);
        for (const Pt& p : points) dxf_.writeVertex(dw_, DL_VertexData(p.x, p.y, 0, 0));
        dxf_.writePolylineEnd(dw_);
    }

    void WriteText(const unsigned char* data, const std::string& text, const DL_Attributes& attributes) {
        auto get = [&](size_t offset, auto zero) { return L::Get<decltype(zero)>(data, L::kDataSize, offset); };
        Pt pos{get(L::kDataX, double{}), get(L::kDataY, double{})};
        double height = get(L::kDataHeight, float{}), angle = get(L::kDataAngle, float{});
        double width = get(L::kDataWidth, float{});
        int justification = data[L::kDataJustify];
        if (text.find_first_of("\r\n") != std::string::npos) {
            double spacing = get(L::kDataSpacing, float{});
            dxf_.writeMText(dw_,
                            DL_MTextData(pos.x, pos.y, 0, 0, 0, 0, height, 0, io::AttachmentFromJustification(justification),
                                         1, 1, spacing > 0 ? spacing / 150 : 1, io::StringToDxf(io::StringToMText(text)),
                                         "STANDARD", angle),
                            attributes);
            return;
        }
        int h, v;
        io::DxfJustification(justification, h, v);
        dxf_.writeText(dw_, DL_TextData(pos.x, pos.y, 0, pos.x, pos.y, 0, height, width > 0 ? width : 1, 0, h, v,
                                        io::StringToDxf(text), "STANDARD", angle),
                       attributes);
    }

    // The arc and its value; the text stands where the dimension shows it.
    void WriteArcDimension(const unsigned char* r, const DL_Attributes& attributes) {
        Pt c = PointAt(r, L::kDim30Centre);
        double radius = At<double>(r, L::kDim30Radius), start = At<double>(r, L::kDim30Start);
        double sweep = At<double>(r, L::kDim30Sweep);
        dxf_.writeArc(dw_, DL_ArcData(c.x, c.y, 0, radius, start * kRadian, (start + sweep) * kRadian), attributes);
        auto style = [&](int index) { return At<float>(r, L::kDimStyle + 4 * index); };
        double height = style(kDimTextHeight) > 0 ? style(kDimTextHeight) : kDefaultDimTextHeight;
        double gap = style(3) > 0 ? style(3) : 0;
        Pt text = (r[L::kDim30Flags] & kDimTextPlaced) ? PointAt(r, L::kDim30Text)
                                                       : Polar(c, radius + gap + height, start + sweep / 2);
        int decimals = std::isfinite(style(9)) ? std::clamp(static_cast<int>(style(9)), 0, 8) : 2;
        char value[64];
        std::snprintf(value, sizeof value, "%.*f", decimals, sweep * kRadian);
        dxf_.writeText(dw_, DL_TextData(text.x, text.y, 0, text.x, text.y, 0, height, 1, 0, 1, 2,
                                        io::StringToDxf(std::string(value) + "\xc2\xb0"), "STANDARD", 0),
                       attributes);
    }

    void WriteRecord(const unsigned char* r) {
        DL_Attributes attributes = Attributes(r);
        uint32_t n = L::LengthOf(r);
        switch (r[L::kType]) {
        case L::kPoint:
            if (n >= L::kPointLength) dxf_.writePoint(dw_, DL_PointData(At<double>(r, L::kPointX), At<double>(r, L::kPointY), 0), attributes);
            break;
        case L::kLine:
            if (n >= L::kLineLength) {
                Pt a = PointAt(r, L::kLineStart), b = PointAt(r, L::kLineEnd);
                dxf_.writeLine(dw_, DL_LineData(a.x, a.y, 0, b.x, b.y, 0), attributes);
            }
            break;
        case L::kPath:
        case L::kPolygon: {
            std::vector<Pt> points;
            size_t count = At<uint16_t>(r, L::kPolyCount);
            for (size_t i = 0; i < count && L::kPolyPoints + 16 * (i + 1) <= n; ++i) points.push_back(PointAt(r, L::kPolyPoints + 16 * i));
            bool closed = r[L::kType] == L::kPolygon;
            // The closed flag joins the last corner to the first; a stored repeat of the first
            // point (as drawn polygons and the import keep it) would be one vertex too many.
            if (closed && points.size() > 2 && points.front().x == points.back().x && points.front().y == points.back().y)
                points.pop_back();
            WritePolyline(points, closed, attributes);
            break;
        }
        case L::kCircle:
            if (n >= L::kCircleLength) {
                Pt c = PointAt(r, L::kCircleCentre);
                dxf_.writeCircle(dw_, DL_CircleData(c.x, c.y, 0, At<double>(r, L::kCircleRadius)), attributes);
            }
            break;
        case L::kArc:
            if (n >= L::kArcLength) {
                Pt c = PointAt(r, L::kArcCentre);
                double start = At<double>(r, L::kArcStart), sweep = At<double>(r, L::kArcSweep);
                dxf_.writeArc(dw_, DL_ArcData(c.x, c.y, 0, At<double>(r, L::kArcRadius), start * kRadian, (start + sweep) * kRadian),
                              attributes);
            }
            break;
        case L::kEllipse:
        case L::kEllipseArc: {
            if (n < L::kEllipseLength) break;
            Pt c = PointAt(r, L::kEllCentre), axis = PointAt(r, L::kEllAxis);
            double start = 0, end = 2 * kPi;
            if (r[L::kType] == L::kEllipseArc && n >= L::kEllipseArcLength) {
                start = At<double>(r, L::kEllStart);
                end = start + At<double>(r, L::kEllSweep);
            }
            dxf_.writeEllipse(dw_, DL_EllipseData(c.x, c.y, 0, axis.x, axis.y, 0, At<double>(r, L::kEllRatio), start, end),
                              attributes);
            break;
        }
        case L::kText:
            if (n > L::kTextString) WriteText(r + L::kTextData, CString(r, L::kTextString), attributes);
            break;
        case L::kTextBearing:
            if (n > L::kTbString) WriteText(r + L::kTbData, CString(r, L::kTbString), attributes);
            break;
        case L::kAttribute:
            if (n >= L::kAttVariable && At<uint32_t>(r, L::kAttString))
                WriteText(r + L::kAttData, CString(r, At<uint32_t>(r, L::kAttString)), attributes);
            break;
        case L::kDimArc:
            if (n >= L::kDim30Length) WriteArcDimension(r, attributes);
            break;
        default:
            for (std::vector<Pt>& piece : FlattenEntity(r)) {
                bool closed = piece.size() > 2 && piece.front().x == piece.back().x && piece.front().y == piece.back().y;
                if (closed) piece.pop_back();
                WritePolyline(piece, closed, attributes);
            }
        }
    }

    const Tables& tables_;
    DL_Dxf& dxf_;
    DL_WriterA& dw_;
    std::vector<BlockInfo> blocks_;
    std::map<std::string, size_t> blockByKey_;
    std::set<std::string> names_;
    std::unordered_map<int, std::string> layerNames_;  // looked up once per entity
};

void WriteTables(DL_Dxf& dxf, DL_WriterA& dw, const Tables& tables, const std::vector<BlockInfo>& blocks) {
    dw.sectionTables();
    dxf.writeVPort(dw);
    std::vector<TableEntry> styles = TableEntries(tables.lineStyles, kLineStyleEntries);
    dw.tableLinetypes(static_cast<int>(3 + styles.size()));
    dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "BYBLOCK", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "BYLAYER", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
    for (const TableEntry& entry : styles) {
        int number = EntryNumber(tables.lineStyles, entry);
        if (number == 0) continue;
        const unsigned char* data = tables.lineStyles.data() + entry.offset;
        size_t count = data[kStyleKind], offset = data[kStylePatternOffset];
        if (offset + 4 * count > entry.length) count = 0;
        std::vector<double> dashes;
        double length = 0;
        for (size_t i = 0; i < count; ++i) {
            dashes.push_back(L::Get<float>(data, entry.length, offset + 4 * i));
            length += std::fabs(dashes.back());
        }
        std::string name = io::LinetypeName(tables, number);
        dxf.writeLinetype(dw, DL_LinetypeData(name, name, 0, static_cast<int>(dashes.size()), length,
                                              dashes.empty() ? nullptr : dashes.data()));
    }
    dw.tableEnd();
    std::vector<TableEntry> layers = TableEntries(tables.layers, kTableEntries);
    dw.tableLayers(static_cast<int>(layers.size()));
    for (const TableEntry& entry : layers) {
        uint32_t flags = EntryLayerFlags(tables, entry);
        dxf.writeLayer(dw, DL_LayerData(EntryText(tables.layers, entry, kLayerName), (flags & kLayerFrozen) ? 1 : 0,
                                        (flags & kLayerHidden) != 0),
                       DL_Attributes("", 7, 100, "CONTINUOUS", 1.0));
    }
    dw.tableEnd();
    dw.tableStyle(1);
    dxf.writeStyle(dw, DL_StyleData("STANDARD", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    dw.tableEnd();
    dxf.writeView(dw);
    dxf.writeUcs(dw);
    dw.tableAppid(1);
    dxf.writeAppid(dw, "ACAD");
    dw.tableEnd();
    dxf.writeDimStyle(dw, 1, 1, 1, 1, 1);
    dxf.writeBlockRecord(dw);
    for (const BlockInfo& block : blocks) dxf.writeBlockRecord(dw, block.name);
    dw.tableEnd();
    dw.sectionEnd();
}

}  // namespace

bool ExportDxf(const std::string& path, const HostList& list, std::string& error) {
    if (!list.drawing) {
        error = path + ": the list belongs to no drawing";
        return false;
    }
    const Tables& tables = list.drawing->tables;
    int badCode = 0;
    const bool saved = WriteFileSafely(
        path,
        [&](const SafeWriteSink& sink) {
            DL_Dxf dxf;
            DxfPieceWriter dw(sink);
            Exporter exporter(tables, dxf, dw);
            exporter.CollectBlocks(list, 0);
            dxf.writeHeader(dw);
            dw.sectionEnd();
            WriteTables(dxf, dw, tables, exporter.blocks());
            dw.sectionBlocks();
            for (const char* space : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
                dxf.writeBlock(dw, DL_BlockData(space, 0, 0.0, 0.0, 0.0));
                dxf.writeEndBlock(dw, space);
            }
            exporter.WriteBlocks();
            dw.sectionEnd();
            dw.sectionEntities();
            exporter.WriteList(list, Matrix::Identity(), 0);
            dw.sectionEnd();
            dxf.writeObjects(dw);
            dxf.writeObjectsEnd(dw);
            dw.dxfEOF();
            const bool finished = dw.Finish();
            badCode = dw.badCode();
            return finished;
        },
        error);
    if (badCode != 0) {
        error = path + ": a value of group code " + std::to_string(badCode) +
                " is not a finite number; the file is left as it was";
        return false;
    }
    return saved;
}

}  // namespace qlhost

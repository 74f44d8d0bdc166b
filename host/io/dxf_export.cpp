// DXF export through dxflib: the entities the host has DXF forms for are written as such
// (lines, polylines, circles, arcs, ellipses, texts, points, attribute definitions); fills as
// HATCH entities after their outline (pattern name, scale and definition lines, or SOLID);
// dimensions as DIMENSION entities whose block draws them with their arrowheads, carrying
// the host record in extended data; curves and walls as their outlines; groups and
// containers are exploded into their members; symbol references become blocks and inserts.
// Layers keep their names and their hidden and frozen states; texts name a text style per
// font, bold and italic.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-copy"
#include <dl_dxf.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "host/io/dxf_common.h"
#include "host/io/dxf_entities.h"
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
    // Holds back what is written from here on, until TakeHeld.
    void Hold() const {
        Flush();
        holding_ = true;
    }
    std::string TakeHeld() const {
        holding_ = false;
        std::string held;
        held.swap(text_);
        return held;
    }
    void Raw(const std::string& text) const {
        text_ += text;
        if (text_.size() >= kPiece) Flush();
    }

    void dxfString(int gc, const std::string& value) const override {
        // Group codes are right-aligned in three columns, as dxflib writes them.
        text_ += gc < 10 ? "  " : gc < 100 ? " " : "";
        text_ += std::to_string(gc);
        text_ += '\n';
        text_ += value;
        text_ += '\n';
        if (text_.size() >= kPiece && !holding_) Flush();
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
    mutable bool holding_ = false;
};

// dxflib's OBJECTS section with the owner of every object (group code 330 after its handle):
// the dictionary that lists it, 0 for the root dictionary. dxflib leaves the owners out, and
// readers then have to repair them.
std::string WithOwners(const std::string& objects) {
    std::vector<std::pair<std::string, std::string>> pairs;  // code as written, value
    for (size_t at = 0; at < objects.size();) {
        size_t end = objects.find('\n', at);
        if (end == std::string::npos) break;
        size_t next = objects.find('\n', end + 1);
        if (next == std::string::npos) next = objects.size();
        pairs.emplace_back(objects.substr(at, end - at), objects.substr(end + 1, next - end - 1));
        at = next + 1;
    }
    auto code = [](const std::string& text) { return std::atoi(text.c_str()); };
    std::map<std::string, std::string> owners;
    std::string handle;
    for (size_t i = 0; i < pairs.size(); ++i) {
        const int c = code(pairs[i].first);
        if (c == 0) handle.clear();
        else if (c == 5 && handle.empty()) handle = pairs[i].second;
        else if ((c == 350 || c == 360) && !handle.empty()) owners.emplace(pairs[i].second, handle);
    }
    std::string out;
    bool started = false;
    for (size_t i = 0; i < pairs.size(); ++i) {
        out += pairs[i].first + "\n" + pairs[i].second + "\n";
        const int c = code(pairs[i].first);
        if (c == 0) started = true;
        if (c == 5 && started && i > 0 && code(pairs[i - 1].first) == 0) {
            auto owner = owners.find(pairs[i].second);
            out += "330\n" + (owner == owners.end() ? std::string("0") : owner->second) + "\n";
        }
    }
    return out;
}

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

// A dimension's block: the dimension drawn with lines, arcs, arrowheads and its value.
struct GroupBlock {
    std::string name;
    const Node* node;
    Matrix world;
    int depth;
};

struct DimensionBlock {
    std::string name;
    Record record;  // as written (moved into place)
};

// The text style a text is written with: its font and whether it is bold or italic.
struct TextStyleKey {
    std::string font;
    bool bold, italic;
    bool operator<(const TextStyleKey& o) const {
        return std::tie(font, bold, italic) < std::tie(o.font, o.bold, o.italic);
    }
    std::string Name() const { return font + (bold ? " Bold" : "") + (italic ? " Italic" : ""); }
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
    const std::vector<DimensionBlock>& dimensionBlocks() const { return dimensions_; }
    const std::set<TextStyleKey>& textStyles() const { return textStyles_; }

    // Walks the drawing as the writing does, writing nothing: collects the dimensions (each
    // needs a block before the entities) and the text styles.
    void Collect(const HostList& list) {
        collecting_ = true;
        for (const BlockInfo& block : blocks_)
            if (block.reference->children) WriteList(*block.reference->children, Matrix::Identity(), 1);
        WriteList(list, Matrix::Identity(), 0);
        collecting_ = false;
    }

    // A group, container or path container as an insert of an anonymous block of its members,
    // carrying its own record.
    void WriteGroup(const Node& node, const Matrix& world, int depth) {
        const Node* address = &node;
        std::string key(reinterpret_cast<const char*>(&address), sizeof address);
        key.append(reinterpret_cast<const char*>(world.m), sizeof world.m);
        if (collecting_) {
            if (groupByKey_.emplace(key, groups_.size()).second) {
                groups_.push_back({"*U" + std::to_string(groups_.size() + 1), &node, world, depth});
                WriteList(*node.children, world, depth + 1);
            }
            return;
        }
        auto found = groupByKey_.find(key);
        if (found == groupByKey_.end()) return;
        dxf_.writeInsert(dw_, DL_InsertData(groups_[found->second].name, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 0.0, 1, 1, 0, 0),
                         Attributes(node.record()));
        WriteGroups(io::RecordGroups(node.record(), node.length()));
    }

    const std::vector<std::string> GroupBlockNames() const {
        std::vector<std::string> names;
        for (const GroupBlock& g : groups_) names.push_back(g.name);
        return names;
    }

    void WriteGroupBlocks() {
        for (const GroupBlock& g : groups_) {
            dxf_.writeBlock(dw_, DL_BlockData(g.name, 1, 0.0, 0.0, 0.0));
            WriteList(*g.node->children, g.world, g.depth + 1);
            if (g.node->type() == L::kPathContainer) WriteArrowheads(*g.node, g.world);
            dxf_.writeEndBlock(dw_, g.name);
        }
    }

    // The arrowheads of a path container at the ends of its path (flags 1: start, 2: end), as
    // filled triangles marked as the container's own: the import leaves them to it.
    void WriteArrowheads(const Node& node, const Matrix& world) {
        const unsigned char* r = node.record();
        const double length = At<float>(r, L::kHeaderSize), height = At<float>(r, L::kHeaderSize + 4);
        const uint32_t flags = At<uint32_t>(r, L::kPathContFlags);
        const Node* path = node.children->head;
        if (!path || !(length > 0) || !(height > 0) || !std::isfinite(length) || !std::isfinite(height)) return;
        Record record(path->record(), path->record() + path->length());
        Record grown;
        if (!TransformRecord(record.data(), world, &grown)) record = std::move(grown);
        std::vector<std::vector<Pt>> pieces = FlattenEntity(record.data());
        if (pieces.empty() || pieces[0].size() < 2) return;
        const std::vector<Pt>& p = pieces[0];
        const DL_Attributes attributes = Attributes(r);
        auto arrow = [&](Pt tip, Pt toward) {
            Pt d = toward - tip;
            const double n = Norm(d);
            if (!(n > 0)) return;
            d = d * (1 / n);
            const Pt base = tip + d * length, side = Perp(d) * (height / 2);
            const Pt b1 = base + side, b2 = base - side;
            dxf_.writeSolid(dw_, DL_SolidData(tip.x, tip.y, 0, b1.x, b1.y, 0, b2.x, b2.y, 0, b2.x, b2.y, 0, 0), attributes);
            WriteGroups({{io::DxfGroup::kText, 1001, io::kQuilletApp}, {io::DxfGroup::kText, 1000, io::kArrowhead}});
        };
        if (flags & 1) arrow(p.front(), p[1]);
        if (flags & 2) arrow(p.back(), p[p.size() - 2]);
    }

    void WriteDimensionBlocks() {
        for (const DimensionBlock& block : dimensions_) {
            dxf_.writeBlock(dw_, DL_BlockData(block.name, 1, 0.0, 0.0, 0.0));
            WriteDimensionPicture(block.record.data(), Attributes(block.record.data()));
            dxf_.writeEndBlock(dw_, block.name);
        }
    }

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
        const bool grouping = type == L::kGroup || type == L::kPathContainer || type == L::kContainer;
        if (grouping && node.children && depth <= kMaxBlockDepth) return WriteGroup(node, world, depth);
        if (node.children) {
            WriteList(*node.children, world, depth);
            if (type == L::kFilledContainer && !collecting_) {
                std::vector<Record> outlines;
                for (const Node* member = node.children->head; member; member = member->next) {
                    if (member->deleted() || member->children) continue;
                    Record m(member->record(), member->record() + member->length());
                    Record grown;
                    if (!TransformRecord(m.data(), world, &grown)) m = std::move(grown);
                    outlines.push_back(std::move(m));
                }
                WriteFill(r, outlines);
            }
            return;
        }
        Record record(r, r + node.length());
        Record grown;
        if (!TransformRecord(record.data(), world, &grown)) record = std::move(grown);
        WriteRecord(record.data());
    }

    void WriteInsert(const Node& node, const BlockInfo& block) {
        if (collecting_) return;
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

    // The text style of a text data part (collected while collecting).
    std::string StyleOf(const unsigned char* data) {
        const unsigned char* font = FindFont(const_cast<Tables&>(tables_), L::Get<uint16_t>(data, L::kDataSize, L::kDataFont));
        if (!font || L::LengthOf(font) <= kFontName) return "STANDARD";
        const char* name = reinterpret_cast<const char*>(font + kFontName);
        TextStyleKey key{std::string(name, strnlen(name, L::LengthOf(font) - kFontName)),
                         (data[L::kDataFlags] & 0x10) != 0, (data[L::kDataFlags] & 0x20) != 0};
        if (key.font.empty()) return "STANDARD";
        if (collecting_) textStyles_.insert(key);
        return key.Name();
    }

    void WriteText(const unsigned char* data, const std::string& text, const DL_Attributes& attributes) {
        const std::string style = StyleOf(data);
        if (collecting_) return;
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
                                         style, angle),
                            attributes);
            return;
        }
        int h, v;
        io::DxfJustification(justification, h, v);
        dxf_.writeText(dw_, DL_TextData(pos.x, pos.y, 0, pos.x, pos.y, 0, height, width > 0 ? width : 1, 0, h, v,
                                        io::StringToDxf(text), style, angle),
                       attributes);
    }

    // An attribute as an attribute definition whose default is its value: a block holds one
    // per reference value, as every reference with other members has a block of its own.
    void WriteAttributeDefinition(const unsigned char* r, const DL_Attributes& attributes) {
        const unsigned char* data = r + L::kAttData;
        const std::string style = StyleOf(data);
        if (collecting_) return;
        const uint32_t n = L::LengthOf(r);
        auto text = [&](uint32_t offset) { return offset ? CString(r, offset) : std::string(); };
        auto get = [&](size_t offset, auto zero) { return L::Get<decltype(zero)>(data, L::kDataSize, offset); };
        Pt pos{get(L::kDataX, double{}), get(L::kDataY, double{})};
        double width = get(L::kDataWidth, float{});
        int h, v;
        io::DxfJustification(data[L::kDataJustify], h, v);
        const uint32_t tag = At<uint32_t>(r, L::kAttPart1), prompt = At<uint32_t>(r, L::kAttPart2);
        dw_.entity("ATTDEF");
        dw_.dxfString(100, "AcDbEntity");
        dw_.entityAttributes(attributes);
        WriteGroups({{io::DxfGroup::kText, 100, "AcDbText"}});
        dw_.dxfReal(10, pos.x), dw_.dxfReal(20, pos.y), dw_.dxfReal(30, 0.0);
        dw_.dxfReal(40, get(L::kDataHeight, float{}));
        dw_.dxfString(1, io::StringToDxf(text(At<uint32_t>(r, L::kAttString))));
        dw_.dxfReal(50, get(L::kDataAngle, float{}) * kRadian);
        dw_.dxfReal(41, width > 0 ? width : 1.0);
        dw_.dxfString(7, style);
        dw_.dxfInt(72, h);
        dw_.dxfReal(11, pos.x), dw_.dxfReal(21, pos.y), dw_.dxfReal(31, 0.0);
        dw_.dxfString(100, "AcDbAttributeDefinition");
        dw_.dxfString(3, io::StringToDxf(tag < n ? text(prompt) : std::string()));
        dw_.dxfString(2, io::StringToDxf(text(tag)));
        dw_.dxfInt(70, 0);
        dw_.dxfInt(74, v);
    }

    void WriteGroups(const std::vector<io::DxfGroup>& groups) {
        for (const io::DxfGroup& g : groups) {
            if (g.kind == io::DxfGroup::kText) dw_.dxfString(g.code, g.text);
            else if (g.kind == io::DxfGroup::kReal) dw_.dxfReal(g.code, g.real);
            else dw_.dxfInt(g.code, static_cast<int>(g.whole));
        }
    }

    // The boundary path of a closed record: circles and ellipses as one edge, everything else
    // as its corners (a polygon's as stored).
    static io::HatchPath PathOf(const unsigned char* r, bool first) {
        io::HatchPath path;
        path.flags = first ? 1 : 0;
        const uint32_t n = L::LengthOf(r);
        if (r[L::kType] == L::kCircle && n >= L::kCircleLength) {
            io::HatchEdge e;
            e.kind = io::HatchEdge::kArc;
            e.a = PointAt(r, L::kCircleCentre);
            e.radius = At<double>(r, L::kCircleRadius);
            e.end = 360;
            path.edges.push_back(e);
            return path;
        }
        if (r[L::kType] == L::kEllipse && n >= L::kEllipseLength) {
            io::HatchEdge e;
            e.kind = io::HatchEdge::kEllipse;
            e.a = PointAt(r, L::kEllCentre);
            e.b = PointAt(r, L::kEllAxis);
            e.radius = At<double>(r, L::kEllRatio);
            e.end = 360;
            path.edges.push_back(e);
            return path;
        }
        path.flags |= 2;
        path.points = io::OutlineCorners(r);
        return path;
    }

    static bool Fillable(const unsigned char* r) {
        switch (r[L::kType]) {
        case L::kPolygon: case L::kCircle: case L::kEllipse: case L::kClosedCurve: case L::kWall: return true;
        default: return false;
        }
    }

    // A HATCH after the outlines that the fill style of r fills (solid or a pattern), in the
    // fill colour; nothing for no fill.
    void WriteFill(const unsigned char* r, const std::vector<Record>& outlines) {
        const unsigned char* entry = FindFillStyle(const_cast<Tables&>(tables_), At<uint16_t>(r, L::kFillStyle));
        const int kind = io::FillStyleKind(entry);
        if (At<uint16_t>(r, L::kFillStyle) == 0 || (kind != kFillSolid && kind != kFillPattern)) return;
        io::DxfHatch hatch;
        hatch.solid = kind == kFillSolid;
        if (!hatch.solid) {
            hatch.pattern = io::FillStyleName(entry);
            hatch.lines = io::FillStyleLines(entry);
            hatch.scale = io::FillStyleScale(entry);
            hatch.patternType = 2;  // the lines are the drawing's own
            if (hatch.lines.empty()) return;
        }
        for (const Record& outline : outlines)
            if (Fillable(outline.data())) hatch.paths.push_back(PathOf(outline.data(), hatch.paths.empty()));
        if (hatch.paths.empty()) return;
        DL_Attributes attributes = Attributes(r);
        attributes.setColor(io::AciFromPalette(static_cast<int>(At<uint32_t>(r, kHdrFillColor))));
        attributes.setLinetype("CONTINUOUS");
        dw_.entity("HATCH");
        dw_.dxfString(100, "AcDbEntity");
        dw_.entityAttributes(attributes);
        WriteGroups(io::HatchGroups(hatch));
        // A filled container's own record: its attributes come back with it.
        if (r[L::kType] == L::kFilledContainer) WriteGroups(io::RecordGroups(r, L::LengthOf(r)));
    }

    // The dimension picture: arrowheads are filled triangles (SOLID).
    void Arrow(Pt tip, Pt direction, const unsigned char* r, const DL_Attributes& attributes) {
        auto style = [&](int index) { return At<float>(r, L::kDimStyle + 4 * index); };
        double length = style(kDimArrowLength), height = style(kDimArrowHeight);
        if (!(length > 0) || !(height > 0)) return;
        Pt d = direction * (1 / std::max(Norm(direction), 1e-300));
        Pt base = tip + d * length, side = Perp(d) * (height / 2);
        Pt b1 = base + side, b2 = base - side;
        dxf_.writeSolid(dw_, DL_SolidData(tip.x, tip.y, 0, b1.x, b1.y, 0, b2.x, b2.y, 0, b2.x, b2.y, 0, 0), attributes);
    }

    void DimensionText(const unsigned char* r, const std::string& value, Pt pos, const DL_Attributes& attributes) {
        const double height = At<float>(r, L::kDimStyle + 4 * kDimTextHeight);
        dxf_.writeText(dw_, DL_TextData(pos.x, pos.y, 0, pos.x, pos.y, 0, height > 0 ? height : kDefaultDimTextHeight, 1,
                                        0, 1, 2, io::StringToDxf(value), "STANDARD", 0),
                       attributes);
    }

    static std::string Fixed(const unsigned char* r, double value) {
        const float decimals = At<float>(r, L::kDimStyle + 4 * 9);
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", std::isfinite(decimals) ? std::clamp(static_cast<int>(decimals), 0, 8) : 2, value);
        return text;
    }

    void WriteDimensionPicture(const unsigned char* r, const DL_Attributes& attributes) {
        auto line = [&](Pt a, Pt b) { dxf_.writeLine(dw_, DL_LineData(a.x, a.y, 0, b.x, b.y, 0), attributes); };
        auto arc = [&](Pt c, double radius, double start, double sweep) {
            dxf_.writeArc(dw_, DL_ArcData(c.x, c.y, 0, radius, start * kRadian, (start + sweep) * kRadian), attributes);
        };
        auto style = [&](int index) { return At<float>(r, L::kDimStyle + 4 * index); };
        const uint32_t n = L::LengthOf(r);
        switch (r[L::kType]) {
        case L::kDimArc: {
            if (n < L::kDim30Length) break;
            Pt c = PointAt(r, L::kDim30Centre);
            double radius = At<double>(r, L::kDim30Radius), start = At<double>(r, L::kDim30Start);
            double sweep = At<double>(r, L::kDim30Sweep);
            arc(c, radius, start, sweep);
            double extend = style(kDimExtendPastText), offset = style(kDimOffsetDimPoint);
            for (auto [angle, distance] : {std::pair{start, At<double>(r, L::kDim30Dist1)},
                                           std::pair{start + sweep, At<double>(r, L::kDim30Dist2)}}) {
                if (std::fabs(radius - distance) <= 1e-9) continue;
                double sign = radius > distance ? 1 : -1;
                Pt u{std::cos(angle), std::sin(angle)};
                line(c + u * (distance + sign * offset), c + u * (radius + sign * extend));
            }
            Arrow(Polar(c, radius, start), Perp({std::cos(start), std::sin(start)}), r, attributes);
            Arrow(Polar(c, radius, start + sweep), Perp({std::cos(start + sweep), std::sin(start + sweep)}) * -1, r, attributes);
            double height = style(kDimTextHeight) > 0 ? style(kDimTextHeight) : kDefaultDimTextHeight;
            double gap = style(3) > 0 ? style(3) : 0;
            Pt text = (r[L::kDim30Flags] & kDimTextPlaced) ? PointAt(r, L::kDim30Text)
                                                           : Polar(c, radius + gap + height, start + sweep / 2);
            DimensionText(r, Fixed(r, sweep * kRadian) + "\xc2\xb0", text, attributes);
            break;
        }
        case L::kDimLinear: {
            if (n < L::kDim28Length) break;
            Pt p1 = PointAt(r, L::kDim28P1), p2 = PointAt(r, L::kDim28P2), on = PointAt(r, L::kDim28Line);
            double length = Norm(p2 - p1);
            Pt normal = length > 0 ? Perp(p2 - p1) * (1 / length) : Pt{0, 1};
            double h = Dot(on - p1, normal);
            Pt f1 = p1 + normal * h, f2 = p2 + normal * h;
            line(p1, f1), line(p2, f2), line(f1, f2);
            Arrow(f1, f2 - f1, r, attributes);
            Arrow(f2, f1 - f2, r, attributes);
            DimensionText(r, Fixed(r, length), PointAt(r, L::kDim28Text), attributes);
            break;
        }
        case L::kDimAngular: {
            if (n < L::kDim29Length) break;
            Pt v = PointAt(r, L::kDim29Vertex), p1 = PointAt(r, L::kDim29P1), p2 = PointAt(r, L::kDim29P2);
            double a1 = std::atan2(p1.y - v.y, p1.x - v.x), a2 = std::atan2(p2.y - v.y, p2.x - v.x);
            double sweep = std::fmod(a2 - a1 + 4 * kPi, 2 * kPi);
            line(v, p1), line(v, p2);
            arc(v, Norm(PointAt(r, L::kDim29Arc) - v), a1, sweep);
            DimensionText(r, Fixed(r, sweep * kRadian) + "\xc2\xb0", PointAt(r, L::kDim29Text), attributes);
            break;
        }
        case L::kDimRadial: {
            if (n < L::kDim31Length) break;
            Pt c = PointAt(r, L::kDim31Centre), p = PointAt(r, L::kDim31Point);
            line(c, p);
            Arrow(p, c - p, r, attributes);
            DimensionText(r, "R" + Fixed(r, Norm(p - c)), PointAt(r, L::kDim31Text), attributes);
            break;
        }
        default: break;
        }
    }

    // A DIMENSION entity: its kind's defining points, the block that draws it, and the host
    // record in extended data.
    void WriteDimension(const unsigned char* r, const DL_Attributes& attributes) {
        const uint32_t n = L::LengthOf(r);
        std::string key(reinterpret_cast<const char*>(r), n);
        if (collecting_) {
            if (dimensionByKey_.emplace(key, dimensions_.size()).second)
                dimensions_.push_back({"*D" + std::to_string(dimensions_.size() + 1), Record(r, r + n)});
            return;
        }
        auto found = dimensionByKey_.find(key);
        if (found == dimensionByKey_.end()) return;
        using G = io::DxfGroup;
        auto real = [](int code, double value) { G g{G::kReal, code, {}}; g.real = value; return g; };
        auto point = [&](int code, Pt p) { return std::vector<G>{real(code, p.x), real(code + 10, p.y), real(code + 20, 0)}; };
        std::vector<G> groups = {{G::kText, 100, "AcDbDimension"}, {G::kText, 2, dimensions_[found->second].name}};
        std::vector<G> defining, specific;
        Pt textAt{};
        int kind = 0;
        switch (r[L::kType]) {
        case L::kDimLinear: {
            Pt p1 = PointAt(r, L::kDim28P1), p2 = PointAt(r, L::kDim28P2), on = PointAt(r, L::kDim28Line);
            double length = Norm(p2 - p1);
            Pt normal = length > 0 ? Perp(p2 - p1) * (1 / length) : Pt{0, 1};
            defining = point(10, p2 + normal * Dot(on - p1, normal));
            textAt = PointAt(r, L::kDim28Text);
            kind = 1;  // aligned
            specific = {{G::kText, 100, "AcDbAlignedDimension"}};
            for (const G& g : point(13, p1)) specific.push_back(g);
            for (const G& g : point(14, p2)) specific.push_back(g);
            break;
        }
        case L::kDimAngular: {
            defining = point(10, PointAt(r, L::kDim29Arc));
            textAt = PointAt(r, L::kDim29Text);
            kind = 5;
            specific = {{G::kText, 100, "AcDb3PointAngularDimension"}};
            for (int code : {13, 14, 15})
                for (const G& g : point(code, PointAt(r, code == 13 ? L::kDim29P1 : code == 14 ? L::kDim29P2 : L::kDim29Vertex)))
                    specific.push_back(g);
            break;
        }
        case L::kDimArc: {
            Pt c = PointAt(r, L::kDim30Centre);
            double radius = At<double>(r, L::kDim30Radius), start = At<double>(r, L::kDim30Start);
            double sweep = At<double>(r, L::kDim30Sweep);
            defining = point(10, Polar(c, radius, start + sweep / 2));
            textAt = (r[L::kDim30Flags] & kDimTextPlaced) ? PointAt(r, L::kDim30Text) : Polar(c, radius, start + sweep / 2);
            kind = 5;
            specific = {{G::kText, 100, "AcDb3PointAngularDimension"}};
            for (const G& g : point(13, Polar(c, radius, start))) specific.push_back(g);
            for (const G& g : point(14, Polar(c, radius, start + sweep))) specific.push_back(g);
            for (const G& g : point(15, c)) specific.push_back(g);
            break;
        }
        case L::kDimRadial: {
            defining = point(10, PointAt(r, L::kDim31Centre));
            textAt = PointAt(r, L::kDim31Text);
            kind = 4;
            specific = {{G::kText, 100, "AcDbRadialDimension"}};
            for (const G& g : point(15, PointAt(r, L::kDim31Point))) specific.push_back(g);
            specific.push_back(real(40, 0));
            break;
        }
        default: return;
        }
        groups.insert(groups.end(), defining.begin(), defining.end());
        for (const G& g : point(11, textAt)) groups.push_back(g);
        G type{G::kWhole, 70, {}};
        type.whole = kind | 32 | 128;  // the block is this dimension's own; the text stands where the host put it
        groups.push_back(type);
        groups.push_back({G::kText, 3, "STANDARD"});
        groups.insert(groups.end(), specific.begin(), specific.end());
        for (const G& g : io::RecordGroups(r, n)) groups.push_back(g);
        dw_.entity("DIMENSION");
        dw_.dxfString(100, "AcDbEntity");
        dw_.entityAttributes(attributes);
        WriteGroups(groups);
    }

    void WriteRecord(const unsigned char* r) {
        DL_Attributes attributes = Attributes(r);
        uint32_t n = L::LengthOf(r);
        const int type = r[L::kType];
        if (type >= L::kDimLinear && type <= L::kDimRadial) return WriteDimension(r, attributes);
        if (type == L::kText && n > L::kTextString) return WriteText(r + L::kTextData, CString(r, L::kTextString), attributes);
        if (type == L::kTextBearing && n > L::kTbString) {
            // The text, carrying the record (its anchor has no place in a TEXT).
            WriteText(r + L::kTbData, CString(r, L::kTbString), attributes);
            if (!collecting_) WriteGroups(io::RecordGroups(r, n));
            return;
        }
        if (type == L::kAttribute && n >= L::kAttVariable) return WriteAttributeDefinition(r, attributes);
        if (collecting_) return;
        WriteShape(r, attributes);
        if (Fillable(r)) WriteFill(r, {Record(r, r + n)});
    }

    void WriteShape(const unsigned char* r, const DL_Attributes& attributes) {
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
            // point (as the host's commands store a polygon, and as the import adds it) would
            // be one vertex too many. A polygon stored without that repeat says so, and the
            // import gives back its corners as they were.
            const bool repeated = points.size() > 2 && points.front().x == points.back().x && points.front().y == points.back().y;
            if (closed && repeated) points.pop_back();
            WritePolyline(points, closed, attributes);
            if (closed && !repeated && !points.empty())
                WriteGroups({{io::DxfGroup::kText, 1001, io::kQuilletApp}, {io::DxfGroup::kText, 1000, io::kCornersAsStored}});
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
        case L::kWall: {
            // The wall's outline, carrying the record.
            std::vector<Pt> corners = io::OutlineCorners(r);
            WritePolyline(corners, true, attributes);
            if (!corners.empty()) WriteGroups(io::RecordGroups(r, n));
            break;
        }
        default: {
            // The outline; a single one carries the record, which the import takes back when
            // the outline is still the record's.
            std::vector<std::vector<Pt>> pieces = FlattenEntity(r);
            for (std::vector<Pt>& piece : pieces) {
                bool closed = piece.size() > 2 && piece.front().x == piece.back().x && piece.front().y == piece.back().y;
                if (closed) piece.pop_back();
                WritePolyline(piece, closed, attributes);
                if (pieces.size() == 1 && !piece.empty()) WriteGroups(io::RecordGroups(r, n));
            }
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
    bool collecting_ = false;
    std::vector<GroupBlock> groups_;
    std::map<std::string, size_t> groupByKey_;
    std::vector<DimensionBlock> dimensions_;
    std::map<std::string, size_t> dimensionByKey_;
    std::set<TextStyleKey> textStyles_;
};

// The font file of a text style: the stroke font's shape file, or the TrueType file of the
// family (DejaVu Sans Bold: DejaVuSans-Bold.ttf).
std::string FontFile(const TextStyleKey& key, bool stroke) {
    std::string file;
    for (char c : key.font)
        if (c != ' ') file += c;
    if (stroke) return file + ".shx";
    if (key.bold || key.italic) file += std::string("-") + (key.bold ? "Bold" : "") + (key.italic ? "Oblique" : "");
    return file + ".ttf";
}

void WriteTables(DL_Dxf& dxf, DL_WriterA& dw, const Tables& tables, const Exporter& exporter) {
    const std::vector<BlockInfo>& blocks = exporter.blocks();
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
    dw.tableStyle(static_cast<int>(1 + exporter.textStyles().size()));
    dxf.writeStyle(dw, DL_StyleData("STANDARD", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    for (const TextStyleKey& key : exporter.textStyles()) {
        bool stroke = false;
        for (const TableEntry& entry : TableEntries(tables.fonts, kTableEntries))
            if (EntryText(tables.fonts, entry, kFontName) == key.font)
                stroke = entry.length > kFontKind && tables.fonts[entry.offset + kFontKind] != 1;
        dxf.writeStyle(dw, DL_StyleData(key.Name(), 0, 0.0, 1.0, key.italic ? 15.0 : 0.0, 0, 2.5, FontFile(key, stroke), ""));
        // The family and its bold and italic flags, as CAD programs keep them for TrueType fonts.
        dw.dxfString(1001, "ACAD");
        dw.dxfString(1000, key.font);
        dw.dxfInt(1071, 34 | (key.bold ? 0x1000000 : 0) | (key.italic ? 0x2000000 : 0));
    }
    dw.tableEnd();
    dxf.writeView(dw);
    dxf.writeUcs(dw);
    dw.tableAppid(2);
    dxf.writeAppid(dw, "ACAD");
    dxf.writeAppid(dw, io::kQuilletApp);
    dw.tableEnd();
    dxf.writeDimStyle(dw, 1, 1, 1, 1, 1);
    dxf.writeBlockRecord(dw);
    for (const BlockInfo& block : blocks) dxf.writeBlockRecord(dw, block.name);
    for (const DimensionBlock& block : exporter.dimensionBlocks()) dxf.writeBlockRecord(dw, block.name);
    for (const std::string& name : exporter.GroupBlockNames()) dxf.writeBlockRecord(dw, name);
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
            exporter.Collect(list);
            dxf.writeHeader(dw);
            dw.sectionEnd();
            WriteTables(dxf, dw, tables, exporter);
            dw.sectionBlocks();
            for (const char* space : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
                dxf.writeBlock(dw, DL_BlockData(space, 0, 0.0, 0.0, 0.0));
                dxf.writeEndBlock(dw, space);
            }
            exporter.WriteBlocks();
            exporter.WriteDimensionBlocks();
            exporter.WriteGroupBlocks();
            dw.sectionEnd();
            dw.sectionEntities();
            exporter.WriteList(list, Matrix::Identity(), 0);
            dw.sectionEnd();
            dw.Hold();
            dxf.writeObjects(dw);
            dxf.writeObjectsEnd(dw);
            dw.Raw(WithOwners(dw.TakeHeld()));
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

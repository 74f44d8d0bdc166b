// DXF import through dxflib: lines, polylines (closed ones as polygons, bulges flattened),
// circles, arcs, ellipses, texts, points, layers, and block inserts as symbol references
// with their members (or exploded). Hatches and entities the host has no form for are
// skipped.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-copy"
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/geometry/layouts.h"
#include "host/io/drawing_io.h"
#include "host/io/dxf_common.h"

namespace qlhost {
namespace {

namespace L = layout;

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180;
constexpr int kMaxBlockDepth = 16;
// Entities and inserts visited while expanding the blocks: nested inserts multiply, so a small
// file could otherwise ask for billions of entities.
constexpr size_t kMaxExpandedItems = 4'000'000;
constexpr double kBulgeStep = kPi / 32;  // largest angle of one chord of a flattened bulge
constexpr int kMaxBulgeChords = 64;
constexpr int kMaxArrayCopies = 10000;
constexpr size_t kMaxPolylinePoints = 65535;

// An entity in the coordinates of its block (or of the drawing), with its members; an
// insert names its block and is expanded once every block is known.
struct Item {
    Record record;
    std::vector<Item> members;
    std::string block;  // insert: block name
    Matrix place = Matrix::Identity();  // insert: block coordinates -> the containing coordinates
};

struct Block {
    Pt base;
    std::vector<Item> items;
};

class Importer : public DL_CreationAdapter {
public:
    Importer(Tables& tables, const DxfImportOptions& options) : tables_(tables), options_(options) {}

    void addLayer(const DL_LayerData& data) override {
        int color = getAttributes().getColor();
        uint32_t flags = ((data.flags & 1) ? kLayerFrozen : 0) | (color < 0 || data.off ? kLayerHidden : 0);
        int number = AddLayer(tables_, data.name, flags);
        if (unsigned char* entry = FindLayer(tables_, number)) std::memcpy(entry + kLayerFlags, &flags, 4);
        layerColors_[data.name] = color;
    }

    void addBlock(const DL_BlockData& data) override {
        FinishPolyline();
        // Model and paper space blocks hold nothing the drawing needs.
        if (!data.name.empty() && data.name[0] == '*') {
            target_ = &discard_;
            return;
        }
        Block& block = blocks_[data.name];
        block.base = {data.bpx, data.bpy};
        block.items.clear();
        target_ = &block.items;
    }

    void endBlock() override {
        FinishPolyline();
        discard_.clear();
        target_ = &top_;
    }

    void endSection() override { FinishPolyline(); }
    void endSequence() override { FinishPolyline(); }

    void addPoint(const DL_PointData& d) override { Add(MakePoint(d.x, d.y)); }
    void addLine(const DL_LineData& d) override { Add(MakeLine(d.x1, d.y1, d.x2, d.y2)); }
    void addCircle(const DL_CircleData& d) override { Add(MakeCircle(d.cx, d.cy, d.radius)); }

    void addArc(const DL_ArcData& d) override {
        double sweep = std::fmod(d.angle2 - d.angle1, 360.0);
        if (sweep <= 0) sweep += 360;
        Add(MakeArc(d.cx, d.cy, d.radius, d.angle1 * kDegree, sweep * kDegree));
    }

    void addEllipse(const DL_EllipseData& d) override {
        double sweep = d.angle2 - d.angle1;
        if (std::fabs(std::fabs(sweep) - 2 * kPi) < 1e-12 || sweep == 0) {
            Add(MakeEllipse(d.cx, d.cy, d.mx, d.my, d.ratio));
            return;
        }
        sweep = std::fmod(sweep, 2 * kPi);
        if (sweep <= 0) sweep += 2 * kPi;
        Add(MakeEllipseArc(d.cx, d.cy, d.mx, d.my, d.ratio, d.angle1, sweep));
    }

    void addPolyline(const DL_PolylineData& d) override {
        FinishPolyline();
        polyline_ = true;
        closed_ = d.flags & 1;
        vertices_.clear();
        bulges_.clear();
        polylineAttributes_ = getAttributes();
    }

    void addVertex(const DL_VertexData& d) override {
        if (!polyline_) return;
        vertices_.push_back({d.x, d.y});
        bulges_.push_back(d.bulge);
    }

    void addText(const DL_TextData& d) override {
        int justification = io::JustificationFromDxf(d.hJustification, d.vJustification);
        bool atStart = (d.hJustification == 0 && d.vJustification == 0) || d.hJustification == 3 || d.hJustification == 5;
        TextStyle style;
        style.height = d.height;
        style.angle = d.angle;
        style.justification = justification;
        style.widthFactor = d.xScaleFactor > 0 ? d.xScaleFactor : 1;
        Add(MakeText(atStart ? d.ipx : d.apx, atStart ? d.ipy : d.apy, style, io::StringFromDxf(d.text)));
    }

    void addMTextChunk(const std::string& text) override { mtext_ += text; }

    void addMText(const DL_MTextData& d) override {
        TextStyle style;
        style.height = d.height;
        style.angle = d.angle != 0 || (d.dirx == 0 && d.diry == 0) ? d.angle : std::atan2(d.diry, d.dirx);
        style.justification = io::JustificationFromAttachment(d.attachmentPoint);
        if (d.lineSpacingFactor > 0) style.lineSpacing = 150 * d.lineSpacingFactor;
        std::string text = io::StringFromDxf(io::MTextToString(mtext_ + d.text));
        mtext_.clear();
        Add(MakeText(d.ipx, d.ipy, style, text));
    }

    void addInsert(const DL_InsertData& d) override {
        FinishPolyline();
        int cols = std::max(d.cols, 1), rows = std::max(d.rows, 1);
        if (static_cast<long>(cols) * rows > kMaxArrayCopies) cols = rows = 1;
        double angle = d.angle * kDegree;
        double sx = d.sx == 0 ? 1 : d.sx, sy = d.sy == 0 ? 1 : d.sy;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                Item item;
                item.block = d.name;
                Pt step = {c * d.colSp, r * d.rowSp};
                Pt at = Pt{d.ipx, d.ipy} + Pt{step.x * std::cos(angle) - step.y * std::sin(angle),
                                              step.x * std::sin(angle) + step.y * std::cos(angle)};
                item.place = Then(Matrix::Scaling(sx, sy), Then(Matrix::Rotation(angle), Matrix::Translation(at.x, at.y)));
                item.record = Attributes(MakeHeader(L::kGroup, L::kGroupLength), getAttributes());
                target_->push_back(std::move(item));
            }
    }

    // Appends the imported entities to a list.
    // False (nothing stored) when the inserts expand beyond kMaxExpandedItems.
    bool Store(HostList& list) {
        FinishPolyline();
        size_t visits = 0;
        for (const Item& item : top_)
            if (!CountItem(item, 0, visits)) return false;
        for (Item& item : top_) StoreItem(item, list, Matrix::Identity(), 0);
        return true;
    }

private:
    Record Attributes(Record record, const DL_Attributes& attributes) {
        const std::string& layerName = attributes.getLayer().empty() ? std::string("0") : attributes.getLayer();
        uint16_t layer = static_cast<uint16_t>(AddLayer(tables_, layerName, 0));
        int aci = attributes.getColor();
        if (aci == 256) aci = layerColors_.count(layerName) ? layerColors_[layerName] : 7;
        uint32_t color = static_cast<uint32_t>(io::PaletteFromAci(aci));
        std::string linetype = attributes.getLinetype();
        if (linetype == "BYLAYER" || linetype == "BYBLOCK") linetype = "CONTINUOUS";
        uint16_t style = static_cast<uint16_t>(io::LineStyleFromLinetype(tables_, linetype));
        L::Put(record.data(), static_cast<uint32_t>(record.size()), L::kLayer, layer);
        L::Put(record.data(), static_cast<uint32_t>(record.size()), kHdrColor, color);
        L::Put(record.data(), static_cast<uint32_t>(record.size()), L::kLineStyle, style);
        return record;
    }

    void Add(Record record) {
        FinishPolyline();
        Item item;
        item.record = Attributes(std::move(record), getAttributes());
        target_->push_back(std::move(item));
    }

    void FinishPolyline() {
        if (!polyline_) return;
        polyline_ = false;
        std::vector<Pt> points;
        size_t n = vertices_.size();
        for (size_t i = 0; i < n; ++i) {
            points.push_back(vertices_[i]);
            bool last = i + 1 == n;
            if (bulges_[i] != 0 && (!last || closed_)) AddBulge(points, vertices_[i], vertices_[last ? 0 : i + 1], bulges_[i]);
        }
        // A closed polyline ends on its first point again, as the host stores a drawn one.
        const bool open = !points.empty() && (points.back().x != points.front().x || points.back().y != points.front().y);
        if (closed_ && open && points.size() < kMaxPolylinePoints) points.push_back(points.front());
        if (points.empty() || points.size() > kMaxPolylinePoints) return;
        Item item;
        item.record = Attributes(MakePath(points, closed_), polylineAttributes_);
        target_->push_back(std::move(item));
    }

    // The inner points of a bulged segment: an arc of angle 4 atan(bulge), left of the chord
    // for a positive bulge.
    static void AddBulge(std::vector<Pt>& points, Pt a, Pt b, double bulge) {
        double theta = 4 * std::atan(bulge);
        Pt chord = b - a;
        double d = Norm(chord);
        if (d == 0 || !std::isfinite(theta)) return;
        Pt centre = Lerp(a, b, 0.5) + Perp(chord) * (1 / d) * ((d / 2) / std::tan(theta / 2));
        double radius = Norm(a - centre), start = std::atan2(a.y - centre.y, a.x - centre.x);
        int chords = std::clamp(static_cast<int>(std::ceil(std::fabs(theta) / kBulgeStep)), 1, kMaxBulgeChords);
        for (int k = 1; k < chords; ++k) points.push_back(Polar(centre, radius, start + theta * k / chords));
    }

    uint32_t Definition(const std::string& name, const Block& block) {
        auto it = definitions_.find(name);
        if (it != definitions_.end()) return it->second;
        return definitions_[name] = RegisterSymbolDefinition(block.base.x, block.base.y, name);
    }

    // The block an insert expands into, or null: unknown, too deep, or already being expanded
    // (a block that inserts itself, directly or through others, is not drawn again).
    const Block* Expandable(const Item& item, int depth) const {
        auto found = blocks_.find(item.block);
        if (found == blocks_.end() || depth >= kMaxBlockDepth) return nullptr;
        if (std::find(open_.begin(), open_.end(), item.block) != open_.end()) return nullptr;
        return &found->second;
    }

    bool CountItem(const Item& item, int depth, size_t& visits) {
        if (++visits > kMaxExpandedItems) return false;
        if (item.block.empty()) return true;
        const Block* block = Expandable(item, depth);
        if (!block) return true;
        open_.push_back(item.block);
        bool fits = true;
        for (const Item& member : block->items)
            if (!(fits = CountItem(member, depth + 1, visits))) break;
        open_.pop_back();
        return fits;
    }

    // world: definition coordinates of the list -> drawing coordinates (exploded inserts).
    void StoreItem(const Item& item, HostList& list, const Matrix& world, int depth) {
        if (item.block.empty()) {
            Record record = item.record;
            Record grown;
            if (!TransformRecord(record.data(), world, &grown)) record = std::move(grown);
            list.Append(record.data(), static_cast<uint32_t>(record.size()));
            return;
        }
        const Block* found = Expandable(item, depth);
        if (!found) return;
        const Block& block = *found;
        open_.push_back(item.block);
        StoreInsert(item, block, list, world, depth);
        open_.pop_back();
    }

    void StoreInsert(const Item& item, const Block& block, HostList& list, const Matrix& world, int depth) {
        // A block point p lies at place (p - base); the reference shows members at M p - base.
        Matrix toBlock = Then(Matrix::Translation(-block.base.x, -block.base.y), item.place);
        if (options_.explodeInserts) {
            for (const Item& member : block.items) StoreItem(member, list, Then(toBlock, world), depth + 1);
            return;
        }
        Matrix m = Then(Then(toBlock, Matrix::Translation(block.base.x, block.base.y)), world);
        double matrix12[12];
        for (int i = 0; i < 12; ++i) matrix12[i] = m.m[i];
        Record ref = MakeSymbolRef(Definition(item.block, block), matrix12, item.block);
        std::memcpy(ref.data() + L::kAttr5, item.record.data() + L::kAttr5, L::kHeaderSize - L::kAttr5);
        Node* node = list.Append(ref.data(), static_cast<uint32_t>(ref.size()));
        if (!node) return;
        HostList* members = list.Children(node);
        for (const Item& member : block.items) StoreItem(member, *members, Matrix::Identity(), depth + 1);
    }

    Tables& tables_;
    const DxfImportOptions& options_;
    std::vector<Item> top_, discard_;
    std::vector<Item>* target_ = &top_;
    std::map<std::string, Block> blocks_;
    std::map<std::string, uint32_t> definitions_;
    std::vector<std::string> open_;  // the blocks being expanded, outermost first
    std::map<std::string, int> layerColors_;
    bool polyline_ = false, closed_ = false;
    std::vector<Pt> vertices_;
    std::vector<double> bulges_;
    DL_Attributes polylineAttributes_;
    std::string mtext_;
};

}  // namespace

bool ImportDxf(const std::string& path, HostList& into, std::string& error, const DxfImportOptions& options) {
    if (!into.drawing) {
        error = path + ": the list belongs to no drawing";
        return false;
    }
    Importer importer(into.drawing->tables, options);
    DL_Dxf dxf;
    bool read = false;
    try {
        read = dxf.in(path, &importer);
    } catch (...) {
        read = false;
    }
    if (!read) {
        error = path + ": cannot read as DXF";
        return false;
    }
    if (!importer.Store(into)) {
        error = path + ": the block inserts expand to more than " + std::to_string(kMaxExpandedItems) +
                " entities";
        return false;
    }
    return true;
}

bool ImportDxf(const std::string& path, HostList& into, std::string& error) {
    return ImportDxf(path, into, error, DxfImportOptions{});
}

}  // namespace qlhost

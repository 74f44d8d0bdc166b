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
#include <sstream>
#include <unordered_map>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "host/io/dxf_common.h"
#include "host/io/dxf_scan.h"

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
constexpr size_t kMaxArrayCopies = 10000;
constexpr size_t kMaxPolylinePoints = 65535;

// Where an INSERT places its block: cols x rows copies, spaced along the insert's rotated axes.
struct Placement {
    Pt at;
    double angle = 0, sx = 1, sy = 1;
    Pt spacing;  // column and row spacing
    int cols = 1, rows = 1;

    size_t Copies() const { return static_cast<size_t>(cols) * static_cast<size_t>(rows); }
    // Block coordinates -> the containing coordinates, for the copy at row r, column c.
    Matrix Place(int r, int c) const {
        Pt step = {c * spacing.x, r * spacing.y};
        Pt p = at + Pt{step.x * std::cos(angle) - step.y * std::sin(angle), step.x * std::sin(angle) + step.y * std::cos(angle)};
        return Then(Matrix::Scaling(sx, sy), Then(Matrix::Rotation(angle), Matrix::Translation(p.x, p.y)));
    }
};

// An entity in the coordinates of its block (or of the drawing), with its members; an
// insert names its block and is expanded once every block is known, an array insert only
// after its copies have been counted.
struct Item {
    Record record;
    std::vector<Item> members;
    std::string block;  // insert: block name
    Placement placement;
};

// Layers by name without regard to case. The drawing's table is read once and the file's new
// layers are added to it in one go after the import, so that a file with tens of thousands of
// layers loads in linear time and a refused file leaves the table as it was.
class LayerIndex {
public:
    explicit LayerIndex(const Tables& tables) : used_(kLayerNumbers, false) {
        for (const TableEntry& entry : TableEntries(tables.layers, kTableEntries)) {
            const int number = EntryNumber(tables.layers, entry);
            numbers_.emplace(Lower(EntryText(tables.layers, entry, kLayerName)), number);
            used_[static_cast<size_t>(number)] = true;
            next_ = std::max(next_, number + 1);
        }
    }

    // The number of a layer name, a new one for a new name; -1 once every number is taken.
    int Number(const std::string& name) {
        auto [it, added] = numbers_.emplace(Lower(name), -1);
        if (!added) return it->second;
        while (next_ < kLayerNumbers && used_[static_cast<size_t>(next_)]) ++next_;
        if (next_ >= kLayerNumbers) {
            // Above the highest number every one is taken; look for a gap below it.
            while (gap_ < kLayerNumbers && used_[static_cast<size_t>(gap_)]) ++gap_;
            if (gap_ >= kLayerNumbers) {
                numbers_.erase(it);
                return -1;
            }
            next_ = gap_;
        }
        used_[static_cast<size_t>(next_)] = true;
        added_.emplace_back(next_, name);
        return it->second = next_;
    }

    void SetFlags(int number, uint32_t flags) { flags_[number] = flags; }

    // Adds the new layers to the table and sets the flags the file gave.
    void Apply(Tables& tables) const {
        std::vector<std::vector<unsigned char>> entries;
        for (const auto& [number, name] : added_) {
            std::vector<unsigned char> data(kLayerName - kEntryNumber + name.size() + 1, 0);
            const uint16_t n = static_cast<uint16_t>(number);
            std::memcpy(data.data(), &n, sizeof n);
            std::memcpy(data.data() + kLayerName - kEntryNumber, name.data(), name.size());
            entries.push_back(std::move(data));
        }
        AppendEntries(tables.layers, entries);
        for (const TableEntry& entry : TableEntries(tables.layers, kTableEntries)) {
            auto it = flags_.find(EntryNumber(tables.layers, entry));
            if (it != flags_.end() && entry.length >= kLayerFlags + 4)
                std::memcpy(tables.layers.data() + entry.offset + kLayerFlags, &it->second, 4);
        }
    }

private:
    static std::string Lower(std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return s;
    }

    std::unordered_map<std::string, int> numbers_;
    std::vector<bool> used_;
    int next_ = 0, gap_ = 0;
    std::vector<std::pair<int, std::string>> added_;
    std::unordered_map<int, uint32_t> flags_;
};

struct Block {
    Pt base;
    std::vector<Item> items;
};

class Importer : public DL_CreationAdapter {
public:
    Importer(Tables& tables, const DxfImportOptions& options) : tables_(tables), options_(options), layers_(tables) {}

    void addLayer(const DL_LayerData& data) override {
        int color = getAttributes().getColor();
        uint32_t flags = ((data.flags & 1) ? kLayerFrozen : 0) | (color < 0 || data.off ? kLayerHidden : 0);
        int number = LayerNumber(data.name);
        if (number >= 0) layers_.SetFlags(number, flags);
        layerColors_[data.name] = color;
    }

    // False when the file names more layers than the drawing can number.
    bool LayersFit() const { return layersFit_; }

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
        Item item;
        item.block = d.name;
        Placement& p = item.placement;
        p.cols = std::max(d.cols, 1);
        p.rows = std::max(d.rows, 1);
        if (p.Copies() > kMaxArrayCopies) p.cols = p.rows = 1;
        p.at = {d.ipx, d.ipy};
        p.angle = d.angle * kDegree;
        p.sx = d.sx == 0 ? 1 : d.sx;
        p.sy = d.sy == 0 ? 1 : d.sy;
        p.spacing = {d.colSp, d.rowSp};
        item.record = Attributes(MakeHeader(L::kGroup, L::kGroupLength), getAttributes());
        target_->push_back(std::move(item));
    }

    // Appends the imported entities to a list.
    // False (nothing stored) when the inserts expand beyond kMaxExpandedItems.
    bool Store(HostList& list) {
        FinishPolyline();
        size_t visits = 0;
        steps_ = 0;
        for (const Item& item : top_)
            if (!CountItem(item, 0, visits)) return false;
        layers_.Apply(tables_);
        for (Item& item : top_) StoreItem(item, list, Matrix::Identity(), 0);
        return true;
    }

private:
    Record Attributes(Record record, const DL_Attributes& attributes) {
        const std::string& layerName = attributes.getLayer().empty() ? std::string("0") : attributes.getLayer();
        uint16_t layer = static_cast<uint16_t>(std::max(LayerNumber(layerName), 0));
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

    int LayerNumber(const std::string& name) {
        int number = layers_.Number(name);
        layersFit_ &= number >= 0;
        return number;
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

    // Adds what an item expands to (every copy of an insert with its members) to visits; false
    // once that passes kMaxExpandedItems, before anything is allocated for it. A block's
    // members are counted once per insert and multiplied by its copies; steps_ bounds the
    // counting itself.
    bool CountItem(const Item& item, int depth, size_t& visits) {
        if (++steps_ > kMaxExpandedItems) return false;
        const Block* block = item.block.empty() ? nullptr : Expandable(item, depth);
        size_t inner = 0;
        if (block) {
            open_.push_back(item.block);
            bool fits = true;
            for (const Item& member : block->items)
                if (!(fits = CountItem(member, depth + 1, inner))) break;
            open_.pop_back();
            if (!fits) return false;
        }
        visits += item.placement.Copies() * (1 + inner);
        return visits <= kMaxExpandedItems;
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
        for (int r = 0; r < item.placement.rows; ++r)
            for (int c = 0; c < item.placement.cols; ++c)
                StoreInsert(item, item.placement.Place(r, c), block, list, world, depth);
        open_.pop_back();
    }

    void StoreInsert(const Item& item, const Matrix& place, const Block& block, HostList& list, const Matrix& world,
                     int depth) {
        // A block point p lies at place (p - base); the reference shows members at M p - base.
        Matrix toBlock = Then(Matrix::Translation(-block.base.x, -block.base.y), place);
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
    LayerIndex layers_;
    bool layersFit_ = true;
    size_t steps_ = 0;
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
    std::string text;
    if (!io::ScanDxf(path, text, error)) return false;
    Importer importer(into.drawing->tables, options);
    DL_Dxf dxf;
    bool read = false;
    try {
        std::istringstream stream(text);
        read = dxf.in(stream, &importer);
    } catch (...) {
        read = false;
    }
    if (!read) {
        error = path + ": cannot read as DXF";
        return false;
    }
    if (!importer.LayersFit()) {
        error = path + ": more layers than the drawing can hold (65536)";
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

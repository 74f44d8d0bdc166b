// DXF import through dxflib: lines, polylines (closed ones as polygons, bulges flattened),
// circles, arcs, ellipses, texts (font, bold and italic from their text style), points,
// layers, and block inserts as symbol references with their members (or exploded) and their
// attributes. The importer reads some entities from their own groups (host/io/dxf_entities.h):
// hatches become fills (of the outlines just before them when those are the hatch's paths),
// attribute definitions attributes, dimensions the host record they carry or the picture of
// their block. Entities the host has no form for are counted and named in one warning.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-copy"
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <unordered_map>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "host/io/dxf_common.h"
#include "host/io/dxf_entities.h"
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
    std::vector<Item> members;  // groups and filled containers
    std::string block;  // insert: block name
    Placement placement;
    std::vector<Item> attributes;  // insert: its attributes (at their own positions)
};

// The application name of the extended data that numbers the entities for the importer: the
// file's entities are numbered before dxflib reads them, so that each dxflib call can be
// matched with the entity's own groups.
constexpr char kIndexApp[] = "QLHOST-ENTITY";

// Entities of the file in order, with their groups (all of them for the entities the importer
// reads itself, the extended data of the others); the text dxflib reads, every entity of the
// BLOCKS and ENTITIES sections ending with its number.
struct Numbered {
    std::vector<io::DxfChunk> chunks;
    std::string text;
    bool entities = false;  // an ENTITIES section was seen
};

// Parts of other entities, and the frames of blocks: not entities of their own.
bool PartOfAnother(const std::string& type) {
    return type == "VERTEX" || type == "SEQEND" || type == "BLOCK" || type == "ENDBLK";
}

constexpr char kPaperSpace[] = " in paper space";

Numbered NumberEntities(const std::string& scanned) {
    Numbered out;
    out.text.reserve(scanned.size() + scanned.size() / 4);
    std::string section, block;
    bool numbering = false, whole = false, paperFlag = false;
    size_t at = 0;
    auto line = [&](std::string& into) {
        if (at >= scanned.size()) {
            into.clear();
            return;
        }
        size_t end = scanned.find('\n', at);
        if (end == std::string::npos) end = scanned.size();
        into.assign(scanned, at, end - at);
        at = end + 1;
    };
    auto close = [&]() {
        if (!numbering) return;
        out.text += "1001\n";
        out.text += kIndexApp;
        out.text += "\n1000\n" + std::to_string(out.chunks.size() - 1) + "\n";
        numbering = false;
    };
    std::string code, value;
    std::string previousValue;
    int previousCode = -1;
    while (at < scanned.size()) {
        line(code);
        line(value);
        const int c = std::atoi(code.c_str());
        if (c == 0) {
            close();
            std::string type = value;
            while (!type.empty() && (type.back() == ' ' || type.back() == '\r')) type.pop_back();
            while (!type.empty() && type.front() == ' ') type.erase(type.begin());
            if (type == "SECTION") section.clear();
            const bool inside = section == "ENTITIES" || section == "BLOCKS";
            if (type == "BLOCK" || type == "ENDBLK" || type == "SECTION") block.clear();
            if (inside && type != "SECTION" && type != "ENDSEC" && type != "EOF") {
                // Entities of paper space blocks are named as such in the warning.
                const bool paper = block.rfind("*paper_space", 0) == 0 && !PartOfAnother(type);
                out.chunks.push_back({paper ? type + kPaperSpace : type, {}});
                paperFlag = false;
                numbering = true;
                whole = type == "HATCH" || type == "ATTDEF" || type == "DIMENSION";
            }
        } else if (c == 2 && previousCode == 0 && previousValue == "SECTION") {
            section = value;
            while (!section.empty() && (section.back() == ' ' || section.back() == '\r')) section.pop_back();
            out.entities |= section == "ENTITIES";
        } else if (numbering && c == 67 && section == "ENTITIES" && std::atoi(value.c_str()) == 1 && !paperFlag) {
            paperFlag = true;  // an entity of paper space in the ENTITIES section
            out.chunks.back().type += kPaperSpace;
        } else if (numbering && c == 2 && !out.chunks.empty() && out.chunks.back().type == "BLOCK") {
            block.clear();
            for (char ch : value) block += ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch;
        } else if (numbering && (whole || c >= 1000)) {
            out.chunks.back().pairs.push_back({c, value});
        }
        out.text += code;
        out.text += '\n';
        out.text += value;
        out.text += '\n';
        previousCode = c;
        previousValue = value;
        while (!previousValue.empty() && (previousValue.back() == ' ' || previousValue.back() == '\r')) previousValue.pop_back();
    }
    close();
    return out;
}


// Text styles by name without regard to case: the host font and its bold and italic flags.
struct StyleFont {
    int font = 1;
    int flags = 0;
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
    Importer(Tables& tables, const DxfImportOptions& options, const std::vector<io::DxfChunk>& chunks)
        : tables_(tables), options_(options), fills_(tables), chunks_(chunks), handled_(chunks.size(), false), layers_(tables) {}

    // Extended data: the entity numbers, and the family and flags of text styles.
    void addXDataApp(const std::string& app) override {
        app_ = app;
        if (app == "ACAD") styleFamily_.clear(), styleFlags_ = 0;
    }
    void addXDataString(int code, const std::string& value) override {
        if (app_ == kIndexApp && code == 1000) {
            const long long index = std::atoll(value.c_str());
            if (index >= 0 && static_cast<size_t>(index) < chunks_.size()) Visit(static_cast<size_t>(index));
        } else if (app_ == "ACAD" && code == 1000 && styleFamily_.empty()) {
            styleFamily_ = value;
        }
    }
    void addXDataInt(int code, int value) override {
        if (app_ == "ACAD" && code == 1071) styleFlags_ = value;
    }

    void addTextStyle(const DL_StyleData& data) override {
        std::string family = styleFamily_;
        int flags = styleFlags_;
        styleFamily_.clear(), styleFlags_ = 0;
        // Without the family, the font file names it: DejaVuSans-BoldOblique.ttf.
        std::string file = data.primaryFontFile;
        size_t slash = file.find_last_of("/\\");
        if (slash != std::string::npos) file.erase(0, slash + 1);
        size_t dot = file.find_last_of('.');
        if (dot != std::string::npos) file.erase(dot);
        const std::string lower = Lower(file);
        StyleFont style;
        for (const char* suffix : {"-bolditalic", "-boldoblique", "-bold", "-italic", "-oblique"}) {
            const std::string s(suffix);
            if (lower.size() > s.size() && lower.compare(lower.size() - s.size(), s.size(), s) == 0) {
                if (s.find("bold") != std::string::npos) style.flags |= 0x10;
                if (s.find("italic") != std::string::npos || s.find("oblique") != std::string::npos) style.flags |= 0x20;
                file.erase(file.size() - s.size());
                break;
            }
        }
        if (!family.empty()) {
            style.flags = ((flags & 0x1000000) ? 0x10 : 0) | ((flags & 0x2000000) ? 0x20 : 0);  // bold, italic
            file = family;
        }
        style.font = FontNumber(file);
        styles_[Lower(data.name)] = style;
    }

    void addLayer(const DL_LayerData& data) override {
        styleFamily_.clear();
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
        // Model and paper space blocks hold nothing the drawing needs (entities in them are
        // not imported: they are named in the warning). Other anonymous blocks (dimensions,
        // hatches) are kept.
        const std::string lower = Lower(data.name);
        if (lower.rfind("*model_space", 0) == 0 || lower.rfind("*paper_space", 0) == 0) {
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
    // A 2-D solid: a filled triangle or quadrilateral (corners in the order 1 2 4 3).
    void addSolid(const DL_SolidData& d) override {
        if (current_ < chunks_.size()) {
            const std::vector<io::DxfPair> data = chunks_[current_].ExtendedData(io::kQuilletApp);
            if (!data.empty() && data[0].code == 1000 && data[0].value == io::kArrowhead) {
                FinishPolyline();
                Handled();
                return;
            }
        }
        std::vector<Pt> points = {{d.x[0], d.y[0]}, {d.x[1], d.y[1]}, {d.x[3], d.y[3]}, {d.x[2], d.y[2]}};
        if (points[2].x == points[3].x && points[2].y == points[3].y) points.erase(points.begin() + 2);
        Record record = Attributes(MakePath(points, true), getAttributes());
        io::DxfHatch solid;
        solid.solid = true;
        L::Put(record.data(), static_cast<uint32_t>(record.size()), L::kFillStyle, static_cast<uint16_t>(fills_.Number(solid)));
        L::Put(record.data(), static_cast<uint32_t>(record.size()), kHdrFillColor, L::Get<uint32_t>(record.data(), record.size(), kHdrColor));
        AddRecord(std::move(record));
    }
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
        polylineChunk_ = current_;
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

    // A text-bearing entity the host wrote, while the text is still its string.
    bool TakeCarriedText(const std::string& string) {
        if (current_ >= chunks_.size()) return false;
        Record carried = io::RecordFromChunk(chunks_[current_]);
        const uint32_t n = static_cast<uint32_t>(carried.size());
        if (n <= L::kTbString || carried[L::kType] != L::kTextBearing || carried.back() != 0 ||
            std::string(reinterpret_cast<const char*>(carried.data() + L::kTbString)) != string)
            return false;
        AddRecord(Attributes(std::move(carried), getAttributes()));
        return true;
    }

    void addText(const DL_TextData& d) override {
        if (TakeCarriedText(io::StringFromDxf(d.text))) return;
        double x, y;
        const TextStyle style = PlacedStyle(d, x, y);
        Add(MakeText(x, y, style, io::StringFromDxf(d.text)));
    }

    // An attribute of the insert just before it, at its own position.
    void addAttribute(const DL_AttributeData& d) override {
        FinishPolyline();
        Item* insert = nullptr;
        for (auto it = target_->rbegin(); it != target_->rend() && !insert; ++it)
            if (!it->block.empty()) insert = &*it;
        if (!insert || target_ == &discard_) return;
        Item item;
        item.record = Attributes(AttributeRecord(d, d.text, d.tag, "", 8), getAttributes());
        insert->attributes.push_back(std::move(item));
        Handled();
    }

    void addMTextChunk(const std::string& text) override { mtext_ += text; }

    void addMText(const DL_MTextData& d) override {
        TextStyle style = StyleOf(d.style);
        style.height = d.height;
        style.angle = d.angle != 0 || (d.dirx == 0 && d.diry == 0) ? d.angle : std::atan2(d.diry, d.dirx);
        style.justification = io::JustificationFromAttachment(d.attachmentPoint);
        if (d.lineSpacingFactor > 0) style.lineSpacing = 150 * d.lineSpacingFactor;
        std::string text = io::StringFromDxf(io::MTextToString(mtext_ + d.text));
        mtext_.clear();
        if (TakeCarriedText(text)) return;
        Add(MakeText(d.ipx, d.ipy, style, text));
    }

    void addInsert(const DL_InsertData& d) override {
        FinishPolyline();
        // A group the host wrote as an insert of its members' block.
        if (current_ < chunks_.size()) {
            Record carried = io::RecordFromChunk(chunks_[current_]);
            const int type = carried.empty() ? 0 : carried[L::kType];
            const bool fits = (type == L::kGroup && carried.size() == L::kGroupLength) ||
                              (type == L::kPathContainer && carried.size() == L::kPathContainerLength) ||
                              (type == L::kContainer && carried.size() == L::kContainerLength);
            if (fits && AddBlockGroup(d.name, Attributes(std::move(carried), getAttributes()))) return;
        }
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
        Handled();
    }

    // True when the file has entities and the host could take none of them.
    bool NoneTaken() const {
        bool any = false;
        for (size_t i = 0; i < chunks_.size(); ++i) {
            if (handled_[i]) return false;
            any |= !PartOfAnother(chunks_[i].type);
        }
        return any;
    }

    // The entities the host could not take, by type: "2 SPLINE, 1 LEADER"; empty when every
    // entity was taken.
    std::string Unhandled() const {
        std::map<std::string, size_t> counts;
        for (size_t i = 0; i < chunks_.size(); ++i)
            if (!handled_[i] && !PartOfAnother(chunks_[i].type)) ++counts[chunks_[i].type];
        std::string out;
        for (const auto& [type, count] : counts) out += (out.empty() ? "" : ", ") + std::to_string(count) + " " + type;
        return out;
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
        fills_.Apply();
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

    void Add(Record record) { AddRecord(Attributes(std::move(record), getAttributes())); }

    void AddRecord(Record record) {
        FinishPolyline();
        Item item;
        item.record = std::move(record);
        target_->push_back(std::move(item));
        Handled();
    }

    void Handled(size_t chunk) {
        if (target_ != &discard_ && chunk < handled_.size()) handled_[chunk] = true;
    }
    void Handled() { Handled(current_); }

    static std::string Lower(std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return s;
    }

    // The host font of a family or font file name (spaces and case aside); 1 when the drawing
    // has none by that name.
    int FontNumber(const std::string& name) {
        auto squeeze = [](const std::string& s) {
            std::string out;
            for (char c : Lower(s))
                if (c != ' ' && c != '_' && c != '-') out += c;
            return out;
        };
        const std::string wanted = squeeze(name);
        for (const TableEntry& entry : TableEntries(tables_.fonts, kTableEntries))
            if (!wanted.empty() && squeeze(EntryText(tables_.fonts, entry, kFontName)) == wanted)
                return EntryNumber(tables_.fonts, entry);
        return 1;
    }

    TextStyle StyleOf(const std::string& name) {
        TextStyle style;
        auto found = styles_.find(Lower(name));
        if (found != styles_.end()) style.font = found->second.font, style.flags = found->second.flags;
        return style;
    }

    // A text's style from its DXF style, height, angle, justification and width factor, and
    // the point it hangs from: the insertion point for left-aligned, aligned and fitted text,
    // the alignment point otherwise.
    TextStyle PlacedStyle(const DL_TextData& d, double& x, double& y) {
        const bool atStart = (d.hJustification == 0 && d.vJustification == 0) || d.hJustification == 3 || d.hJustification == 5;
        x = atStart ? d.ipx : d.apx;
        y = atStart ? d.ipy : d.apy;
        TextStyle style = StyleOf(d.style);
        style.height = d.height;
        style.angle = d.angle;
        style.justification = io::JustificationFromDxf(d.hJustification, d.vJustification);
        style.widthFactor = d.xScaleFactor > 0 ? d.xScaleFactor : 1;
        return style;
    }

    Record AttributeRecord(const DL_TextData& d, const std::string& value, const std::string& tag,
                           const std::string& prompt, uint16_t flags) {
        double x, y;
        const TextStyle style = PlacedStyle(d, x, y);
        return MakeAttribute(x, y, style,
                             std::optional<std::string>(io::StringFromDxf(value)), io::StringFromDxf(tag),
                             io::StringFromDxf(prompt), flags);
    }

    // The entity attributes of a chunk, read from its own groups (dxflib's are those of the
    // entity before it until the next entity starts).
    static DL_Attributes ChunkAttributes(const io::DxfChunk& chunk) {
        return DL_Attributes(chunk.Text(8, "0"), static_cast<int>(chunk.Whole(62, 256)), -1, chunk.Text(6, "BYLAYER"), 1.0);
    }

    // The entity numbered index has all its groups read; dxflib's call for it, if any, comes
    // when the next entity starts.
    void Visit(size_t index) {
        current_ = index;
        const io::DxfChunk& chunk = chunks_[index];
        // Paper space entities are not the drawing's: what dxflib reports of them is dropped
        // (and named in the warning).
        const std::string& type = chunk.type;
        const bool paper = type.size() > std::strlen(kPaperSpace) &&
                           type.compare(type.size() - std::strlen(kPaperSpace), std::string::npos, kPaperSpace) == 0;
        if (paper != (modelTarget_ != nullptr)) {
            FinishPolyline();
            if (paper) modelTarget_ = target_, target_ = &discard_;
            else target_ = modelTarget_, modelTarget_ = nullptr;
        }
        if (chunk.type == "HATCH") AddHatch(chunk);
        else if (chunk.type == "ATTDEF") AddAttributeDefinition(chunk);
        else if (chunk.type == "DIMENSION") AddDimension(chunk);
    }

    void AddAttributeDefinition(const io::DxfChunk& chunk) {
        DL_TextData d(chunk.Real(10), chunk.Real(20), 0, chunk.Real(11), chunk.Real(21), 0, chunk.Real(40, 2.5),
                      chunk.Real(41, 1), 0, static_cast<int>(chunk.Whole(72)), static_cast<int>(chunk.Whole(74)),
                      "", chunk.Text(7, "STANDARD"), chunk.Real(50) * kDegree);
        AddRecord(Attributes(AttributeRecord(d, chunk.Text(1), chunk.Text(2), chunk.Text(3), 0), ChunkAttributes(chunk)));
    }

    // The host record the dimension carries, or the picture of its block as a group.
    void AddDimension(const io::DxfChunk& chunk) {
        Record record = io::RecordFromChunk(chunk);
        const int type = record.empty() ? 0 : record[L::kType];
        const size_t lengths[] = {L::kDim28Length, L::kDim29Length, L::kDim30Length, L::kDim31Length};
        if (type >= L::kDimLinear && type <= L::kDimRadial && record.size() == lengths[type - L::kDimLinear]) {
            AddRecord(Attributes(std::move(record), ChunkAttributes(chunk)));
            return;
        }
        AddBlockGroup(chunk.Text(2), Attributes(MakeHeader(L::kGroup, L::kGroupLength), ChunkAttributes(chunk)));
    }

    // A group of a block's entities where the block has them; false for no such block.
    bool AddBlockGroup(const std::string& name, Record record) {
        auto block = blocks_.find(name);
        if (block == blocks_.end() || block->second.items.empty()) return false;
        FinishPolyline();
        Item group;
        group.record = std::move(record);
        Matrix toDrawing = Matrix::Translation(-block->second.base.x, -block->second.base.y);
        for (const Item& member : block->second.items) {
            Item placed = member;
            if (placed.block.empty() && placed.members.empty()) {
                Record grown;
                if (!TransformRecord(placed.record.data(), toDrawing, &grown)) placed.record = std::move(grown);
            }
            group.members.push_back(std::move(placed));
        }
        target_->push_back(std::move(group));
        Handled();
        return true;
    }

    // A closed outline's corners, a repeat of the first at the end left out.
    static std::vector<Pt> Corners(const Record& r) { return io::OutlineCorners(r.data()); }

    // True when an outline is a hatch path's record: the same circle or ellipse, or an outline
    // with the corners of the path's polygon.
    static bool SameShape(const Record& a, const Record& b) {
        if (a.size() < L::kHeaderSize || b.size() < L::kHeaderSize) return false;
        if (b[L::kType] != L::kPolygon)
            return a.size() == b.size() && a[L::kType] == b[L::kType] &&
                   std::equal(a.begin() + L::kHeaderSize, a.end(), b.begin() + L::kHeaderSize);
        const std::vector<Pt> x = Corners(a), y = Corners(b);
        if (x.empty() || x.size() != y.size()) return false;
        for (size_t i = 0; i < x.size(); ++i)
            if (x[i].x != y[i].x || x[i].y != y[i].y) return false;
        return true;
    }

    // A hatch fills the outlines just before it when they are its paths, on its layer and
    // not filled yet (as the export writes a fill: outline, then hatch); otherwise its paths
    // become filled outlines of their own. Several paths make a filled container.
    void AddHatch(const io::DxfChunk& chunk) {
        io::DxfHatch hatch;
        if (!io::ParseHatch(chunk, hatch) || hatch.paths.empty() || hatch.paths.size() > kMaxPolylinePoints) return;
        FinishPolyline();
        Record carried = io::RecordFromChunk(chunk);
        if (carried.size() != L::kGroupLength || carried[L::kType] != L::kFilledContainer) carried = MakeHeader(L::kFilledContainer, L::kGroupLength);
        // The layer is the file's; a carried container keeps its own colour (the hatch has the
        // fill colour).
        const uint32_t ownColor = L::Get<uint32_t>(carried.data(), carried.size(), kHdrColor);
        Record header = Attributes(std::move(carried), ChunkAttributes(chunk));
        const uint16_t fill = static_cast<uint16_t>(fills_.Number(hatch));
        const uint32_t fillColor = L::Get<uint32_t>(header.data(), header.size(), kHdrColor);
        const uint16_t layer = L::Get<uint16_t>(header.data(), header.size(), L::kLayer);
        std::vector<Record> paths;
        for (const io::HatchPath& path : hatch.paths) paths.push_back(io::PathRecord(path));
        auto fillRecord = [&](Record& r) {
            L::Put(r.data(), static_cast<uint32_t>(r.size()), L::kFillStyle, fill);
            L::Put(r.data(), static_cast<uint32_t>(r.size()), kHdrFillColor, fillColor);
        };
        const size_t k = paths.size();
        bool outlined = target_->size() >= k;
        for (size_t i = 0; outlined && i < k; ++i) {
            const Item& item = (*target_)[target_->size() - k + i];
            outlined = item.block.empty() && item.members.empty() && SameShape(item.record, paths[i]) &&
                       // not filled yet, or a carried record that has this fill already
                       (L::Get<uint16_t>(item.record.data(), item.record.size(), L::kFillStyle) == 0 ||
                        L::Get<uint16_t>(item.record.data(), item.record.size(), L::kFillStyle) == fill) &&
                       L::Get<uint16_t>(item.record.data(), item.record.size(), L::kLayer) == layer;
        }
        std::vector<Item> outlines;
        if (outlined) {
            outlines.assign(std::make_move_iterator(target_->end() - static_cast<std::ptrdiff_t>(k)),
                            std::make_move_iterator(target_->end()));
            target_->resize(target_->size() - k);
        } else {
            for (Record& path : paths) {
                Item item;
                item.record = Attributes(std::move(path), ChunkAttributes(chunk));
                outlines.push_back(std::move(item));
            }
        }
        if (k == 1) {
            fillRecord(outlines[0].record);
            target_->push_back(std::move(outlines[0]));
        } else {
            Item container;
            container.record = header;
            fillRecord(container.record);
            if (io::RecordFromChunk(chunk).size() == L::kGroupLength)
                L::Put(container.record.data(), static_cast<uint32_t>(container.record.size()), kHdrColor, ownColor);
            container.members = std::move(outlines);
            target_->push_back(std::move(container));
        }
        Handled();
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
        // A closed polyline ends on its first point again, as the host's commands store a drawn
        // one; not when the host wrote it without that repeat.
        const bool open = !points.empty() && (points.back().x != points.front().x || points.back().y != points.front().y);
        const bool asStored = polylineChunk_ < chunks_.size() && [&] {
            const std::vector<io::DxfPair> data = chunks_[polylineChunk_].ExtendedData(io::kQuilletApp);
            return !data.empty() && data[0].code == 1000 && data[0].value == io::kCornersAsStored;
        }();
        if (closed_ && open && !asStored && points.size() < kMaxPolylinePoints) points.push_back(points.front());
        if (points.empty() || points.size() > kMaxPolylinePoints) return;
        Item item;
        item.record = Attributes(Carried(points) ? carried_ : MakePath(points, closed_), polylineAttributes_);
        target_->push_back(std::move(item));
        Handled(polylineChunk_);
    }

    // True (the record in carried_) when the polyline carries a host record (a curve, a
    // wall) whose outline it still is.
    bool Carried(const std::vector<Pt>& points) {
        if (polylineChunk_ >= chunks_.size()) return false;
        carried_ = io::RecordFromChunk(chunks_[polylineChunk_]);
        // Only the records the export writes as polylines.
        const int type = carried_.empty() ? 0 : carried_[L::kType];
        if (type != L::kCurve && type != L::kClosedCurve && type != L::kWall && type != L::kBezier) return false;
        std::vector<Pt> outline = io::OutlineCorners(carried_.data());
        auto trim = [](std::vector<Pt>& p) {
            if (p.size() > 2 && p.front().x == p.back().x && p.front().y == p.back().y) p.pop_back();
        };
        std::vector<Pt> corners = points;
        trim(outline), trim(corners);
        if (outline.size() != corners.size()) return false;
        for (size_t i = 0; i < corners.size(); ++i)
            if (outline[i].x != corners[i].x || outline[i].y != corners[i].y) return false;
        return true;
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
            if (item.members.empty() && !TransformRecord(record.data(), world, &grown)) record = std::move(grown);
            Node* node = list.Append(record.data(), static_cast<uint32_t>(record.size()));
            if (!node || item.members.empty() || depth >= kMaxBlockDepth) return;
            HostList* members = list.Children(node);
            for (const Item& member : item.members) StoreItem(member, *members, world, depth + 1);
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
        // The block's attribute definitions give way to the insert's attributes of the same tag.
        std::set<std::string> tags;
        for (const Item& attribute : item.attributes) tags.insert(Tag(attribute.record));
        auto replaced = [&](const Item& member) {
            return member.block.empty() && !member.record.empty() && member.record[L::kType] == L::kAttribute &&
                   tags.count(Tag(member.record));
        };
        if (options_.explodeInserts) {
            for (const Item& member : block.items)
                if (!replaced(member)) StoreItem(member, list, Then(toBlock, world), depth + 1);
            for (const Item& attribute : item.attributes) StoreItem(attribute, list, world, depth + 1);
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
        for (const Item& member : block.items)
            if (!replaced(member)) StoreItem(member, *members, Matrix::Identity(), depth + 1);
        for (const Item& attribute : item.attributes) StoreItem(attribute, *members, world, depth + 1);
    }

    static std::string Tag(const Record& r) {
        const uint32_t n = static_cast<uint32_t>(r.size());
        const uint32_t at = L::Get<uint32_t>(r.data(), n, L::kAttPart1);
        if (at == 0 || at >= n) return {};
        const char* tag = reinterpret_cast<const char*>(r.data() + at);
        return std::string(tag, strnlen(tag, n - at));
    }

    Tables& tables_;
    const DxfImportOptions& options_;
    io::FillStyleIndex fills_;
    const std::vector<io::DxfChunk>& chunks_;
    std::vector<bool> handled_;
    size_t current_ = SIZE_MAX, polylineChunk_ = SIZE_MAX;
    std::string app_, styleFamily_;
    int styleFlags_ = 0;
    std::map<std::string, StyleFont> styles_;
    Record carried_;
    std::vector<Item>* modelTarget_ = nullptr;  // the target while paper space entities go to discard_
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
    if (options.warning) options.warning->clear();
    std::string scanned;
    if (!io::ScanDxf(path, scanned, error)) return false;
    const Numbered numbered = NumberEntities(scanned);
    scanned.clear();
    if (!numbered.entities) {
        error = path + ": no ENTITIES section; this is not a DXF drawing";
        return false;
    }
    Importer importer(into.drawing->tables, options, numbered.chunks);
    DL_Dxf dxf;
    bool read = false;
    try {
        std::istringstream stream(numbered.text);
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
    const std::string left = importer.Unhandled();
    // A file of nothing but what the host cannot hold would load as an empty drawing.
    if (importer.NoneTaken()) {
        error = path + ": none of its entities can be held by the host: " + left;
        return false;
    }
    if (!importer.Store(into)) {
        error = path + ": the block inserts expand to more than " + std::to_string(kMaxExpandedItems) +
                " entities";
        return false;
    }
    if (options.warning && !left.empty())
        *options.warning = path + ": entities the host cannot hold were left out: " + left;
    return true;
}

bool ImportDxf(const std::string& path, HostList& into, std::string& error) {
    return ImportDxf(path, into, error, DxfImportOptions{});
}

}  // namespace qlhost

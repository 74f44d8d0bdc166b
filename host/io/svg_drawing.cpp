// SVG picture of a drawing list: one group per visible layer (named by the layer), the
// entities of that layer inside it in list order, members of groups and symbols included.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/io/drawing_io.h"
#include "host/io/svg_entities.h"

namespace qlhost {
namespace {

namespace L = layout;
using io::RenderContext;
using io::SvgCanvas;

constexpr double kPicturePixels = 1200;
constexpr double kStrokeFraction = 1.0 / 1000;  // stroke width per larger side of the picture
constexpr uint16_t kKeepPosition = 8;           // attribute flags: position not moved by the symbol

int LayerOf(const Node& node) { return L::Get<uint16_t>(node.record(), node.length(), L::kLayer); }

class Painter {
public:
    Painter(const Tables* tables, const SvgOptions& options, SvgCanvas& canvas) : options_(options) {
        ctx_.canvas = &canvas;
        ctx_.tables = tables;
        if (!tables) return;
        for (const TableEntry& entry : TableEntries(tables->layers, kTableEntries)) {
            int number = EntryNumber(tables->layers, entry);
            if (EntryLayerFlags(*tables, entry) & kLayerHidden) hidden_.insert(number);
        }
    }

    bool Hidden(int layer) const { return hidden_.count(layer) != 0; }

    // Layers that hold at least one visible entity, anywhere in the list.
    void UsedLayers(const HostList& list, std::set<int>& used) const {
        for (const Node* node = list.head; node; node = node->next) {
            if (node->deleted()) continue;
            if (!Hidden(LayerOf(*node))) used.insert(LayerOf(*node));
            if (node->children) UsedLayers(*node->children, used);
        }
    }

    void Walk(const HostList& list, const Matrix& m, const Matrix& outer, int layer, bool highlighted) {
        for (const Node* node = list.head; node; node = node->next) {
            if (node->deleted()) continue;
            const bool own = !highlighted && options_.highlightSelected &&
                             (node->selected() || (options_.highlightMarked && (node->flags & Node::kHighlighted)));
            if (own) ctx_.canvas->BeginClassGroup("ql-selected");
            int type = node->type();
            bool keep = type == L::kAttribute &&
                        (L::Get<uint16_t>(node->record(), node->length(), L::kAttFlags) & kKeepPosition);
            const Matrix& mine = keep ? outer : m;
            if (LayerOf(*node) == layer && !Hidden(layer)) {
                if (type == L::kFilledContainer && node->children) FillContainer(*node, mine);
                io::RenderRecord(ctx_, node->record(), mine);
            }
            if (node->children) {
                Matrix inner = type == L::kSymbolRef ? Then(SymbolToWorld(node->record()), m) : m;
                Walk(*node->children, inner, m, layer, highlighted || own);
            }
            if (own) ctx_.canvas->EndGroup();
        }
    }

private:
    // A filled container's members together bound its fill (even-odd, as glyph outlines).
    void FillContainer(const Node& node, const Matrix& m) {
        std::vector<std::vector<Pt>> outlines;
        CollectOutlines(*node.children, m, outlines);
        std::string fill = ctx_.override.empty()
                               ? io::EntityColor(static_cast<int>(L::Get<uint32_t>(node.record(), node.length(), kHdrFillColor)))
                               : ctx_.override;
        io::RenderFill(ctx_, outlines, L::Get<uint16_t>(node.record(), node.length(), L::kFillStyle), fill);
    }

    // Open pieces that continue one another (the parts of one glyph outline) make one loop.
    static void AddOutline(std::vector<std::vector<Pt>>& outlines, std::vector<Pt> piece) {
        auto same = [](Pt a, Pt b) {
            return std::fabs(a.x - b.x) <= kSamePointTolerance && std::fabs(a.y - b.y) <= kSamePointTolerance;
        };
        if (!outlines.empty() && outlines.back().size() > 1 && !piece.empty() &&
            !same(outlines.back().front(), outlines.back().back()) && same(outlines.back().back(), piece.front())) {
            outlines.back().insert(outlines.back().end(), piece.begin() + 1, piece.end());
            return;
        }
        outlines.push_back(std::move(piece));
    }

    void CollectOutlines(const HostList& list, const Matrix& m, std::vector<std::vector<Pt>>& outlines) {
        for (const Node* member = list.head; member; member = member->next) {
            if (member->deleted()) continue;
            Record copy(member->record(), member->record() + member->length());
            Record grown;
            if (!TransformRecord(copy.data(), m, &grown)) copy = std::move(grown);
            for (auto& piece : FlattenEntity(copy.data())) AddOutline(outlines, std::move(piece));
            if (member->children) CollectOutlines(*member->children, m, outlines);
        }
    }

    std::set<int> hidden_;
    const SvgOptions& options_;
    RenderContext ctx_;
};

void Render(const HostList& list, const SvgOptions& options, SvgCanvas& canvas) {
    const Tables* tables = list.drawing ? &list.drawing->tables : nullptr;
    Painter painter(tables, options, canvas);
    std::set<int> used;
    painter.UsedLayers(list, used);
    std::vector<int> order;
    std::map<int, std::string> names;
    if (tables)
        for (const TableEntry& entry : TableEntries(tables->layers, kTableEntries)) {
            const int number = EntryNumber(tables->layers, entry);
            if (!used.erase(number)) continue;
            order.push_back(number);
            names.emplace(number, EntryText(tables->layers, entry, kLayerName));
        }
    order.insert(order.end(), used.begin(), used.end());
    std::set<std::string> ids;
    for (int layer : order) {
        std::string name = names.count(layer) ? names[layer] : "";
        if (name.empty()) name = "layer " + std::to_string(layer);
        std::string id = io::SvgId(name);
        for (int k = 2; !ids.insert(id).second; ++k) id = io::SvgId(name) + "_" + std::to_string(k);
        canvas.BeginGroup(id, name);
        painter.Walk(list, Matrix::Identity(), Matrix::Identity(), layer, false);
        canvas.EndGroup();
    }
}

}  // namespace

std::string DrawingToSvg(const HostList& list, const SvgOptions& options) {
    // The first pass finds the extent, which sets the stroke width of the second.
    SvgCanvas probe;
    Render(list, options, probe);
    SvgCanvas canvas;
    double side = probe.empty() ? 0 : std::max(probe.maxX() - probe.minX(), probe.maxY() - probe.minY());
    if (side > 0) canvas.SetUnit(side * kStrokeFraction);
    Render(list, options, canvas);
    return canvas.Document(options.margin, kPicturePixels);
}

bool WriteSvg(const std::string& path, const HostList& list, std::string& error) {
    return WriteWhole(path, DrawingToSvg(list), error);
}

}  // namespace qlhost

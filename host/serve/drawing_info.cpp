// The layer table and the selection as the page's panels show them.
#include "host/serve/drawing_info.h"

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/drawing/tables.h"
#include "host/drawing/layouts.h"
#include "host/io/svg_entities.h"
#include "host/script/entity_fields.h"

namespace qlhost::serve {
namespace {

namespace L = layout;
using nlohmann::json;

constexpr size_t kColorsShown = 4;  // colour swatches of one layer

struct LayerUse {
    size_t entities = 0;
    std::set<std::string> colors;
};

int LayerOf(const Node& node) { return L::Get<uint16_t>(node.record(), node.length(), L::kLayer); }

void CountLayers(const HostList& list, std::map<int, LayerUse>& uses) {
    for (const Node* node = list.head; node; node = node->next) {
        if (node->deleted() || node->type() == 0) continue;
        LayerUse& use = uses[LayerOf(*node)];
        ++use.entities;
        if (use.colors.size() < kColorsShown)
            use.colors.insert(io::EntityColor(static_cast<int>(L::Get<uint32_t>(node->record(), node->length(), L::kAttr6))));
        if (node->children) CountLayers(*node->children, uses);
    }
}

json LayerEntry(int number, const std::string& name, uint32_t flags, bool current, const LayerUse& use) {
    return {{"number", number},
            {"name", name.empty() ? "layer " + std::to_string(number) : name},
            {"hidden", (flags & kLayerHidden) != 0},
            {"frozen", (flags & kLayerFrozen) != 0},
            {"current", current},
            {"entities", use.entities},
            {"colors", use.colors}};
}

std::string LineStyleName(const Tables& tables, int number) {
    for (const TableEntry& entry : TableEntries(tables.lineStyles, kLineStyleEntries))
        if (EntryNumber(tables.lineStyles, entry) == number) return EntryText(tables.lineStyles, entry, kStyleName);
    return "style " + std::to_string(number);
}

// A decoded number field, or null when the field is absent or no number.
json Number(const std::map<std::string, std::string>& fields, const std::string& key) {
    auto it = fields.find(key);
    if (it == fields.end()) return nullptr;
    char* end = nullptr;
    const double value = std::strtod(it->second.c_str(), &end);
    return end && *end == '\0' && end != it->second.c_str() ? json(value) : json(nullptr);
}

json Describe(const Drawing& drawing, const Node& node) {
    const std::map<std::string, std::string> fields = DecodeDumpFields(DumpEntity(node));
    const int layer = LayerOf(node);
    const int lineStyle = L::Get<uint16_t>(node.record(), node.length(), L::kLineStyle);
    json entity{{"id", node.id},
                {"type", fields.count("type") ? fields.at("type") : "type" + std::to_string(node.type())},
                {"layer", layer},
                {"layerName", LayerName(drawing.tables, layer)},
                {"lineStyle", LineStyleName(drawing.tables, lineStyle)},
                {"color", io::EntityColor(static_cast<int>(L::Get<uint32_t>(node.record(), node.length(), L::kAttr6)))}};
    json points = json::array();
    for (int k = 1;; ++k) {
        std::string xKey(1, 'x'), yKey(1, 'y');
        xKey += std::to_string(k);
        yKey += std::to_string(k);
        json x = Number(fields, xKey), y = Number(fields, yKey);
        if (x.is_null() || y.is_null()) break;
        points.push_back({x, y});
    }
    entity["points"] = std::move(points);
    if (json cx = Number(fields, "cx"), cy = Number(fields, "cy"); !cx.is_null() && !cy.is_null())
        entity["center"] = {cx, cy};
    for (const char* key : {"r", "h", "a", "start", "sweep", "t", "ratio"})
        if (json value = Number(fields, key); !value.is_null()) entity[key == std::string("h") ? "height" : key] = value;
    if (auto text = fields.find("text"); text != fields.end()) entity["text"] = text->second;
    if (auto members = fields.find("members"); members != fields.end()) entity["members"] = Number(fields, "members");
    return entity;
}

}  // namespace

json LayersJson(const Drawing& drawing) {
    std::map<int, LayerUse> uses;
    if (drawing.work) CountLayers(*drawing.work, uses);
    const Tables& tables = drawing.tables;
    const int current = CurrentLayer(tables);
    json layers = json::array();
    std::set<int> listed;
    for (const TableEntry& entry : TableEntries(tables.layers, kTableEntries)) {
        const int number = EntryNumber(tables.layers, entry);
        if (!listed.insert(number).second) continue;
        layers.push_back(LayerEntry(number, EntryText(tables.layers, entry, kLayerName),
                                    EntryLayerFlags(tables, entry), number == current, uses[number]));
    }
    for (const auto& [number, use] : uses)
        if (!listed.count(number)) layers.push_back(LayerEntry(number, "", 0, number == current, use));
    return layers;
}

json SelectionJson(const Drawing& drawing, size_t limit) {
    size_t count = 0;
    json entities = json::array();
    if (drawing.work)
        for (const Node* node = drawing.work->head; node; node = node->next) {
            if (node->deleted() || !node->selected()) continue;
            if (++count <= limit) entities.push_back(Describe(drawing, *node));
        }
    return {{"count", count}, {"entities", std::move(entities)}};
}

}  // namespace qlhost::serve

// The JSON drawing format at document level: format tag and version, layers, the current
// layer, the entity list; a printer that keeps one short entity per line.
#include <cstring>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/geometry/layouts.h"
#include "host/io/drawing_io.h"
#include "host/io/json_entities.h"

namespace qlhost {
namespace {

using io::Json;

constexpr const char* kFormatTag = "quillet-drawing";
constexpr int kFormatVersion = 1;
constexpr size_t kCompactWidth = 120;
constexpr uint32_t kKnownLayerFlags = kLayerHidden | kLayerFrozen;

struct FileLayer {
    int number;
    std::string name;
    uint32_t flags;
};

Json LayersJson(const Tables& tables) {
    Json layers = Json::array();
    for (const TableEntry& entry : TableEntries(tables.layers, kTableEntries)) {
        Json layer;
        layer["number"] = EntryNumber(tables.layers, entry);
        io::PutText(layer, "name", EntryText(tables.layers, entry, kLayerName));
        uint32_t flags = EntryLayerFlags(tables, entry);
        layer["hidden"] = (flags & kLayerHidden) != 0;
        layer["frozen"] = (flags & kLayerFrozen) != 0;
        if (flags & ~kKnownLayerFlags) layer["flags"] = flags & ~kKnownLayerFlags;
        layers.push_back(std::move(layer));
    }
    return layers;
}

bool ReadLayers(const Json& value, std::vector<FileLayer>& layers, std::string& error) {
    if (!value.is_array()) {
        error = "field \"layers\" must be an array";
        return false;
    }
    std::unordered_set<int> numbers;  // a set, not a search per layer: files may list 65536
    for (size_t i = 0; i < value.size(); ++i) {
        const Json& item = value[i];
        std::string where = "layer " + std::to_string(i) + ": ";
        if (!item.is_object()) {
            error = where + "must be an object";
            return false;
        }
        io::FieldReader in(item);
        FileLayer layer;
        layer.number = static_cast<int>(in.Integer("number", 0, 65535));
        in.Text("name", layer.name);
        layer.flags = static_cast<uint32_t>(in.Integer("flags", 0, UINT32_MAX, 0)) & ~kKnownLayerFlags;
        for (auto [name, bit] : {std::pair{"hidden", kLayerHidden}, std::pair{"frozen", kLayerFrozen}}) {
            const Json* flag = in.Find(name);
            if (flag && !flag->is_boolean()) in.Fail(std::string("field \"") + name + "\" must be true or false");
            else if (flag && flag->get<bool>()) layer.flags |= bit;
        }
        if (!in.ok()) {
            error = where + in.error();
            return false;
        }
        if (!numbers.insert(layer.number).second) {
            error = where + "number " + std::to_string(layer.number) + " is listed twice";
            return false;
        }
        layers.push_back(std::move(layer));
    }
    return true;
}

std::vector<unsigned char> LayerData(const FileLayer& layer) {
    std::vector<unsigned char> data(kLayerName - kEntryNumber + layer.name.size() + 1, 0);
    const uint16_t number = static_cast<uint16_t>(layer.number);
    std::memcpy(data.data(), &number, sizeof number);
    std::memcpy(data.data() + kLayerFlags - kEntryNumber, &layer.flags, sizeof layer.flags);
    std::memcpy(data.data() + kLayerName - kEntryNumber, layer.name.data(), layer.name.size());
    return data;
}

// The file's layers replace the drawing's layers of the same numbers; the others stay.
void MergeLayersByNumber(Tables& tables, const std::vector<FileLayer>& fileLayers) {
    Table& old = tables.layers;
    std::vector<std::vector<unsigned char>> entries;
    std::unordered_map<int, size_t> index;  // layer number -> its place in entries
    for (const TableEntry& entry : TableEntries(old, kTableEntries)) {
        index.emplace(EntryNumber(old, entry), entries.size());
        entries.emplace_back(old.begin() + entry.offset + 4, old.begin() + entry.offset + entry.length);
    }
    for (const FileLayer& layer : fileLayers) {
        auto [it, added] = index.emplace(layer.number, entries.size());
        if (added)
            entries.push_back(LayerData(layer));
        else
            entries[it->second] = LayerData(layer);
    }
    int current = CurrentLayer(tables);
    Table table(old.begin(), old.begin() + std::min(old.size(), kTableEntries));
    table.resize(kTableEntries + 4, 0);
    AppendEntries(table, entries);
    tables.layers = std::move(table);
    SetCurrentEntry(tables.layers, kTableEntries, current);
}

// Symbol definitions of one load: the same name and base point give one definition; a
// saved handle is reused while it names a definition of that name and base.
class SymbolResolver {
public:
    uint32_t operator()(const std::string& name, std::optional<Pt> base, uint32_t hint) {
        if (!base) return 0;
        auto key = std::make_tuple(name, base->x, base->y);
        if (auto it = handles_.find(key); it != handles_.end()) return it->second;
        uint32_t handle = 0;
        for (uint32_t candidate : {hint, FindSymbolDefinitionByName(name)})
            if (!handle && Matches(candidate, name, *base)) handle = candidate;
        if (!handle) handle = RegisterSymbolDefinition(base->x, base->y, name);
        handles_[key] = handle;
        return handle;
    }

private:
    static bool Matches(uint32_t handle, const std::string& name, Pt base) {
        const unsigned char* def = handle ? FindSymbolDefinition(handle) : nullptr;
        if (!def) return false;
        uint32_t length = layout::LengthOf(def);
        if (length <= layout::kDefName) return false;
        const char* defName = reinterpret_cast<const char*>(def + layout::kDefName);
        return std::string(defName, strnlen(defName, length - layout::kDefName)) == name &&
               layout::Get<double>(def, length, layout::kDefBaseX) == base.x &&
               layout::Get<double>(def, length, layout::kDefBaseY) == base.y;
    }

    std::map<std::tuple<std::string, double, double>, uint32_t> handles_;
};

std::string Scalar(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

// Appends value on one line with a space after every comma and colon; false (the text cut
// short) once out holds more than limit characters. The printer only asks whether a value
// fits in a line, so giving up early keeps printing linear in the size of the drawing however
// deeply its groups are nested.
bool Compact(const Json& value, size_t limit, std::string& out) {
    if (!value.is_object() && !value.is_array()) {
        out += Scalar(value);
        return out.size() <= limit;
    }
    out += value.is_object() ? "{" : "[";
    bool first = true;
    for (auto it = value.begin(); it != value.end(); ++it) {
        if (!first) out += ", ";
        first = false;
        if (value.is_object()) out += Scalar(Json(it.key())) + ": ";
        if (out.size() > limit || !Compact(*it, limit, out)) return false;
    }
    out += value.is_object() ? "}" : "]";
    return out.size() <= limit;
}

// The room left in a line after width characters (none when they fill it already).
size_t RoomAfter(size_t width) { return width < kCompactWidth ? kCompactWidth - width : 0; }

// Short values stay on one line; longer objects and arrays wrap their short items into
// lines of at most kCompactWidth characters and give long ones lines of their own.
void Print(const Json& value, int indent, std::string& out) {
    std::string compact;
    bool fits = Compact(value, RoomAfter(static_cast<size_t>(indent)), compact);
    bool nested = value.is_object() && (value.contains("members") || value.contains("entities"));
    if ((!value.is_object() && !value.is_array()) || value.empty() || (fits && !nested)) {
        out += compact;
        return;
    }
    bool object = value.is_object();
    std::string pad(indent + 2, ' ');
    out += object ? "{\n" : "[\n";
    std::string line;
    auto flush = [&] {
        if (!line.empty()) out += pad + line + ",\n";
        line.clear();
    };
    size_t i = 0;
    for (auto it = value.begin(); it != value.end(); ++it, ++i) {
        std::string key = object ? Scalar(Json(it.key())) + ": " : "";
        std::string item = key;
        bool itemFits = Compact(*it, RoomAfter(pad.size()), item);
        bool own = (it->is_object() || it->is_array()) &&
                   (!itemFits || (object && (it.key() == "members" || it.key() == "entities")));
        bool last = i + 1 == value.size();
        if (own || (it->is_object() && !object)) {
            flush();
            out += pad + key;
            Print(*it, indent + 2, out);
            out += last ? "\n" : ",\n";
            continue;
        }
        if (!line.empty() && pad.size() + line.size() + 2 + item.size() > kCompactWidth) flush();
        line += (line.empty() ? "" : ", ") + item;
        if (last) {
            out += pad + line + "\n";
            line.clear();
        }
    }
    out += std::string(indent, ' ') + (object ? "}" : "]");
}

}  // namespace

std::string DrawingToJson(const HostList& list) {
    Json document;
    document["format"] = kFormatTag;
    document["version"] = kFormatVersion;
    if (list.drawing) {
        document["layers"] = LayersJson(list.drawing->tables);
        document["current_layer"] = CurrentLayer(list.drawing->tables);
    }
    Json entities = Json::array();
    for (const Node* node = list.head; node; node = node->next)
        if (!node->deleted()) entities.push_back(io::EncodeEntity(*node));
    document["entities"] = std::move(entities);
    std::string out;
    Print(document, 0, out);
    out += '\n';
    return out;
}

bool ParseDrawingJson(const std::string& text, HostList& into, std::string& error) {
    Json document = Json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        error = "not valid JSON";
        return false;
    }
    // value() would throw on a "format" that is not a text; look at its type first.
    auto format = document.find("format");
    if (!document.is_object() || format == document.end() || !format->is_string() || *format != kFormatTag) {
        error = "not a drawing: \"format\" must be \"" + std::string(kFormatTag) + "\"";
        return false;
    }
    auto version = document.find("version");
    if (version == document.end() || !version->is_number_integer() || *version != kFormatVersion) {
        error = "unsupported \"version\" (this host reads version " + std::to_string(kFormatVersion) + ")";
        return false;
    }
    auto entities = document.find("entities");
    if (entities == document.end() || !entities->is_array()) {
        error = "field \"entities\" must be an array";
        return false;
    }
    std::vector<FileLayer> layers;
    if (auto it = document.find("layers"); it != document.end() && !ReadLayers(*it, layers, error)) return false;
    int currentLayer = -1;
    if (auto it = document.find("current_layer"); it != document.end()) {
        if (!it->is_number_integer() || *it < 0 || *it > 65535) {
            error = "field \"current_layer\" must be a layer number";
            return false;
        }
        currentLayer = it->get<int>();
    }

    Drawing* drawing = into.drawing;
    std::optional<Table> oldLayers;
    if (drawing) oldLayers = drawing->tables.layers;
    std::map<int, int> layerMap;
    if (drawing && &into == drawing->work.get()) {
        MergeLayersByNumber(drawing->tables, layers);
        if (currentLayer >= 0) SetCurrentEntry(drawing->tables.layers, kTableEntries, currentLayer);
    } else if (drawing) {
        for (const FileLayer& layer : layers) {
            layerMap[layer.number] = AddLayer(drawing->tables, layer.name, layer.flags);
            if (layerMap[layer.number] >= 0) continue;
            drawing->tables.layers = std::move(*oldLayers);
            error = "more layers than the drawing can hold (" + std::to_string(kLayerNumbers) + ")";
            return false;
        }
    }

    SymbolResolver symbols;
    io::DecodeEnv env;
    env.tables = drawing ? &drawing->tables : nullptr;
    env.defaultLayer = currentLayer >= 0 ? currentLayer : 0;
    env.mapLayer = [&](int number) {
        auto it = layerMap.find(number);
        return it == layerMap.end() ? number : it->second;
    };
    env.resolveSymbol = [&](const std::string& name, std::optional<Pt> base, uint32_t hint) {
        return symbols(name, base, hint);
    };
    Node* last = into.tail;
    for (size_t i = 0; i < entities->size(); ++i) {
        if (io::DecodeEntity((*entities)[i], into, env, "entity " + std::to_string(i), error)) continue;
        // A bad file leaves the list and the layers as they were.
        while (into.tail != last) into.Free(into.tail);
        if (oldLayers) drawing->tables.layers = std::move(*oldLayers);
        return false;
    }
    return true;
}

}  // namespace qlhost

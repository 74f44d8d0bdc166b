// The JSON drawing format at document level: format tag and version, layers, the current
// layer, the entity list; a printer that keeps one short entity per line.
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "host/io/json_entities.h"
#include "host/io/json_print.h"
#include "host/io/json_stream.h"

namespace qlhost {
namespace {

using io::Json;

constexpr const char* kFormatTag = "quillet-drawing";
constexpr int kFormatVersion = 1;
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

// Output passes to the writer in pieces of about this size.
constexpr size_t kChunk = 1 << 20;

// The next entity a file keeps (deleted ones are left out).
const Node* Kept(const Node* node) {
    while (node && node->deleted()) node = node->next;
    return node;
}

// Whether the entity list fits one line after its key at the given indentation; only its
// first entities are printed to tell.
bool EntitiesFitOneLine(const HostList& list, size_t indent) {
    std::string compact = "[";
    for (const Node* node = Kept(list.head); node; node = Kept(node->next)) {
        if (compact.size() > 1) compact += ", ";
        io::AppendCompact(io::EncodeEntity(*node), compact);
        if (indent + compact.size() + 1 > io::kCompactWidth) return false;
    }
    return true;
}

// The entity list, one entity at a time, as the layout prints an array of objects.
bool WriteEntities(const HostList& list, size_t indent, std::string& out,
                   const std::function<bool(const std::string&)>& write) {
    const Node* node = Kept(list.head);
    if (!node) {
        out += "[]";
        return true;
    }
    if (EntitiesFitOneLine(list, indent)) {
        out += '[';
        for (; node; node = Kept(node->next)) {
            if (out.back() != '[') out += ", ";
            io::AppendCompact(io::EncodeEntity(*node), out);
        }
        out += ']';
        return true;
    }
    const std::string pad(indent + 2, ' ');
    out += "[\n";
    while (node) {
        const Node* next = Kept(node->next);
        out += pad;
        if (!io::AppendEntityText(*node, indent + 2, out)) io::AppendPrinted(io::EncodeEntity(*node), indent + 2, out);
        out += next ? ",\n" : "\n";
        node = next;
        if (out.size() >= kChunk) {
            if (!write(out)) return false;
            out.clear();
        }
    }
    out.append(indent, ' ');
    out += ']';
    return true;
}

}  // namespace

bool WriteDrawingJson(const HostList& list, const std::function<bool(const std::string&)>& write) {
    // The document's fields before the entities, laid out as the printer lays out an object
    // whose last field, the entity list, gets lines of its own.
    Json head;
    head["format"] = kFormatTag;
    head["version"] = kFormatVersion;
    if (list.drawing) {
        head["layers"] = LayersJson(list.drawing->tables);
        head["current_layer"] = CurrentLayer(list.drawing->tables);
    }
    std::string out = "{\n";
    io::ItemLines lines(out, 0);
    std::string item;
    for (auto it = head.begin(); it != head.end(); ++it) {
        item.clear();
        io::AppendKey(it.key(), item);
        item += ": ";
        const size_t keyLength = item.size();
        io::AppendCompact(*it, item);
        const bool own = (it->is_object() || it->is_array()) && lines.pad().size() + item.size() > io::kCompactWidth;
        if (!own) {
            lines.Short(item, false);
            continue;
        }
        lines.Flush();
        out += lines.pad();
        out.append(item, 0, keyLength);
        io::AppendPrinted(*it, 2, out);
        out += ",\n";
    }
    lines.Flush();
    out += lines.pad();
    io::AppendKey("entities", out);
    out += ": ";
    if (!WriteEntities(list, 2, out, write)) return false;
    out += "\n}\n";
    return write(out);
}

std::string DrawingToJson(const HostList& list) {
    std::string text;
    WriteDrawingJson(list, [&](const std::string& chunk) {
        text += chunk;
        return true;
    });
    return text;
}

namespace {

// The checks of the document's head: format tag and version.
bool CheckHead(const Json& document, std::string& error) {
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
    return true;
}

// Loading into a list: the file's layers merged first, then entity after entity; a bad
// entity takes back everything the load added.
class DocumentLoader {
public:
    explicit DocumentLoader(HostList& into) : into_(into), last_(into.tail) {}

    // The layers and current layer of the document (its fields other than the entities).
    bool Begin(const Json& document, std::string& error) {
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
        Drawing* drawing = into_.drawing;
        if (drawing) oldLayers_ = drawing->tables.layers;
        if (drawing && &into_ == drawing->work.get()) {
            MergeLayersByNumber(drawing->tables, layers);
            if (currentLayer >= 0) SetCurrentEntry(drawing->tables.layers, kTableEntries, currentLayer);
        } else if (drawing) {
            for (const FileLayer& layer : layers) {
                layerMap_[layer.number] = AddLayer(drawing->tables, layer.name, layer.flags);
                if (layerMap_[layer.number] >= 0) continue;
                drawing->tables.layers = std::move(*oldLayers_);
                oldLayers_.reset();
                error = "more layers than the drawing can hold (" + std::to_string(kLayerNumbers) + ")";
                return false;
            }
        }
        env_.tables = drawing ? &drawing->tables : nullptr;
        env_.defaultLayer = currentLayer >= 0 ? currentLayer : 0;
        env_.mapLayer = [this](int number) {
            auto it = layerMap_.find(number);
            return it == layerMap_.end() ? number : it->second;
        };
        env_.resolveSymbol = [this](const std::string& name, std::optional<Pt> base, uint32_t hint) {
            return symbols_(name, base, hint);
        };
        return true;
    }

    bool Add(const Json& entity, size_t index, std::string& error) {
        return io::DecodeEntity(entity, into_, env_, "entity " + std::to_string(index), error);
    }

    // An entity of a common type read from its parser events; false leaves it to Add().
    bool AddDirect(const io::StreamEvent* events, size_t count) {
        return io::DecodeEntityEvents(events, count, into_, env_);
    }

    // A bad file leaves the list and the layers as they were.
    void Undo() {
        while (into_.tail != last_) into_.Free(into_.tail);
        if (oldLayers_) into_.drawing->tables.layers = std::move(*oldLayers_);
        oldLayers_.reset();
    }

private:
    HostList& into_;
    Node* last_;
    std::optional<Table> oldLayers_;
    std::map<int, int> layerMap_;
    SymbolResolver symbols_;
    io::DecodeEnv env_;
};

bool ParseDocument(const Json& document, HostList& into, std::string& error) {
    if (!CheckHead(document, error)) return false;
    auto entities = document.find("entities");
    if (entities == document.end() || !entities->is_array()) {
        error = "field \"entities\" must be an array";
        return false;
    }
    DocumentLoader loader(into);
    if (!loader.Begin(document, error)) return false;
    for (size_t i = 0; i < entities->size(); ++i) {
        if (loader.Add((*entities)[i], i, error)) continue;
        loader.Undo();
        return false;
    }
    return true;
}

}  // namespace

// The entities are decoded as the reader meets them when the fields they depend on (format,
// version, layers, current layer) came first, as saved files have them; any other order, a
// bad entity or a field the load depended on coming late sends the text through the
// whole-document path, whose errors are the file's errors.
bool ParseDrawingJson(const std::string& text, HostList& into, std::string& error) {
    std::optional<DocumentLoader> loader;
    std::string streamError;
    io::StreamingDocument reader(
        "entities",
        [&](const Json& head) {
            std::string ignored;
            if (!CheckHead(head, ignored)) return false;
            loader.emplace(into);
            if (loader->Begin(head, streamError)) return true;
            loader->Undo();
            loader.reset();
            return false;
        },
        [&](const Json& entity, size_t index) { return loader->Add(entity, index, streamError); });
    reader.SetLateFields({"format", "version", "layers", "current_layer", "entities"});
    reader.SetTakeEvents([&](const io::StreamEvent* events, size_t count) { return loader->AddDirect(events, count); });
    const bool parsed = reader.Parse(text);
    if (parsed && reader.streamed()) return true;
    if (loader) loader->Undo();
    if (parsed) return ParseDocument(reader.document(), into, error);
    if (!reader.aborted()) {
        error = "not valid JSON";
        return false;
    }
    Json document = Json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        error = "not valid JSON";
        return false;
    }
    return ParseDocument(document, into, error);
}

}  // namespace qlhost

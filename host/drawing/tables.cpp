// Bounds-checked access to the settings tables in their packed form.
#include "host/drawing/tables.h"

#include <algorithm>
#include <cstring>

namespace qlhost {
namespace {

template <typename T>
T Read(const Table& table, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= table.size()) std::memcpy(&value, table.data() + offset, sizeof(T));
    return value;
}

template <typename T>
void Write(Table& table, size_t offset, T value) {
    if (offset + sizeof(T) <= table.size()) std::memcpy(table.data() + offset, &value, sizeof(T));
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// Entry number 2 bytes wide must fit in every entry.
constexpr uint32_t kMinEntryLength = kEntryNumber + 2;

}  // namespace

Table* TableOfKind(Tables& tables, int kind) {
    switch (kind) {
        case TPL_ATTRIBUTES:
            return &tables.attributes;
        case TPL_LAYERS:
            return &tables.layers;
        case TPL_FILL_STYLES:
            return &tables.fillStyles;
        case TPL_LINE_STYLES:
            return &tables.lineStyles;
        case TPL_FONTS:
            return &tables.fonts;
        case TPL_DIM_STYLES:
            return &tables.dimStyles;
        case TPL_TEXT_STYLES:
            return &tables.textStyles;
        default:
            return nullptr;
    }
}

const Table* TableOfKind(const Tables& tables, int kind) {
    return TableOfKind(const_cast<Tables&>(tables), kind);
}

size_t FirstEntryOffset(int kind) {
    return kind == TPL_LINE_STYLES ? kLineStyleEntries : kTableEntries;
}

std::vector<TableEntry> TableEntries(const Table& table, size_t first) {
    std::vector<TableEntry> entries;
    size_t offset = first;
    while (offset + 4 <= table.size()) {
        const uint32_t length = Read<uint32_t>(table, offset);
        if (length == 0 || length < kMinEntryLength || length > table.size() - offset) break;
        entries.push_back({offset, length});
        offset += length;
    }
    return entries;
}

int EntryNumber(const Table& table, const TableEntry& entry) {
    return Read<uint16_t>(table, entry.offset + kEntryNumber);
}

std::string EntryText(const Table& table, const TableEntry& entry, size_t nameOffset) {
    if (nameOffset >= entry.length) return {};
    const char* start = reinterpret_cast<const char*>(table.data() + entry.offset + nameOffset);
    const size_t room = entry.length - nameOffset;
    return std::string(start, strnlen(start, room));
}

unsigned char* FindEntryByNumber(Table& table, size_t first, int number) {
    for (const TableEntry& entry : TableEntries(table, first))
        if (EntryNumber(table, entry) == number) return table.data() + entry.offset;
    return nullptr;
}

unsigned char* FindEntryByName(Table& table, size_t first, size_t nameOffset,
                               std::string_view name) {
    for (const TableEntry& entry : TableEntries(table, first))
        if (SameName(EntryText(table, entry, nameOffset), name)) return table.data() + entry.offset;
    return nullptr;
}

int CurrentEntryNumber(const Table& table) {
    return Read<uint16_t>(table, kTableCurrentNumber);
}

// Walks the entries as TableEntries lists them, without a list: SetCStuff asks for the current
// layer once per entity the plug-in creates.
unsigned char* CurrentEntry(Table& table, size_t first) {
    const uint32_t offset = Read<uint32_t>(table, kTableCurrentOffset);
    for (size_t at = first; at + 4 <= table.size() && at <= offset;) {
        const uint32_t length = Read<uint32_t>(table, at);
        if (length == 0 || length < kMinEntryLength || length > table.size() - at) break;
        if (at == offset) return table.data() + at;
        at += length;
    }
    return FindEntryByNumber(table, first, CurrentEntryNumber(table));
}

bool SetCurrentEntry(Table& table, size_t first, int number) {
    for (const TableEntry& entry : TableEntries(table, first)) {
        if (EntryNumber(table, entry) != number) continue;
        Write<uint16_t>(table, kTableCurrentNumber, static_cast<uint16_t>(number));
        Write<uint32_t>(table, kTableCurrentOffset, static_cast<uint32_t>(entry.offset));
        return true;
    }
    return false;
}

void AppendEntry(Table& table, const std::vector<unsigned char>& data, size_t first) {
    AppendEntries(table, {data}, first);
}

void AppendEntries(Table& table, const std::vector<std::vector<unsigned char>>& entries, size_t first) {
    size_t end = first;
    for (const TableEntry& entry : TableEntries(table, first)) end = entry.offset + entry.length;
    table.resize(end);
    for (const std::vector<unsigned char>& data : entries) {
        const uint32_t length = static_cast<uint32_t>(4 + data.size());
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&length);
        table.insert(table.end(), bytes, bytes + 4);
        table.insert(table.end(), data.begin(), data.end());
    }
    table.insert(table.end(), 4, 0);  // terminator
    Write<uint32_t>(table, 0, static_cast<uint32_t>(table.size()));
}

unsigned char* FindLayer(Tables& tables, int number) {
    return FindEntryByNumber(tables.layers, kTableEntries, number);
}

unsigned char* FindLayerByName(Tables& tables, std::string_view name) {
    return FindEntryByName(tables.layers, kTableEntries, kLayerName, name);
}

uint32_t EntryLayerFlags(const Tables& tables, const TableEntry& entry) {
    return entry.length >= kLayerFlags + 4 ? Read<uint32_t>(tables.layers, entry.offset + kLayerFlags) : 0;
}

uint32_t LayerFlags(const Tables& tables, int number) {
    for (const TableEntry& entry : TableEntries(tables.layers, kTableEntries))
        if (EntryNumber(tables.layers, entry) == number && entry.length >= kLayerFlags + 4)
            return Read<uint32_t>(tables.layers, entry.offset + kLayerFlags);
    return 0;
}

std::string LayerName(const Tables& tables, int number) {
    for (const TableEntry& entry : TableEntries(tables.layers, kTableEntries))
        if (EntryNumber(tables.layers, entry) == number)
            return EntryText(tables.layers, entry, kLayerName);
    return {};
}

int CurrentLayer(const Tables& tables) {
    Table& layers = const_cast<Table&>(tables.layers);
    const unsigned char* entry = CurrentEntry(layers, kTableEntries);
    if (!entry) return 0;
    uint16_t number = 0;
    std::memcpy(&number, entry + kEntryNumber, sizeof number);
    return number;
}

int AddLayer(Tables& tables, const std::string& name, uint32_t flags) {
    int highest = -1;
    std::vector<bool> used(kLayerNumbers, false);
    for (const TableEntry& entry : TableEntries(tables.layers, kTableEntries)) {
        if (SameName(EntryText(tables.layers, entry, kLayerName), name))
            return EntryNumber(tables.layers, entry);
        highest = std::max(highest, EntryNumber(tables.layers, entry));
        used[static_cast<size_t>(EntryNumber(tables.layers, entry))] = true;
    }
    // Numbers are 16 bits wide: past the highest one, the lowest free number is taken.
    int number = highest + 1;
    if (number >= kLayerNumbers) number = static_cast<int>(std::find(used.begin(), used.end(), false) - used.begin());
    if (number >= kLayerNumbers) return -1;
    std::vector<unsigned char> data(kLayerName - 4 + name.size() + 1, 0);
    const uint16_t n = static_cast<uint16_t>(number);
    std::memcpy(data.data(), &n, sizeof n);
    std::memcpy(data.data() + kLayerFlags - 4, &flags, sizeof flags);
    std::memcpy(data.data() + kLayerName - 4, name.data(), name.size());
    AppendEntry(tables.layers, data);
    return number;
}

unsigned char* FindFillStyle(Tables& tables, int number) {
    return FindEntryByNumber(tables.fillStyles, kTableEntries, number);
}

unsigned char* FindFillStyleByName(Tables& tables, std::string_view name) {
    return FindEntryByName(tables.fillStyles, kTableEntries, kStyleName, name);
}

unsigned char* FindLineStyle(Tables& tables, int number) {
    return FindEntryByNumber(tables.lineStyles, kLineStyleEntries, number);
}

unsigned char* FindLineStyleByName(Tables& tables, std::string_view name) {
    return FindEntryByName(tables.lineStyles, kLineStyleEntries, kStyleName, name);
}

unsigned char* FindFont(Tables& tables, int number) {
    return FindEntryByNumber(tables.fonts, kTableEntries, number);
}

int CurrentFillStyle(const Tables& tables) {
    return CurrentEntryNumber(tables.fillStyles);
}
int CurrentLineStyle(const Tables& tables) {
    return CurrentEntryNumber(tables.lineStyles);
}

float CurrentTextHeight(const Tables& tables) {
    Table& styles = const_cast<Table&>(tables.textStyles);
    const unsigned char* entry = CurrentEntry(styles, kTableEntries);
    if (!entry) return 0;
    float height = 0;
    std::memcpy(&height, entry + 4 + kTextStyleHeight, sizeof height);
    return height;
}

float CurrentDimFloat(const Tables& tables, int index) {
    if (index < 0 || static_cast<size_t>(index) * 4 + 4 > kDimStyleSize) return 0;
    Table& styles = const_cast<Table&>(tables.dimStyles);
    const unsigned char* entry = CurrentEntry(styles, kTableEntries);
    if (!entry) return 0;
    float value = 0;
    std::memcpy(&value, entry + 4 + 4 * index, sizeof value);
    return value;
}

int CurrentColor(const Tables& tables) {
    return Read<int32_t>(tables.attributes, kAttrColor);
}

void CopyCurrentArrowheads(const Tables& tables, unsigned char* to) {
    if (tables.attributes.size() >= kAttrArrowLength + kArrowBytes)
        std::memcpy(to, tables.attributes.data() + kAttrArrowLength, kArrowBytes);
}

void SetCurrentColor(Tables& tables, int color) {
    Write<int32_t>(tables.attributes, kAttrColor, color);
}

uint32_t PaletteColor(int color) {
    // 0x00BBGGRR: black, red, yellow, green, cyan, blue, magenta, white, then greys and the
    // darker shades.
    static constexpr uint32_t kPalette[kPaletteSize] = {
        0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF, 0xFFFFFF,
        0x808080, 0xC0C0C0, 0x000080, 0x008080, 0x008000, 0x808000, 0x800000, 0x800080,
    };
    return color >= 0 && color < kPaletteSize ? kPalette[color] : 0;
}

}  // namespace qlhost

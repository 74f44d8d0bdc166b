// QLSAMEAS: draws one more entity like a picked one. The picked entity's attributes, layer,
// fill style and line style become current, then the host command that draws its kind is
// handed to the host's script interpreter (for a text the plug-in's own QLTEXT with the
// picked text's style and string; for a dimension with its style).
#include "measure/same_as.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/commands.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "core/records.h"
#include "text/place.h"

namespace {

constexpr int kPickCursor = 7;
constexpr size_t kCommandSize = 512;
constexpr double kBoxTolerance = 0.01;      // of the diagonal from vertex 0 to vertex 2
constexpr double kRegularTolerance = 0.01;  // of the longest side
constexpr unsigned char kSidesPrecision = 3;
constexpr unsigned char kCentrePrecision = 8;
constexpr char kNameTooLong[] = "The symbol's name is too long to draw it again.";

// Type 28: bit 0 of byte 221 picks "DIMP;"; type 29: bit 1 of byte 244 picks "DIMR;".
constexpr int kDimLinear = 28, kDimAngular = 29, kDimArc = 30, kDimRadial = 31;
constexpr size_t kDim28Choice = 221;
constexpr size_t kDim29Choice = 244;
constexpr size_t kArrowBlock = 32;  // type 34: 10 bytes copied to the template's byte 201
constexpr size_t kArrowBlockSize = 10;

EntRec* g_picked = nullptr;
char g_command[kCommandSize];

// A byte of the record, 0 when the record is too short to hold it.
uint8_t ByteWithin(const EntRec* record, size_t offset) {
    return offset < RecordLength(record) ? GetU8(record, offset) : 0;
}

void CopyAttributes(const EntRec* entity) {
    DList* work = GetWorkDL();
    unsigned char* settings = work != nullptr ? GetTemplate(work, TPL_ATTRIBUTES) : nullptr;
    if (settings == nullptr) return;
    const int8_t width = GetI8(entity, kRecAttr5);
    PutI8(settings, kAttrSet5, width);
    PutF32(settings, kAttrSet5Float, static_cast<float>(width));
    PutU32(settings, kAttrSet6, GetU32(entity, kRecAttr6));
    PutU32(settings, kAttrSet10, GetU32(entity, kRecAttr10));
    PutU32(settings, kAttrSet22, GetU32(entity, kRecAttr22));
}

// Makes a dimension's style block the current dimension style, when the table lists it.
void AdoptDimensionStyle(const EntRec* dimension) {
    if (RecordLength(dimension) < kDimStyle + kDimStyleSize) return;
    DList* work = GetWorkDL();
    unsigned char* table = work != nullptr ? GetTemplate(work, TPL_DIM_STYLES) : nullptr;
    const uint16_t style = GetU16(dimension, kDimStyle);
    const unsigned char* entry = FindTableEntry(table, kTblEntries, style);
    if (entry == nullptr) return;
    PutU16(table, kTblCurrentNumber, style);
    PutU32(table, kTblCurrentOffset, static_cast<uint32_t>(entry - table));
    if (GetU32(entry, kEntryLength) >= kEntryData + kDimStyleSize)
        std::memcpy(const_cast<unsigned char*>(entry) + kEntryData, dimension + kDimStyle, kDimStyleSize);
}

int TakeFirst(DList*, EntRec* entity, void* first, void*) {
    *static_cast<EntRec**>(first) = entity;
    return 1;
}

const char* PathContainerCommand(EntRec* container) {
    if (RecordLength(container) < kPathContainerFlags + 4) return nullptr;
    DList* members = SubList(GetWorkDL(), container);
    EntRec* first = nullptr;
    if (members != nullptr) ForEachEntity(members, TakeFirst, SCOPE_ALL, &first);
    if (first == nullptr) return nullptr;
    const uint32_t flags = GetU32(container, kPathContainerFlags);
    const bool both = (flags & 3) == 3;
    switch (RecordType(first)) {
        case ET_LINE: return both ? "LINEDA;" : "LINEA;";
        case ET_PATH: return both ? "PATHDA;" : "PATHA;";
        case ET_ARC: return both ? "ARCDA;" : (flags & 1) ? "ARCAS;" : "ARCA;";
        case ET_CURVE: return both ? "SPLINEDA;" : "SPLINEA;";
        default: return nullptr;
    }
}

const char* SymbolCommand(const EntRec* symbol) {
    const std::string_view name = RecordString(symbol, kSymName);
    const int written = std::snprintf(g_command, sizeof g_command, "SYMBOL;%.*s;", static_cast<int>(name.size()),
                                      name.data());
    if (written < 0 || static_cast<size_t>(written) >= sizeof g_command) {
        ShowMessage(kNameTooLong, "Warning", MS_WARNING);
        return nullptr;
    }
    return g_command;
}

const char* ClosedPolylineCommand(const EntRec* polygon) {
    switch (ClassifyClosedPolyline(polygon)) {
        case PolygonKind::kBox: return "BOX;";
        case PolygonKind::kPolygon: return "POLY;";
        case PolygonKind::kRegular: break;
    }
    const uint32_t count = GetU16(polygon, kPolyCount);
    int32_t sides = static_cast<int32_t>(count) - 1;
    double centre[2] = {0, 0};
    for (uint32_t i = 0; i + 1 < count; ++i) {
        centre[0] += GetF64(polygon, PolyVertex(i));
        centre[1] += GetF64(polygon, PolyVertex(i) + 8);
    }
    centre[0] /= sides;
    centre[1] /= sides;
    const PromptRec record = MakePrompt("RPOLY;!01;!02;;;", PromptValue(&sides, PF_WHOLE3, kSidesPrecision),
                                        PromptValue(centre, PF_POINT2, kCentrePrecision));
    FormatInto(record, g_command, sizeof g_command);
    return g_command;
}

const char* CommandFor(EntRec* entity) {
    switch (RecordType(entity)) {
        case ET_POINT: return "POINT;";
        case ET_LINE: return "LINE;";
        case ET_PATH: return "PATH;";
        case ET_POLYGON: return ClosedPolylineCommand(entity);
        case ET_TEXT: AdoptTextFromEntity(entity); return "QLTEXT;";
        case ET_CIRCLE: return "CIRP;";
        case ET_ARC: return "ARCB;";
        case ET_ELLIPSE: return "ELIPP;";
        case ET_ELLIPSE_ARC: return "ELIPA;";
        case ET_SYMBOL: return SymbolCommand(entity);
        case ET_CURVE: {
            static const char* const kCurves[] = {"PATH;", "SPLINE;", "PSPLINE;", "BEZ;"};
            const uint8_t subtype = ByteWithin(entity, kRecHeaderSize);
            return subtype < 4 ? kCurves[subtype] : nullptr;
        }
        case ET_CLOSED_CURVE: {
            static const char* const kClosed[] = {"POLY;", "SPOLY;", "PSPOLY;", "BEZ;"};
            const uint8_t subtype = ByteWithin(entity, kRecHeaderSize);
            return subtype < 4 ? kClosed[subtype] : nullptr;
        }
        case kDimLinear: AdoptDimensionStyle(entity); return (ByteWithin(entity, kDim28Choice) & 1) ? "DIMP;" : "DIML;";
        case kDimAngular: AdoptDimensionStyle(entity); return (ByteWithin(entity, kDim29Choice) & 2) ? "DIMR;" : "DIMD;";
        case kDimArc: AdoptDimensionStyle(entity); return "DIMAQ;";
        case kDimRadial: AdoptDimensionStyle(entity); return "DIMO;";
        case ET_PATH_CONTAINER: return PathContainerCommand(entity);
        case ET_WALL: return "WALL;";
        case ET_BEZIER: return "BEZ;";
        default: return nullptr;
    }
}

// Type 34: the arrowhead settings travel with the command.
void CopyArrowSettings(const EntRec* container) {
    DList* work = GetWorkDL();
    unsigned char* settings = work != nullptr ? GetTemplate(work, TPL_ATTRIBUTES) : nullptr;
    if (settings != nullptr) std::memcpy(settings + kAttrSetArrowLength, container + kArrowBlock, kArrowBlockSize);
}

void PatternPicked(int status) {
    EntRec* entity = status == ST_OK ? g_picked : nullptr;
    if (entity != nullptr && RecordType(entity) != ET_GROUP) {
        CopyAttributes(entity);
        SetCurLayer(RecordLayer(entity));
        SetCurFStyle(GetU16(entity, kRecFillStyle));
        SetCurLStyle(GetU16(entity, kRecLineStyle));
        const char* command = CommandFor(entity);
        if (command != nullptr && RecordType(entity) == ET_PATH_CONTAINER) CopyArrowSettings(entity);
        if (command != nullptr) ExecScriptCopy(command);
    }
    CmdEnd();
}

}  // namespace

PolygonKind ClassifyClosedPolyline(const EntRec* polygon) {
    const uint32_t count = GetU16(polygon, kPolyCount);
    if (RecordLength(polygon) < PolySize(count) || count <= 3) return PolygonKind::kPolygon;
    double v[5][2];
    if (count == 5) {
        for (uint32_t i = 0; i < 5; ++i) GetPoint(polygon, PolyVertex(i), v[i]);
        const double tol = std::hypot(v[2][0] - v[0][0], v[2][1] - v[0][1]) * kBoxTolerance;
        auto near = [tol](double a, double b) { return std::fabs(a - b) < tol; };
        const bool firstVertical =
            near(v[0][0], v[1][0]) && near(v[1][1], v[2][1]) && near(v[2][0], v[3][0]) && near(v[3][1], v[4][1]);
        const bool firstHorizontal =
            near(v[0][1], v[1][1]) && near(v[1][0], v[2][0]) && near(v[2][1], v[3][1]) && near(v[3][0], v[4][0]);
        if (firstVertical || firstHorizontal) return PolygonKind::kBox;
    }
    double shortest = HUGE_VAL, longest = 0;
    for (uint32_t i = 0; i + 1 < count; ++i) {
        double a[2], b[2];
        GetPoint(polygon, PolyVertex(i), a);
        GetPoint(polygon, PolyVertex(i + 1), b);
        const double side = std::hypot(b[0] - a[0], b[1] - a[1]);
        if (side < shortest) shortest = side;
        if (side > longest) longest = side;
    }
    return longest - shortest < longest * kRegularTolerance ? PolygonKind::kRegular : PolygonKind::kPolygon;
}

void QLSAMEAS() {
    g_picked = nullptr;
    ReqData(REQ_PICK, &g_picked, "Pick pattern entity:", QL_CURSOR(kPickCursor), PatternPicked, 0, 0);
}

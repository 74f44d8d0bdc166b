// Entities of the host interface: drawing and marking them (EDraw, EErase, EMark, EDrawM),
// transforming (ETran), information and queries (EInfo, EGet, EXCheck, GXCheckP2,
// FindAllInts, EPick), splitting and exploding (ESplit, EExplode), text extents
// (XCheckGText2, LenText2), the new-entity tag (SetNewTag) and the host's edit (EEdit).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "host/display/painters.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/fonts/text_metrics.h"
#include "host/geometry/geometry.h"
#include "host/geometry/pick.h"
#include "host/geometry/split.h"
#include "host/state/events.h"
#include "host/state/parts.h"

extern "C" void EDraw(int mode, EntRec* entity) { qlhost::ScreenDraw(mode, entity); }
extern "C" void EErase(int mode, EntRec* entity) { qlhost::ScreenErase(mode, entity); }
extern "C" void EMark(EntRec* entity) { qlhost::ScreenMark(entity); }
extern "C" void EDrawM(void* ctx, EntRec* entity) { qlhost::DrawEntityInto(ctx, entity); }
extern "C" void SetNewTag(EntRec* entity) {
    if (qlhost::Node* node = qlhost::LocateNode(entity)) node->flags |= qlhost::Node::kNewTag;
}

namespace {

using namespace qlhost;

constexpr int kMaxDepth = 64;  // nesting of groups and containers followed by ETran

EntRec* Transform(EntRec* e, const Matrix& m, int depth) {
    Node* node = NodeOf(e);
    Record grown;
    if (!TransformRecord(e, m, node ? &grown : nullptr) && node && node->owner) {
        Node* moved = node->owner->Resize(node, static_cast<uint32_t>(grown.size()));
        if (!moved) return e;
        node = moved;
        std::memcpy(node->record(), grown.data(), grown.size());
        e = node->record();
    }
    int type = layout::TypeOf(e);
    bool members = type == layout::kGroup || type == layout::kFilledContainer || type == layout::kPathContainer ||
                   type == layout::kContainer;
    if (node && node->children && members && depth < kMaxDepth) {
        for (Node* c = node->children->head; c;) {
            Node* next = c->next;
            Transform(c->record(), m, depth + 1);
            c = next;
        }
    }
    return e;
}

// A line's points moved in place, as TransformRecord moves them: a hatch moves hundreds of
// thousands of lines one by one, and a line has no member list and never grows.
void MoveLine(EntRec* e, uint32_t length, const double* m) {
    for (const size_t at : {layout::kLineStart, layout::kLineEnd}) {
        if (at + 16 > length) continue;
        double p[2];
        std::memcpy(p, e + at, sizeof p);
        const double moved[2] = {m[0] * p[0] + m[1] * p[1] + m[3], m[4] * p[0] + m[5] * p[1] + m[7]};
        std::memcpy(e + at, moved, sizeof moved);
    }
}

// Four pixels of the active drawing window in drawing units; none without a window.
double PickTolerance() {
    const ADWin* win = GetADWin();
    if (win && win->pixelWidth > 0 && win->viewWidth > 0) return kPickPixels * win->viewWidth / win->pixelWidth;
    return 0;
}

// The points FindAllInts hands out, valid until the next call.
struct IntersectionPart {
    std::vector<double> buffer;
};
std::vector<double>& IntersectionBuffer() { return Part<IntersectionPart>().buffer; }

}  // namespace

extern "C" {

EntRec* ETran(EntRec* entity, const double* matrix) {
    if (!entity || layout::LengthOf(entity) < layout::kHeaderSize) return entity;
    if (matrix && layout::TypeOf(entity) == layout::kLine) {
        MoveLine(entity, layout::LengthOf(entity), matrix);
        return entity;
    }
    return Transform(entity, matrix ? Matrix::FromHost(matrix) : CurrentMatrix(), 0);
}

uint32_t EInfo(EntRec* entity, int what) {
    if (what != 1 || !entity) return 0;
    return EntityInfo(entity);
}

int EGet(EntRec* entity, int query, const void* in, void* out) {
    if (!entity || !out) return 0;
    switch (query) {
        case 0: {
            if (!in) return 0;
            double t;
            std::memcpy(&t, in, sizeof t);
            Pt p;
            if (!PointAt(entity, t, p)) return 0;
            const double xy[2] = {p.x, p.y};
            std::memcpy(out, xy, sizeof xy);
            return 1;
        }
        case 2: {
            if (!in) return 0;
            double xy[2];
            std::memcpy(xy, in, sizeof xy);
            double t;
            if (!ParamOf(entity, {xy[0], xy[1]}, t)) return 0;
            std::memcpy(out, &t, sizeof t);
            return 1;
        }
        case 5: {
            double length;
            if (!LengthOf(entity, length)) return 0;
            std::memcpy(out, &length, sizeof length);
            return 1;
        }
        default: return 0;
    }
}

void EXCheck(EntRec* entity, ExtentRec* extent) {
    if (entity && extent) EntityExtent(entity, *extent);
}

void GXCheckP2(const double* point, ExtentRec* extent) {
    if (point && extent) ExtentAddPoint(*extent, point[0], point[1]);
}

int FindAllInts(EntRec* a, EntRec* b, double** points) {
    std::vector<double>& buffer = IntersectionBuffer();
    buffer.clear();
    if (a && b) {
        for (const Pt& p : Intersections(a, b)) buffer.insert(buffer.end(), {p.x, p.y, 0.0});
    }
    if (buffer.capacity() == 0) buffer.reserve(3);
    if (points) *points = buffer.data();
    return static_cast<int>(buffer.size() / 3);
}

int EPick(EntRec* entity, const double* point) {
    if (!entity || !point) return 0;
    return PickDistance(entity, {point[0], point[1]}) <= PickTolerance() ? 1 : 0;
}

}  // extern "C"

namespace {

using namespace qlhost;

// Writes a record over a stored node, resizing it when the length changes.
Node* Store(Node* node, const Record& rec) {
    if (node->length() != rec.size()) {
        Node* moved = node->owner->Resize(node, static_cast<uint32_t>(rec.size()));
        if (!moved) return nullptr;
        node = moved;
    }
    std::memcpy(node->record(), rec.data(), rec.size());
    return node;
}

}  // namespace

extern "C" {

int ESplit(EntRec* entity, double t, EntRec** a, EntRec** b) {
    Node* node = NodeOf(entity);
    if (!node || !node->owner || node->deleted()) return 0;
    Record pieceA, pieceB;
    bool opened = false;
    if (!SplitRecord(entity, t, pieceA, pieceB, opened)) return 0;
    HostList* list = node->owner;
    bool selected = node->selected();
    Node* first = Store(node, pieceA);
    if (!first) return 0;
    Node* second = first;
    if (!opened) {
        second = list->Append(pieceB.data(), static_cast<uint32_t>(pieceB.size()));
        if (!second) return 0;
        list->LinkAfter(second, first);
        if (selected) list->ops->MarkEntity(list, second->record());
    }
    if (a) *a = first->record();
    if (b) *b = second->record();
    return 1;
}

int EExplode(EntRec* entity, ExplodeProc callback) {
    if (!entity || layout::LengthOf(entity) < layout::kHeaderSize) return 0;
    std::vector<Record> parts = ExplodeRecord(entity);
    HostList* work = TheDrawing().work.get();
    if (parts.empty() || !work) return 0;
    for (const Record& part : parts) {
        Node* node = work->Append(part.data(), static_cast<uint32_t>(part.size()));
        if (!node) return 0;
        if (callback && callback(node->record()) != 0) break;
    }
    return 1;
}

}  // extern "C"

namespace {

using namespace qlhost;

constexpr size_t kMaxUnboundedString = 65535;  // a data part outside any stored record

// The string after a data part: bounded by the stored record when the part is a text's.
std::string StringAfter(const unsigned char* data) {
    const char* s = reinterpret_cast<const char*>(data + layout::kDataString);
    size_t limit = kMaxUnboundedString;
    if (const Node* node = NodeOf(data - layout::kTextData)) {
        size_t length = node->length();
        limit = length > layout::kTextString ? length - layout::kTextString : 0;
    }
    return std::string(s, strnlen(s, limit));
}

bool TextOf(const unsigned char* rec, const unsigned char*& data, std::string& text) {
    size_t n = layout::LengthOf(rec);
    size_t dataAt = 0, stringAt = 0;
    switch (layout::TypeOf(rec)) {
        case layout::kText: dataAt = layout::kTextData, stringAt = layout::kTextString; break;
        case layout::kTextBearing: dataAt = layout::kTbData, stringAt = layout::kTbString; break;
        case layout::kAttribute:
            dataAt = layout::kAttData;
            stringAt = layout::Get<uint32_t>(rec, n, layout::kAttString);
            break;
        default: return false;
    }
    if (dataAt + layout::kDataSize > n) return false;
    data = rec + dataAt;
    text.clear();
    if (stringAt > 0 && stringAt < n) {
        const char* s = reinterpret_cast<const char*>(rec + stringAt);
        text.assign(s, strnlen(s, n - stringAt));
    }
    return true;
}

}  // namespace

extern "C" {

void XCheckGText2(const unsigned char* data, double* lowerLeft, double* upperRight) {
    if (!data || !lowerLeft || !upperRight) return;
    Pt c[4];
    if (!TextCorners(data, StringAfter(data).c_str(), c)) {
        double x = layout::Get<double>(data, layout::kDataSize, layout::kDataX);
        double y = layout::Get<double>(data, layout::kDataSize, layout::kDataY);
        lowerLeft[0] = upperRight[0] = x;
        lowerLeft[1] = upperRight[1] = y;
        return;
    }
    lowerLeft[0] = std::min({c[0].x, c[1].x, c[2].x, c[3].x});
    lowerLeft[1] = std::min({c[0].y, c[1].y, c[2].y, c[3].y});
    upperRight[0] = std::max({c[0].x, c[1].x, c[2].x, c[3].x});
    upperRight[1] = std::max({c[0].y, c[1].y, c[2].y, c[3].y});
}

double LenText2(EntRec* text) {
    const unsigned char* data;
    std::string s;
    if (!text || !TextOf(text, data, s)) return 0;
    TextParams p;
    p.font = layout::Get<uint16_t>(data, layout::kDataSize, layout::kDataFont);
    p.height = layout::Get<float>(data, layout::kDataSize, layout::kDataHeight);
    p.widthFactor = layout::Get<float>(data, layout::kDataSize, layout::kDataWidth);
    p.flags = data[layout::kDataFlags];
    return TextLength(p, s);
}

}  // extern "C"

extern "C" {

// The reference host has no entity editor of its own: the call is recorded and declined,
// so the command goes on as after an edit that changed nothing.
int EEdit(EntRec* entity) {
    qlhost::Node* node = qlhost::NodeOf(entity);
    if (node == nullptr) {
        qlhost::ScriptFault("EEdit: not a stored entity");
        return 0;
    }
    qlhost::Transcript("host edit of entity " + std::to_string(node->id));
    return 0;
}

}  // extern "C"

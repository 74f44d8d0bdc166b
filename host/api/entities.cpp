// Entity geometry calls: ETran, EInfo, EGet, EXCheck, GXCheckP2, FindAllInts, EPick.
#include <cmath>
#include <cstring>
#include <vector>

#include "core/host_api.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/geometry/pick.h"

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

std::vector<double>& IntersectionBuffer() {
    static std::vector<double> buffer;
    return buffer;
}

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

// The border list, scan-line crossings, row tables and the filling of one family.
#include "hatch/engine/border.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/geometry.h"
#include "core/records.h"

namespace {

constexpr char kBorderListName[] = "~HatchBorder.cv7";
constexpr int kTemporaryListMode = 2;

// EInfo (entity, 1) bits.
constexpr uint32_t kInfoBoundary = 0x02;
constexpr uint32_t kInfoClosed = 0x04;
constexpr uint32_t kInfoAnnotation = 0x10;

constexpr double kStartMin = 5;
constexpr double kStartMax = 800;

bool IsExploded(int type) {
    return type == ET_ELLIPSE || type == ET_ELLIPSE_ARC || type == ET_CURVE ||
           type == ET_CLOSED_CURVE || type == ET_BEZIER;
}

// EExplode's callback carries no user value: the border list being filled.
DList* g_explodeInto = nullptr;

int CopyExplodedPart(EntRec* part) {
    CopyEntity(g_explodeInto, part);
    RemoveEntity(GetWorkDL(), part);
    return 0;
}

int CollectEntity(DList* list, EntRec* entity, void* user1, void* user2) {
    CollectBorderEntity(*static_cast<HatchBorder*>(user1), list, entity,
                        static_cast<const double*>(user2));
    return 0;
}

int RotateEntity(DList*, EntRec* entity, void* user1, void* user2) {
    EntRec* turned = ETran(entity, static_cast<const double*>(user2));
    EXCheck(turned, static_cast<ExtentRec*>(user1));
    return 0;
}

// Crossings of entities the fill core has no pieces for, found by the host: the straddle
// test on their extents, then every intersection point lying on the entity; a closed curve
// touched at one point contributes nothing.
void HostCrossings(EntRec* entity, const ScanLine& scan, std::vector<double>& crossings) {
    ExtentRec extent;
    ResetExtent(extent);
    EXCheck(entity, &extent);
    const int across = scan.vertical ? 0 : 1;
    const double lo = extent.min[across];
    const double hi = extent.max[across];
    if (!((lo < scan.at && hi > scan.at) || (lo >= scan.at && hi <= scan.at))) return;
    double from[2] = {scan.at, scan.from};
    double to[2] = {scan.at, scan.to};
    if (!scan.vertical) {
        std::swap(from[0], from[1]);
        std::swap(to[0], to[1]);
    }
    RecordBuffer line = BuildLine(from, to);
    double* points = nullptr;
    const int count = FindAllInts(line.data(), entity, &points);
    if (count <= 0 || points == nullptr) return;
    if (count == 1 && (EInfo(entity, 1) & kInfoClosed) != 0) return;
    for (int i = 0; i < count; ++i) {
        double point[2];
        IntersectionPoint(points, i, point);
        double t = -1;
        if (EGet(entity, 2, point, &t) != 0 && t >= 0 && t <= 1) {
            crossings.push_back(point[1 - across]);
        }
    }
}

int AddToShape(DList*, EntRec* entity, void* user1, void*) {
    BorderShape& shape = *static_cast<BorderShape*>(user1);
    if (!AppendEntityPieces(entity, shape.vertical, shape.pieces)) shape.others.push_back(entity);
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Border

void ResetBorderExtent(ExtentRec& extent) {
    extent.min[0] = kStartMin;
    extent.min[1] = kStartMin;
    extent.min[2] = 0;
    extent.max[0] = kStartMax;
    extent.max[1] = kStartMax;
    extent.max[2] = 0;
    extent.valid = 0;
}

bool CreateHatchBorder(HatchBorder& border) {
    border.list = CreateDList(kBorderListName, kTemporaryListMode);
    ResetBorderExtent(border.extent);
    return border.list != nullptr;
}

void ReleaseHatchBorder(HatchBorder& border) {
    if (border.list != nullptr) ReleaseList(border.list);
    border.list = nullptr;
}

void CollectBorderEntity(HatchBorder& border, DList* list, EntRec* entity, const double* matrix) {
    const uint32_t info = EInfo(entity, 1);
    if ((info & kInfoBoundary) != 0 && (info & kInfoAnnotation) == 0) {
        EntRec* copy = CopyEntity(border.list, entity);
        if (copy == nullptr) return;
        if (matrix != nullptr) copy = ETran(copy, matrix);
        EXCheck(copy, &border.extent);
        if (IsExploded(RecordType(copy))) {
            g_explodeInto = border.list;
            if (EExplode(copy, CopyExplodedPart) != 0) RemoveEntity(border.list, copy);
            g_explodeInto = nullptr;
        }
    } else if (DList* members = SubList(list, entity)) {
        // A symbol reference holds its definition's members in the symbol's own coordinates:
        // they bound where the reference shows them, nested references composing.
        if (RecordType(entity) == ET_SYMBOL) {
            HostMatrix placed;
            SymbolMemberMatrix(entity, matrix, placed);
            ForEachEntity(members, CollectEntity, SCOPE_ALL, &border, placed);
            return;
        }
        ForEachEntity(members, CollectEntity, SCOPE_ALL, &border, const_cast<double*>(matrix));
    }
}

void CollectBorder(HatchBorder& border, DList* list, const double* matrix, uint32_t scope) {
    ForEachEntity(list, CollectEntity, scope, &border, const_cast<double*>(matrix));
}

void RotateBorder(HatchBorder& border, double angle) {
    HostMatrix matrix;
    RotationMatrix(angle, matrix);
    ResetBorderExtent(border.extent);
    ForEachEntity(border.list, RotateEntity, SCOPE_ALL, &border.extent, matrix);
}

void RotationMatrix(double angle, double* matrix) {
    CTMI2();
    CTMR2(angle);
    STCTM(matrix);
}

// ---------------------------------------------------------------------------------------
// Crossings and rows

void CollectCrossings(DList* border, const ScanLine& scan, std::vector<double>& crossings) {
    CollectCrossings(SplitBorder(border, scan.vertical), scan, crossings);
}

BorderShape SplitBorder(DList* border, bool vertical) {
    BorderShape shape;
    shape.vertical = vertical;
    if (border != nullptr) ForEachEntity(border, AddToShape, SCOPE_ALL, &shape);
    return shape;
}

void CollectCrossings(const BorderShape& shape, const ScanLine& scan,
                      std::vector<double>& crossings) {
    for (const BorderPiece& piece : shape.pieces) {
        if (PieceCrosses(piece, scan.at)) crossings.push_back(PieceCrossing(piece, scan.at));
    }
    for (EntRec* entity : shape.others) HostCrossings(entity, scan, crossings);
}

int16_t LineStyleNumber(const char* name, size_t width) {
    const std::string bounded(name, strnlen(name, width));
    const unsigned char* style = FindLStyleName(bounded.c_str());
    return style == nullptr ? 0 : GetI16(style, kEntryNumber);
}

RowTables BuildRowTables(const LineSettings& settings) {
    RowTables rows;
    rows.step[0] = settings.distance;
    rows.style[0] = LineStyleNumber(settings.rowStyle[0], kStyleNameSize);
    rows.count = 1;
    for (int k = 1; k < kRowCount; ++k) {
        if (settings.rowOn[k] != 1) continue;
        rows.style[rows.count] = LineStyleNumber(settings.rowStyle[k], kStyleNameSize);
        rows.step[rows.count] = RowOffsetFactor(settings) * settings.rowOffset[k];
        rows.step[0] -= rows.step[rows.count];
        ++rows.count;
    }
    return rows;
}

// ---------------------------------------------------------------------------------------
// Families

FillOutcome FillFamily(DList* target, const HatchFamily& family, const HatchBorder& border,
                       const double* toDrawing, const EntRec* templateEntity,
                       PieceBudget* budget) {
    if (border.list == nullptr) return FillOutcome::kRefused;
    BorderShape shape = SplitBorder(border.list, true);
    if (shape.pieces.empty() && shape.others.empty()) return FillOutcome::kDrawn;

    const SweepBounds bounds{border.extent.min[0], border.extent.max[0], border.extent.min[1],
                             border.extent.max[1]};
    CrossingSweep sweep(std::move(shape.pieces));
    const CrossingSource source = [&](double x, std::vector<double>& found) {
        sweep.Collect(x, found);
        for (EntRec* entity : shape.others) {
            HostCrossings(entity, ScanLine{true, x, bounds.yMin, bounds.yMax}, found);
        }
    };
    RecordBuffer line(ET_LINE, kLineSize);
    const LineSink sink = [&](double x, double yFrom, double yTo) {
        PutPoint(line.data(), kLineStart, x, yFrom);
        PutPoint(line.data(), kLineEnd, x, yTo);
        EntRec* entity = AddEntity(target, line.data());
        if (entity == nullptr) return;
        if (templateEntity != nullptr) {
            CopyCStuff(templateEntity, entity);
        } else {
            SetCStuff(entity);
        }
        entity = ETran(entity, toDrawing);
        PutI16(entity, kRecLineStyle, family.lineStyle);
        MarkEntity(target, entity);
        EDraw(0, entity);
    };
    return SweepFamily(family, bounds, source, sink, budget);
}

// QLCUT, Copy / Enlarge: the enlarged copy follows the cursor (CTRL scales it, a typed
// number sets the scale) and is placed with the boundary about both areas and the two lines
// that join them.
#include <cmath>
#include <limits>

#include "core/geometry.h"
#include "core/hooks.h"
#include "core/records.h"
#include "edit/cut.h"
#include "transform/drag_helpers.h"
#include "transform/engine.h"

namespace {

constexpr uint32_t kPlaceFlags = REQ_FLAG_NUMBER;
constexpr int kPlaceExtra = 723;
constexpr int kSnapPlacement = 2;
// A cursor step of this fraction of the view height doubles (or halves) the scale.
constexpr double kScaleStepsPerView = 6.0;
// The quarter turn as the cut takes it.
constexpr double kQuarterTurn = 1.570796325;
// Two circle centres, or the two ends of a connecting line, nearer than this coincide.
constexpr double kCoincident = 1e-12;

const char kPlacePrompt[] = "Place at (CTRL = scale):";

bool Coincide(const double* a, const double* b) {
    return DistanceOf(a, b) <= kCoincident;
}

int CircleLines(const EntRec* boundary, const EntRec* copy, double lines[2][4]) {
    if (RecordLength(boundary) < kCircleSize || RecordLength(copy) < kCircleSize) return 0;
    double c1[2], c2[2];
    GetPoint(boundary, kCircleCentre, c1);
    GetPoint(copy, kCircleCentre, c2);
    double r1 = GetF64(boundary, kCircleRadius);
    double r2 = GetF64(copy, kCircleRadius);
    double d = DistanceOf(c1, c2);
    // Without outer tangents (one circle holds the other, or the centres coincide) the
    // two areas need no lines between them.
    if (!(d > kCoincident) || !(std::fabs(r2 - r1) < d)) return 0;
    double theta = AngleOf(c1, c2);
    double alpha = std::asin((r2 - r1) / d);
    double sides[2] = {theta + alpha + kQuarterTurn, theta - alpha - kQuarterTurn};
    for (int i = 0; i < 2; ++i) {
        PolarPoint(c1, r1, sides[i], lines[i]);
        PolarPoint(c2, r2, sides[i], lines[i] + 2);
    }
    return 2;
}

// Vertices of a polygon record without the closing repeat of the first one.
uint32_t DistinctVertices(const EntRec* polygon) {
    uint32_t length = RecordLength(polygon);
    if (length < kPolyVertices) return 0;
    uint32_t count = GetU16(polygon, kPolyCount);
    if (length < PolySize(count)) return 0;
    if (count > 1) {
        double first[2], last[2];
        GetPoint(polygon, PolyVertex(0), first);
        GetPoint(polygon, PolyVertex(count - 1), last);
        if (first[0] == last[0] && first[1] == last[1]) --count;
    }
    return count;
}

// Of the lines joining a vertex to its copy, the one with every other vertex furthest to
// its left (largest minimum signed distance) and the one with every other vertex furthest to
// its right (smallest maximum); the lowest index wins ties.
int PolygonLines(const EntRec* boundary, const EntRec* copy, double lines[2][4]) {
    uint32_t n = DistinctVertices(boundary);
    if (n < 2 || DistinctVertices(copy) != n) return 0;
    double bestMin = -std::numeric_limits<double>::infinity();
    double bestMax = std::numeric_limits<double>::infinity();
    int first = -1, second = -1;
    for (uint32_t i = 0; i < n; ++i) {
        double a[2], b[2];
        GetPoint(boundary, PolyVertex(i), a);
        GetPoint(copy, PolyVertex(i), b);
        if (Coincide(a, b)) continue;
        double low = std::numeric_limits<double>::infinity();
        double high = -std::numeric_limits<double>::infinity();
        for (uint32_t j = 0; j < n; ++j) {
            if (j == i) continue;
            double other[2];
            GetPoint(boundary, PolyVertex(j), other);
            double distance = DistP2L(other, a, b);
            low = std::fmin(low, distance);
            high = std::fmax(high, distance);
        }
        if (low > bestMin) {
            bestMin = low;
            first = static_cast<int>(i);
        }
        if (high < bestMax) {
            bestMax = high;
            second = static_cast<int>(i);
        }
    }
    int count = 0;
    for (int index : {first, second}) {
        if (index < 0) continue;
        GetPoint(boundary, PolyVertex(static_cast<uint32_t>(index)), lines[count]);
        GetPoint(copy, PolyVertex(static_cast<uint32_t>(index)), lines[count] + 2);
        ++count;
    }
    return count;
}

// The connecting lines for the current place: the boundary is copied into the copy list,
// transformed, read and removed again.
int CurrentLines(double lines[2][4]) {
    CutRun& run = TheCutRun();
    EntRec* copy = AddEntity(run.copyList, run.boundary);
    if (copy == nullptr) return 0;
    EntRec* moved = ETran(copy, run.matrix);
    if (moved == nullptr) moved = copy;
    int count = ConnectingLines(run.boundary, moved, lines);
    RemoveEntity(run.copyList, moved);
    return count;
}

void RebuildTransform() {
    CutRun& run = TheCutRun();
    CutTransform(run.base, run.place, TheCutSettings().defaultScale, run.matrix);
}

int DrawMovedCopy(DList* list, EntRec* entity, void* ctx, void*) {
    EntRec* copy = CopyEntity(list, entity);
    if (copy == nullptr) return 0;
    EntRec* moved = ETran(copy, TheCutRun().matrix);
    if (moved == nullptr) moved = copy;
    EDrawM(ctx, moved);
    RemoveEntity(list, moved);
    return 0;
}

void CutPlacementDrag(void* ctx) {
    CutRun& run = TheCutRun();
    CutSettings& settings = TheCutSettings();
    double* live = LiveCursorPosition();
    double cursor[3];
    CopyPoint3(cursor, live);
    bool moved = !run.haveCursor || cursor[0] != run.previousCursor[0] ||
                 cursor[1] != run.previousCursor[1] || cursor[2] != run.previousCursor[2];
    if (moved) {
        if (KeyDown(VK_CONTROL)) {
            double rise = run.haveCursor ? cursor[1] - run.previousCursor[1] : 0.0;
            double scale = settings.defaultScale *
                           DragFactor(DragStep(rise * kScaleStepsPerView, DragViewHeight(ctx)));
            if (ScaleInRange(scale)) settings.defaultScale = scale;
            run.ctrlScale = true;
        } else {
            ProcCsrSnap(kSnapPlacement);
            CopyPoint3(run.place, live);
            CopyPoint3(live, cursor);
        }
        RebuildTransform();
        CopyPoint3(run.previousCursor, cursor);
        run.haveCursor = true;
    }
    ForEachEntity(run.copyList, DrawMovedCopy, SCOPE_ALL, ctx);
    if (settings.drawBoundary) {
        if (CutBuildsBoundary()) EDrawM(ctx, run.boundary);
        double lines[2][4];
        int count = CurrentLines(lines);
        for (int i = 0; i < count; ++i) GetGDraw2()->DrawLine(ctx, lines[i], lines[i] + 2);
    }
    if (run.ctrlScale) {
        DrawDragStatus(ctx, cursor, DS_SCALE, &settings.defaultScale, nullptr, nullptr);
        XHReqCsr3(ctx);
    } else {
        CopyPoint3(live, run.place);
        XHReqCsr3(ctx);
        CopyPoint3(live, cursor);
    }
    SetArrowCursor();
}

int PlaceCopy(DList*, EntRec* entity, void*, void*) {
    DList* work = GetWorkDL();
    EntRec* copy = CopyEntity(work, entity);
    if (copy == nullptr) return 0;
    EntRec* moved = ETran(copy, TheCutRun().matrix);
    if (moved == nullptr) moved = copy;
    EDraw(0, moved);
    MarkEntity(work, moved);
    SetNewTag(moved);
    return 0;
}

void AddSelected(DList* work, const EntRec* record) {
    EntRec* stored = AddEntity(work, record);
    if (stored == nullptr) return;
    MarkEntity(work, stored);
    EDraw(0, stored);
}

void PlaceEnlargedCopy() {
    CutRun& run = TheCutRun();
    DList* work = GetWorkDL();
    run.place[0] = run.answer[0];
    run.place[1] = run.answer[1];
    run.place[2] = 0.0;
    RebuildTransform();
    ForEachEntity(run.copyList, PlaceCopy, SCOPE_ALL);
    if (TheCutSettings().drawBoundary) {
        if (CutBuildsBoundary()) {
            SetCStuff(run.boundary);
            AddSelected(work, run.boundary);
        }
        double lines[2][4];
        int count = CurrentLines(lines);
        for (int i = 0; i < count; ++i) {
            RecordBuffer line = BuildLine(lines[i], lines[i] + 2);
            SetCStuff(line.data());
            AddSelected(work, line.data());
        }
    }
    ShowChanges();
}

void OnPlace(int status);

void AskPlace() {
    ReqData(REQ_POINT2, TheCutRun().answer, kPlacePrompt, QL_DRAG(CutPlacementDrag), OnPlace,
            kPlaceFlags, kPlaceExtra);
}

void OnPlace(int status) {
    CutRun& run = TheCutRun();
    if (status == ST_NUMBER) {
        double number = run.answer[0];
        if (CutScaleAccepted(number)) TheCutSettings().defaultScale = number;
        run.previousCursor[0] += 1.0;
        AskPlace();
        return;
    }
    if (status == ST_OK) PlaceEnlargedCopy();
    ReleaseList(run.copyList);
    run.copyList = nullptr;
    CmdEnd();
}

}  // namespace

int ConnectingLines(const EntRec* boundary, const EntRec* copy, double lines[2][4]) {
    int type = RecordType(boundary);
    if (type != RecordType(copy)) return 0;
    if (type == ET_CIRCLE) return CircleLines(boundary, copy, lines);
    if (type == ET_POLYGON) return PolygonLines(boundary, copy, lines);
    return 0;
}

void CutTransform(const double* base, const double* place, double scale, double* matrix) {
    CTMPSH();
    CTMI3();
    CTMT3(-base[0], -base[1], -base[2]);
    CTMS3(scale, scale, scale);
    CTMT3(place[0], place[1], place[2]);
    STCTM(matrix);
    CTMPOP();
}

void StartCutPlacement(const double* base) {
    CutRun& run = TheCutRun();
    CopyPoint3(run.base, base);
    run.place[0] = run.place[1] = run.place[2] = 0.0;
    run.haveCursor = false;
    run.ctrlScale = false;
    RebuildTransform();
    AskPlace();
}

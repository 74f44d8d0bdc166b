// QLMTRIM: trim every selected entity against one temporary trim line, keeping the pieces
// on the side of a given point. The trim line itself never joins the drawing.
#include <algorithm>
#include <vector>

#include "core/commands.h"
#include "core/geometry.h"
#include "core/host_api.h"
#include "core/layers.h"
#include "core/records.h"

namespace {

constexpr int kCursorSelect = 7;
constexpr int kCursorPoint = 4;
constexpr int kCursorRubber = 5;
constexpr int kCursorPlain = 1;
constexpr double kHalfway = 0.5;

struct TrimState {
    RecordBuffer line;
    double start[3] = {0, 0, 0};
    double end[3] = {0, 0, 0};
    double keepPoint[3] = {0, 0, 0};
};
TrimState g_trim;

// 1 on the left of the trim line (from start towards end), 0 on it or to its right.
int SideOf(const EntRec* line, const double* point) {
    double start[2], end[2];
    GetPoint(line, kLineStart, start);
    GetPoint(line, kLineEnd, end);
    return DistP2L(point, start, end) > 0.0 ? 1 : 0;
}

// A trim line whose ends coincide has no sides, so it cuts nothing.
bool HasLength(const EntRec* line) {
    double start[2], end[2];
    GetPoint(line, kLineStart, start);
    GetPoint(line, kLineEnd, end);
    return start[0] != end[0] || start[1] != end[1];
}

// A piece stays (and is drawn) when its midpoint lies on the kept side; otherwise it goes.
// A piece whose midpoint cannot be found stays.
void JudgePiece(DList* list, EntRec* piece, const EntRec* line, int keep) {
    double half = kHalfway;
    double middle[2];
    if (!EGet(piece, 0, &half, middle) || SideOf(line, middle) == keep) {
        EDraw(0, piece);
    } else {
        RemoveEntity(list, piece);
    }
}

struct Crossing {
    double t;  // parameter along the entity before any split
    double point[2];
};

int TrimEntity(DList* list, EntRec* entity, void* lineRecord, void* keepSide) {
    const EntRec* line = static_cast<const EntRec*>(lineRecord);
    int keep = *static_cast<const int*>(keepSide);
    EErase(0, entity);
    double* found = nullptr;
    int count = HasLength(line) ? FindAllInts(const_cast<EntRec*>(line), entity, &found) : 0;
    std::vector<Crossing> crossings;
    for (int i = 0; found != nullptr && i < count; ++i) {
        Crossing c{};
        IntersectionPoint(found, i, c.point);
        if (!EGet(entity, 2, c.point, &c.t)) c.t = 0.0;
        crossings.push_back(c);
    }
    // Splitting in order along the entity leaves every later crossing on the last piece.
    std::stable_sort(crossings.begin(), crossings.end(),
                     [](const Crossing& a, const Crossing& b) { return a.t < b.t; });
    EntRec* current = crossings.empty() ? nullptr : LocateEntity(list, entity);
    bool split = false;
    for (const Crossing& c : crossings) {
        if (current == nullptr) break;
        double t;
        if (!EGet(current, 2, c.point, &t) || !(t > 0.0 && t < 1.0)) continue;
        EntRec* a = nullptr;
        EntRec* b = nullptr;
        if (!ESplit(current, t, &a, &b)) continue;
        split = true;
        if (a != nullptr && b != nullptr && a != b) JudgePiece(list, a, line, keep);
        current = b != nullptr ? b : a;
    }
    if (split && current != nullptr) {
        JudgePiece(list, current, line, keep);
    } else if (!split) {
        UnmarkEntity(list, entity);
        EDraw(0, entity);
    }
    return 0;
}

void EndCancelled() {
    RedrawSelection();
    CmdEnd();
}

void OnKeepSide(int status) {
    if (status != ST_OK) {
        EndCancelled();
        return;
    }
    g_trim.line = BuildLine(g_trim.start, g_trim.end);
    int keep = SideOf(g_trim.line.data(), g_trim.keepPoint);
    DList* work = GetWorkDL();
    BeginChange(work);
    ForEachEntity(work, TrimEntity, SCOPE_SELECTED | SCOPE_VISIBLE, g_trim.line.data(), &keep);
    ShowChanges();
    CmdEnd();
}

void OnEnd(int status) {
    if (status != ST_OK) {
        EndCancelled();
        return;
    }
    ReqData(REQ_POINT3, g_trim.keepPoint, "Keep side:", QL_CURSOR(kCursorPlain), OnKeepSide, 0, 0);
}

void OnStart(int status) {
    if (status != ST_OK) {
        EndCancelled();
        return;
    }
    SetRubberOrigin2(g_trim.start);
    ReqData(REQ_POINT3, g_trim.end, "End of trim line:", QL_CURSOR(kCursorRubber), OnEnd, 0, 0);
}

void OnSelected(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    ReqData(REQ_POINT3, g_trim.start, "Start of trim line:", QL_CURSOR(kCursorPoint), OnStart, 0,
            0);
}

}  // namespace

void QLMTRIM() {
    g_trim = TrimState{};
    ReqData(REQ_SELECTION, nullptr, "Multi trim - pick entities:", QL_CURSOR(kCursorSelect),
            OnSelected, 0, 0);
}

// QLCUT: the walk that classifies the selected entities against the boundary, splits those
// that cross it, and acts on each entity or piece by the side it lies on.
#include <cmath>
#include <vector>

#include "core/geometry.h"
#include "core/layers.h"
#include "core/prompts.h"
#include "edit/cut.h"

namespace {

// A crossing point is tried on a piece only when the piece passes this near it: the host
// finds crossings on flattened curves, so they may lie a little off the true curve.
constexpr double kOnPieceTolerance = 1e-3;
constexpr double kOnPieceRelative = 1e-9;
constexpr double kHalfway = 0.5;

struct Point2 {
    double x, y;
};

bool KeptSide(CutVerdict verdict) {
    const CutSettings& settings = TheCutSettings();
    bool keepInside = settings.operation == kCutCopy || settings.keep == kKeepInside;
    return (verdict == CutVerdict::Inside) == keepInside;
}

// What a verdict does, in the list the entity lives in.
void ActOnVerdict(DList* list, EntRec* entity, CutVerdict verdict) {
    int operation = TheCutSettings().operation;
    if (verdict == CutVerdict::Untouched) {
        EDraw(0, entity);
        if (operation != kCutCopy) UnmarkEntity(list, entity);
        return;
    }
    bool kept = KeptSide(verdict);
    switch (operation) {
        case kCutDelete:
            if (kept) {
                EDraw(0, entity);
            } else {
                UnmarkEntity(list, entity);
                EErase(0, entity);
                DeleteEntity(list, entity);
            }
            break;
        case kCutCopy:
            if (!kept) RemoveEntity(list, entity);
            break;
        default:
            if (kept) {
                EMark(entity);
                MarkEntity(list, entity);
            } else {
                EDraw(0, entity);
                UnmarkEntity(list, entity);
            }
            break;
    }
}

CutVerdict InsideVerdict(EntRec* entity) {
    double point[2];
    if (!CutTestPoint(entity, point)) return CutVerdict::Outside;
    return InsideBoundary(TheCutRun().boundary, point) ? CutVerdict::Inside : CutVerdict::Outside;
}

// The parameter of a crossing point on a piece, when the point lies on the piece strictly
// between its ends. A point of another piece is not tried here, however near its nearest
// point on this piece falls.
bool ParameterOnPiece(EntRec* piece, const Point2& crossing, double& t) {
    const double point[2] = {crossing.x, crossing.y};
    if (!EGet(piece, 2, point, &t) || !(t > 0.0 && t < 1.0)) return false;
    double onPiece[2];
    if (!EGet(piece, 0, &t, onPiece)) return true;
    double tolerance =
        kOnPieceTolerance + kOnPieceRelative * (std::fabs(point[0]) + std::fabs(point[1]));
    return DistanceOf(point, onPiece) <= tolerance;
}

// A fresh copy of a piece in the copy list in place of the piece.
EntRec* RefreshPiece(DList* list, EntRec* piece) {
    EntRec* fresh = CopyEntity(list, piece);
    if (fresh == nullptr) return piece;
    RemoveEntity(list, piece);
    return fresh;
}

// A split that made two new pieces must not leave the original whole beneath them.
void DropUnusedOriginal(DList* list, EntRec* piece, EntRec* a, EntRec* b) {
    EntRec* stored = LocateEntity(list, piece);
    if (stored == nullptr || stored == a || stored == b) return;
    if (TheCutSettings().operation == kCutCopy) {
        RemoveEntity(list, stored);
    } else {
        UnmarkEntity(list, stored);
        EErase(0, stored);
        DeleteEntity(list, stored);
    }
}

// Splits an entity at the crossing points. Each split tries every point still left on its
// piece A first (its own walk over the remaining points) and then on piece B, so a point
// reaches whichever piece holds it; every final piece gets the verdict of the inside test.
// Pieces wait on a stack rather than in recursion, so many crossings cannot exhaust it.
void SplitAtCrossings(DList* list, EntRec* entity, const std::vector<Point2>& points) {
    struct Pending {
        EntRec* piece;
        size_t remaining;  // points [0, remaining) are still to try, the last first
    };
    bool copy = TheCutSettings().operation == kCutCopy;
    std::vector<Pending> pending{{entity, points.size()}};
    while (!pending.empty()) {
        EntRec* piece = pending.back().piece;
        size_t remaining = pending.back().remaining;
        pending.pop_back();
        while (piece != nullptr && remaining > 0) {
            const Point2& crossing = points[--remaining];
            double t;
            if (!ParameterOnPiece(piece, crossing, t)) continue;
            EntRec* a = nullptr;
            EntRec* b = nullptr;
            if (!ESplit(piece, t, &a, &b)) continue;
            DropUnusedOriginal(list, piece, a, b);
            bool single = b == nullptr || b == a;
            if (copy) {
                if (!single) b = RefreshPiece(list, b);
                if (a != nullptr) a = RefreshPiece(list, a);
            }
            if (single) b = a;
            if (a != nullptr && b != nullptr && a != b) {
                pending.push_back({b, remaining});
                piece = a;
            } else {
                piece = b != nullptr ? b : a;
            }
        }
        if (piece != nullptr) ActOnVerdict(list, piece, InsideVerdict(piece));
    }
}

bool IsUntouchable(EntRec* entity) {
    int layer = RecordLayer(entity);
    return entity == TheCutRun().boundary || RecordType(entity) == ET_TYPE11 ||
           IsLayerHidden(layer) || AskLayerFrozen(layer) != 0;
}

int ClassifyEntity(DList* list, EntRec* entity, void*, void*) {
    CutRun& run = TheCutRun();
    bool copy = TheCutSettings().operation == kCutCopy;
    if (RecordType(entity) == ET_GROUP) {
        if (DList* members = SubList(list, entity)) {
            EDraw(0, entity);
            ForEachEntity(members, ClassifyEntity, SCOPE_ALL);
            return 0;
        }
    }
    if (IsUntouchable(entity)) {
        ActOnVerdict(list, entity, CutVerdict::Untouched);
        return 0;
    }
    ExtentRec extent;
    ResetExtent(extent);
    EXCheck(entity, &extent);
    if (extent.valid == 0) {
        ActOnVerdict(list, entity, CutVerdict::Untouched);
        return 0;
    }
    if (!ExtentsOverlap(run.boundaryExtent, extent)) {
        ActOnVerdict(list, entity, copy ? CutVerdict::Untouched : CutVerdict::Outside);
        return 0;
    }
    std::vector<Point2> points;
    if (RecordType(entity) != ET_SYMBOL) {
        double* found = nullptr;
        int count = FindAllInts(entity, run.boundary, &found);
        if (found != nullptr) {
            for (int i = 0; i < count; ++i) {
                double point[2];
                IntersectionPoint(found, i, point);
                points.push_back({point[0], point[1]});
            }
        }
    }
    if (points.empty()) {
        CutVerdict verdict = InsideVerdict(entity);
        if (!copy) {
            ActOnVerdict(list, entity, verdict);
        } else {
            if (verdict == CutVerdict::Inside) CopyEntity(run.copyList, entity);
            EDraw(0, entity);
        }
        return 0;
    }
    if (copy) {
        EDraw(0, entity);
        EntRec* piece = CopyEntity(run.copyList, entity);
        if (piece != nullptr) SplitAtCrossings(run.copyList, piece, points);
    } else {
        EErase(0, entity);
        EntRec* stored = LocateEntity(list, entity);
        if (stored != nullptr) SplitAtCrossings(list, stored, points);
    }
    return 0;
}

// The circle or box boundary joins the drawing (or the copy) when it is to be drawn.
void AddBoundary(DList* work) {
    const CutSettings& settings = TheCutSettings();
    CutRun& run = TheCutRun();
    if (!settings.drawBoundary) return;
    if (!CutBuildsBoundary()) {
        if (settings.operation == kCutCopy) CopyEntity(run.copyList, run.boundary);
        return;
    }
    SetCStuff(run.boundary);
    if (settings.operation == kCutCopy) {
        AddEntity(run.copyList, run.boundary);
        return;
    }
    if (EntRec* stored = AddEntity(work, run.boundary)) EDraw(0, stored);
}

}  // namespace

bool ExtentsOverlap(const ExtentRec& a, const ExtentRec& b) {
    return a.max[0] > b.min[0] && a.min[0] < b.max[0] && a.max[1] > b.min[1] && a.min[1] < b.max[1];
}

bool CutTestPoint(EntRec* entity, double* point) {
    uint32_t length = RecordLength(entity);
    int type = RecordType(entity);
    if (type == ET_TEXT && length >= kTextY + 8) {
        point[0] = GetF64(entity, kTextX);
        point[1] = GetF64(entity, kTextY);
        return true;
    }
    if (type == ET_SYMBOL && length >= kSymTranslateY + 8) {
        point[0] = GetF64(entity, kSymTranslateX);
        point[1] = GetF64(entity, kSymTranslateY);
        return true;
    }
    double half = kHalfway;
    if (EGet(entity, 0, &half, point)) return true;
    ExtentRec extent;
    ResetExtent(extent);
    EXCheck(entity, &extent);
    if (extent.valid == 0) return false;
    point[0] = (extent.min[0] + extent.max[0]) / 2;
    point[1] = (extent.min[1] + extent.max[1]) / 2;
    return true;
}

bool InsideBoundary(const EntRec* boundary, const double* point) {
    uint32_t length = RecordLength(boundary);
    switch (RecordType(boundary)) {
        case ET_CIRCLE: {
            if (length < kCircleSize) return false;
            double centre[2];
            GetPoint(boundary, kCircleCentre, centre);
            return DistanceOf(centre, point) < GetF64(boundary, kCircleRadius);
        }
        case ET_POLYGON:
            return PointInPolygonRecord(boundary, point);
        default:
            return false;
    }
}

void ApplyCut() {
    const CutSettings& settings = TheCutSettings();
    CutRun& run = TheCutRun();
    DList* work = GetWorkDL();
    if (settings.operation == kCutCopy) {
        run.copyList = CreateDList("~CopyDL.cv7", 2);
        if (run.copyList == nullptr) {
            ShowMessage("Error: Couldn't create temporary drawing list 1\n\nExiting...", "Error",
                        MS_ERROR);
            RedrawSelection();
            CmdEnd();
            return;
        }
    }
    ResetExtent(run.boundaryExtent);
    EXCheck(run.boundary, &run.boundaryExtent);
    BeginChange(work);
    if (run.boundaryExtent.valid != 0) ForEachEntity(work, ClassifyEntity, SCOPE_SELECTED);
    AddBoundary(work);
    ShowChanges();
    if (settings.operation != kCutCopy) {
        CmdEnd();
        return;
    }
    const ExtentRec& e = run.boundaryExtent;
    const double base[3] = {(e.min[0] + e.max[0]) / 2, (e.min[1] + e.max[1]) / 2, 0.0};
    StartCutPlacement(base);
}

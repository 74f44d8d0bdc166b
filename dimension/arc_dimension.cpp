// QLDIMA: two leaders, each along a picked line or polyline or towards a given direction,
// meet at the centre; the user drags the dimension arc to its radius and places the text,
// and one type-30 dimension with the current dimension style is added.
#include "dimension/arc_dimension.h"

#include <cstring>
#include <utility>

#include "core/dialog_helpers.h"
#include "core/commands.h"
#include "core/geometry.h"
#include "core/hooks.h"
#include "core/prompts.h"
#include "core/records.h"

namespace {

constexpr double kHalfTurn = 3.14159265;
constexpr double kFullTurn = 6.2831853;
constexpr double kRadiansPerDegree = 3.14159265 / 180;
constexpr double kLeaderReach = 100;       // length of the leader segments for the crossing
constexpr double kAtCentre = 0.001;        // a leader point this close to the centre has no angle
constexpr double kSamePoint = 1e-9;        // a pick this close to the entity point gives no direction
constexpr double kPickPixels = 4;          // a pick counts within this many pixels of an entity

constexpr int kCursorPoint = 4;
constexpr int kCursorRubber = 5;
constexpr int kQueryPoint = 0;
constexpr int kQueryParameter = 2;
constexpr int kRawPickResource = 4198;
constexpr size_t kRawPickPosition = 36;
constexpr int kLiveCursorResource = 4147;
constexpr int kSnapMode = 0;

// The type-30 record after the style block.
constexpr size_t kCentre = 148;
constexpr size_t kRadius = 164;
constexpr size_t kStart = 172;
constexpr size_t kSweep = 180;
constexpr size_t kStartDistance = 188;
constexpr size_t kEndDistance = 196;
constexpr size_t kTextPosition = 204;
constexpr size_t kReserved = 220;
constexpr size_t kReservedSize = 8;
constexpr size_t kOutside = 228;
constexpr size_t kFlags = 229;
constexpr size_t kLastByte = 230;
constexpr uint8_t kFlagsStarted = 3;
constexpr uint8_t kFlagTextPlaced = 4;  // the text stands where the user put it

constexpr char kNoDirection[] = "No direction found.\r\n\r\nPlease pick angle towards center";

struct ArcDimensionRun {
    unsigned char record[kDimArcSize];
    Leader leaders[2];
    double centre[2];
    double answer[2];
};

ArcDimensionRun g_run;

void ShowBox(const char* text, const char* caption, uintptr_t style) {
    ShowMessageClosedByRightButton(text, caption, style);
}

// Copies the current dimension style into the record, when the host has a style table.
void RefreshSettings() {
    DList* work = GetWorkDL();
    const unsigned char* style = CurrentTableData(work != nullptr ? GetTemplate(work, TPL_DIM_STYLES) : nullptr);
    if (style == nullptr || GetU32(style - kEntryData, kEntryLength) < kEntryData + kDimStyleSize) return;
    std::memcpy(g_run.record + kDimStyle, style, kDimStyleSize);
}

void StoreSpan(const ArcSpan& span) {
    PutF64(g_run.record, kRadius, span.radius);
    PutF64(g_run.record, kStart, span.start);
    PutF64(g_run.record, kSweep, span.sweep);
    PutF64(g_run.record, kStartDistance, span.startDistance);
    PutF64(g_run.record, kEndDistance, span.endDistance);
}

ArcSpan CurrentSpan() {
    return ArcSpan{GetF64(g_run.record, kRadius), GetF64(g_run.record, kStart), GetF64(g_run.record, kSweep),
                   GetF64(g_run.record, kStartDistance), GetF64(g_run.record, kEndDistance)};
}

void FollowArc(const double* point) {
    StoreSpan(ArcThrough(g_run.centre, g_run.leaders[0], g_run.leaders[1], point));
}

// The text at a point: the flag that keeps it there is set (never added twice) and the
// outside byte follows the point.
void PlaceText(const double* point) {
    PutU8(g_run.record, kFlags, GetU8(g_run.record, kFlags) | kFlagTextPlaced);
    PutPoint(g_run.record, kTextPosition, point);
    PutU8(g_run.record, kOutside, TextOutsideArc(g_run.centre, CurrentSpan(), point) ? 1 : 0);
}

const double* LiveCursor() {
    ProcCsrSnap(kSnapMode);
    return static_cast<const double*>(RscAdr(kLiveCursorResource));
}

void ArcDrag(void* ctx) {
    const double* cursor = LiveCursor();
    RefreshSettings();
    if (cursor != nullptr) FollowArc(cursor);
    EDrawM(ctx, g_run.record);
    XHReqCsr(ctx);
}

void TextDrag(void* ctx) {
    const double* cursor = LiveCursor();
    RefreshSettings();
    if (cursor != nullptr) PlaceText(cursor);
    EDrawM(ctx, g_run.record);
    XHReqCsr(ctx);
}

void OnTextPlaced(int status) {
    if (status == ST_DEFAULT) {
        PutU8(g_run.record, kFlags, GetU8(g_run.record, kFlags) & ~kFlagTextPlaced);
    } else if (status == ST_OK) {
        PlaceText(g_run.answer);
    } else {
        CmdEnd();
        return;
    }
    RefreshSettings();
    DList* work = GetWorkDL();
    BeginChange(work);
    if (EntRec* stored = AddEntity(work, g_run.record)) {
        SetCStuff(stored);
        MarkEntity(work, stored);
        EDraw(0, stored);
    }
    ShowChanges();
    CmdEnd();
}

void OnArcPlaced(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    FollowArc(g_run.answer);
    ReqData(REQ_POINT2, g_run.answer, "Place text [default pos]:", QL_DRAG(TextDrag), OnTextPlaced, 0, 0);
}

void AskArc() {
    if (!LeaderCentre(g_run.leaders[0], g_run.leaders[1], g_run.centre)) {
        ShowBox("Center calculation failed - make sure the lines are not parallel", "Error", MS_ERROR);
        CmdEnd();
        return;
    }
    PutPoint(g_run.record, kCentre, g_run.centre);
    std::memset(g_run.record + kReserved, 0, kReservedSize);
    PutU8(g_run.record, kOutside, 0);
    PutU8(g_run.record, kFlags, kFlagsStarted);
    PutU8(g_run.record, kLastByte, 0);
    ReqData(REQ_POINT2, g_run.answer, "Place dimension arc:", QL_DRAG(ArcDrag), OnArcPlaced, 0, 0);
}

void AskLeader2();

// The direction given at the angle prompt of a leader: a point towards the centre, or a
// typed angle in degrees.
bool TakeDirection(int index, int status) {
    Leader& leader = g_run.leaders[index];
    if (status == ST_OK) {
        leader.direction = AngleOf(leader.point, g_run.answer);
    } else if (status == ST_NUMBER) {
        leader.direction = g_run.answer[0] * kRadiansPerDegree;
    } else {
        CmdEnd();
        return false;
    }
    return true;
}

void OnDirection1(int status) {
    if (TakeDirection(0, status)) AskLeader2();
}

void OnDirection2(int status) {
    if (TakeDirection(1, status)) AskArc();
}

// Takes the point of a leader; true when a direction was found at it, else the user is
// asked for one.
bool TakeLeaderPoint(int index, int status, const char* anglePrompt, ContProc onDirection) {
    if (status != ST_OK) {
        CmdEnd();
        return false;
    }
    Leader& leader = g_run.leaders[index];
    leader.point[0] = g_run.answer[0];
    leader.point[1] = g_run.answer[1];
    if (FindLeaderDirection(leader.point, &leader.direction)) return true;
    ShowBox(kNoDirection, "Warning", MS_WARNING);
    SetRubberOrigin2(leader.point);
    ReqData(REQ_POINT2, g_run.answer, anglePrompt, QL_CURSOR(kCursorRubber), onDirection, REQ_FLAG_NUMBER, 0);
    return false;
}

void OnLeader2(int status) {
    if (TakeLeaderPoint(1, status, "Pick angle towards center:", OnDirection2)) AskArc();
}

void AskLeader2() {
    ReqData(REQ_POINT2, g_run.answer, "Pick point/entity for leader 2:", QL_CURSOR(kCursorPoint), OnLeader2, 0, 0);
}

void OnLeader1(int status) {
    if (TakeLeaderPoint(0, status, "Pick point or enter angle towards center:", OnDirection1)) AskLeader2();
}

struct NearestSearch {
    double raw[2];
    bool found;
    double point[2];
    double distance;
};

int NearestOnEntity(DList*, EntRec* entity, void* user, void*) {
    const int type = RecordType(entity);
    if (type != ET_LINE && type != ET_PATH && type != ET_POLYGON) return 0;
    NearestSearch& search = *static_cast<NearestSearch*>(user);
    double t = 0;
    if (!EGet(entity, kQueryParameter, search.raw, &t)) return 0;
    if (!(t >= 0)) t = 0;
    if (t > 1) t = 1;
    double point[2];
    if (!EGet(entity, kQueryPoint, &t, point)) return 0;
    const double distance = DistanceOf(search.raw, point);
    if (!search.found || distance < search.distance) {
        search.found = true;
        search.point[0] = point[0];
        search.point[1] = point[1];
        search.distance = distance;
    }
    return 0;
}

}  // namespace

ArcSpan ArcThrough(const double* centre, const Leader& first, const Leader& second, const double* point) {
    ArcSpan span{};
    span.radius = DistanceOf(centre, point);
    const double a = AngleOf(centre, point);
    span.startDistance = DistanceOf(centre, first.point);
    double start = span.startDistance > kAtCentre ? AngleOf(centre, first.point) : ANorm(first.direction + kHalfTurn);
    span.endDistance = DistanceOf(centre, second.point);
    double end = span.endDistance > kAtCentre ? AngleOf(centre, second.point) : ANorm(second.direction + kHalfTurn);
    const bool passes = end > start ? !(a < start || a > end) : !(a < start && a > end);
    if (!passes) {
        std::swap(start, end);
        std::swap(span.startDistance, span.endDistance);
    }
    span.start = start;
    span.sweep = end - start;
    if (span.sweep < 0) span.sweep += kFullTurn;
    return span;
}

bool FindLeaderDirection(const double* pick, double* direction) {
    const unsigned char* pickRecord = static_cast<const unsigned char*>(RscAdr(kRawPickResource));
    DList* work = GetWorkDL();
    const ADWin* window = GetADWin();
    if (pickRecord == nullptr || work == nullptr || window == nullptr || window->pixelWidth <= 0) return false;
    NearestSearch search{};
    GetPoint(pickRecord, kRawPickPosition, search.raw);
    ForEachEntity(work, NearestOnEntity, SCOPE_VISIBLE, &search);
    if (!search.found) return false;
    if (!(search.distance < kPickPixels * window->viewWidth / window->pixelWidth)) return false;
    // A pick that is the entity point itself (no snap moved it) points nowhere: the user is
    // asked for the direction instead of taking an arbitrary one.
    if (DistanceOf(pick, search.point) <= kSamePoint) return false;
    *direction = AngleOf(pick, search.point);
    return true;
}

bool LeaderCentre(const Leader& first, const Leader& second, double* centre) {
    double segment1[4] = {first.point[0], first.point[1], 0, 0};
    double segment2[4] = {second.point[0], second.point[1], 0, 0};
    PolarPoint(first.point, kLeaderReach, first.direction, segment1 + 2);
    PolarPoint(second.point, kLeaderReach, second.direction, segment2 + 2);
    return IntL2(segment1, segment2, centre) != 0;
}

bool TextOutsideArc(const double* centre, const ArcSpan& span, const double* text) {
    return span.sweep <= ANorm(AngleOf(centre, text) - span.start);
}

void QLDIMA() {
    std::memset(&g_run, 0, sizeof g_run);
    PutU32(g_run.record, kRecLength, kDimArcSize);
    PutU8(g_run.record, kRecType, ET_DIM_ARC);
    ReqData(REQ_POINT2, g_run.answer, "Pick point/entity for leader 1:", QL_CURSOR(kCursorPoint), OnLeader1, 0, 0);
}

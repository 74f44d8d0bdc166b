// QLHATCHSMART: hatches only the area around a picked point. The extent of the selection is
// cut into segments along the hatch lines; segments of neighbouring lines that the border
// does not separate grow into regions, and the region holding the point becomes the hatch.
#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/hooks.h"
#include "core/host_api.h"
#include "core/layers.h"
#include "core/prompts.h"
#include "core/records.h"
#include "hatch/engine/blocking.h"
#include "hatch/engine/expand.h"

namespace {

constexpr uintptr_t kCursor = 4;
constexpr uint32_t kBorderScope = SCOPE_SELECTED | SCOPE_VISIBLE;
constexpr uint32_t kPointFlags = 0x400000;
constexpr char kRegionListName[] = "~HatchEntities.cv7";
constexpr int kTemporaryListMode = 2;
constexpr char kProgressText[] = "Hatching... (press ESC to cancel)";

// At most this many segments of one hatch line are followed to the next line.
constexpr int kTableSize = 512;
// Intervals of a hatch line no longer than this share of the distance make no segment.
constexpr double kShortShare = 0.1;
// Segments of neighbouring lines overlap when their y ranges share more than this.
constexpr double kOverlapTolerance = 1e-6;
// Where the sight lines between two segments start and end, as shares of their lengths.
constexpr double kSightShares[] = {0.5, 0.1, 0.9};

// The records of the running command and the point the user picked.
HatchRun g_run;
double g_picked[2];

// A segment of a hatch line in the table: its entity, its region group and whether a
// segment of the next line joined its region; x, lo and hi place it in hatch space.
struct Entry {
    EntRec* segment;
    EntRec* region;
    bool connected;
    double x, lo, hi;
};

struct Table {
    std::array<Entry, kTableSize> entries;
    int count = 0;
};

// The segments of the last hatch line and of the line being cut.
Table g_previous;
Table g_current;

int CopyInto(DList*, EntRec* entity, void* user1, void*) {
    CopyEntity(static_cast<DList*>(user1), entity);
    return 0;
}

// Grows the regions of the region list line by line.
class Grower {
public:
    Grower(DList* regions, BorderBlocks& blocks, double distance, const double* picked)
        : regions_(regions), blocks_(blocks), distance_(distance), picked_{picked[0], picked[1]} {
        g_previous.count = 0;
        g_current.count = 0;
    }

    // Cuts the line at x into segments between neighbouring cuts and joins them to the
    // regions of the line before.
    void AddLine(double x, int16_t style, const std::vector<double>& cuts) {
        if (g_previous.count > 0) blocks_.SelectBand(previousX_, x);
        PutI16(segment_.data(), kRecLineStyle, style);
        g_current.count = 0;
        for (size_t k = 0; k + 1 < cuts.size(); ++k) {
            if (cuts[k + 1] - cuts[k] > distance_ * kShortShare)
                AddSegment(x, cuts[k], cuts[k + 1]);
        }
        for (int i = 0; i < g_previous.count; ++i) {
            Entry& p = g_previous.entries[i];
            if (!p.connected) {
                for (int k = 0; k < g_current.count; ++k) {
                    const Entry& c = g_current.entries[k];
                    if (SeesAcross(p, c.x, c.lo, c.hi)) {
                        MergeRegions(p.region, c.region);
                        break;
                    }
                }
            }
            if (pickedRegion_ == nullptr && std::fabs(p.x - picked_[0]) <= distance_ / 2 &&
                p.lo <= picked_[1] && picked_[1] <= p.hi) {
                pickedRegion_ = p.region;
            }
        }
        std::copy_n(g_current.entries.begin(), g_current.count, g_previous.entries.begin());
        g_previous.count = g_current.count;
        previousX_ = x;
    }

    EntRec* Picked() const { return pickedRegion_; }

private:
    void AddSegment(double x, double lo, double hi) {
        PutPoint(segment_.data(), kLineStart, x, lo);
        PutPoint(segment_.data(), kLineEnd, x, hi);
        EntRec* found = nullptr;
        for (int i = 0; i < g_previous.count; ++i) {
            Entry& p = g_previous.entries[i];
            if (!Overlaps(p, x, lo, hi)) continue;
            if (found == nullptr) {
                found = AddToRegion(p.region, x, lo, hi);
                p.connected = true;
            } else {
                EntRec* into = p.region;
                MergeRegions(found, into);
                found = into;
            }
        }
        if (found != nullptr) return;
        for (int i = 0; i < g_previous.count; ++i) {
            Entry& p = g_previous.entries[i];
            if (!SeesAcross(p, x, lo, hi)) continue;
            found = AddToRegion(p.region, x, lo, hi);
            p.connected = true;
        }
        if (found != nullptr) return;
        EntRec* group = AddEntity(regions_, BuildGroup().data());
        if (group == nullptr || OpenSubList(regions_, group) == nullptr) return;
        SetCStuff(group);
        AddToRegion(group, x, lo, hi);
    }

    // Adds the segment template to the region's members. A segment past the end of the
    // table still joins the region but is not followed to the next line.
    EntRec* AddToRegion(EntRec* region, double x, double lo, double hi) {
        DList* members = SubList(regions_, region);
        EntRec* segment = members != nullptr ? AddEntity(members, segment_.data()) : nullptr;
        if (segment != nullptr) {
            const int16_t style = GetI16(segment, kRecLineStyle);
            SetCStuff(segment);
            PutI16(segment, kRecLineStyle, style);
            MarkEntity(members, segment);
        }
        if (g_current.count < kTableSize)
            g_current.entries[g_current.count++] = {segment, region, false, x, lo, hi};
        return region;
    }

    void MergeRegions(EntRec* from, EntRec* into) {
        if (from == into) return;
        DList* fromMembers = SubList(regions_, from);
        DList* intoMembers = SubList(regions_, into);
        if (fromMembers == nullptr || intoMembers == nullptr) return;
        for (Table* table : {&g_previous, &g_current}) {
            for (int i = 0; i < table->count; ++i) {
                Entry& entry = table->entries[i];
                if (entry.region != from) continue;
                EntRec* copy =
                    entry.segment != nullptr ? CopyEntity(intoMembers, entry.segment) : nullptr;
                if (copy != nullptr) RemoveEntity(fromMembers, entry.segment);
                entry.segment = copy;
                entry.region = into;
            }
        }
        ForEachEntity(fromMembers, CopyInto, SCOPE_ALL, intoMembers);
        if (pickedRegion_ == from) pickedRegion_ = into;
        RemoveEntity(regions_, from);
    }

    // The horizontal connector through the middle of the shared y range is not blocked.
    bool Overlaps(const Entry& p, double x, double lo, double hi) const {
        if (!(hi - kOverlapTolerance > p.lo && lo + kOverlapTolerance < p.hi)) return false;
        const double mid = (std::max(p.lo, lo) + std::min(p.hi, hi)) / 2;
        return !blocks_.BlocksAcross(mid, p.x, x);
    }

    // One of nine sight lines between the segments is not blocked.
    bool SeesAcross(const Entry& p, double x, double lo, double hi) const {
        for (const double f : kSightShares) {
            const double a[2] = {p.x, p.lo + (p.hi - p.lo) * f};
            for (const double g : kSightShares) {
                const double b[2] = {x, lo + (hi - lo) * g};
                if (!blocks_.Blocks(a, b)) return true;
            }
        }
        return false;
    }

    DList* regions_;
    BorderBlocks& blocks_;
    double distance_;
    double picked_[2];
    EntRec* pickedRegion_ = nullptr;
    double previousX_ = 0;
    RecordBuffer segment_{ET_LINE, kLineSize};
};

enum class SweepEnd { kDone, kStopped, kTooDense };

// Sweeps the hatch lines of the line settings' rows over the border's extent; the region
// holding the picked point (hatch space), or null.
EntRec* SweepRegions(const HatchBorder& border, DList* regions, const double* picked,
                     SweepEnd& end) {
    end = SweepEnd::kDone;
    const double distance = g_run.line.distance;
    const ExtentRec& extent = border.extent;
    if (!(distance > 0) || !std::isfinite(distance) || extent.valid == 0) return nullptr;
    const RowTables rows = BuildRowTables(g_run.line);
    double offset[kRowCount] = {0};
    double lowest = 0;
    for (int j = 1; j < rows.count; ++j) {
        offset[j] = offset[j - 1] + rows.step[j];
        lowest = std::min(lowest, offset[j]);
    }
    // Lines start at the multiple of the distance nearest to x-min.
    const double first = std::floor(extent.min[0] / distance + 0.5);
    const double cycles = std::floor((extent.max[0] - first * distance - lowest) / distance) + 1;
    if (!std::isfinite(first) || !(cycles >= 0)) return nullptr;
    if (cycles * rows.count > kMaxHatchLines) {
        end = SweepEnd::kTooDense;
        return nullptr;
    }
    // At most a line more than the cycles counted, so it fits.
    const int total = static_cast<int>(std::trunc((extent.max[0] - extent.min[0]) / distance));

    const BorderShape shape = SplitBorder(border.list, true);
    BorderBlocks blocks(border.list);
    Grower grower(regions, blocks, distance, picked);
    ProgressMsg(kProgressText);
    std::vector<double> cuts;
    int done = 0;
    const auto lines = static_cast<int64_t>(cycles) * rows.count;
    for (int64_t i = 0; i < lines; ++i) {
        const int j = static_cast<int>(i % rows.count);
        const double x = (first + static_cast<double>(i / rows.count)) * distance + offset[j];
        if (!(x <= extent.max[0])) break;
        ShowProgress(done++, total);
        if (KeyDown(VK_ESCAPE)) {
            end = SweepEnd::kStopped;
            return nullptr;
        }
        cuts.assign(1, extent.min[1]);
        CollectCrossings(shape, ScanLine{true, x, extent.min[1], extent.max[1]}, cuts);
        cuts.push_back(extent.max[1]);
        SortCrossings(cuts);
        grower.AddLine(x, rows.style[j], cuts);
    }
    return grower.Picked();
}

// Members already met in a walk, and the repeated ones.
struct MemberSet {
    std::set<std::string> seen;
    std::vector<EntRec*> repeated;
};

int NoteMember(DList*, EntRec* entity, void* user1, void*) {
    MemberSet& members = *static_cast<MemberSet*>(user1);
    const auto* bytes = reinterpret_cast<const char*>(entity);
    if (!members.seen.insert(std::string(bytes, RecordLength(entity))).second)
        members.repeated.push_back(entity);
    return 0;
}

// Regions that saw a segment from several lines hold copies of it; one of each is kept.
void DropDuplicateMembers(DList* regions, EntRec* region) {
    DList* members = SubList(regions, region);
    if (members == nullptr) return;
    MemberSet found;
    ForEachEntity(members, NoteMember, SCOPE_ALL, &found);
    for (EntRec* entity : found.repeated) RemoveEntity(members, entity);
}

void HatchAroundPoint(int status) {
    if (status != ST_OK) {
        RedrawSelection();
        ShowProgress(0, 1);
        ShowChanges();
        CmdEnd();
        return;
    }
    HatchBorder border;
    if (!CreateHatchBorder(border)) {
        ShowMessage("Error: Couldn't create temporary drawing list 1\n\nExiting...", "Error",
                    MS_ERROR);
        CmdEnd();
        return;
    }
    DList* regions = CreateDList(kRegionListName, kTemporaryListMode);
    if (regions == nullptr) {
        ReleaseHatchBorder(border);
        ShowMessage("Error: Couldn't create temporary drawing list 2\n\nExiting...", "Error",
                    MS_ERROR);
        CmdEnd();
        return;
    }
    HostMatrix toHatch;
    RotationMatrix(kQuarterTurn - g_run.line.angle, toHatch);
    DList* work = GetWorkDL();
    CollectBorder(border, work, toHatch, kBorderScope);
    RedrawSelection();
    double picked[2] = {g_picked[0], g_picked[1]};
    TRNP2(picked, toHatch);
    HostMatrix toDrawing;
    RotationMatrix(g_run.line.angle - kQuarterTurn, toDrawing);

    SweepEnd end;
    EntRec* region = SweepRegions(border, regions, picked, end);
    if (region != nullptr) {
        DropDuplicateMembers(regions, region);
        region = ETran(region, toDrawing);
        ClearSelect();
        BeginChange(work);
        if (EntRec* copy = CopyEntity(work, region)) {
            MarkEntity(work, copy);
            EDraw(0, copy);
        }
    }
    ReleaseList(regions);
    ReleaseHatchBorder(border);
    ShowProgress(0, 1);
    ShowChanges();
    if (end == SweepEnd::kTooDense) ShowTooDenseWarning();
    CmdEnd();
}

void AskPoint(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    ReqData(REQ_POINT2, g_picked, "Pick point in area to hatch:", QL_CURSOR(kCursor),
            HatchAroundPoint, kPointFlags, 0);
}

}  // namespace

void QLHATCHSMART() {
    g_run = PrepareHatchRun();
    ReqData(REQ_SELECTION, nullptr, "Smart hatch - pick entities:", QL_CURSOR(kCursor), AskPoint, 0,
            0);
}

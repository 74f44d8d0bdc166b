// The candidate list of the one-by-one pick modes: adding, removing, the nearest and next
// candidate, the scan over the working list and the pick feedback.
#include <new>

#include "core/geometry.h"
#include "core/records.h"
#include "text/entity_text.h"
#include "transform/drag_helpers.h"

namespace {

TextCandidate* g_head = nullptr;
TextCandidate* g_tail = nullptr;
size_t g_count = 0;

// Member lists nest only a few levels; a deeper walk is refused rather than risked.
constexpr int kMaxScanDepth = 256;

struct ScanContext {
    const CandidateScan* scan;
    const unsigned char* layers;
    int depth;
    bool failed;
};

bool LayerFlagSet(const unsigned char* layers, int layer, uint32_t flag) {
    const unsigned char* entry = FindTableEntry(layers, kTblEntries, layer);
    if (entry == nullptr || GetU32(entry, kEntryLength) < kLayerFlags + 4) return false;
    return (GetU32(entry, kLayerFlags) & flag) != 0;
}

int ScanEntity(DList* list, EntRec* entity, void* user1, void* user2) {
    auto* context = static_cast<ScanContext*>(user1);
    auto* chain = static_cast<const ReferenceChain*>(user2);
    int type = RecordType(entity);
    if (IsTextBearing(entity)) {
        int layer = RecordLayer(entity);
        if (LayerFlagSet(context->layers, layer, kLayerHidden)) return 0;
        if (context->scan->skipFrozen && LayerFlagSet(context->layers, layer, kLayerFrozen)) return 0;
        std::string_view text = EntityString(entity).value_or(std::string_view());
        if (context->scan->match != nullptr && !context->scan->match(entity, text, context->scan->user)) return 0;
        double position[2] = {0, 0};
        EntityPosition(entity, position);
        if (!AddCandidate(entity, position, chain)) {
            context->failed = true;
            return 1;
        }
        return 0;
    }
    bool group = type == ET_GROUP;
    bool symbol = type == ET_SYMBOL && context->scan->enterReferences;
    if (!group && !symbol) return 0;
    DList* members = SubList(list, entity);
    if (members == nullptr || context->depth >= kMaxScanDepth) return 0;
    // A group inside a reference still shows through that reference; a reference inside
    // one shows through both.
    ReferenceChain link{entity, chain};
    const ReferenceChain* inner = symbol ? &link : chain;
    ++context->depth;
    int stop = ForEachEntity(members, ScanEntity, SCOPE_ALL, context, const_cast<ReferenceChain*>(inner));
    --context->depth;
    return stop;
}

}  // namespace

void ClearCandidates() {
    while (g_head != nullptr) {
        TextCandidate* next = g_head->next;
        delete g_head;
        g_head = next;
    }
    g_tail = nullptr;
    g_count = 0;
}

bool AddCandidate(EntRec* entity, const double* position, const ReferenceChain* chain) {
    EntRec* reference = chain != nullptr ? chain->reference : nullptr;
    auto* candidate = new (std::nothrow) TextCandidate{nullptr, 0, entity, position[0], position[1], reference};
    if (candidate == nullptr) return false;
    bool keepsPosition = RecordType(entity) == ET_ATTRIBUTE &&
                         (GetU16(entity, kAttrFlags) & kAttrKeepPosition) != 0;
    if (chain != nullptr && !keepsPosition) {
        double point[2] = {position[0], position[1]};
        for (const ReferenceChain* link = chain; link != nullptr; link = link->outer) {
            PushReferenceTransform(link->reference);
            TRNP2M(point);
            CTMPOP();
        }
        candidate->x = point[0];
        candidate->y = point[1];
    }
    if (g_tail != nullptr)
        g_tail->next = candidate;
    else
        g_head = candidate;
    g_tail = candidate;
    ++g_count;
    return true;
}

void RemoveCandidate(TextCandidate* candidate) {
    TextCandidate* previous = nullptr;
    for (TextCandidate* c = g_head; c != nullptr; previous = c, c = c->next) {
        if (c != candidate) continue;
        (previous != nullptr ? previous->next : g_head) = c->next;
        if (g_tail == c) g_tail = previous;
        --g_count;
        delete c;
        return;
    }
}

bool CandidatesEmpty() { return g_head == nullptr; }

TextCandidate* FirstCandidate() { return g_head; }

size_t CandidateCount() { return g_count; }

TextCandidate* NearestCandidate(const double* point) {
    TextCandidate* best = nullptr;
    double bestDistance = 0;
    for (TextCandidate* c = g_head; c != nullptr; c = c->next) {
        const double at[2] = {c->x, c->y};
        double distance = DistanceOf(point, at);
        if (best == nullptr || distance < bestDistance) {
            best = c;
            bestDistance = distance;
        }
    }
    return best;
}

TextCandidate* NextCandidate(int order) {
    TextCandidate* best = nullptr;
    for (TextCandidate* c = g_head; c != nullptr; c = c->next) {
        if (c->flags & kCandidateUsed) continue;
        if (best == nullptr) {
            best = c;
            if (order != CO_SMALLEST_X && order != CO_LARGEST_Y) return best;
        } else if (order == CO_SMALLEST_X ? c->x < best->x : c->y > best->y) {
            best = c;
        }
    }
    return best;
}

void MarkCandidateUsed(TextCandidate* candidate) {
    if (candidate != nullptr) candidate->flags |= kCandidateUsed;
}

bool ScanCandidates(const CandidateScan& scan) {
    DList* work = GetWorkDL();
    if (work == nullptr) return true;
    ScanContext context{&scan, GetTemplate(work, TPL_LAYERS), 0, false};
    ForEachEntity(work, ScanEntity, SCOPE_ALL, &context, nullptr);
    return !context.failed;
}

void PickFeedback(void* ctx) {
    const double* cursor = LiveCursorPosition();
    if (cursor != nullptr) {
        if (TextCandidate* nearest = NearestCandidate(cursor)) {
            const double at[2] = {nearest->x, nearest->y};
            GetGDraw2()->DrawLine(ctx, cursor, at);
        }
    }
    SetArrowCursor();
}

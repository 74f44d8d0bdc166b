#include "host/geometry/shown.h"

#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"

namespace qlhost {
namespace {

constexpr int kMaxDepth = 64;  // nesting of groups and symbols followed

void VisitAt(const unsigned char* rec, const Matrix* m, int depth,
             const std::function<void(const unsigned char*)>& visit) {
    using namespace layout;
    if (m) {
        Record copy(rec, rec + LengthOf(rec));
        Record grown;
        if (!TransformRecord(copy.data(), *m, &grown)) copy = std::move(grown);
        visit(copy.data());
    } else {
        visit(rec);
    }
    const Node* node = NodeOf(rec);
    if (!node || !node->children || depth >= kMaxDepth) return;
    Matrix inner = m ? *m : Matrix::Identity();
    bool haveMatrix = m != nullptr;
    if (TypeOf(rec) == kSymbolRef) {
        inner = Then(SymbolToWorld(rec), inner);
        haveMatrix = true;
    }
    for (const Node* c = node->children->head; c; c = c->next)
        if (!c->deleted()) VisitAt(c->record(), haveMatrix ? &inner : nullptr, depth + 1, visit);
}

}  // namespace

void VisitShown(const unsigned char* record, const Matrix* m,
                const std::function<void(const unsigned char*)>& visit) {
    VisitAt(record, m, 0, visit);
}

}  // namespace qlhost

// Helpers of the io tests: a fresh drawing, records appended to a list, and a structural
// comparison of two lists (record bytes and member lists).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/drawing/drawing.h"
#include "host/geometry/records.h"

namespace qlhost::iotest {

inline Drawing& FreshDrawing() {
    TheDrawing().Reset();
    return TheDrawing();
}

inline Node* Add(HostList& list, const Record& record) {
    return list.Append(record.data(), static_cast<uint32_t>(record.size()));
}

inline Node* AddOnLayer(HostList& list, Record record, uint16_t layer) {
    std::memcpy(record.data() + 20, &layer, 2);
    return Add(list, record);
}

// Describes the first difference between two lists, or "" when they are equal.
inline std::string CompareLists(const HostList& a, const HostList& b, const std::string& where = "") {
    const Node* x = a.head;
    const Node* y = b.head;
    for (size_t i = 0; x || y; ++i, x = x->next, y = y->next) {
        std::string at = where + std::to_string(i);
        if (!x || !y) return at + ": lists differ in length";
        std::vector<unsigned char> rx(x->record(), x->record() + x->length());
        std::vector<unsigned char> ry(y->record(), y->record() + y->length());
        if (rx != ry) return at + ": records differ (type " + std::to_string(x->type()) + ")";
        bool hx = x->children && x->children->head, hy = y->children && y->children->head;
        if (hx != hy) return at + ": member lists differ";
        if (hx) {
            std::string inner = CompareLists(*x->children, *y->children, at + ".");
            if (!inner.empty()) return inner;
        }
    }
    return "";
}

}  // namespace qlhost::iotest

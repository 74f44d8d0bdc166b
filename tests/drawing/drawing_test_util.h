// Small record builders and list helpers for the drawing tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "host/drawing/drawing.h"

namespace drawing_test {

using Bytes = std::vector<unsigned char>;

inline Bytes Record(int type, uint32_t length) {
    Bytes r(length, 0);
    std::memcpy(r.data(), &length, 4);
    r[4] = static_cast<unsigned char>(type);
    return r;
}

inline void PutDouble(Bytes& r, size_t at, double v) {
    std::memcpy(r.data() + at, &v, 8);
}
inline void PutU16(unsigned char* r, size_t at, uint16_t v) {
    std::memcpy(r + at, &v, 2);
}

inline Bytes Line(double x1, double y1, double x2, double y2, int layer = 0) {
    Bytes r = Record(2, 64);
    PutDouble(r, 32, x1);
    PutDouble(r, 40, y1);
    PutDouble(r, 48, x2);
    PutDouble(r, 56, y2);
    PutU16(r.data(), 20, static_cast<uint16_t>(layer));
    return r;
}

inline Bytes Group() {
    return Record(10, 32);
}

// First double of the type-specific part; 0 for records too short to hold one (groups).
inline double X1(const EntRec* e) {
    uint32_t length;
    std::memcpy(&length, e, 4);
    double v = 0;
    if (length >= 40) std::memcpy(&v, e + 32, 8);
    return v;
}

inline qlhost::HostList& Work() {
    return *qlhost::TheDrawing().work;
}

// Adds a line whose first x is tag, so order checks can read it back.
inline EntRec* AddTagged(DList* list, double tag, int layer = 0) {
    Bytes r = Line(tag, 0, tag + 1, 0, layer);
    return AddEntity(list, r.data());
}

// First x of every entity in list order (deleted ones included).
inline std::vector<double> Tags(const qlhost::HostList& list) {
    std::vector<double> tags;
    for (const qlhost::Node* n = list.head; n; n = n->next) tags.push_back(X1(n->record()));
    return tags;
}

// Tags of the entities a walk with a scope visits.
inline std::vector<double> Walked(DList* list, uint32_t scope) {
    std::vector<double> tags;
    ForEachEntity(
        list,
        [](DList*, EntRec* e, void* u, void*) {
            static_cast<std::vector<double>*>(u)->push_back(X1(e));
            return 0;
        },
        scope, &tags);
    return tags;
}

}  // namespace drawing_test

// The scan/paint hatch's list of painted lines: every line painted in the running command,
// in order of painting, so sweeping over it again finds it instead of painting it twice and
// CTRL can take it away.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/host_api.h"

struct PaintedRecord {
    PaintedRecord* next;
    EntRec* line;
    double position;  // x of a vertical line, y of a horizontal one (hatch space)
    double low;       // the range it covers along its direction
    double high;
    uint8_t crosshatch;  // 1 = horizontal in hatch space
};

class PaintedList {
public:
    // Gives a new record, or null when memory runs out.
    using Allocator = PaintedRecord* (*)();
    static PaintedRecord* AllocateRecord();

    PaintedList() = default;
    PaintedList(const PaintedList&) = delete;
    PaintedList& operator=(const PaintedList&) = delete;
    ~PaintedList() { Clear(); }

    void SetAllocator(Allocator allocate) { allocate_ = allocate; }

    // The first line of the same kind within half the smallest step of position whose range
    // holds along; null if none.
    EntRec* Find(double position, double along, bool crosshatch, double smallestStep) const;
    // Appends a record; false (nothing remembered) when memory runs out.
    bool Remember(EntRec* line, double position, double low, double high, bool crosshatch);
    // Unlinks and frees the first record of the line.
    void Forget(EntRec* line);
    void Clear();
    size_t Size() const;

private:
    PaintedRecord* head_ = nullptr;
    PaintedRecord* tail_ = nullptr;
    Allocator allocate_ = AllocateRecord;
};

// The list of the running QLHATCHSCAN command.
PaintedList& ThePaintedList();

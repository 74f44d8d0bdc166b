// Undo and redo of the host's drawing. A step is everything one command (or one load, new
// drawing or scripted `add`) changed: when it begins, the journal takes an image of the
// working list (each top-level entity with its member lists), the settings tables and the
// drawing's name; when it ends, it compares the drawing with that image and keeps only what
// differs: the before and after images of the entities changed, added or removed, the stretch
// of the drawing order that changed, the tables that changed. The plug-in writes records and
// tables in place through the pointers it is given, so the comparison at the end of the step,
// not the list operations, is what sees every change. The after images are taken from the
// drawing when the step is first undone: until then the drawing itself holds that side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qlhost {

struct Drawing;

// History bounds: at least kUndoMinSteps steps of ordinary size are kept; past the byte
// limit the oldest steps go (the latest step is always kept, however large).
constexpr size_t kUndoMinSteps = 100;
constexpr size_t kUndoByteLimit = size_t{256} << 20;

// State kept outside the drawing's objects that a step restores as well (the symbol
// definitions a load brings): save gives it as bytes, restore puts such bytes back.
struct UndoExtra {
    std::function<std::string()> save;
    std::function<void(const std::string&)> restore;
};

// One step: images of entity trees by top-level id, the changed stretch of the order, the
// tables that changed. "Before" is the drawing when the step began, "after" when it ended.
struct UndoStep {
    struct Images {
        std::vector<unsigned char> bytes;                   // entity trees one after another
        std::vector<std::pair<uint32_t, size_t>> index;     // top-level id -> offset, sorted by id
    };
    struct Side {
        std::vector<uint32_t> ids;   // entities changed, and added or removed, sorted
        Images images;               // their trees (after: taken at the first undo)
        std::vector<uint32_t> order;  // the stretch of top-level ids after the anchor
        std::vector<std::vector<unsigned char>> tables;  // one per entry of tableKinds
        std::string name;            // the drawing's name
        uint32_t nextId = 0;
        std::string extra;
    };
    std::string name;                // the command, "load", "new", "add"
    uint32_t anchor = 0;             // top-level id just before the changed stretch, 0 at the head
    Side before, after;
    std::vector<int> tableKinds;     // kinds of the tables that changed
    bool afterTaken = false;         // after.images holds the trees of after.ids
    bool renamed = false;
    bool extraChanged = false;
    std::function<void(const std::string&)> restoreExtra;
    size_t Bytes() const;
};

class UndoHistory {
public:
    // Starts a step (nested calls join the step already open).
    void Begin(Drawing& drawing, const std::string& name, const UndoExtra& extra = {});
    // Ends the step opened last; keeps it when anything changed (dropping the steps that
    // could be redone) and returns whether it did.
    bool End(Drawing& drawing);
    bool Open() const { return depth_ > 0; }

    // Puts the drawing back as it was before the latest step (after the latest undone step);
    // false when there is none. name is the step's name.
    bool Undo(Drawing& drawing, std::string& name);
    bool Redo(Drawing& drawing, std::string& name);

    size_t UndoCount() const { return done_.size(); }
    size_t RedoCount() const { return undone_.size(); }
    // The name of the step Undo / Redo would take back, or empty.
    std::string NextUndoName() const { return done_.empty() ? std::string() : done_.back().name; }
    std::string NextRedoName() const { return undone_.empty() ? std::string() : undone_.back().name; }
    // Memory the kept steps take.
    size_t Bytes() const { return bytes_; }
    void SetByteLimit(size_t limit) { limit_ = limit; }
    // Forgets every step (a fresh host state); a step being recorded is dropped too.
    void Clear();

private:
    struct Baseline {
        std::vector<unsigned char> bytes;                 // every top-level tree, in list order
        std::vector<std::pair<uint32_t, size_t>> order;   // id, offset of its tree
        std::vector<std::vector<unsigned char>> tables;
        std::string name;
        uint32_t nextId = 0;
        uint64_t nextSerial = 0;     // nodes from this serial on are new in the step
        std::string extra;
        UndoExtra extraHooks;
        std::string stepName;
    };
    void Keep(UndoStep step);
    void Apply(Drawing& drawing, const UndoStep& step, bool toBefore);

    int depth_ = 0;
    Baseline base_;
    std::deque<UndoStep> done_;
    std::vector<UndoStep> undone_;
    size_t bytes_ = 0;
    size_t limit_ = kUndoByteLimit;
};

}  // namespace qlhost

// AutoCAD PAT pattern files: the registered file list, the in-memory pattern library built
// from every listed file, and name lookups for the hatch dialog and the family driver.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

constexpr int kPatNameLength = 80;  // characters kept of a header line
constexpr int kPatMaxDashes = 200;  // dashes kept per family; later ones are dropped

// One line family of a PAT pattern, as read (angle in radians, the rest in pattern units).
struct PatFamily {
    double angle = 0;
    double originX = 0;
    double originY = 0;
    double deltaX = 0;
    double deltaY = 0;          // never 0: such families are dropped while reading
    float cycleLength = 0;      // sum of the absolute dash values, single precision
    std::vector<float> dashes;  // at most kPatMaxDashes; positive dash, negative gap, 0 dot
};

// One pattern: the whole header line after the star, and its families in library order
// (the reverse of the file).
struct PatPattern {
    char name[kPatNameLength + 1] = {};
    std::vector<PatFamily> families;
};

// Patterns read from PAT texts. Library order is newest first: the patterns of the last
// text read come first, and within a text the last pattern comes first, so the later of
// two equal names wins a lookup.
class PatLibrary {
public:
    // Reads one NUL-terminated PAT text and adds its patterns.
    void Parse(const char* text);
    void Clear() { patterns_.clear(); }
    bool Empty() const { return patterns_.empty(); }
    size_t Size() const { return patterns_.size(); }
    // The pattern at a position in library order.
    const PatPattern& At(size_t index) const { return patterns_[patterns_.size() - 1 - index]; }
    // First pattern in library order whose name equals the text exactly; null if none.
    const PatPattern* Find(const char* name) const;

private:
    void StoreFamily(const PatFamily& family);
    void ClosePattern();

    std::vector<PatPattern> patterns_;  // read order; library order is the reverse
    bool open_ = false;                 // the last pattern still takes families
};

// Reads one number at the cursor (optional '-', blanks, a second optional '-', digits, an
// optional fraction; no exponent) and moves the cursor past what it read, also when no
// digit was found. Digit runs beyond 2147483647 saturate there. False when no digit.
bool ReadPatNumber(const char*& cursor, double& value);

// The library of the registered files, read lazily by its users.
PatLibrary& ThePatLibrary();
// Frees the library, then reads every file of the registered list, in registry order.
void ReadPatLibrary();
void FreePatLibrary();
const PatPattern* FindPatPattern(const char* name);
// Reads the library if it is empty, then passes every pattern whose name matches the filter
// (host StMatch; an empty filter matches all) in library order.
void ListPatPatterns(const char* filter, const std::function<void(const PatPattern&)>& callback);

// The registered file list: one registry value per file, named by its full path.
void AddPatFile(const char* path);
void RemovePatFile(const char* path);
void EnumPatFiles(const std::function<void(const char* path)>& callback);

// The PAT reader: a character-level state machine over the loaded text (Corvane's LoadFile
// hands over the file followed by a NUL), the library it fills, and the registered file list.
#include "hatch/engine/pat_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "core/host_api.h"
#include "core/prompts.h"

namespace {

constexpr double kDegreesToRadians = 3.14159265 / 180;
constexpr int64_t kDigitRunLimit = 2147483647;  // what a 32-bit integer holds

const char kPatFilesSubKey[] = "QLHatch\\PAT Files\\";
const char kPatFilesKey[] = "Software\\Tarnwell\\Quillet\\QLHatch\\PAT Files\\";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

bool ReadPatNumber(const char*& cursor, double& value) {
    const char* p = cursor;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    while (*p == ' ') ++p;
    if (*p == '-') {
        negative = !negative;
        ++p;
    }
    bool digits = false;
    int64_t whole = 0;
    while (IsDigit(*p)) {
        whole = std::min(whole * 10 + (*p - '0'), kDigitRunLimit);
        digits = true;
        ++p;
    }
    double number = static_cast<double>(whole);
    if (*p == '.') {
        ++p;
        double place = 0.1;
        while (IsDigit(*p)) {
            number += (*p - '0') * place;
            place /= 10;
            digits = true;
            ++p;
        }
    }
    cursor = p;
    if (!digits) return false;
    value = negative ? -number : number;
    return true;
}

void PatLibrary::StoreFamily(const PatFamily& family) {
    if (!open_ || family.deltaY == 0) return;
    try {
        patterns_.back().families.push_back(family);
    } catch (const std::bad_alloc&) {
        // The family is dropped; reading goes on.
    }
}

// Families arrive in file order; the library keeps them newest first.
void PatLibrary::ClosePattern() {
    if (!open_) return;
    std::reverse(patterns_.back().families.begin(), patterns_.back().families.end());
    open_ = false;
}

void PatLibrary::Parse(const char* text) {
    enum State { kIgnore, kAngle, kOriginX, kOriginY, kDeltaX, kDeltaY, kDashes };
    State state = kIgnore;
    bool comma = false;
    bool pending = false;
    PatFamily work;
    const char* p = text;
    while (*p != '\0') {
        const char c = *p;
        if (c == '*') {
            if (pending) StoreFamily(work);
            pending = false;
            ++p;
            ClosePattern();
            try {
                patterns_.emplace_back();
            } catch (const std::bad_alloc&) {
                state = kIgnore;
                continue;
            }
            char* name = patterns_.back().name;
            int length = 0;
            for (; *p != '\0' && !IsLineEnd(*p); ++p) {
                if (length < kPatNameLength) name[length++] = *p;
            }
            open_ = true;
            state = kAngle;
            comma = false;
        } else if (c == ',') {
            comma = true;
            ++p;
        } else if (c == ';') {
            while (*p != '\0' && !IsLineEnd(*p)) ++p;
            while (IsLineEnd(*p)) ++p;
        } else if (IsDigit(c) || c == '.' || c == '-') {
            double number = 0;
            if (ReadPatNumber(p, number)) {
                switch (state) {
                    case kIgnore:
                        break;
                    case kAngle:
                        work.angle = number * kDegreesToRadians;
                        state = kOriginX;
                        break;
                    case kOriginX:
                        work.originX = number;
                        state = kOriginY;
                        break;
                    case kOriginY:
                        work.originY = number;
                        state = kDeltaX;
                        break;
                    case kDeltaX:
                        work.deltaX = number;
                        state = kDeltaY;
                        break;
                    case kDeltaY:
                        work.deltaY = number;
                        work.dashes.clear();
                        work.cycleLength = 0;
                        pending = true;
                        state = kDashes;
                        break;
                    case kDashes:
                        if (comma) {
                            if (static_cast<int>(work.dashes.size()) < kPatMaxDashes) {
                                const float dash = static_cast<float>(number);
                                work.dashes.push_back(dash);
                                work.cycleLength += std::fabs(dash);
                            }
                        } else {
                            if (pending) StoreFamily(work);
                            pending = false;
                            work.angle = number * kDegreesToRadians;
                            state = kOriginX;
                        }
                        break;
                }
            }
            comma = false;
        } else {
            ++p;
        }
    }
    if (pending) StoreFamily(work);
    ClosePattern();
}

const PatPattern* PatLibrary::Find(const char* name) const {
    for (auto it = patterns_.rbegin(); it != patterns_.rend(); ++it) {
        if (std::strcmp(it->name, name) == 0) return &*it;
    }
    return nullptr;
}

PatLibrary& ThePatLibrary() {
    static PatLibrary library;
    return library;
}

namespace {

void ReadPatFile(const char* path) {
    char* text = nullptr;
    uint32_t size = 0;
    LoadFile(path, &text, &size);
    if (text == nullptr) return;
    if (size > 0) ThePatLibrary().Parse(text);
    RelMem(text);
}

}  // namespace

void ReadPatLibrary() {
    FreePatLibrary();
    ForEachSettingName(kPatFilesKey, ReadPatFile);
}

void FreePatLibrary() {
    ThePatLibrary().Clear();
}

const PatPattern* FindPatPattern(const char* name) {
    return ThePatLibrary().Find(name);
}

void ListPatPatterns(const char* filter, const std::function<void(const PatPattern&)>& callback) {
    PatLibrary& library = ThePatLibrary();
    if (library.Empty()) ReadPatLibrary();
    for (size_t i = 0; i < library.Size(); ++i) {
        const PatPattern& pattern = library.At(i);
        if (filter == nullptr || filter[0] == '\0' || StMatch(filter, pattern.name))
            callback(pattern);
    }
}

void AddPatFile(const char* path) {
    // A name the list could not read back is not stored.
    if (std::strlen(path) >= kValueNameBuffer) return;
    unsigned char none = 0;
    SaveSetting(kPatFilesSubKey, path, &none, 0);
}

void RemovePatFile(const char* path) { DeleteSettingValue(kPatFilesKey, path); }

void EnumPatFiles(const std::function<void(const char* path)>& callback) {
    ForEachSettingName(kPatFilesKey, callback);
}

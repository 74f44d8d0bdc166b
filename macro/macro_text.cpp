// Bounded text helpers of the macro commands.
#include "macro/macro_text.h"

#include <cstring>

#include "core/records.h"

void CopyBounded(char* destination, size_t destinationSize, const char* source, size_t sourceMax) {
    if (destinationSize == 0) return;
    size_t length = 0;
    size_t limit = sourceMax < destinationSize - 1 ? sourceMax : destinationSize - 1;
    while (length < limit && source[length] != '\0') ++length;
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

void CutExtension(char* name) {
    for (size_t i = std::strlen(name); i > 1; --i) {
        if (name[i - 1] == '.') {
            name[i - 1] = '\0';
            return;
        }
    }
}

void DrawingBaseName(const DList* work, char* name, size_t size) {
    static constexpr char kNoDrawingName[] = "error.cv7";
    if (work != nullptr)
        CopyBounded(name, size, work->fileName, QL_DLIST_NAME_SIZE);
    else
        CopyBounded(name, size, kNoDrawingName, sizeof kNoDrawingName);
    CutExtension(name);
}

size_t LayerNameLimit(uint32_t entryLength, size_t cap) {
    if (entryLength <= kLayerName || entryLength > kMaxTableEntryLength) return cap;
    size_t available = entryLength - kLayerName;
    return available < cap ? available : cap;
}

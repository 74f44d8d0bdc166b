// The store of the rooms' state parts.
#include "host/state/parts.h"

#include <cstdlib>

namespace qlhost {

HostParts::~HostParts() {
    // The newest part goes first: a part made later may refer to one made before it.
    for (size_t i = kMaxParts; i-- > 0;) delete parts_[i].load();
}

size_t HostParts::NextIndex() {
    static std::atomic<size_t> next{0};
    const size_t index = next++;
    if (index >= kMaxParts) std::abort();  // more room parts than slots: raise kMaxParts
    return index;
}

HostParts::Base* HostParts::Make(size_t index, Base* (*make)()) {
    std::lock_guard lock(making_);
    Base* part = parts_[index].load(std::memory_order_acquire);
    if (!part) {
        part = make();
        parts_[index].store(part, std::memory_order_release);
    }
    return part;
}

HostParts& TheHostParts() {
    static HostParts parts;
    return parts;
}

}  // namespace qlhost

// A set of pointers in one open-addressed table: no heap block per member, one probe in the
// common case. The drawing keeps its live nodes and lists in it and looks up every entity
// pointer the plug-in hands over, so lookups, inserts and erases are the hot path of each
// host call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qlhost {

template <class T>
class PointerSet {
public:
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    bool contains(const T* p) const {
        if (p == nullptr || slots_.empty()) return false;
        if (p == last_) return true;
        for (size_t i = Home(p);; i = (i + 1) & mask_) {
            const T* at = slots_[i];
            if (at == p) {
                last_ = p;
                return true;
            }
            if (at == nullptr) return false;
        }
    }
    size_t count(const T* p) const { return contains(p) ? 1 : 0; }

    // False when already a member.
    bool insert(const T* p) {
        if (p == nullptr) return false;
        if ((size_ + 1) * 4 > slots_.size() * 3) Grow();
        size_t i = Home(p);
        for (; slots_[i] != nullptr; i = (i + 1) & mask_)
            if (slots_[i] == p) return false;
        slots_[i] = p;
        ++size_;
        last_ = p;
        return true;
    }

    // Backward-shift deletion keeps every probe chain unbroken without tombstones.
    bool erase(const T* p) {
        if (p == nullptr || slots_.empty()) return false;
        if (p == last_) last_ = nullptr;
        size_t i = Home(p);
        for (;; i = (i + 1) & mask_) {
            if (slots_[i] == p) break;
            if (slots_[i] == nullptr) return false;
        }
        size_t hole = i;
        for (size_t j = (hole + 1) & mask_; slots_[j] != nullptr; j = (j + 1) & mask_) {
            // An entry may fill the hole when its home lies cyclically outside (hole, j].
            const size_t home = Home(slots_[j]);
            if (((j - home) & mask_) >= ((j - hole) & mask_)) {
                slots_[hole] = slots_[j];
                hole = j;
            }
        }
        slots_[hole] = nullptr;
        --size_;
        return true;
    }

    void clear() {
        slots_.clear();
        slots_.shrink_to_fit();
        mask_ = 0;
        size_ = 0;
        last_ = nullptr;
    }

    // Calls f(pointer) for every member, in no particular order.
    template <class F>
    void ForEach(F&& f) const {
        for (const T* p : slots_)
            if (p != nullptr) f(p);
    }

private:
    size_t Home(const T* p) const {
        // Blocks are 16-byte aligned; the multiplier spreads the rest over the table.
        const uint64_t key = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) >> 4;
        return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & mask_;
    }

    void Grow() {
        std::vector<const T*> old;
        old.swap(slots_);
        const size_t capacity = old.empty() ? 64 : old.size() * 2;
        slots_.assign(capacity, nullptr);
        mask_ = capacity - 1;
        size_ = 0;
        for (const T* p : old)
            if (p != nullptr) insert(p);
    }

    std::vector<const T*> slots_;
    // The member found or inserted last: the host is asked about the same entity several times
    // in a row (added, transformed, marked, drawn), so most lookups end here.
    mutable const T* last_ = nullptr;
    size_t mask_ = 0;
    size_t size_ = 0;
};

}  // namespace qlhost

// Slabs of entity nodes: blocks cut in order, freed blocks chained by size for reuse, a start
// bit per 16 bytes for the live nodes; the slabs go back once no block is in use.
#include "host/drawing/node_store.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#ifdef _WIN32
#include <malloc.h>
#endif

namespace qlhost {
namespace {

constexpr size_t kSlabBytes = size_t{1} << 20;
constexpr size_t kGrain = 16;
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kSmallLimit = 0;
#else
constexpr size_t kSmallLimit = 16 << 10;
#endif

}  // namespace

struct NodeStore::Slab {
    size_t used;                                   // bytes from the slab's start cut so far
    uint64_t starts[kSlabBytes / kGrain / 64];     // live node starts, a bit per 16 bytes

    static constexpr size_t kFirst = (sizeof(size_t) + sizeof(uint64_t) * (kSlabBytes / kGrain / 64) + 63) & ~size_t{63};
    bool Test(size_t offset) const { return (starts[offset / kGrain / 64] >> (offset / kGrain % 64)) & 1u; }
    void Set(size_t offset) { starts[offset / kGrain / 64] |= uint64_t{1} << (offset / kGrain % 64); }
    void Clear(size_t offset) { starts[offset / kGrain / 64] &= ~(uint64_t{1} << (offset / kGrain % 64)); }
};

namespace {

// Slabs are aligned to their size, so the slab of a pointer is found by masking it. The
// Windows C runtime has no aligned_alloc; its aligned blocks go back through _aligned_free.
void* AllocateSlab() {
#ifdef _WIN32
    return _aligned_malloc(kSlabBytes, kSlabBytes);
#else
    return std::aligned_alloc(kSlabBytes, kSlabBytes);
#endif
}

void FreeSlab(void* slab) {
#ifdef _WIN32
    _aligned_free(slab);
#else
    std::free(slab);
#endif
}

}  // namespace

NodeStore::~NodeStore() {
    for (Slab* slab : slabList_) FreeSlab(slab);
}

void NodeStore::Swap(NodeStore& other) {
    std::swap(slabs_, other.slabs_);
    std::swap(slabList_, other.slabList_);
    std::swap(current_, other.current_);
    std::swap(free_, other.free_);
    std::swap(large_, other.large_);
    std::swap(live_, other.live_);
    std::swap(smallBlocks_, other.smallBlocks_);
    std::swap(largeBytes_, other.largeBytes_);
}

NodeStore::Slab* NodeStore::SlabOf(const void* p) const {
    if (slabList_.empty()) return nullptr;
    const auto base = reinterpret_cast<const Slab*>(reinterpret_cast<uintptr_t>(p) & ~(kSlabBytes - 1));
    return slabs_.contains(base) ? const_cast<Slab*>(base) : nullptr;
}

void* NodeStore::Allocate(size_t bytes) {
    if (bytes == 0 || bytes > kSmallLimit || bytes % kGrain != 0) {
        void* block = ::operator new(bytes, std::nothrow);
        if (block != nullptr) largeBytes_ += bytes;
        return block;
    }
    if (free_.size() <= bytes / kGrain) free_.resize(kSmallLimit / kGrain + 1, nullptr);
    void*& chain = free_[bytes / kGrain];
    if (chain != nullptr) {
        void* block = chain;
        std::memcpy(&chain, block, sizeof chain);
        ++smallBlocks_;
        return block;
    }
    if (current_ == nullptr || current_->used + bytes > kSlabBytes) {
        void* memory = AllocateSlab();
        if (memory == nullptr) return nullptr;
        current_ = static_cast<Slab*>(memory);
        current_->used = Slab::kFirst;
        std::memset(current_->starts, 0, sizeof current_->starts);
        slabs_.insert(current_);
        slabList_.push_back(current_);
    }
    void* block = reinterpret_cast<unsigned char*>(current_) + current_->used;
    current_->used += bytes;
    ++smallBlocks_;
    return block;
}

void NodeStore::Release(void* block, size_t bytes) {
    if (block == nullptr) return;
    if (SlabOf(block) == nullptr) {
        largeBytes_ -= bytes;
        ::operator delete(block);
        return;
    }
    void*& chain = free_[bytes / kGrain];
    std::memcpy(block, &chain, sizeof chain);
    chain = block;
    if (--smallBlocks_ == 0) ReleaseSlabs();
}

// Every small block is back: all slabs but the current one go, and it starts afresh.
void NodeStore::ReleaseSlabs() {
    for (Slab* slab : slabList_)
        if (slab != current_) FreeSlab(slab);
    slabs_.clear();
    slabList_.clear();
    std::fill(free_.begin(), free_.end(), nullptr);
    if (current_ != nullptr) {
        current_->used = Slab::kFirst;
        std::memset(current_->starts, 0, sizeof current_->starts);
        slabs_.insert(current_);
        slabList_.push_back(current_);
    }
}

size_t NodeStore::bytes() const {
    return slabList_.size() * kSlabBytes + largeBytes_;
}

bool NodeStore::contains(const Node* node) const {
    if (node == nullptr) return false;
    if (const Slab* slab = SlabOf(node)) {
        const size_t offset = reinterpret_cast<uintptr_t>(node) - reinterpret_cast<uintptr_t>(slab);
        return offset >= Slab::kFirst && offset % kGrain == 0 && slab->Test(offset);
    }
    return large_.contains(node);
}

void NodeStore::insert(const Node* node) {
    if (Slab* slab = SlabOf(node)) {
        const size_t offset = reinterpret_cast<uintptr_t>(node) - reinterpret_cast<uintptr_t>(slab);
        if (slab->Test(offset)) return;
        slab->Set(offset);
        ++live_;
        return;
    }
    if (large_.insert(node)) ++live_;
}

void NodeStore::erase(const Node* node) {
    if (Slab* slab = SlabOf(node)) {
        const size_t offset = reinterpret_cast<uintptr_t>(node) - reinterpret_cast<uintptr_t>(slab);
        if (offset < Slab::kFirst || offset % kGrain != 0 || !slab->Test(offset)) return;
        slab->Clear(offset);
        --live_;
        return;
    }
    if (large_.erase(node)) --live_;
}

}  // namespace qlhost

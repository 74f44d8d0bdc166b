// Where the drawing's entity nodes live. Small nodes are cut one after another from 1 MiB
// slabs, so a hatch adding half a million lines writes memory in order and pays no heap call
// and no hash per line; a bit per 16 bytes of a slab says where a live node starts, which is
// how an entity pointer from the plug-in is checked. Large nodes (and, in the sanitizer build,
// every node, so it still sees each use of a freed one) come from the heap and are checked
// against a set of pointers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/drawing/pointer_set.h"

namespace qlhost {

struct Node;

class NodeStore {
public:
    NodeStore() = default;
    ~NodeStore();
    NodeStore(const NodeStore&) = delete;
    NodeStore& operator=(const NodeStore&) = delete;

    // A block of the given size (a multiple of 16), or null when memory ran out.
    void* Allocate(size_t bytes);
    // Gives a block back; the node in it must no longer be live.
    void Release(void* block, size_t bytes);

    // The live nodes: those the drawing holds (resize leftovers and freed blocks are not).
    bool contains(const Node* node) const;
    size_t count(const Node* node) const { return contains(node) ? 1 : 0; }
    void insert(const Node* node);
    void erase(const Node* node);
    size_t size() const { return live_; }
    // Memory the store holds: its slabs whole and its heap blocks.
    size_t bytes() const;
    // Exchanges everything with another store: blocks, live nodes and counts.
    void Swap(NodeStore& other);

private:
    struct Slab;
    Slab* SlabOf(const void* p) const;
    void ReleaseSlabs();

    PointerSet<Slab> slabs_;              // every slab, by its aligned start
    std::vector<Slab*> slabList_;
    Slab* current_ = nullptr;             // the slab new blocks are cut from
    std::vector<void*> free_;             // freed small blocks by size / 16 (a chain through each)
    PointerSet<Node> large_;              // live nodes in heap blocks
    size_t live_ = 0;
    size_t smallBlocks_ = 0;              // small blocks handed out and not given back
    size_t largeBytes_ = 0;               // bytes of the heap blocks handed out
};

}  // namespace qlhost

// The node store and the pointer sets behind entity lookups: membership after any mix of
// inserts and erases (the open-addressed set moves entries back on erase), and a node store
// that accepts exactly the starts of live nodes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "host/drawing/drawing.h"
#include "host/drawing/node_store.h"
#include "host/drawing/pointer_set.h"
#include "host/geometry/records.h"

namespace qlhost {
namespace {

TEST(PointerSet, AgreesWithAnOrderedSetThroughInsertsAndErases) {
    // Blocks 16 bytes apart crowd the same home slots, as the drawing's nodes do.
    std::vector<int64_t> storage(4096 * 2);
    std::mt19937 random(7);
    PointerSet<int64_t> set;
    std::set<const int64_t*> reference;
    for (int step = 0; step < 60000; ++step) {
        const int64_t* p = &storage[2 * (random() % 4096)];
        if (random() % 3 == 0) {
            EXPECT_EQ(set.erase(p), reference.erase(p) == 1);
        } else {
            EXPECT_EQ(set.insert(p), reference.insert(p).second);
        }
        const int64_t* probe = &storage[2 * (random() % 4096)];
        ASSERT_EQ(set.contains(probe), reference.count(probe) == 1) << "step " << step;
    }
    EXPECT_EQ(set.size(), reference.size());
    size_t seen = 0;
    set.ForEach([&](const int64_t* p) { seen += reference.count(p); });
    EXPECT_EQ(seen, reference.size());
}

TEST(NodeStore, AcceptsTheStartsOfLiveNodesOnly) {
    Drawing& drawing = TheDrawing();
    drawing.Reset();
    const Record line = MakeLine(0, 0, 1, 1);
    std::vector<Node*> nodes;
    for (int i = 0; i < 20000; ++i)  // more than one slab of lines
        nodes.push_back(drawing.work->Append(line.data(), static_cast<uint32_t>(line.size())));
    const Record big = MakePath(std::vector<Pt>(3000, Pt{1, 2}), false);  // a heap block
    nodes.push_back(drawing.work->Append(big.data(), static_cast<uint32_t>(big.size())));
    EXPECT_EQ(drawing.live.size(), nodes.size());
    for (Node* node : {nodes.front(), nodes[9999], nodes.back()}) {
        EXPECT_EQ(NodeOf(node->record()), node);
        EXPECT_EQ(NodeOf(node->record() + 16), nullptr) << "a pointer into a record";
        EXPECT_EQ(NodeOf(node->record() - 16), nullptr) << "a pointer into a node header";
    }
    Node* freed = nodes[500];
    EntRec* stale = freed->record();
    drawing.work->Free(freed);
    EXPECT_EQ(NodeOf(stale), nullptr);
    EXPECT_EQ(drawing.live.size(), nodes.size() - 1);
    Node* again = drawing.work->Append(line.data(), static_cast<uint32_t>(line.size()));
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(again, freed) << "the freed block is handed out again";
#endif
    EXPECT_EQ(NodeOf(again->record()), again);
    EXPECT_EQ(ValidateDrawing(drawing), "");
    drawing.Reset();
    EXPECT_EQ(drawing.live.size(), 0u);
    EXPECT_EQ(NodeOf(nodes.back()->record()), nullptr) << "a freed heap block";
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(drawing.live.bytes(), size_t{1} << 20) << "one slab kept once every block is back";
#endif
}

}  // namespace
}  // namespace qlhost

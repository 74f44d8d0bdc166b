// The hidden-layer lookup on layer tables.
#include "core/layers.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/records.h"

namespace {

std::vector<unsigned char> Table(std::initializer_list<std::pair<int, uint32_t>> layers) {
    std::vector<unsigned char> table(kTblEntries, 0);
    for (auto [number, flags] : layers) {
        std::vector<unsigned char> entry(24, 0);
        PutU32(entry.data(), kEntryLength, 24);
        PutU16(entry.data(), kLayerNumber, static_cast<uint16_t>(number));
        PutU32(entry.data(), kLayerFlags, flags);
        table.insert(table.end(), entry.begin(), entry.end());
    }
    table.resize(table.size() + 4, 0);
    return table;
}

}  // namespace

TEST(LayerHidden, EmptyTableAndNoTableHideNothing) {
    auto empty = Table({});
    EXPECT_FALSE(LayerHiddenIn(empty.data(), 0));
    EXPECT_FALSE(LayerHiddenIn(nullptr, 0));
}

TEST(LayerHidden, HiddenVisibleFrozenAndUnlistedLayers) {
    auto table = Table({{0, 0}, {1, kLayerHidden}, {2, kLayerFrozen}, {3, kLayerHidden | kLayerFrozen}});
    EXPECT_FALSE(LayerHiddenIn(table.data(), 0));
    EXPECT_TRUE(LayerHiddenIn(table.data(), 1));
    EXPECT_FALSE(LayerHiddenIn(table.data(), 2));
    EXPECT_TRUE(LayerHiddenIn(table.data(), 3));
    EXPECT_FALSE(LayerHiddenIn(table.data(), 4));
}

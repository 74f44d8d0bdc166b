// The Windows host's registry branch on the real keys (host/win/registry_branch.h): which keys
// go to HKEY_CURRENT_USER, the steps that bring the real keys to the store's state, and the
// store read back from them. The real keys are played by a store the steps are applied to.
#include "host/win/registry_branch.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace qlhost::win {
namespace {

using Kind = RegChange::Kind;
using Bytes = std::vector<unsigned char>;

const std::string kCu = "HKEY_CURRENT_USER\\";
const std::string kQuillet = "HKEY_CURRENT_USER\\Software\\Tarnwell\\Quillet";

// What advapi32 does with each step, on a store standing in for HKEY_CURRENT_USER.
void ApplyTo(RegistryStore& real, const std::vector<RegChange>& changes) {
    for (const RegChange& c : changes) {
        const std::string path = kCu + c.subKey;
        switch (c.kind) {
            case Kind::kDeleteTree:
                real.RemoveTree(path);
                break;
            case Kind::kCreateKey:
                real.Create(path);
                break;
            case Kind::kSetValue:
                real.Create(path).Set(c.name, c.type, c.data);
                break;
            case Kind::kDeleteValue:
                if (RegKey* key = real.Find(path)) key->Remove(c.name);
                break;
        }
    }
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The branch's keys and values by lower-case path and name (a value set again under another
// case keeps its first name), values sorted: the real registry may enumerate values in
// another order than they were set.
using BranchView = std::map<std::string, std::map<std::string, std::pair<uint32_t, Bytes>>>;
BranchView ViewOf(const RegistryStore& store) {
    BranchView view;
    for (const auto& [lower, key] : store.Keys()) {
        if (!InRealBranch(key.path)) continue;
        auto& values = view[lower];
        for (const RegValue& v : key.values) values[Lower(v.name)] = {v.type, v.data};
    }
    return view;
}

TEST(RegistryBranchTest, OnlyTheVendorBranchOfTheCurrentUserIsReal) {
    EXPECT_TRUE(InRealBranch("HKEY_CURRENT_USER\\Software\\Tarnwell"));
    EXPECT_TRUE(InRealBranch("hkey_current_user\\SOFTWARE\\tarnwell\\Quillet\\QLHatch"));
    EXPECT_FALSE(InRealBranch("HKEY_CURRENT_USER\\Software\\TarnwellX"));
    EXPECT_FALSE(InRealBranch("HKEY_CURRENT_USER\\Software"));
    EXPECT_FALSE(InRealBranch("HKEY_LOCAL_MACHINE\\Software\\Tarnwell"));
    EXPECT_FALSE(InRealBranch(""));
    EXPECT_EQ(SubKeyOf(kQuillet + "\\QLHatch"), "Software\\Tarnwell\\Quillet\\QLHatch");
}

TEST(RegistryBranchTest, ChangesCarryOnlyWhatDiffers) {
    RegistryStore real;
    real.Create(kQuillet + "\\QLHatch").Set("Options", REG_BINARY, {1, 2, 3});
    real.Create(kQuillet + "\\QLHatch").Set("Old", REG_BINARY, {9});
    real.Create(kQuillet).Set("QLDimScale", REG_BINARY, {4});
    RegistryStore wanted = real;
    EXPECT_TRUE(BranchChanges(real, wanted).empty());

    wanted.Find(kQuillet + "\\QLHatch")
        ->Set("options", REG_BINARY, {1, 2, 4});  // same name, other case
    wanted.Find(kQuillet + "\\QLHatch")->Remove("Old");
    wanted.Find(kQuillet)->Set("QLDimScale", 4, {4});  // same bytes, other type
    const std::vector<RegChange> changes = BranchChanges(real, wanted);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].kind, Kind::kDeleteValue);
    EXPECT_EQ(changes[0].subKey, "Software\\Tarnwell\\Quillet\\QLHatch");
    EXPECT_EQ(changes[0].name, "Old");
    EXPECT_EQ(changes[1].kind, Kind::kSetValue);
    EXPECT_EQ(changes[1].type, 4u);
    EXPECT_EQ(changes[2].kind, Kind::kSetValue);
    EXPECT_EQ(changes[2].data, (Bytes{1, 2, 4}));
}

TEST(RegistryBranchTest, RemovedKeyIsDeletedOnceWithItsSubKeys) {
    RegistryStore real;
    real.Create(kQuillet + "\\QLHatch\\Settings").Set("A", REG_BINARY, {1});
    real.Create(kQuillet + "\\QLHatch\\PAT Files").Set("c:\\a.pat", REG_BINARY, {});
    RegistryStore wanted = real;
    wanted.RemoveTree(kQuillet + "\\QLHatch");
    const std::vector<RegChange> changes = BranchChanges(real, wanted);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, Kind::kDeleteTree);
    EXPECT_EQ(changes[0].subKey, "Software\\Tarnwell\\Quillet\\QLHatch");

    wanted.RemoveTree("HKEY_CURRENT_USER\\Software\\Tarnwell");
    const std::vector<RegChange> all = BranchChanges(real, wanted);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].subKey, "Software\\Tarnwell");
}

TEST(RegistryBranchTest, KeysOutsideTheBranchStayInTheStore) {
    RegistryStore wanted;
    wanted.Create("HKEY_CURRENT_USER\\Software\\Other").Set("X", REG_BINARY, {1});
    wanted.Create("HKEY_LOCAL_MACHINE\\Software\\Tarnwell").Set("Y", REG_BINARY, {2});
    wanted.Create(kQuillet + "\\QLHatch").Set("Options", REG_BINARY, {3});
    RegistryStore real;
    real.Create("HKEY_CURRENT_USER\\Software\\Wine\\Drivers").Set("Graphics", 1, {'n', 0});
    const std::vector<RegChange> changes = BranchChanges(real, wanted);
    for (const RegChange& c : changes) EXPECT_TRUE(InRealBranch(kCu + c.subKey)) << c.subKey;
    ApplyTo(real, changes);
    EXPECT_NE(real.Find("HKEY_CURRENT_USER\\Software\\Wine\\Drivers"), nullptr);  // never touched
    EXPECT_EQ(real.Find("HKEY_CURRENT_USER\\Software\\Other"), nullptr);

    // Read back: the branch comes from the real keys, everything else is the store's own.
    RegistryStore readBack;
    readBack.Create(kQuillet + "\\QLHatch").Set("Options", REG_BINARY, {7});
    readBack.Create(kQuillet + "\\QLHatch\\PAT Files");
    ReplaceBranch(wanted, readBack);
    EXPECT_EQ(wanted.Find(kQuillet + "\\QLHatch")->Find("Options")->data, Bytes{7});
    EXPECT_NE(wanted.Find(kQuillet + "\\QLHatch\\PAT Files"), nullptr);
    EXPECT_NE(wanted.Find("HKEY_CURRENT_USER\\Software\\Other"), nullptr);
    EXPECT_NE(wanted.Find("HKEY_LOCAL_MACHINE\\Software\\Tarnwell"), nullptr);
    EXPECT_EQ(wanted.Find("HKEY_CURRENT_USER\\Software\\Wine\\Drivers"), nullptr);

    ReplaceBranch(wanted, RegistryStore());  // the branch deleted behind the store's back
    EXPECT_EQ(wanted.Find("HKEY_CURRENT_USER\\Software\\Tarnwell"), nullptr);
    EXPECT_NE(wanted.Find("HKEY_CURRENT_USER\\Software\\Other"), nullptr);
}

// Any pair of stores: the steps make the real branch equal to the wanted branch.
TEST(RegistryBranchTest, ChangesMakeAnyRealBranchEqualTheStore) {
    const std::vector<std::string> keys = {"HKEY_CURRENT_USER\\Software\\Tarnwell",
                                           kQuillet,
                                           kQuillet + "\\QLHatch",
                                           kQuillet + "\\QLHatch\\Settings",
                                           kQuillet + "\\QLHatch\\PAT Files",
                                           "HKEY_CURRENT_USER\\Software\\Tarnwell\\Corvane",
                                           "HKEY_CURRENT_USER\\Software\\Elsewhere"};
    const std::vector<std::string> names = {"Options", "options", "", "c:\\p\\a.pat", "QLDimScale"};
    std::mt19937 random(17);
    auto randomStore = [&] {
        RegistryStore store;
        const int count = static_cast<int>(random() % 8);
        for (int i = 0; i < count; ++i) {
            RegKey& key = store.Create(keys[random() % keys.size()]);
            if (random() % 4 == 0) continue;
            Bytes data(random() % 4);
            for (auto& b : data) b = static_cast<unsigned char>(random() % 3);
            key.Set(names[random() % names.size()], random() % 2 ? REG_BINARY : 4, data);
        }
        if (random() % 3 == 0) store.RemoveTree(keys[random() % keys.size()]);
        return store;
    };
    for (int round = 0; round < 300; ++round) {
        RegistryStore real = randomStore();
        const RegistryStore wanted = randomStore();
        const RegistryStore before = real;
        ApplyTo(real, BranchChanges(real, wanted));
        ASSERT_EQ(ViewOf(real), ViewOf(wanted)) << "round " << round << "\nfrom\n"
                                                << WriteRegText(before) << "to\n"
                                                << WriteRegText(wanted);
        ASSERT_TRUE(BranchChanges(real, wanted).empty()) << "round " << round;
        EXPECT_EQ(real.Find("HKEY_CURRENT_USER\\Software\\Elsewhere") != nullptr,
                  before.Find("HKEY_CURRENT_USER\\Software\\Elsewhere") != nullptr);
    }
}

// A host start on a prefix that still holds an earlier run's keys: the branch is cleared and
// written from the file in the file's order, and reads back as the same file.
TEST(RegistryBranchTest, RewriteReplacesLeftoversAndReadsBackAsTheFile) {
    const std::string file =
        "REGEDIT4\n\n[HKEY_CURRENT_USER]\n\n[HKEY_CURRENT_USER\\Software]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Tarnwell]\n\n[HKEY_CURRENT_"
        "USER\\Software\\Tarnwell\\Quillet]\n"
        "\"QLDimScale\"=hex:01,00,00,00\n\n[HKEY_CURRENT_"
        "USER\\Software\\Tarnwell\\Quillet\\QLHatch]\n"
        "\"Zeta\"=hex:02\n\"Alpha\"=hex:\n\n[HKEY_CURRENT_"
        "USER\\Software\\Tarnwell\\Quillet\\QLHatch\\Settings]\n";
    RegistryStore store;
    std::string error;
    ASSERT_TRUE(ReadRegText(file, "r.reg", store, error)) << error;

    RegistryStore real;
    real.Create(kQuillet + "\\QLHatch").Set("Alpha", REG_BINARY, {5});
    real.Create(kQuillet + "\\QLHatch\\PAT Files").Set("c:\\left.pat", REG_BINARY, {});
    const std::vector<RegChange> changes = RewriteBranch(store);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes[0].kind, Kind::kDeleteTree);
    EXPECT_EQ(changes[0].subKey, "Software\\Tarnwell");
    ApplyTo(real, changes);
    const RegKey* hatch = real.Find(kQuillet + "\\QLHatch");
    ASSERT_NE(hatch, nullptr);
    ASSERT_EQ(hatch->values.size(), 2u);
    EXPECT_EQ(hatch->values[0].name, "Zeta");  // the file's order, not the leftover's
    EXPECT_TRUE(hatch->values[1].data.empty());
    EXPECT_EQ(real.Find(kQuillet + "\\QLHatch\\PAT Files"), nullptr);
    EXPECT_NE(real.Find(kQuillet + "\\QLHatch\\Settings"), nullptr);  // empty keys too

    RegistryStore next;
    ReplaceBranch(next, real);
    EXPECT_EQ(WriteRegText(next), file);
}

}  // namespace
}  // namespace qlhost::win

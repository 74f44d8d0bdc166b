// The registration record: product text, reserved fields, the names and the procedures that
// run them in the same order, and the table's end; attach and detach through the host.
#include "core/registration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/commands.h"
#include "host/protocol/loader.h"
#include "host/protocol/registration.h"

namespace {

std::vector<std::string> Names(const XPRecord& record) {
    std::vector<std::string> names;
    for (const char* name = record.names; *name; name += std::strlen(name) + 1) names.emplace_back(name);
    return names;
}

TEST(Registration, ProductReservedFieldsAndTheTableEnd) {
    const XPRecord& record = *RegistrationRecord();
    EXPECT_STREQ(record.product, "Quillet release 1026");
    EXPECT_EQ(record.reserved1, 0u);
    EXPECT_EQ(record.reserved2, 0u);
    EXPECT_EQ(record.reserved3, 0u);
    EXPECT_EQ(record.reserved4, 0u);
    const std::vector<std::string> names = Names(record);
    ASSERT_EQ(names.size(), 53u);
    EXPECT_NE(record.procs[0], nullptr);
    for (size_t k = 1; k <= 53; ++k) EXPECT_NE(record.procs[k], nullptr) << k;
    EXPECT_EQ(record.procs[54], nullptr);

    qlhost::CommandTable table;
    std::string error;
    ASSERT_TRUE(qlhost::CheckRegistration(&record, table, error)) << error;
    EXPECT_EQ(table.names.size(), 53u);
}

TEST(Registration, EachNameRunsItsOwnProcedure) {
    const XPRecord& record = *RegistrationRecord();
    const std::vector<std::string> names = Names(record);
    ASSERT_EQ(names.size(), 53u);
    const struct {
        size_t entry;
        const char* name;
        CmdProc proc;
    } samples[] = {
        {1, "QLLAYERS", QLLAYERS},
        {7, "QLCUT", QLCUT},
        {12, "QLMOVE", QLMOVE},
        {22, "QLTEXT", QLTEXT},
        {29, "QLTEDITDBG", QLTEDITDBG},
        {36, "QLHATCH", QLHATCH},
        {39, "QLHATCHSTANDARD", QLHATCHSTANDARD},
        {44, "QLHATCHOPT", QLHATCHOPT},
        {47, "QLDIMA", QLDIMA},
        {53, "QLCMENU", QLCMENU},
    };
    for (const auto& s : samples) {
        EXPECT_EQ(names[s.entry - 1], s.name) << s.entry;
        EXPECT_EQ(record.procs[s.entry], s.proc) << s.name;
    }
    // No name twice, and every command a procedure of its own.
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 53u);
    EXPECT_EQ(std::set<CmdProc>(record.procs, record.procs + 54).size(), 54u);
}

TEST(Registration, DetachWithdrawsTheRecordAndAttachRegistersItAgain) {
    const HINSTANCE instance = PluginInstance();
    const int withdrawn = qlhost::UnregisterCount();
    // No text command has run: there is no work record to release.
    EXPECT_EQ(DllMain(instance, DLL_PROCESS_DETACH, nullptr), TRUE);
    EXPECT_EQ(qlhost::RegisteredPlugin(), nullptr);
    EXPECT_EQ(qlhost::UnregisterCount(), withdrawn + 1);
    EXPECT_EQ(DllMain(instance, DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(qlhost::RegisteredPlugin(), nullptr);
    EXPECT_EQ(DllMain(instance, DLL_PROCESS_ATTACH, nullptr), TRUE);
    EXPECT_EQ(qlhost::RegisteredPlugin(), RegistrationRecord());
    EXPECT_EQ(PluginInstance(), instance);
}

}  // namespace

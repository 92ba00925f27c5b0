// The QQ function flag and the P2P online status.
#include <gtest/gtest.h>

#include "test_support.h"

#include <windows.h>

using namespace tcs_test;

namespace {

using Get = int(WINAPI*)();
using Set = int(WINAPI*)(int);

struct Flags {
    HMODULE module = LoadLibraryA(JoinPath(ThisProgramDirectory(), "TavixConfigSet.dll").c_str());
    ~Flags() { if (module) FreeLibrary(module); }
    template <typename F> F proc(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
    Set setQQ = proc<Set>("?SetQQFunc@tavixconfig@@YGHH@Z");
    Get getQQ = proc<Get>("?GetQQFunc@tavixconfig@@YGHXZ");
    Set setP2P = proc<Set>("?SetP2POnLineStatus@tavixconfig@@YGHH@Z");
    Get getP2P = proc<Get>("?GetP2POnLineStatus@tavixconfig@@YGHXZ");
};

TEST(Flags, ZeroAfterLoadAndAfterReload) {
    {
        Flags flags;
        ASSERT_NE(flags.module, nullptr);
        EXPECT_EQ(flags.getQQ(), 0);
        EXPECT_EQ(flags.getP2P(), 0);
        flags.setQQ(1);
        flags.setP2P(1);
        EXPECT_EQ(flags.getQQ(), 1);
        EXPECT_EQ(flags.getP2P(), 1);
    }
    // This program holds no other reference, so the library really unloaded.
    ASSERT_EQ(GetModuleHandleA("TavixConfigSet.dll"), nullptr);
    Flags again;
    EXPECT_EQ(again.getQQ(), 0);
    EXPECT_EQ(again.getP2P(), 0);
}

TEST(Flags, ASetterStoresOneForPositiveValuesOnlyAndReturnsZero) {
    Flags flags;
    ASSERT_NE(flags.module, nullptr);
    struct Case { int value; int stored; } cases[] = {
        {0, 0}, {-1, 0}, {-2147483647 - 1, 0}, {1, 1}, {5, 1}, {2147483647, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(flags.setQQ(c.value), 0);
        EXPECT_EQ(flags.getQQ(), c.stored) << c.value;
        EXPECT_EQ(flags.setP2P(c.value), 0);
        EXPECT_EQ(flags.getP2P(), c.stored) << c.value;
    }
}

TEST(Flags, EachSetterWritesItsOwnFlagOnly) {
    Flags flags;
    ASSERT_NE(flags.module, nullptr);
    flags.setQQ(0);
    flags.setP2P(0);
    flags.setQQ(5);
    EXPECT_EQ(flags.getQQ(), 1);
    EXPECT_EQ(flags.getP2P(), 0);
    flags.setP2P(1);
    flags.setQQ(0);
    EXPECT_EQ(flags.getP2P(), 1);
    EXPECT_EQ(flags.getQQ(), 0);
}

TEST(Flags, EveryProcessHasItsOwnAndAReloadStartsAtZero) {
    const std::string folder = ThisProgramDirectory();
    const ProbeRun first = RunProbe(folder, {"SetQQFunc|1", "SetP2POnLineStatus|7", "GetQQFunc",
                                             "GetP2POnLineStatus", "reload", "GetQQFunc", "GetP2POnLineStatus"});
    ASSERT_EQ(first.exitCode, 0u) << first.output;
    ASSERT_EQ(first.lines.size(), 7u) << first.output;
    EXPECT_EQ(first.lines[2].result, 1);
    EXPECT_EQ(first.lines[3].result, 1);
    EXPECT_EQ(first.lines[5].result, 0);
    EXPECT_EQ(first.lines[6].result, 0);

    // A second process while nothing is set there.
    const ProbeRun second = RunProbe(folder, {"GetQQFunc", "GetP2POnLineStatus"});
    ASSERT_EQ(second.lines.size(), 2u) << second.output;
    EXPECT_EQ(second.lines[0].result, 0);
    EXPECT_EQ(second.lines[1].result, 0);
}

}  // namespace

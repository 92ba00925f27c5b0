// What a process that has only just loaded the library sees: the probe beside
// this program, with the scripted store set to refuse every open.
#include <gtest/gtest.h>

#include "test_support.h"

#include <windows.h>

#include <cstdint>
#include <ctime>

using namespace tcs_test;

namespace {

// Sets an environment variable for the children started meanwhile.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) { SetEnvironmentVariableA(name, value); }
    ~ScopedVariable() { SetEnvironmentVariableA(name_, nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
};

TEST(FreshProcess, TimeValuesStartFromZeroWithTheStoreUnavailable) {
    ScopedVariable unavailable("ENVIRONMENT_DOUBLE_OPEN", "-1");
    const std::uint32_t before = static_cast<std::uint32_t>(_time32(nullptr));
    const ProbeRun run = RunProbe(ThisProgramDirectory(),
                                  {"GetTimeOffset", "GetSyncTime", "GetSyncTimeMem", "setSyncTime|-1",
                                   "GetSyncTimeMem", "GetCenterTimeSync"});
    const std::uint32_t after = static_cast<std::uint32_t>(_time32(nullptr));
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    ASSERT_EQ(run.lines.size(), 6u) << run.output;
    EXPECT_EQ(run.lines[0].result, 0);
    const std::uint32_t syncTime = static_cast<std::uint32_t>(run.lines[1].result);
    EXPECT_GE(syncTime, before - 2);
    EXPECT_LE(syncTime, after + 2);
    EXPECT_EQ(run.lines[2].result, 0);
    EXPECT_EQ(run.lines[4].result, 4294967295LL);
    EXPECT_EQ(run.lines[5].result, -1);
}

TEST(FreshProcess, TheParkedSyncTimeIsLostWithTheProcess) {
    const ProbeRun first = RunProbe(ThisProgramDirectory(), {"setSyncTime|77", "GetSyncTimeMem"});
    ASSERT_EQ(first.lines.size(), 2u) << first.output;
    EXPECT_EQ(first.lines[1].result, 77);
    const ProbeRun second = RunProbe(ThisProgramDirectory(), {"GetSyncTimeMem"});
    ASSERT_EQ(second.lines.size(), 1u) << second.output;
    EXPECT_EQ(second.lines[0].result, 0);
}

}  // namespace

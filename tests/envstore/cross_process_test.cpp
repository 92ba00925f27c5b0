// The store is shared: what one process writes, the next one reads, and so
// does a process that was running all along.
#include <gtest/gtest.h>

#include "TavixConfigSet.h"
#include "test_support.h"

#include <cstdint>
#include <ctime>
#include <string>

using namespace tcs_test;

namespace {

TEST(CrossProcess, AValueWrittenByOneProcessIsReadByTheNext) {
    const std::int32_t centre = static_cast<std::int32_t>(_time32(nullptr)) + 50;
    const ProbeRun writer = RunProbe(ThisProgramDirectory(),
                                     {"SetCenterPort|4321", "SetCurrentUser|carol", "SetCenterTimeSync|" + std::to_string(centre)});
    ASSERT_EQ(writer.exitCode, 0u) << writer.output;
    ASSERT_EQ(writer.lines.size(), 3u) << writer.output;
    for (const ProbeLine& line : writer.lines) EXPECT_EQ(line.result, 0) << line.command;

    const ProbeRun reader = RunProbe(ThisProgramDirectory(), {"GetCenterPort", "GetCurrentUser|16|00", "GetCenterTimeSync"});
    ASSERT_EQ(reader.exitCode, 0u) << reader.output;
    ASSERT_EQ(reader.lines.size(), 3u) << reader.output;
    EXPECT_EQ(reader.lines[0].result, 4321);
    EXPECT_EQ(reader.lines[1].result, 0);
    EXPECT_EQ(reader.lines[1].text, "carol");
    EXPECT_LE(reader.lines[2].result, 50);
    EXPECT_GE(reader.lines[2].result, 47);

    EXPECT_EQ(tavixconfig::GetCenterPort(), 4321) << "seen by a process that was running meanwhile";
}

TEST(CrossProcess, AValueWrittenHereIsReadByAChild) {
    ASSERT_EQ(tavixconfig::SetUnitIdentity("venue-17", 8), 0);
    ASSERT_EQ(tavixconfig::SetHandshakeInterval(45), 0);
    const ProbeRun reader = RunProbe(ThisProgramDirectory(), {"GetUnitIdentity|32|00", "GetHandshakeInterval"});
    ASSERT_EQ(reader.lines.size(), 2u) << reader.output;
    EXPECT_EQ(reader.lines[0].text, "venue-17");
    EXPECT_EQ(reader.lines[1].result, 45);
}

}  // namespace

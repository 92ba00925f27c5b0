// The access sequence every store access follows: one open, the reads or
// writes with their retries, one close - seen from the store's side.
#include "double_support.h"

#include "TavixConfigSet.h"

#include <cstring>
#include <vector>

using namespace envstore_test;
using namespace tavixconfig;

namespace {

class ClientSequence : public WithDouble {};

TEST_F(ClientSequence, AFailedOpenEndsTheAccessWithNoOtherCall) {
    DoubleOpenResult(-1);
    char buffer[8] = {};
    EXPECT_EQ(GetCurrentUser(buffer, sizeof buffer), -1);
    EXPECT_EQ(SetCurrentUser("abc", 3), -1);
    EXPECT_EQ(GetCenterPort(), 80);
    EXPECT_EQ(SetCenterPort(9), -1);
    const std::vector<DoubleCallRecord> calls = Calls();
    ASSERT_EQ(calls.size(), 4u);
    for (const DoubleCallRecord& c : calls) EXPECT_EQ(c.operation, DOUBLE_OPEN);
}

TEST_F(ClientSequence, EveryOtherOpenResultCountsAsOpen) {
    for (int open : {0, 1, 7, -2, -100}) {
        SCOPED_TRACE(open);
        DoubleReset();
        DoubleOpenResult(open);
        DoublePut("RealName.CurrentUser", "bob", 3);
        char buffer[8] = {};
        EXPECT_EQ(GetCurrentUser(buffer, sizeof buffer), 0);
        EXPECT_STREQ(buffer, "bob");
        EXPECT_EQ(SetCenterPort(9), 0);
        const std::vector<Sequence> s = Sequences();
        ASSERT_EQ(s.size(), 2u);
        EXPECT_EQ(s[0].reads, 1);
        EXPECT_EQ(s[1].writes, 1);
    }
}

TEST_F(ClientSequence, ReadsAreTriedFourTimesInAll) {
    struct Case {
        const char* what;
        std::vector<int> results;  // of the scripted reads; a 0 delivers "bob"
        int reads;
        int result;
    } cases[] = {
        {"first read succeeds", {0}, 1, 0},
        {"second read succeeds", {2, 0}, 2, 0},
        {"fourth read succeeds", {-1, 3, 2, 0}, 4, 0},
        {"a missing key four times", {2, 2, 2, 2, 0}, 4, -1},
        {"positive results are failures", {1, 1, 1, 1, 0}, 4, -1},
        {"negative results are failures", {-1, -2, -3, -1, 0}, 4, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DoubleReset();
        std::vector<DoubleReadStep> steps;
        for (int r : c.results) steps.push_back(r == 0 ? Deliver(0, "bob", 3) : Step(r));
        ScriptReads(steps);
        char buffer[8] = {};
        EXPECT_EQ(GetCurrentUser(buffer, sizeof buffer), c.result);
        const Sequence s = OnlySequence();
        EXPECT_EQ(s.reads, c.reads);
        EXPECT_EQ(s.writes, 0);
        EXPECT_EQ(s.key, "RealName.CurrentUser");
        if (c.result == 0) {
            EXPECT_STREQ(buffer, "bob");
        }
    }
}

TEST_F(ClientSequence, EveryReadAttemptGetsTheCallersBufferAndCapacity) {
    ScriptReads({Step(2), Step(2), Step(2), Step(2)});
    char buffer[12];
    std::memset(buffer, 0x5a, sizeof buffer);
    EXPECT_EQ(GetUnitIdentity(buffer, 10), -1);
    const Sequence s = OnlySequence();
    ASSERT_EQ(s.reads, 4);
    for (const DoubleCallRecord& r : s.operations) {
        EXPECT_EQ(r.buffer, buffer);
        EXPECT_EQ(r.length, 10u);
    }
}

TEST_F(ClientSequence, WritesAreTriedAgainOnlyBelowMinusOne) {
    struct Case {
        const char* what;
        std::vector<int> results;  // of the scripted writes
        int writes;
        int result;
    } cases[] = {
        {"busy every time", {-2, -2, -2, 0}, 3, -2},
        {"busy, then a final failure", {-2, -1}, 2, -1},
        {"a transient failure, then stored", {-7, 0}, 2, 0},
        {"busy twice, then a positive result", {-3, -2, 5}, 3, 5},
        {"stored at once", {0}, 1, 0},
        {"a final failure at once", {-1, 0}, 1, -1},
        {"a positive result at once", {4, 0}, 1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DoubleReset();
        ScriptWrites(c.results);
        const char text[] = "abc";
        EXPECT_EQ(SetCurrentUser(text, 3), c.result);
        const Sequence s = OnlySequence();
        EXPECT_EQ(s.writes, c.writes);
        EXPECT_EQ(s.reads, 0);
        EXPECT_EQ(s.key, "RealName.CurrentUser");
        for (const DoubleCallRecord& w : s.operations) {
            EXPECT_EQ(w.buffer, text);
            EXPECT_EQ(w.length, 3u);
        }
    }
}

TEST_F(ClientSequence, EachCallIsASequenceOfItsOwn) {
    Put32("Network.CenterPort", 514);
    EXPECT_EQ(GetCenterPort(), 514);
    EXPECT_EQ(GetCenterPort(), 514);
    EXPECT_EQ(SetCenterUdpPort(7), 0);
    const std::vector<Sequence> s = Sequences();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].key, "Network.CenterPort");
    EXPECT_EQ(s[1].key, "Network.CenterPort");
    EXPECT_EQ(s[2].key, "Network.CenterUDPPort");
}

// The store may leave anything in the length word; the library never looks
// at it, and each attempt again offers only the caller's capacity.
TEST_F(ClientSequence, TheLengthWordTheStoreLeavesChangesNothing) {
    const std::int32_t port = 514;
    ScriptReads({DoubleReadStep{2, nullptr, 0, 1, 4096}, DoubleReadStep{0, &port, 4, 1, 0}});
    EXPECT_EQ(GetCenterPort(), 514);
    Sequence s = OnlySequence();
    ASSERT_EQ(s.reads, 2);
    EXPECT_EQ(s.operations[1].length, 4u);

    DoubleReset();
    ScriptReads({DoubleReadStep{0, "carol", 5, 1, 1}});
    char buffer[8];
    std::memset(buffer, 0xcc, sizeof buffer);
    EXPECT_EQ(GetCurrentUser(buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer, 6), std::string("carol\xcc"));

    DoubleReset();
    ScriptReads({DoubleReadStep{0, nullptr, 0, 1, 99}});
    EXPECT_EQ(GetCenterTimeSync(), -1);
}

// A value longer than the buffer: the store says so and names the length it
// needs; the retries must not hand that length back as the capacity.
TEST_F(ClientSequence, ATooLongValueIsNeverReadPastTheCallersSize) {
    DoublePut("RealName.CurrentUser", "abcdefgh", 8);
    char buffer[12];
    std::memset(buffer, 0xcc, sizeof buffer);
    EXPECT_EQ(GetCurrentUser(buffer, 4), -1);
    const Sequence s = OnlySequence();
    ASSERT_EQ(s.reads, 4);
    for (const DoubleCallRecord& r : s.operations) {
        EXPECT_EQ(r.length, 4u);
        EXPECT_EQ(r.result, 3);
    }
    for (char c : buffer) EXPECT_EQ(static_cast<unsigned char>(c), 0xcc);
}

}  // namespace

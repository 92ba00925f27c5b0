// Time values against the scripted store: the offset cache, the server time
// with its fall-back, the centre time difference and the parked sync time.
#include "double_support.h"

#include "TavixConfigSet.h"

#include <cstdint>
#include <ctime>

using namespace envstore_test;
using namespace tavixconfig;

namespace {

constexpr char kTimeOffset[] = "Network.TimeOffset";
constexpr char kServerTime[] = "Network.ServerTime";
constexpr char kCenterTime[] = "Network.CenterTime";
constexpr std::int64_t k2To32 = std::int64_t{1} << 32;

std::uint32_t Now() { return static_cast<std::uint32_t>(_time32(nullptr)); }

// Seconds from expected to actual on the 32-bit clock, wrapping.
std::int32_t Drift(std::uint32_t actual, std::uint32_t expected) {
    return static_cast<std::int32_t>(actual - expected);
}

class TimeSync : public WithDouble {
protected:
    // Leaves the offset cache at value, through a successful read.
    static void CacheOffset(std::int64_t value) {
        Put64(kTimeOffset, value);
        GetTimeOffset();
        DoubleReset();
    }
};

TEST_F(TimeSync, TheOffsetIsReadAsEightBytesAndItsLowHalfReturned) {
    Put64(kTimeOffset, 30);
    EXPECT_EQ(GetTimeOffset(), 30ul);
    const Sequence s = OnlySequence();
    EXPECT_EQ(s.key, kTimeOffset);
    ASSERT_EQ(s.reads, 1);
    EXPECT_EQ(s.operations[0].length, 8u);
    EXPECT_EQ(Bytes(s.operations[0]), Le64(0));

    DoubleReset();
    Put64(kTimeOffset, k2To32 + 5);
    EXPECT_EQ(GetTimeOffset(), 5ul);
    DoubleReset();
    Put64(kTimeOffset, -30);
    EXPECT_EQ(GetTimeOffset(), 4294967266ul);
}

TEST_F(TimeSync, AFailedOffsetReadReturnsTheLastOneRead) {
    CacheOffset(30);
    EXPECT_EQ(GetTimeOffset(), 30ul) << "missing key";
    DoubleOpenResult(-1);
    EXPECT_EQ(GetTimeOffset(), 30ul) << "store unavailable";
    DoubleOpenResult(0);
    Put64(kTimeOffset, 0);
    EXPECT_EQ(GetTimeOffset(), 0ul) << "a stored 0 resets the cache";
    DoubleReset();
    EXPECT_EQ(GetTimeOffset(), 0ul);
}

TEST_F(TimeSync, ReadFailuresStillDeliveringBytesDoNotReachTheCache) {
    CacheOffset(30);
    const std::int64_t junk = 99;
    ScriptReads({Deliver(2, &junk, 8), Deliver(2, &junk, 8), Deliver(2, &junk, 8), Deliver(2, &junk, 8)});
    EXPECT_EQ(GetTimeOffset(), 30ul);
}

TEST_F(TimeSync, WithoutAServerTimeTheSyncTimeIsNowMinusTheOffset) {
    struct Case { const char* what; std::int64_t offset; } cases[] = {
        {"offset 30", 30},
        {"offset 0", 0},
        {"a negative offset", -3600},
        {"an offset larger than now wraps", std::int64_t{Now()} + 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DoubleReset();
        Put64(kTimeOffset, c.offset);
        const std::uint32_t expected = Now() - static_cast<std::uint32_t>(c.offset);
        const std::uint32_t got = GetSyncTime();
        EXPECT_GE(Drift(got, expected), 0);
        EXPECT_LE(Drift(got, expected), 2);
        const std::vector<Sequence> s = Sequences();
        ASSERT_EQ(s.size(), 2u);
        EXPECT_EQ(s[0].key, kServerTime);
        EXPECT_EQ(s[1].key, kTimeOffset);
    }
}

TEST_F(TimeSync, AServerTimeCountsWhenAboveZeroOnAllSixtyFourBits) {
    const std::int64_t offset = 12;
    struct Case {
        std::int64_t stored;
        bool present;
        std::uint32_t result;  // when present
    } cases[] = {
        {1, true, 1},
        {1000000000, true, 1000000000},  // old, and returned as stored
        {k2To32, true, 0},
        {k2To32 + 7, true, 7},
        {0, false, 0},
        {-1, false, 0},
        {-k2To32 + 5, false, 0},  // low half 5, but negative
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        DoubleReset();
        Put64(kServerTime, c.stored);
        Put64(kTimeOffset, offset);
        const std::uint32_t now = Now();
        const std::uint32_t got = GetSyncTime();
        const std::vector<Sequence> s = Sequences();
        ASSERT_FALSE(s.empty());
        EXPECT_EQ(s[0].key, kServerTime);
        EXPECT_EQ(s[0].reads, 1);
        EXPECT_EQ(s[0].operations[0].length, 8u);
        EXPECT_EQ(Bytes(s[0].operations[0]), Le64(0));
        if (c.present) {
            EXPECT_EQ(got, c.result);
            EXPECT_EQ(s.size(), 1u) << "the fall-back ran";
        } else {
            EXPECT_GE(Drift(got, now - offset), 0);
            EXPECT_LE(Drift(got, now - offset), 2);
            ASSERT_EQ(s.size(), 2u);
            EXPECT_EQ(s[1].key, kTimeOffset);
        }
    }
}

TEST_F(TimeSync, TheFallBackRefreshesTheOffsetCache) {
    CacheOffset(0);
    Put64(kTimeOffset, 44);
    GetSyncTime();
    DoubleOpenResult(-1);
    EXPECT_EQ(GetTimeOffset(), 44ul);
}

TEST_F(TimeSync, UnreadableServerTimeTakesTheFallBack) {
    CacheOffset(20);
    DoubleOpenResult(-1);
    const std::uint32_t now = Now();
    const std::uint32_t got = GetSyncTime();
    EXPECT_GE(Drift(got, now - 20), 0);
    EXPECT_LE(Drift(got, now - 20), 2);
}

TEST_F(TimeSync, TheCentreTimeIsStoredAsItsDifferenceFromNow) {
    struct Case { const char* what; std::int64_t shift; bool fromZero; } cases[] = {
        {"now", 0, false},
        {"an hour ahead", 3600, false},
        {"a day behind", -86400, false},
        {"time 0", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DoubleReset();
        const std::uint32_t now = Now();
        const std::uint32_t centre = c.fromZero ? 0u : now + static_cast<std::uint32_t>(c.shift);
        EXPECT_EQ(SetCenterTimeSync(static_cast<long>(centre)), 0);
        const Sequence s = OnlySequence();
        EXPECT_EQ(s.key, kCenterTime);
        ASSERT_EQ(s.writes, 1);
        ASSERT_EQ(s.operations[0].length, 4u);
        std::int32_t stored = 0;
        std::memcpy(&stored, s.operations[0].bytes, 4);
        const std::int32_t expected = c.fromZero ? -static_cast<std::int32_t>(now) : static_cast<std::int32_t>(c.shift);
        EXPECT_LE(stored, expected);
        EXPECT_GE(stored, expected - 2);
    }
}

TEST_F(TimeSync, SettingTheCentreTimePassesTheStoresResultOn) {
    DoubleOpenResult(-1);
    EXPECT_EQ(SetCenterTimeSync(Now()), -1);
    DoubleReset();
    ScriptWrites({-2, -2, -2});
    EXPECT_EQ(SetCenterTimeSync(Now()), -2);
    EXPECT_EQ(OnlySequence().writes, 3);
}

TEST_F(TimeSync, TheCentreTimeDifferenceReadsBackAsStored) {
    struct Case { const char* what; bool open; bool stored; std::int32_t value; int expected; } cases[] = {
        {"store unavailable", false, false, 0, -1},
        {"missing", true, false, 0, -1},
        {"stored -1", true, true, -1, -1},
        {"stored 0", true, true, 0, 0},
        {"stored 25", true, true, 25, 25},
        {"stored -300", true, true, -300, -300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DoubleReset();
        DoubleOpenResult(c.open ? 0 : -1);
        if (c.stored) Put32(kCenterTime, c.value);
        EXPECT_EQ(GetCenterTimeSync(), c.expected);
        if (c.open) {
            const Sequence s = OnlySequence();
            EXPECT_EQ(s.key, kCenterTime);
            EXPECT_EQ(s.operations[0].length, 4u);
            EXPECT_EQ(Bytes(s.operations[0]), Le32(-1));
        }
    }
}

TEST_F(TimeSync, TheParkedSyncTimeNeverTouchesTheStore) {
    setSyncTime(-1);
    EXPECT_EQ(GetSyncTimeMem(), 4294967295ul);
    setSyncTime(1234567);
    EXPECT_EQ(GetSyncTimeMem(), 1234567ul);
    EXPECT_EQ(DoubleCallCount(), 0);
    EXPECT_NE(GetSyncTime(), 1234567ul);
}

}  // namespace

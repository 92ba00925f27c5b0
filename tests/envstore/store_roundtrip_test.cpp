// Settings and time values through the real store: what a setter writes, the
// matching getter (or the store itself) reads back.
#include <gtest/gtest.h>

#include "TavixConfigSet.h"
#include "alias.h"
#include "environment.h"
#include "test_support.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

using namespace tavixconfig;
using namespace tcs_test;
using envstore_test::SetSetupPathApi;

namespace {

// The raw value under key, as the store holds it.
bool StoredBytes(const char* key, std::string* out) {
    if (EnvOpen() == ENV_FAILED) return false;
    char buffer[ENV_MAX_VALUE];
    unsigned int length = sizeof buffer;
    const int r = EnvRead(key, buffer, &length);
    EnvClose();
    if (r != ENV_OK) return false;
    out->assign(buffer, length);
    return true;
}

bool StoreRaw(const char* key, const void* data, unsigned int length) {
    if (EnvOpen() == ENV_FAILED) return false;
    const int r = EnvWrite(key, data, length);
    EnvClose();
    return r == ENV_OK;
}

TEST(StoreRoundTrip, IntegerSettersAndGettersMeetUnderOneKey) {
    struct Pair {
        const char* name;
        int (WINAPI* set)(int);
        int (WINAPI* get)();
    } pairs[] = {
        {"SnapScreenFrequency", SetSnapScreenFrequency, GetSnapScreenFrequency},
        {"DuplicateAlarmSwitch", SetDuplicateAlarmSwitch, GetDuplicateAlarmSwitch},
        {"DuplicateAlarmTime", SetDuplicateAlarmTime, GetDuplicateAlarmTime},
        {"CenterPort", SetCenterPort, GetCenterPort},
        {"CenterUdpPort", SetCenterUdpPort, GetCenterUdpPort},
        {"HandshakeInterval", SetHandshakeInterval, GetHandshakeInterval},
        {"DownFileServerPort", SetDownFileServerPort, GetDownFileServerPort},
        {"OnlineMachineNo", SetOnlineMachineNo, GetOnlineMachineNo},
        {"RserviceFunctionFlag", SetRserviceFunctionFlag, GetRserviceFunctionFlag},
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(p.set(12345), 0) << p.name;
        EXPECT_EQ(p.get(), 12345) << p.name;
    }
}

TEST(StoreRoundTrip, StoredValuesMeetTheGettersRules) {
    struct Case {
        const char* what;
        int (WINAPI* set)(int);
        int (WINAPI* get)();
        int value;
        int expected;
    } cases[] = {
        {"centre port 0", SetCenterPort, GetCenterPort, 0, 80},
        {"centre port -5", SetCenterPort, GetCenterPort, -5, -5},
        {"screen frequency -5", SetSnapScreenFrequency, GetSnapScreenFrequency, -5, 15},
        {"alarm valve -1", SetDuplicateAlarmTime, GetDuplicateAlarmTime, -1, 60},
        {"handshake interval -1", SetHandshakeInterval, GetHandshakeInterval, -1, -1},
        {"function flag 5", SetRserviceFunctionFlag, GetRserviceFunctionFlag, 5, 5},
        {"function flag -1", SetRserviceFunctionFlag, GetRserviceFunctionFlag, -1, -1},
        {"function flag 0", SetRserviceFunctionFlag, GetRserviceFunctionFlag, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.set(c.value), 0) << c.what;
        EXPECT_EQ(c.get(), c.expected) << c.what;
    }
    std::string raw;
    ASSERT_TRUE(StoredBytes("RServiceFunctionFlagKey", &raw));
    EXPECT_EQ(raw, std::string(4, '\0'));
}

TEST(StoreRoundTrip, TextSettersAndGettersMeetUnderOneKey) {
    struct Pair {
        const char* name;
        int (WINAPI* set)(const char*, unsigned int);
        int (WINAPI* get)(char*, unsigned int);
    } pairs[] = {
        {"UnitIdentity", SetUnitIdentity, GetUnitIdentity},
        {"UnitRegistCode", SetUnitRegistCode, GetUnitRegistCode},
        {"CurrentUser", SetCurrentUser, GetCurrentUser},
        {"CenterAddr", SetCenterAddr, GetCenterAddr},
    };
    for (const Pair& p : pairs) {
        SCOPED_TRACE(p.name);
        const std::string value = std::string(p.name) + "-value";
        EXPECT_EQ(p.set(value.c_str(), static_cast<unsigned int>(value.size())), 0);
        char buffer[32];
        std::memset(buffer, 0xcc, sizeof buffer);
        EXPECT_EQ(p.get(buffer, sizeof buffer), 0);
        EXPECT_EQ(std::string(buffer, value.size() + 1), value + "\xcc") << "no zero is added";
    }
}

TEST(StoreRoundTrip, TheLengthDecidesWhatATextValueHolds) {
    const struct { unsigned int length; std::string stored; } cases[] = {
        {3, std::string("abc")}, {4, std::string("abc", 4)}, {0, std::string()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(SetCurrentUser("abc", c.length), 0);
        std::string raw;
        ASSERT_TRUE(StoredBytes("RealName.CurrentUser", &raw));
        EXPECT_EQ(raw, c.stored);
    }
}

// The store refuses a value longer than the buffer and says how long it is;
// the library's retries must still offer only the caller's size.
TEST(StoreRoundTrip, AValueLongerThanTheBufferIsRefusedAndNothingOverrun) {
    ASSERT_EQ(SetCurrentUser("abcdefgh", 8), 0);
    char buffer[16];
    std::memset(buffer, 0xcc, sizeof buffer);
    EXPECT_EQ(GetCurrentUser(buffer, 4), -1);
    for (char c : buffer) EXPECT_EQ(static_cast<unsigned char>(c), 0xcc);
    EXPECT_EQ(GetCurrentUser(buffer, 8), 0);
    EXPECT_EQ(std::string(buffer, 9), "abcdefgh\xcc");
}

TEST(StoreRoundTrip, PathSettersDoNotMoveTheDerivedPaths) {
    char setup[MAX_PATH] = {}, upload[MAX_PATH] = {};
    ASSERT_EQ(GetSetupPath(setup, sizeof setup), 0);
    ASSERT_EQ(GetUpLoadFilePath(upload, sizeof upload), 0);
    const struct { const char* what; int (WINAPI* set)(const char*, unsigned int); const char* key; } setters[] = {
        {"SetSetupPath", SetSetupPath, "Audit.System.Install.Path"},
        {"SetSetupPath_API", SetSetupPathApi(), "Audit.System.Install.Path"},
        {"SetUpLoadFilePath", SetUpLoadFilePath, "Network.UpFilePath"},
    };
    for (const auto& s : setters) {
        SCOPED_TRACE(s.what);
        ASSERT_NE(s.set, nullptr);
        const std::string path = std::string("D:\\elsewhere\\") + s.what;
        EXPECT_EQ(s.set(path.c_str(), static_cast<unsigned int>(path.size())), 0);
        std::string raw;
        ASSERT_TRUE(StoredBytes(s.key, &raw));
        EXPECT_EQ(raw, path);
        char again[MAX_PATH] = {};
        EXPECT_EQ(GetSetupPath(again, sizeof again), 0);
        EXPECT_STREQ(again, setup);
        EXPECT_EQ(GetUpLoadFilePath(again, sizeof again), 0);
        EXPECT_STREQ(again, upload);
    }
}

TEST(StoreRoundTrip, TheCentreTimeDifferenceIsFourBytes) {
    const std::int32_t now = _time32(nullptr);
    ASSERT_EQ(SetCenterTimeSync(now + 100), 0);
    std::string raw;
    ASSERT_TRUE(StoredBytes("Network.CenterTime", &raw));
    ASSERT_EQ(raw.size(), 4u);
    const int difference = GetCenterTimeSync();
    EXPECT_LE(difference, 100);
    EXPECT_GE(difference, 98);
    EXPECT_EQ(std::memcmp(raw.data(), &difference, 4), 0);
}

TEST(StoreRoundTrip, TimeValuesOtherProgramsStoreAreRead) {
    const std::int64_t offset = (std::int64_t{1} << 32) + 30;
    ASSERT_TRUE(StoreRaw("Network.TimeOffset", &offset, sizeof offset));
    EXPECT_EQ(GetTimeOffset(), 30ul);
    const std::int64_t serverTime = 1000000000;
    ASSERT_TRUE(StoreRaw("Network.ServerTime", &serverTime, sizeof serverTime));
    EXPECT_EQ(GetSyncTime(), 1000000000ul);
    const std::int64_t none = 0;
    ASSERT_TRUE(StoreRaw("Network.ServerTime", &none, sizeof none));
    const std::uint32_t expected = static_cast<std::uint32_t>(_time32(nullptr)) - 30;
    const std::int32_t drift = static_cast<std::int32_t>(GetSyncTime() - expected);
    EXPECT_GE(drift, 0);
    EXPECT_LE(drift, 2);
}

}  // namespace

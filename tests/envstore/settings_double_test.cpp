// The settings kept in the environment store, against the scripted store:
// the exact key, encoding and initial value of every export, and the rule
// that turns what the store holds into the result.
#include "alias.h"
#include "double_support.h"

#include "TavixConfigSet.h"

#include <cstring>
#include <string>

using namespace envstore_test;
using namespace tavixconfig;

namespace {

struct IntGetter {
    const char* name;
    long long (*get)();
    const char* key;
    std::int32_t initial;
    // results for a store that cannot be opened, and for stored 0, -1, -5, 7
    long long unavailable, stored0, storedMinus1, storedMinus5, stored7;
};

#define GETTER(f) #f, [] { return static_cast<long long>(f()); }
const IntGetter kIntGetters[] = {
    {GETTER(GetSnapScreenFrequency), "Audit.Monitor.Screen.Frequency", 0, 15, 15, 15, 15, 7},
    {GETTER(GetDuplicateAlarmSwitch), "Audit.Alarm.DuplicateControl.Enable", 0, 0, 0, -1, -5, 7},
    {GETTER(GetDuplicateAlarmTime), "Audit.Alarm.DuplicateControl.Valve", 0, 60, 60, 60, 60, 7},
    {GETTER(GetCenterPort), "Network.CenterPort", 0, 80, 80, -1, -5, 7},
    {GETTER(GetCenterUdpPort), "Network.CenterUDPPort", 0, 8000, 8000, -1, -5, 7},
    {GETTER(GetHandshakeInterval), "Network.Handshake.Interval", 0, 60, 60, -1, -5, 7},
    {GETTER(GetDownFileServerPort), "Network.DownFile.Server.Port", 0, 10022, 10022, -1, -5, 7},
    {GETTER(GetOnlineMachineNo), "Network.OnlineMachine", 0, 0, 0, -1, -5, 7},
    {GETTER(GetTerminalOnline), "TerminalOnLine", 0, 0, 0, -1, -5, 7},
    {GETTER(GetRserviceFunctionFlag), "RServiceFunctionFlagKey", -1, -1, 0, -1, -5, 7},
    {GETTER(GetOutsideIP), "Network.OutsideIP", 0, 0, 0, 4294967295LL, 4294967291LL, 7},
};
#undef GETTER

struct IntSetter {
    const char* name;
    int (WINAPI* set)(int);
    const char* key;
};

const IntSetter kIntSetters[] = {
    {"SetSnapScreenFrequency", SetSnapScreenFrequency, "Audit.Monitor.Screen.Frequency"},
    {"SetDuplicateAlarmSwitch", SetDuplicateAlarmSwitch, "Audit.Alarm.DuplicateControl.Enable"},
    {"SetDuplicateAlarmTime", SetDuplicateAlarmTime, "Audit.Alarm.DuplicateControl.Valve"},
    {"SetCenterPort", SetCenterPort, "Network.CenterPort"},
    {"SetCenterUdpPort", SetCenterUdpPort, "Network.CenterUDPPort"},
    {"SetHandshakeInterval", SetHandshakeInterval, "Network.Handshake.Interval"},
    {"SetDownFileServerPort", SetDownFileServerPort, "Network.DownFile.Server.Port"},
    {"SetOnlineMachineNo", SetOnlineMachineNo, "Network.OnlineMachine"},
    {"SetRserviceFunctionFlag", SetRserviceFunctionFlag, "RServiceFunctionFlagKey"},
};

struct TextGetter {
    const char* name;
    int (WINAPI* get)(char*, unsigned int);
    const char* key;
};

const TextGetter kTextGetters[] = {
    {"GetUnitIdentity", GetUnitIdentity, "Audit.Unit.Identity"},
    {"GetUnitRegistCode", GetUnitRegistCode, "Audit.Unit.RegisterCode"},
    {"GetCurrentUser", GetCurrentUser, "RealName.CurrentUser"},
    {"GetCurrentUserInfo", GetCurrentUserInfo, "RealName.CurrentUserAllInfo"},
    {"GetCenterAddr", GetCenterAddr, "Network.CenterAddr"},
};

struct TextSetter {
    const char* name;
    int (WINAPI* set)(const char*, unsigned int);
    const char* key;
};

const TextSetter kTextSetters[] = {
    {"SetSetupPath", SetSetupPath, "Audit.System.Install.Path"},
    {"SetSetupPath_API", SetSetupPathApi(), "Audit.System.Install.Path"},
    {"SetUnitIdentity", SetUnitIdentity, "Audit.Unit.Identity"},
    {"SetUnitRegistCode", SetUnitRegistCode, "Audit.Unit.RegisterCode"},
    {"SetCurrentUser", SetCurrentUser, "RealName.CurrentUser"},
    {"SetUpLoadFilePath", SetUpLoadFilePath, "Network.UpFilePath"},
    {"SetCenterAddr", SetCenterAddr, "Network.CenterAddr"},
};

class Settings : public WithDouble {};

TEST_F(Settings, WithTheStoreUnavailableEveryExportGivesItsDefault) {
    DoubleOpenResult(-1);
    for (const IntGetter& g : kIntGetters) EXPECT_EQ(g.get(), g.unavailable) << g.name;
    char buffer[16] = {};
    for (const TextGetter& g : kTextGetters) EXPECT_EQ(g.get(buffer, sizeof buffer), -1) << g.name;
    for (const IntSetter& s : kIntSetters) EXPECT_EQ(s.set(5), -1) << s.name;
    for (const TextSetter& s : kTextSetters) {
        ASSERT_NE(s.set, nullptr) << s.name;
        EXPECT_EQ(s.set("abc", 3), -1) << s.name;
    }
    for (const DoubleCallRecord& c : Calls()) EXPECT_EQ(c.operation, DOUBLE_OPEN);
}

TEST_F(Settings, IntegerGettersReadFourBytesOfTheirKeyIntoTheInitialValue) {
    for (const IntGetter& g : kIntGetters) {
        SCOPED_TRACE(g.name);
        DoubleReset();
        EXPECT_EQ(g.get(), g.unavailable) << "a missing key";
        const Sequence s = OnlySequence();
        EXPECT_EQ(s.key, g.key);
        ASSERT_EQ(s.reads, 4);
        EXPECT_EQ(s.operations[0].length, 4u);
        EXPECT_EQ(Bytes(s.operations[0]), Le32(g.initial));
    }
}

TEST_F(Settings, IntegerGettersApplyTheirRuleToTheStoredValue) {
    for (const IntGetter& g : kIntGetters) {
        SCOPED_TRACE(g.name);
        const struct { std::int32_t stored; long long expected; } cases[] = {
            {0, g.stored0}, {-1, g.storedMinus1}, {-5, g.storedMinus5}, {7, g.stored7}};
        for (const auto& c : cases) {
            DoubleReset();
            Put32(g.key, c.stored);
            EXPECT_EQ(g.get(), c.expected) << "stored " << c.stored;
        }
    }
}

TEST_F(Settings, TheOutsideAddressIsTheFourBytesLeastSignificantFirst) {
    const unsigned char address[4] = {192, 168, 1, 2};
    DoublePut("Network.OutsideIP", address, 4);
    EXPECT_EQ(GetOutsideIP(), 0x0201a8c0ul);
}

TEST_F(Settings, IntegerSettersWriteFourBytesUnderTheirKeyAndPassTheResultOn) {
    for (const IntSetter& setter : kIntSetters) {
        SCOPED_TRACE(setter.name);
        for (int value : {0x01020304, 0, -5}) {
            DoubleReset();
            ScriptWrites({6});
            EXPECT_EQ(setter.set(value), 6);
            const Sequence s = OnlySequence();
            EXPECT_EQ(s.key, setter.key);
            ASSERT_EQ(s.writes, 1);
            EXPECT_EQ(s.operations[0].length, 4u);
            EXPECT_EQ(Bytes(s.operations[0]), Le32(value));
        }
    }
}

TEST_F(Settings, TextGettersHandTheCallersBufferAndSizeToTheStore) {
    for (const TextGetter& g : kTextGetters) {
        SCOPED_TRACE(g.name);
        DoubleReset();
        ScriptReads({Deliver(0, "xy", 2)});
        char buffer[16];
        std::memset(buffer, 0xcc, sizeof buffer);
        EXPECT_EQ(g.get(buffer, 13), 0);
        const Sequence s = OnlySequence();
        EXPECT_EQ(s.key, g.key);
        ASSERT_EQ(s.reads, 1);
        EXPECT_EQ(s.operations[0].buffer, buffer);
        EXPECT_EQ(s.operations[0].length, 13u);
        EXPECT_EQ(Bytes(s.operations[0]), std::string(13, '\xcc')) << "the buffer was cleared before the read";
        EXPECT_EQ(std::string(buffer, 3), "xy\xcc") << "no zero is added";
    }
}

TEST_F(Settings, AFailedTextReadLeavesTheBufferAsTheStoreLeftIt) {
    for (const TextGetter& g : kTextGetters) {
        SCOPED_TRACE(g.name);
        DoubleReset();
        ScriptReads({Deliver(2, "q", 1), Step(2), Deliver(-2, "rs", 2), Step(2)});
        char buffer[8];
        std::memset(buffer, 0xcc, sizeof buffer);
        EXPECT_EQ(g.get(buffer, sizeof buffer), -1);
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("rs\xcc\xcc\xcc\xcc\xcc\xcc"));
    }
}

TEST_F(Settings, TextSettersWriteTheCallersBytesUnchanged) {
    const char text[] = "abc";
    const struct { unsigned int length; const char* bytes; } lengths[] = {
        {3, "abc"}, {4, "abc\0"}, {0, ""}, {2, "ab"}};
    for (const TextSetter& setter : kTextSetters) {
        SCOPED_TRACE(setter.name);
        ASSERT_NE(setter.set, nullptr);
        for (const auto& l : lengths) {
            DoubleReset();
            EXPECT_EQ(setter.set(text, l.length), 0);
            const Sequence s = OnlySequence();
            EXPECT_EQ(s.key, setter.key);
            ASSERT_EQ(s.writes, 1);
            EXPECT_EQ(s.operations[0].buffer, text);
            EXPECT_EQ(s.operations[0].length, l.length);
            EXPECT_EQ(Bytes(s.operations[0]), std::string(l.bytes, l.length));
        }
    }
}

TEST_F(Settings, ArgumentsReachTheStoreUnchecked) {
    EXPECT_EQ(SetCenterAddr(nullptr, 0), 0);
    EXPECT_EQ(GetUnitIdentity(nullptr, 0), -1);
    const std::vector<Sequence> s = Sequences();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].operations[0].buffer, nullptr);
    EXPECT_EQ(s[1].operations[0].buffer, nullptr);
    EXPECT_EQ(s[1].operations[0].length, 0u);
}

}  // namespace

// The communication address and the host name, in process, against the
// scripted store; the configuration file is the one in this program's
// folder.
#include <gtest/gtest.h>

#include "TavixConfigSet.h"
#include "environment_double.h"
#include "test_support.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

using namespace tcs_test;

namespace {

constexpr char kLocalAddrKey[] = "Network.LocalAddr";
constexpr char kHostNameKey[] = "Network.HostName";
constexpr unsigned char kFill = 0xcc;

std::string ConfigPath() { return JoinPath(ThisProgramDirectory(), "NetbarCfg.ini"); }

void Configure(const char* value) {
    ASSERT_TRUE(WritePrivateProfileStringA("NetWork", "LocalAddr", value, ConfigPath().c_str()));
}

std::string Configured() {
    char value[64] = {};
    GetPrivateProfileStringA("Network", "LocalAddr", "<none>", value, sizeof value, ConfigPath().c_str());
    return value;
}

void Store(const char* key, const std::string& bytes) {
    ASSERT_EQ(DoublePut(key, bytes.data(), static_cast<unsigned>(bytes.size())), 0);
}

std::vector<DoubleCallRecord> Calls(int operation) {
    std::vector<DoubleCallRecord> calls;
    for (int i = 0; i < DoubleCallCount(); ++i) {
        DoubleCallRecord record;
        DoubleCall(i, &record);
        if (record.operation == operation) calls.push_back(record);
    }
    return calls;
}

std::vector<unsigned char> Bytes(const std::string& s) { return std::vector<unsigned char>(s.begin(), s.end()); }

class HostIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        DoubleReset();
        RemoveTree(ConfigPath());
    }
    void TearDown() override { RemoveTree(ConfigPath()); }
};

TEST_F(HostIdentity, TheCommunicationAddressComesFromTheFileElseTheStore) {
    struct Case {
        const char* configured;  // nullptr: no file
        const char* stored;      // nullptr: no value
        int result;
        std::string text;
        bool storeRead;
    };
    const Case cases[] = {
        {"192.168.1.5", "10.9.8.7", 11, "192.168.1.5", false},
        {"1.2.3", "10.9.8.7", 5, "1.2.3", false},
        // Four characters or fewer are no address: the store is asked.
        {"1.2.", "10.9.8.7", 0, "10.9.8.7", true},
        {"", "10.9.8.7", 0, "10.9.8.7", true},
        {nullptr, "10.9.8.7", 0, "10.9.8.7", true},
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.configured) Configure(c.configured);
        // Stored with its terminator, as a caller of the setter may pass it.
        if (c.stored) Store(kLocalAddrKey, std::string(c.stored, std::strlen(c.stored) + 1));
        char buffer[32];
        std::memset(buffer, kFill, sizeof buffer);
        EXPECT_EQ(tavixconfig::GetCommuAddrStr(buffer, 24), c.result) << c.configured;
        EXPECT_EQ(std::string(buffer), c.text) << c.configured;
        EXPECT_EQ(static_cast<unsigned char>(buffer[24]), kFill) << c.configured;
        const std::vector<DoubleCallRecord> reads = Calls(DOUBLE_READ);
        if (c.storeRead) {
            ASSERT_EQ(reads.size(), 1u) << c.configured;
            EXPECT_STREQ(reads[0].key, kLocalAddrKey);
            EXPECT_EQ(reads[0].buffer, buffer);
            EXPECT_EQ(reads[0].length, 24u) << "the caller's size is the capacity";
        } else {
            EXPECT_TRUE(reads.empty()) << c.configured;
        }
    }
}

TEST_F(HostIdentity, WithNothingConfiguredOrStoredTheLocalAddressIsGiven) {
    char local[32] = {};
    const int found = tavixconfig::GetLocalAddr(local, sizeof local);
    ASSERT_TRUE(found == 0 || found == -2) << found;
    char buffer[32];
    std::memset(buffer, kFill, sizeof buffer);
    EXPECT_EQ(tavixconfig::GetCommuAddrStr(buffer, sizeof buffer), -1);
    // With no usable address the empty text of the file read stays.
    EXPECT_STREQ(buffer, local);
}

TEST_F(HostIdentity, TheCommunicationAddressAsANumber) {
    struct Case {
        const char* configured;
        const char* stored;
        long result;
    };
    const Case cases[] = {
        {"192.168.1.5", nullptr, static_cast<long>(0x0501a8c0)},
        {"255.255.255.255", nullptr, -1},
        {"not.an.address", nullptr, -1},
        // Stored without a terminator, as a caller of the setter may pass it.
        {nullptr, "10.9.8.7", static_cast<long>(0x0708090a)},
        {nullptr, "172.16.200.201", static_cast<long>(0xc9c810ac)},
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.configured) Configure(c.configured);
        if (c.stored) Store(kLocalAddrKey, c.stored);
        const long address = tavixconfig::GetCommuAddr();
        EXPECT_EQ(address, c.result) << (c.configured ? c.configured : c.stored);
    }
    // The first number of the text is the lowest-addressed byte.
    SetUp();
    Configure("192.168.1.5");
    const long address = tavixconfig::GetCommuAddr();
    unsigned char bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 4), (std::vector<unsigned char>{192, 168, 1, 5}));
}

TEST_F(HostIdentity, SettingTheCommunicationAddressWritesBothStores) {
    struct Case {
        const char* name;
        const char* text;
        unsigned length;
        int openResult;
        int writeResult;  // scripted, or 0 to store
        std::string stored;  // what the store was given; empty: no write
    };
    const Case cases[] = {
        {"both", "192.168.1.5", 11, 0, 0, "192.168.1.5"},
        {"with terminator", "192.168.1.5", 12, 0, 0, std::string("192.168.1.5", 12)},
        // The length is the store's alone: the file gets the whole text.
        {"short length", "192.168.1.5", 3, 0, 0, "192"},
        {"store closed", "10.0.0.1", 8, -1, 0, ""},
        {"store write fails", "10.0.0.1", 8, 0, -1, "10.0.0.1"},
    };
    for (const Case& c : cases) {
        SetUp();
        DoubleOpenResult(c.openResult);
        if (c.writeResult) DoubleScriptWrite(&c.writeResult, 1);
        EXPECT_NE(tavixconfig::SetCommuAddrStr(c.text, c.length), 0) << c.name;
        EXPECT_EQ(Configured(), c.text) << c.name;
        const std::vector<DoubleCallRecord> writes = Calls(DOUBLE_WRITE);
        if (c.stored.empty()) {
            EXPECT_TRUE(writes.empty()) << c.name;
            continue;
        }
        ASSERT_FALSE(writes.empty()) << c.name;
        EXPECT_STREQ(writes[0].key, kLocalAddrKey);
        EXPECT_EQ(writes[0].length, c.length) << c.name;
        EXPECT_EQ(std::vector<unsigned char>(writes[0].bytes, writes[0].bytes + writes[0].byteCount), Bytes(c.stored))
            << c.name;
    }
}

TEST_F(HostIdentity, AFailedFileWriteIsTheResultEvenWhenTheStoreTookIt) {
    // A folder where the file should be: the profile write cannot succeed.
    ASSERT_TRUE(CreateDirectoryA(ConfigPath().c_str(), nullptr));
    EXPECT_EQ(tavixconfig::SetCommuAddrStr("192.168.1.5", 11), 0);
    const std::vector<DoubleCallRecord> writes = Calls(DOUBLE_WRITE);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_STREQ(writes[0].key, kLocalAddrKey);
}

TEST_F(HostIdentity, TheHostNameIsCopiedWithinTheCallersSize) {
    const std::string seven = "pc-0042";
    const std::string full(260, 'n');  // fills the read buffer, no terminator
    struct Case {
        const char* name;
        std::string stored;
        int openResult;
        unsigned size;
        int result;
        std::string written;  // the first size - 1 bytes
    };
    const Case cases[] = {
        {"cut to size - 1", seven, 0, 4, 0, "pc-"},
        {"exactly", seven, 0, 8, 0, seven},
        {"zero-filled", seven, 0, 12, 0, seven + std::string(4, '\0')},
        {"size 1", seven, 0, 1, 0, ""},
        {"size 0", seven, 0, 0, 0, ""},
        {"full read buffer", full, 0, 400, 0, full + std::string(139, '\0')},
        {"longer than the read buffer", full + "x", 0, 8, -1, std::string(7, '\0')},
        {"store closed", seven, -1, 8, -1, std::string(7, '\0')},
    };
    for (const Case& c : cases) {
        SetUp();
        Store(kHostNameKey, c.stored);
        DoubleOpenResult(c.openResult);
        std::vector<unsigned char> buffer(512, kFill);
        EXPECT_EQ(tavixconfig::GetLocalHostName(reinterpret_cast<char*>(buffer.data()), c.size), c.result) << c.name;
        std::vector<unsigned char> expected(buffer.size(), kFill);
        std::memcpy(expected.data(), c.written.data(), c.written.size());
        EXPECT_EQ(buffer, expected) << c.name;
        const std::vector<DoubleCallRecord> reads = Calls(DOUBLE_READ);
        if (c.openResult == 0) {
            ASSERT_FALSE(reads.empty()) << c.name;
            EXPECT_STREQ(reads[0].key, kHostNameKey);
            EXPECT_EQ(reads[0].length, 260u) << c.name;
        }
    }
}

TEST_F(HostIdentity, NoBufferNoLookup) {
    EXPECT_EQ(tavixconfig::GetLocalAddr(nullptr, 16), -1);
}

}  // namespace

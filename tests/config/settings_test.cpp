// The settings kept in NetbarCfg.ini, called in process: the test's own
// folder is the host directory, so the file is the one beside this program.
#include <gtest/gtest.h>

#include "TavixConfigSet.h"
#include "test_support.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace tcs_test;
using namespace tavixconfig;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    void Clear() {
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path_.c_str());
        RemoveDirectoryA(path_.c_str());
    }
    std::string Text() const { return ReadFileText(path_); }
    void Write(const std::string& text) const { WriteFileText(path_, text); }

    const std::string path_ = JoinPath(ThisProgramDirectory(), "NetbarCfg.ini");
};

// A getter's buffer with guard bytes after its stated size.
struct Buffer {
    explicit Buffer(unsigned size) : size(size), bytes(size + 16, 'A') { std::memset(&bytes[size], 0xee, 16); }
    char* data() { return bytes.data(); }
    std::string text() const { return std::string(bytes.data(), strnlen(bytes.data(), size)); }
    bool guardIntact() const {
        for (unsigned i = size; i < bytes.size(); ++i)
            if (static_cast<unsigned char>(bytes[i]) != 0xee) return false;
        return true;
    }
    unsigned size;
    std::vector<char> bytes;
};

using Getter = int(WINAPI*)(char*, unsigned);

TEST_F(Settings, WithNoFileReadsGiveTheirDefaultsAndCreateNothing) {
    for (Getter get : {GetLogServerAddr, GetProberDownLoadHost}) {
        Buffer b(32);
        EXPECT_EQ(get(b.data(), b.size), -1);
        EXPECT_EQ(b.text(), "");
    }
    EXPECT_EQ(GetLogServerPort(), 10088);
    EXPECT_EQ(GetProberDownLoadPort(), -1);
    EXPECT_EQ(GetLastActiveTime(), 0);
    EXPECT_EQ(GetLastFaiLedTime(), 0);
    EXPECT_FALSE(FileExists(path_));
    EXPECT_FALSE(DirectoryExists(path_));
}

char kHost[] = "dl.example";

// What each setter writes into a new file: one section, one key, in the
// letter case of the call, the value whole.
struct SetterCase {
    const char* name;
    std::function<int()> call;
    int result;  // expected; 1 stands for any nonzero success flag
    const char* file;
};

const SetterCase kSetters[] = {
    {"SetLogServerAddr", [] { return SetLogServerAddr("10.1.2.3", 8); }, 1, "[Network]\r\nLogServerAddr=10.1.2.3\r\n"},
    {"SetLogServerAddr_API", [] { return SetLogServerAddr_API("10.1.2.3", 8); }, 1, "[Network]\r\nLogServerAddr=10.1.2.3\r\n"},
    {"SetLogServerAddr 8-bit", [] { return SetLogServerAddr("\xc4\xe3\xba\xc3", 4); }, 1, "[Network]\r\nLogServerAddr=\xc4\xe3\xba\xc3\r\n"},
    {"SetLogServerPort 514", [] { return SetLogServerPort(514); }, 1, "[Network]\r\nLogServerPort=514\r\n"},
    {"SetLogServerPort_API 514", [] { return SetLogServerPort_API(514); }, 1, "[Network]\r\nLogServerPort=514\r\n"},
    {"SetLogServerPort ten digits", [] { return SetLogServerPort(2147483647); }, 1, "[Network]\r\nLogServerPort=2147483647\r\n"},
    {"SetLogServerPort INT_MIN", [] { return SetLogServerPort(INT_MIN); }, 1, "[Network]\r\nLogServerPort=-2147483648\r\n"},
    {"SetProberDownLoadHost", [] { return SetProberDownLoadHost(kHost, 10); }, 1, "[NetWork]\r\nProberDownLoadHost=dl.example\r\n"},
    {"SetProberDownLoadPort 0", [] { return SetProberDownLoadPort(0); }, 1, "[NetWork]\r\nProberDownLoadPort=0\r\n"},
    {"SetProberDownLoadPort INT_MIN", [] { return SetProberDownLoadPort(INT_MIN); }, 1, "[NetWork]\r\nProberDownLoadPort=-2147483648\r\n"},
    {"SetLastActiveTime -5", [] { return SetLastActiveTime(-5); }, 0, "[HANDSHAKE]\r\nLastActiveTime=-5\r\n"},
    {"SetLastActiveTime INT_MIN", [] { return SetLastActiveTime(LONG_MIN); }, 0, "[HANDSHAKE]\r\nLastActiveTime=-2147483648\r\n"},
    {"SetLastFaiLedTime INT_MAX", [] { return SetLastFaiLedTime(LONG_MAX); }, 0, "[HANDSHAKE]\r\nLastFaiLedTime=2147483647\r\n"},
};

TEST_F(Settings, TheFirstSetterCreatesTheFileWithOneSectionAndOneKey) {
    for (const SetterCase& c : kSetters) {
        SCOPED_TRACE(c.name);
        Clear();
        const int r = c.call();
        if (c.result == 1) {
            EXPECT_NE(r, 0);
        } else {
            EXPECT_EQ(r, c.result);
        }
        EXPECT_EQ(Text(), c.file);
    }
}

TEST_F(Settings, WhatASetterStoresTheGetterReadsBack) {
    EXPECT_NE(SetLogServerAddr("10.1.2.3", 8), 0);
    EXPECT_NE(SetLogServerPort(514), 0);
    EXPECT_NE(SetProberDownLoadHost(kHost, 10), 0);
    EXPECT_NE(SetProberDownLoadPort(8080), 0);
    EXPECT_EQ(SetLastActiveTime(-5), 0);
    EXPECT_EQ(SetLastFaiLedTime(1700000000), 0);
    Buffer addr(32), host(32);
    EXPECT_EQ(GetLogServerAddr(addr.data(), addr.size), 0);
    EXPECT_EQ(addr.text(), "10.1.2.3");
    EXPECT_EQ(GetProberDownLoadHost(host.data(), host.size), 0);
    EXPECT_EQ(host.text(), "dl.example");
    EXPECT_EQ(GetLogServerPort(), 514);
    EXPECT_EQ(GetProberDownLoadPort(), 8080);
    EXPECT_EQ(GetLastActiveTime(), -5);
    EXPECT_EQ(GetLastFaiLedTime(), 1700000000);
}

TEST_F(Settings, AStoredZeroPortReadsAsTheDefaultForTheLogServerOnly) {
    struct Case {
        const char* file;
        int logServerPort;
        int proberPort;
    } cases[] = {
        {"[Network]\r\nLogServerPort=0\r\nProberDownLoadPort=0\r\n", 10088, 0},
        {"[Network]\r\nLogServerPort=-1\r\nProberDownLoadPort=-7\r\n", -1, -7},
        {"[Network]\r\nLogServerPort=65535\r\n", 65535, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Write(c.file);
        EXPECT_EQ(GetLogServerPort(), c.logServerPort);
        EXPECT_EQ(GetProberDownLoadPort(), c.proberPort);
    }
}

// "Network" and "NetWork" are one section, headed as the first setter of a
// new file spells it.
TEST_F(Settings, OnANewFileTheFirstSetterSpellsTheSharedSection) {
    struct Case {
        bool addressFirst;
        const char* file;
    } cases[] = {
        {true, "[Network]\r\nLogServerAddr=a\r\nProberDownLoadHost=b\r\n"},
        {false, "[NetWork]\r\nProberDownLoadHost=b\r\nLogServerAddr=a\r\n"},
    };
    char b[] = "b";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Clear();
        if (c.addressFirst) {
            EXPECT_NE(SetLogServerAddr("a", 1), 0);
            EXPECT_NE(SetProberDownLoadHost(b, 1), 0);
        } else {
            EXPECT_NE(SetProberDownLoadHost(b, 1), 0);
            EXPECT_NE(SetLogServerAddr("a", 1), 0);
        }
        EXPECT_EQ(Text(), c.file);
        Buffer addr(8), host(8);
        EXPECT_EQ(GetLogServerAddr(addr.data(), addr.size), 0);
        EXPECT_EQ(addr.text(), "a");
        EXPECT_EQ(GetProberDownLoadHost(host.data(), host.size), 0);
        EXPECT_EQ(host.text(), "b");
    }
}

TEST_F(Settings, NamesWrittenByHandInOtherLetterCaseAreFound) {
    Write("[handshake]\r\nlastfailedtime=42\r\nlastactivetime=41\r\n"
          "[network]\r\nlogserveraddr=h\r\nlogserverport=99\r\nproberdownloadhost=p\r\nproberdownloadport=98\r\n");
    EXPECT_EQ(GetLastFaiLedTime(), 42);
    EXPECT_EQ(GetLastActiveTime(), 41);
    EXPECT_EQ(GetLogServerPort(), 99);
    EXPECT_EQ(GetProberDownLoadPort(), 98);
    Buffer addr(8), host(8);
    EXPECT_EQ(GetLogServerAddr(addr.data(), addr.size), 0);
    EXPECT_EQ(addr.text(), "h");
    EXPECT_EQ(GetProberDownLoadHost(host.data(), host.size), 0);
    EXPECT_EQ(host.text(), "p");
}

// A setter replaces its own key and leaves everything else as it was.
TEST_F(Settings, AWriteReplacesItsKeyAndKeepsTheRest) {
    Write("[Other]\r\nKeep=1\r\n[NetWork]\r\nLogServerPort=1\r\nLocalAddr=10.0.0.9\r\n");
    EXPECT_NE(SetLogServerPort(515), 0);
    EXPECT_EQ(SetLastActiveTime(3), 0);
    EXPECT_EQ(Text(), "[Other]\r\nKeep=1\r\n[NetWork]\r\nLogServerPort=515\r\nLocalAddr=10.0.0.9\r\n"
                      "[HANDSHAKE]\r\nLastActiveTime=3\r\n");
}

TEST_F(Settings, AValueLongerThanTheBufferArrivesCutAndStillCounts) {
    Write("[Network]\r\nLogServerAddr=abcdefghij\r\nProberDownLoadHost=0123456789\r\n");
    struct Case {
        unsigned size;
        const char* text;
        int result;
    } cases[] = {
        {0, "", -1},  // nothing read, nothing written
        {1, "", -1},  // room for the terminator only
        {2, "a", 0},
        {5, "abcd", 0},
        {10, "abcdefghi", 0},
        {11, "abcdefghij", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Buffer addr(c.size);
        EXPECT_EQ(GetLogServerAddr(addr.data(), addr.size), c.result);
        if (c.size > 0) {
            EXPECT_EQ(addr.text(), c.text);
        }
        EXPECT_TRUE(addr.guardIntact());
    }
    Buffer host(4);
    EXPECT_EQ(GetProberDownLoadHost(host.data(), host.size), 0);
    EXPECT_EQ(host.text(), "012");
    EXPECT_TRUE(host.guardIntact());
}

TEST_F(Settings, AnEmptyValueCountsAsMissing) {
    Write("[Network]\r\nLogServerAddr=\r\nProberDownLoadHost=\r\n");
    for (Getter get : {GetLogServerAddr, GetProberDownLoadHost}) {
        Buffer b(16);
        EXPECT_EQ(get(b.data(), b.size), -1);
        EXPECT_EQ(b.text(), "");
    }
}

TEST_F(Settings, ANullTextRemovesTheKey) {
    Write("[Network]\r\nLogServerAddr=a\r\nProberDownLoadHost=b\r\nLogServerPort=1\r\n");
    EXPECT_NE(SetLogServerAddr(nullptr, 0), 0);
    EXPECT_EQ(Text(), "[Network]\r\nProberDownLoadHost=b\r\nLogServerPort=1\r\n");
    EXPECT_NE(SetProberDownLoadHost(nullptr, 5), 0);
    EXPECT_EQ(Text(), "[Network]\r\nLogServerPort=1\r\n");
    Buffer b(16);
    EXPECT_EQ(GetLogServerAddr(b.data(), b.size), -1);
    EXPECT_EQ(GetProberDownLoadHost(b.data(), b.size), -1);
}

TEST_F(Settings, TheLengthArgumentChangesNothing) {
    char host[] = "dl.example";
    for (unsigned length : {0u, 2u, 10u, 1000u}) {
        SCOPED_TRACE(length);
        Clear();
        EXPECT_NE(SetLogServerAddr("10.0.0.1", length), 0);
        EXPECT_NE(SetLogServerAddr_API("10.0.0.2", length), 0);
        EXPECT_NE(SetProberDownLoadHost(host, length), 0);
        EXPECT_EQ(Text(), "[Network]\r\nLogServerAddr=10.0.0.2\r\nProberDownLoadHost=dl.example\r\n");
    }
}

// A NetbarCfg.ini that cannot be written: every setter reports it in its own
// form, and the getters give their defaults.
TEST_F(Settings, AFileThatCannotBeWrittenFailsEverySetter) {
    struct Blocker {
        const char* name;
        std::function<void(const std::string&)> make;
    } blockers[] = {
        {"a directory of that name", [](const std::string& p) { CreateDirectoryA(p.c_str(), nullptr); }},
        {"a read-only file",
         [](const std::string& p) {
             WriteFileText(p, "[Other]\r\nKeep=1\r\n");
             SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_READONLY);
         }},
    };
    for (const Blocker& b : blockers) {
        SCOPED_TRACE(b.name);
        Clear();
        b.make(path_);
        if (!DirectoryExists(path_)) {
            // Root ignores a missing write permission; such a file only shows
            // the failure for other accounts.
            HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                CloseHandle(h);
                std::printf("skipped: %s is writable here\n", b.name);
                continue;
            }
        }
        EXPECT_EQ(SetLogServerAddr("a", 1), 0);
        EXPECT_EQ(SetLogServerAddr_API("a", 1), 0);
        EXPECT_EQ(SetLogServerPort(1), 0);
        EXPECT_EQ(SetLogServerPort_API(1), 0);
        EXPECT_EQ(SetProberDownLoadHost(kHost, 1), 0);
        EXPECT_EQ(SetProberDownLoadPort(1), 0);
        EXPECT_EQ(SetLastActiveTime(1), -1);
        EXPECT_EQ(SetLastFaiLedTime(1), -1);
        EXPECT_EQ(GetLogServerPort(), 10088);
        EXPECT_EQ(GetLastActiveTime(), 0);
        if (!DirectoryExists(path_)) {
            EXPECT_EQ(Text(), "[Other]\r\nKeep=1\r\n");
        }
    }
}

}  // namespace

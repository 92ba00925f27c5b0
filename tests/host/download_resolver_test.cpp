// The download host resolver against MeskApi.dll stand-ins of our own, put
// beside this program (its folder is the library's host directory) or
// beside a host program in a folder of a chosen length.
#include <gtest/gtest.h>

#include "TavixConfigSet.h"
#include "test_support.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace tcs_test;

namespace {

constexpr char kRecording[] = "mesk_api_double.dll";
constexpr char kWithoutEntryPoint[] = "mesk_api_no_entry.dll";
constexpr size_t kResolverPathLimit = 256;

std::string Me() { return ThisProgramDirectory(); }
std::string LogPath() { return JoinPath(Me(), "mesk.log"); }

std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileText(LogPath()));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string CallLine(const void* buffer, unsigned size) {
    char line[128];
    std::snprintf(line, sizeof line, "call %p %u 127.0.0.1", buffer, size);
    return line;
}

bool MeskApiLoaded() { return GetModuleHandleA("MeskApi.dll") != nullptr; }

class Resolver : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA("MESK_DOUBLE_LOG", LogPath().c_str());
        SetEnvironmentVariableA("MESK_DOUBLE_RESULT", nullptr);
        DeleteFileA(LogPath().c_str());
        DeleteFileA(JoinPath(Me(), "MeskApi.dll").c_str());
        ASSERT_FALSE(MeskApiLoaded());
    }
    void TearDown() override {
        DeleteFileA(JoinPath(Me(), "MeskApi.dll").c_str());
        SetEnvironmentVariableA("MESK_DOUBLE_RESULT", nullptr);
    }

    static void Install(const char* variant, const std::string& dir = Me(), const char* as = "MeskApi.dll") {
        ASSERT_TRUE(CopyFileA(JoinPath(Me(), variant).c_str(), JoinPath(dir, as).c_str(), FALSE))
            << variant << " -> " << dir << " (" << GetLastError() << ")";
    }

    static std::string AttachLine() { return Lower("attach " + JoinPath(Me(), "MeskApi.dll")); }
};

TEST_F(Resolver, WithoutTheFileNothingIsTouched) {
    std::vector<unsigned char> buffer(32, 0xcc);
    EXPECT_EQ(tavixconfig::GetProberDownLoadHostPortFromSureName(reinterpret_cast<char*>(buffer.data()), 32), -1);
    EXPECT_EQ(buffer, std::vector<unsigned char>(32, 0xcc));
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(Resolver, WithoutTheEntryPointTheLibraryIsReleased) {
    Install(kWithoutEntryPoint);
    std::vector<unsigned char> buffer(32, 0xcc);
    EXPECT_EQ(tavixconfig::GetProberDownLoadHostPortFromSureName(reinterpret_cast<char*>(buffer.data()), 32), -1);
    EXPECT_FALSE(MeskApiLoaded());
    EXPECT_EQ(buffer, std::vector<unsigned char>(32, 0xcc));
    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(Lower(log[0]), AttachLine());
    EXPECT_EQ(log[1], "detach");
}

TEST_F(Resolver, TheEntryPointsResultIsPassedThrough) {
    Install(kRecording);
    for (const char* result : {"7", "0", "-2", "65536"}) {
        SetEnvironmentVariableA("MESK_DOUBLE_RESULT", result);
        char buffer[32] = {};
        EXPECT_EQ(tavixconfig::GetProberDownLoadHostPortFromSureName(buffer, sizeof buffer), std::atoi(result));
        // What the entry point wrote stays as it wrote it.
        EXPECT_STREQ(buffer, "10.20.30.40:8080") << result;
    }
}

TEST_F(Resolver, TheCallersBufferAndSizeAndTheLoopbackTextAreHandedOn) {
    Install(kRecording);
    char buffer[40];
    struct Case {
        char* buffer;
        unsigned size;
    };
    const Case cases[] = {{buffer, sizeof buffer}, {buffer + 3, 5}, {nullptr, 0}, {buffer, 0}};
    for (const Case& c : cases) {
        DeleteFileA(LogPath().c_str());
        tavixconfig::GetProberDownLoadHostPortFromSureName(c.buffer, c.size);
        const std::vector<std::string> log = LogLines();
        ASSERT_EQ(log.size(), 3u) << c.size;
        EXPECT_EQ(Lower(log[0]), AttachLine());
        EXPECT_EQ(log[1], CallLine(c.buffer, c.size));
        EXPECT_EQ(log[2], "detach");
    }
}

TEST_F(Resolver, EachCallLoadsAndReleasesTheLibrary) {
    Install(kRecording);
    char buffer[32];
    EXPECT_EQ(tavixconfig::GetProberDownLoadHostPortFromSureName(buffer, sizeof buffer), 0);
    EXPECT_FALSE(MeskApiLoaded());
    EXPECT_EQ(tavixconfig::GetProberDownLoadHostPortFromSureName(buffer, sizeof buffer), 0);
    EXPECT_FALSE(MeskApiLoaded());
    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 6u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Lower(log[3 * i]), AttachLine());
        EXPECT_EQ(log[3 * i + 1], CallLine(buffer, sizeof buffer));
        EXPECT_EQ(log[3 * i + 2], "detach");
    }
}

TEST_F(Resolver, OnlyTheHostDirectoryIsLookedIn) {
    // A MeskApi.dll in the current directory is not the sibling library.
    const std::string elsewhere = JoinPath(Me(), "elsewhere");
    MakeDirectories(elsewhere);
    Install(kRecording, elsewhere);
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
    char buffer[32];
    const int result = tavixconfig::GetProberDownLoadHostPortFromSureName(buffer, sizeof buffer);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(LogLines().empty());
    RemoveTree(elsewhere);
}

// A folder path of exactly length characters below base.
std::string FolderOfLength(const std::string& base, size_t length) {
    std::string dir = base;
    while (dir.size() < length) {
        const size_t room = length - dir.size();
        size_t segment = room - 1 > 100 ? 100 : room - 1;
        if (room - 1 - segment == 1) --segment;  // "\x" needs two
        dir += "\\" + std::string(segment, 'd');
    }
    return dir;
}

struct HostRun {
    DWORD exitCode;
    long long result;
    std::string bufferHex;
    std::string output;
};

// The resolver called from a process whose host directory is dir.
HostRun ResolveFrom(const std::string& dir) {
    // A short name, so that the program's own path stays within the limit.
    const std::string exe = JoinPath(dir, "h.exe");
    CopyFileA(JoinPath(Me(), "tcs_resolver_host.exe").c_str(), exe.c_str(), FALSE);
    const ProcessResult r = RunProcess(exe, {JoinPath(Me(), "TavixConfigSet.dll")});
    HostRun run{r.exitCode, 0, "", r.output};
    const size_t at = r.output.find("= ");
    if (at != std::string::npos) {
        std::istringstream fields(r.output.substr(at + 2));
        fields >> run.result >> run.bufferHex;
    }
    return run;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char two[3];
    for (unsigned char b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        out += two;
    }
    return out;
}

// "<dir>\MeskApi.dll" and its terminator take dir + 13 bytes.
TEST_F(Resolver, TheSiblingsPathMustFitWhole) {
    const std::string base = JoinPath(Me(), "deep");
    RemoveTree(base);
    struct Case {
        size_t dirLength;
        long long result;
        bool loads;
    };
    const Case cases[] = {
        {kResolverPathLimit - 13, 7, true},
        // Cut to 256 bytes, the path would name "<dir>\MeskApi.dl".
        {kResolverPathLimit - 12, -1, false},
    };
    SetEnvironmentVariableA("MESK_DOUBLE_RESULT", "7");
    for (const Case& c : cases) {
        const std::string dir = FolderOfLength(base, c.dirLength);
        ASSERT_EQ(dir.size(), c.dirLength);
        MakeDirectories(dir);
        Install(kRecording, dir);
        Install(kRecording, dir, "MeskApi.dl");
        DeleteFileA(LogPath().c_str());
        const HostRun run = ResolveFrom(dir);
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_EQ(run.result, c.result) << c.dirLength;
        const std::vector<std::string> log = LogLines();
        if (c.loads) {
            ASSERT_EQ(log.size(), 3u) << c.dirLength;
            EXPECT_EQ(Lower(log[0]), Lower("attach " + JoinPath(dir, "MeskApi.dll")));
            EXPECT_EQ(run.bufferHex, Hex(std::string("10.20.30.40:8080", 17)) + std::string(30, 'c'));
        } else {
            EXPECT_TRUE(log.empty()) << log.front();
            EXPECT_EQ(run.bufferHex, std::string(64, 'c'));
        }
    }
    RemoveTree(base);
}

}  // namespace

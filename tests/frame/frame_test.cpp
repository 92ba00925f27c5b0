// Loading and unloading, the export directory and the resources.
#include <gtest/gtest.h>

#include "test_support.h"

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

using namespace tcs_test;

namespace {

constexpr char kSetSetupPath[] = "?SetSetupPath@tavixconfig@@YGHPBDI@Z";
constexpr char kSetLogServerAddr[] = "?SetLogServerAddr@tavixconfig@@YGHPBDI@Z";
constexpr char kSetLogServerPort[] = "?SetLogServerPort@tavixconfig@@YGHH@Z";

class Library {
public:
    explicit Library(const std::string& path = JoinPath(ThisProgramDirectory(), "TavixConfigSet.dll"))
        : module_(LoadLibraryA(path.c_str())), error_(GetLastError()) {}
    ~Library() { if (module_) FreeLibrary(module_); }
    HMODULE get() const { return module_; }
    DWORD error() const { return error_; }
    template <typename F> F proc(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
    DWORD error_;
};

TEST(Frame, LoadsAndUnloadsBesideTheEnvironmentLibrary) {
    Library library;
    ASSERT_NE(library.get(), nullptr) << "error " << library.error();
}

TEST(Frame, WithoutTheEnvironmentLibraryTheLoadFails) {
    const std::string lonely = "C:\\tcs\\frame\\no-environment";
    RemoveTree(lonely);
    CopyBesideMe({"TavixConfigSet.dll", "tcs_probe.exe"}, lonely);
    // A process of its own, started there: this one has environment.dll on
    // its search path.
    ProcessOptions options;
    options.workingDirectory = lonely;
    const ProcessResult run = RunProcess(JoinPath(lonely, "tcs_probe.exe"), {"GetQQFunc"}, options);
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    EXPECT_NE(run.output.find("cannot load TavixConfigSet.dll (126)"), std::string::npos) << run.output;
    RemoveTree(lonely);
}

TEST(Frame, OrdinalOneAndBothNamesOfSetSetupPathAreOneEntry) {
    Library library;
    ASSERT_NE(library.get(), nullptr);
    const FARPROC byOrdinal = GetProcAddress(library.get(), MAKEINTRESOURCEA(1));
    EXPECT_NE(byOrdinal, nullptr);
    EXPECT_EQ(byOrdinal, GetProcAddress(library.get(), "SetSetupPath_API"));
    EXPECT_EQ(byOrdinal, GetProcAddress(library.get(), kSetSetupPath));
    EXPECT_EQ(GetProcAddress(library.get(), MAKEINTRESOURCEA(59)), byOrdinal);
}

TEST(Frame, TheOtherAliasesAreEntriesOfTheirOwn) {
    Library library;
    ASSERT_NE(library.get(), nullptr);
    const FARPROC addr = GetProcAddress(library.get(), "SetLogServerAddr_API");
    const FARPROC port = GetProcAddress(library.get(), "SetLogServerPort_API");
    ASSERT_NE(addr, nullptr);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(addr, GetProcAddress(library.get(), MAKEINTRESOURCEA(2)));
    EXPECT_EQ(port, GetProcAddress(library.get(), MAKEINTRESOURCEA(3)));
    EXPECT_NE(addr, GetProcAddress(library.get(), kSetLogServerAddr));
    EXPECT_NE(port, GetProcAddress(library.get(), kSetLogServerPort));
}

TEST(Frame, NamesAreSpelledAsTheyAreAndNoOtherWay) {
    Library library;
    ASSERT_NE(library.get(), nullptr);
    struct Case { const char* name; bool found; } cases[] = {
        {"?setSyncTime@tavixconfig@@YGXJ@Z", true},
        {"?SetSyncTime@tavixconfig@@YGXJ@Z", false},
        {"SetSyncTime", false},
        {"setSyncTime", false},
        {"?SetProberDownLoadHost@tavixconfig@@YGHPADI@Z", true},
        {"?SetProberDownLoadHost@tavixconfig@@YGHPBDI@Z", false},
        {"?GetLastFaiLedTime@tavixconfig@@YGJXZ", true},
        {"?GetLastFailedTime@tavixconfig@@YGJXZ", false},
        {"?GetTerminalOnline@tavixconfig@@YGHXZ", true},
        {"?GetTerminalOnLine@tavixconfig@@YGHXZ", false},
        {"SetSetupPath", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetProcAddress(library.get(), c.name) != nullptr, c.found) << c.name;
}

TEST(Frame, MessageOneHundredOneTellsThatSocketsCannotStart) {
    HMODULE data = LoadLibraryExA(JoinPath(ThisProgramDirectory(), "TavixConfigSet.dll").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(data, nullptr);
    char text[512] = {};
    EXPECT_GT(LoadStringA(data, 101, text, sizeof text), 0);
    EXPECT_NE(std::string(text).find("Windows Sockets"), std::string::npos) << text;
    FreeLibrary(data);
}

TEST(Frame, VersionRecord) {
    const std::string path = JoinPath(ThisProgramDirectory(), "TavixConfigSet.dll");
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, (6u << 16) | 0u);
    EXPECT_EQ(fixed->dwFileVersionLS, (59u << 16) | 1u);
    EXPECT_EQ(fixed->dwProductVersionMS, (1u << 16) | 0u);
    EXPECT_EQ(fixed->dwProductVersionLS, (0u << 16) | 1u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 0x04B0);

    char* fileVersion = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\080404B0\\FileVersion",
                               reinterpret_cast<void**>(&fileVersion), &length));
    EXPECT_STREQ(fileVersion, "6.0.59.1");
}

TEST(Frame, ThreadsCallAtOnceWithNoSetUp) {
    Library library;
    ASSERT_NE(library.get(), nullptr);
    using Get = int(WINAPI*)();
    using Set = int(WINAPI*)(int);
    const auto setQQ = library.proc<Set>("?SetQQFunc@tavixconfig@@YGHH@Z");
    const auto getQQ = library.proc<Get>("?GetQQFunc@tavixconfig@@YGHXZ");
    const auto getPort = library.proc<Get>("?GetLogServerPort@tavixconfig@@YGHXZ");
    ASSERT_TRUE(setQQ && getQQ && getPort);
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                setQQ(i & 1);
                const int flag = getQQ();
                if (flag != 0 && flag != 1) ++bad[t];
                if (i % 20 == 0 && getPort() != 10088) ++bad[t];
            }
        });
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(bad[t], 0) << "thread " << t;
}

}  // namespace

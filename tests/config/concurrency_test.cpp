// Several programs share NetbarCfg.ini: writers of keys of their own and a
// reader of a key that nobody changes, all at once on one file, in separate
// processes and in threads of one process.
#include <gtest/gtest.h>

#include "config_workers.h"
#include "test_support.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace tcs_test;
using namespace tcs_config;

namespace {

constexpr int kWrites = 150;  // per writer
const WriterKey kWriters[] = {WriterKey::ActiveTime, WriterKey::FailedTime, WriterKey::ProberPort, WriterKey::LogAddr};
// A key in a section that the library never writes.
const char kOtherSection[] = "[Other]\r\nKeep=yes\r\n";

std::string ConfigPath() { return JoinPath(ThisProgramDirectory(), "NetbarCfg.ini"); }

void WriteStartingFile() {
    DeleteFileA(ConfigPath().c_str());
    WriteFileText(ConfigPath(), std::string("[Network]\r\nLogServerPort=514\r\n") + kOtherSection);
}

struct Outcome {
    std::vector<WriterResult> writers;
    ReaderResult reader;
    std::string file;
    std::string log;  // what the children printed, for failure messages
};

bool Parse(const std::string& output, const char* format, int* a, int* b, int* c) {
    return std::sscanf(output.c_str(), format, a, b, c) == 3;
}

struct Handle {
    HANDLE h;
    ~Handle() { if (h) CloseHandle(h); }
};

// All writers and the reader as processes of their own, started together.
// Each child reports into a file: children started at once through pipes
// would inherit each other's pipe ends and keep them open.
Outcome RunProcesses(bool raw) {
    WriteStartingFile();
    const std::string tag = "tcs-config-" + std::to_string(GetCurrentProcessId());
    Handle ready{CreateSemaphoreA(nullptr, 0, 64, ("Local\\" + tag + "-ready").c_str())};
    Handle go{CreateEventA(nullptr, TRUE, FALSE, ("Local\\" + tag + "-go").c_str())};
    Handle stop{CreateEventA(nullptr, TRUE, FALSE, ("Local\\" + tag + "-stop").c_str())};
    const std::string dir = ThisProgramDirectory();
    const std::string child = JoinPath(dir, "config_child.exe");
    const size_t n = sizeof kWriters / sizeof kWriters[0];
    auto report = [&](size_t i) { return JoinPath(dir, "report-" + std::to_string(i) + ".txt"); };

    std::vector<std::unique_ptr<ChildProcess>> children;
    for (size_t i = 0; i <= n; ++i) {
        DeleteFileA(report(i).c_str());
        std::vector<std::string> args = {"--report", report(i)};
        if (i < n) args.insert(args.end(), {"writer", Info(kWriters[i]).name, std::to_string(kWrites), tag});
        else args.insert(args.end(), {"reader", tag});
        if (raw) args.push_back("raw");
        children.push_back(std::make_unique<ChildProcess>(child, args));
    }
    Outcome outcome;
    for (size_t i = 0; i <= n; ++i)
        if (!children[i]->started() || WaitForSingleObject(ready.h, 60000) != WAIT_OBJECT_0)
            outcome.log += "child " + std::to_string(i) + " did not report ready\n";
    SetEvent(go.h);
    for (size_t i = 0; i < n; ++i) children[i]->Wait();
    SetEvent(stop.h);
    children[n]->Wait();

    for (size_t i = 0; i <= n; ++i) {
        const std::string text = ReadFileText(report(i));
        DeleteFileA(report(i).c_str());
        outcome.log += (i < n ? Info(kWriters[i]).name : "reader") + std::string(": ") + text;
        if (i < n) {
            WriterResult w;
            if (!Parse(text, "last=%d failed=%d lost=%d", &w.last, &w.failed, &w.lost)) w.last = -1;
            outcome.writers.push_back(w);
        } else {
            ReaderResult& r = outcome.reader;
            if (!Parse(text, "reads=%d defaults=%d wrong=%d", &r.reads, &r.defaults, &r.wrong)) r.reads = -1;
        }
    }
    outcome.file = ReadFileText(ConfigPath());
    return outcome;
}

// The same in threads of this process, through the library linked here.
Outcome RunThreads() {
    WriteStartingFile();
    Outcome outcome;
    const size_t n = sizeof kWriters / sizeof kWriters[0];
    outcome.writers.resize(n);
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (size_t i = 0; i < n; ++i)
        threads.emplace_back([&, i] {
            outcome.writers[i] = RunWriter(kWriters[i], kWrites, false);
            ++done;
        });
    outcome.reader = RunReader(false, [&] { return done == static_cast<int>(n); });
    for (std::thread& t : threads) t.join();
    outcome.file = ReadFileText(ConfigPath());
    return outcome;
}

// The value of key in the file's text, as "key=value" lines show it.
std::string ValueInFile(const std::string& file, const char* key) {
    const std::string prefix = std::string(key) + "=";
    std::istringstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    }
    return "<absent>";
}

void ExpectNothingLostOrTorn(const Outcome& o) {
    SCOPED_TRACE(o.log + "file:\n" + o.file);
    for (size_t i = 0; i < o.writers.size(); ++i) {
        const WriterKey k = kWriters[i];
        SCOPED_TRACE(Info(k).name);
        EXPECT_EQ(o.writers[i].last, kWrites);
        EXPECT_EQ(o.writers[i].failed, 0);
        EXPECT_EQ(o.writers[i].lost, 0) << "a write read back as something else";
        EXPECT_EQ(ValueInFile(o.file, Info(k).key), ValueText(k, kWrites)) << "the last write is missing";
    }
    EXPECT_GT(o.reader.reads, 0);
    EXPECT_EQ(o.reader.defaults, 0) << "reads of an unchanged key found it absent";
    EXPECT_EQ(o.reader.wrong, 0);
    EXPECT_EQ(ValueInFile(o.file, "LogServerPort"), "514");
    EXPECT_NE(o.file.find(kOtherSection), std::string::npos) << "a section nobody writes was lost";
}

TEST(SharedFile, ProcessesWritingTheirOwnKeysLoseNothingAndAReaderSeesNoGap) {
    const Outcome o = RunProcesses(false);
    ExpectNothingLostOrTorn(o);
    DeleteFileA(ConfigPath().c_str());
}

TEST(SharedFile, ThreadsWritingTheirOwnKeysLoseNothingAndAReaderSeesNoGap) {
    const Outcome o = RunThreads();
    ExpectNothingLostOrTorn(o);
    DeleteFileA(ConfigPath().c_str());
}

// The same processes on the bare profile functions, for comparison: prints
// what goes wrong without the library's lock and checks nothing. Run it with
// --gtest_also_run_disabled_tests.
TEST(SharedFile, DISABLED_WithoutTheLockReport) {
    const Outcome o = RunProcesses(true);
    int lost = 0;
    for (size_t i = 0; i < o.writers.size(); ++i) {
        lost += o.writers[i].lost;
        std::printf("%-10s lost %d of %d, last in file %s\n", Info(kWriters[i]).name, o.writers[i].lost, kWrites,
                    ValueInFile(o.file, Info(kWriters[i]).key).c_str());
    }
    std::printf("reader: %d of %d reads found the key absent\n", o.reader.defaults, o.reader.reads);
    std::printf("section [Other] %s\n", o.file.find(kOtherSection) != std::string::npos ? "kept" : "lost");
    DeleteFileA(ConfigPath().c_str());
}

}  // namespace

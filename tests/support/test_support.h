// Helpers shared by the tests: files and folders of the Wine drive, child
// processes with their output and debugger output, and the probe program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tcs_test {

std::string ThisProgramDirectory();
std::string JoinPath(const std::string& dir, const std::string& name);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
void MakeDirectories(const std::string& path);
void RemoveTree(const std::string& path);
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
// Copies the named files of this test's own folder into dir.
void CopyBesideMe(const std::vector<std::string>& names, const std::string& dir);

struct ProcessResult {
    DWORD exitCode = 0xFFFFFFFF;
    bool finished = false;
    std::string output;                     // standard output and error
    std::vector<std::string> debugStrings;  // OutputDebugString texts, when traced
};

struct ProcessOptions {
    std::string workingDirectory;
    bool traceDebugOutput = false;
    DWORD timeoutMs = 120000;
};

ProcessResult RunProcess(const std::string& exe, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

// A started child that runs until waited for (or killed).
class ChildProcess {
public:
    ChildProcess(const std::string& exe, const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD Wait(DWORD timeoutMs = 120000);  // exit code, or 0xFFFFFFFF on timeout
    void Kill();
    HANDLE handle() const { return process_; }

private:
    HANDLE process_ = nullptr;
};

// One line of the probe's output per command: "<result>\t<text>\t<hex of the
// whole buffer>", or "<result>" for calls without a buffer.
struct ProbeLine {
    std::string command;
    long long result = 0;
    std::string text;
    std::string bufferHex;
};

struct ProbeRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
    std::vector<ProbeLine> lines;
    std::vector<std::string> debugStrings;
};

// Runs tcs_probe.exe found in folder with the given commands (see probe.cpp).
ProbeRun RunProbe(const std::string& folder, const std::vector<std::string>& commands,
                  bool traceDebugOutput = false);

}  // namespace tcs_test

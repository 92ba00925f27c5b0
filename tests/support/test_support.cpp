#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>

namespace tcs_test {
namespace {

std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') { ++backslashes; continue; }
        if (c == '"') quoted.append(backslashes * 2 + 1, '\\');
        else quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string CommandLine(const std::string& exe, const std::vector<std::string>& args) {
    std::string line = QuoteArgument(exe);
    for (const std::string& a : args) line += " " + QuoteArgument(a);
    return line;
}

struct Handle {
    HANDLE h = nullptr;
    ~Handle() { if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h); }
};

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T got = 0;
    ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &got);
    text.resize(got);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

std::mutex g_creatingProcess;

struct Drain {
    HANDLE pipe;
    std::string* out;
};

DWORD WINAPI DrainPipe(LPVOID param) {
    auto* d = static_cast<Drain*>(param);
    char chunk[4096];
    DWORD n;
    while (ReadFile(d->pipe, chunk, sizeof chunk, &n, nullptr) && n > 0) d->out->append(chunk, n);
    return 0;
}

}  // namespace

std::string ThisProgramDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) return dir + name;
    return dir + "\\" + name;
}

bool FileExists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeDirectories(const std::string& path) {
    for (size_t i = path.find('\\'); i != std::string::npos; i = path.find('\\', i + 1))
        if (i > 2) CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(JoinPath(path, "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = JoinPath(path, name);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
            else { SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL); DeleteFileA(child.c_str()); }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
    DeleteFileA(path.c_str());
}

std::string ReadFileText(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
        std::fclose(f);
    }
    return text;
}

void WriteFileText(const std::string& path, const std::string& text) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

void CopyBesideMe(const std::vector<std::string>& names, const std::string& dir) {
    MakeDirectories(dir);
    const std::string me = ThisProgramDirectory();
    for (const std::string& name : names)
        CopyFileA(JoinPath(me, name).c_str(), JoinPath(dir, name).c_str(), FALSE);
}

ProcessResult RunProcess(const std::string& exe, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    ProcessResult result;
    Handle readEnd, writeEnd;
    PROCESS_INFORMATION pi = {};
    {
        // The write end is inheritable only while this child is made, so a
        // child started at the same moment from another thread never holds
        // it (and never keeps this pipe open).
        std::lock_guard<std::mutex> creating(g_creatingProcess);
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        if (!CreatePipe(&readEnd.h, &writeEnd.h, &inherit, 0)) return result;
        SetHandleInformation(readEnd.h, HANDLE_FLAG_INHERIT, 0);

        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = writeEnd.h;
        si.hStdError = writeEnd.h;
        std::string line = CommandLine(exe, args);
        const DWORD flags = options.traceDebugOutput ? DEBUG_ONLY_THIS_PROCESS : 0;
        const BOOL created = CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, TRUE, flags, nullptr,
                                            options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(),
                                            &si, &pi);
        CloseHandle(writeEnd.h);
        writeEnd.h = nullptr;
        if (!created) return result;
    }
    Handle process{pi.hProcess}, thread{pi.hThread};

    // Output is drained on a thread of its own so a chatty child never blocks.
    Drain drain{readEnd.h, &result.output};
    HANDLE reader = CreateThread(nullptr, 0, DrainPipe, &drain, 0, nullptr);

    if (options.traceDebugOutput) {
        DEBUG_EVENT event;
        const DWORD deadline = GetTickCount() + options.timeoutMs;
        bool running = true;
        while (running && GetTickCount() < deadline) {
            if (!WaitForDebugEvent(&event, 1000)) continue;
            DWORD status = DBG_CONTINUE;
            switch (event.dwDebugEventCode) {
            case OUTPUT_DEBUG_STRING_EVENT:
                result.debugStrings.push_back(ReadDebugString(process.h, event.u.DebugString));
                break;
            case EXCEPTION_DEBUG_EVENT:
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                    status = DBG_EXCEPTION_NOT_HANDLED;
                break;
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                running = false;
                break;
            }
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        }
    }
    const bool done = WaitForSingleObject(process.h, options.timeoutMs) == WAIT_OBJECT_0;
    if (!done) TerminateProcess(process.h, 0xDEAD);
    WaitForSingleObject(reader, 30000);
    CloseHandle(reader);
    result.finished = done;
    GetExitCodeProcess(process.h, &result.exitCode);
    return result;
}

ChildProcess::ChildProcess(const std::string& exe, const std::vector<std::string>& args) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = CommandLine(exe, args);
    if (CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        process_ = pi.hProcess;
        CloseHandle(pi.hThread);
    }
}

ChildProcess::~ChildProcess() {
    if (process_) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) Kill();
        CloseHandle(process_);
    }
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process_, &code);
    return code;
}

void ChildProcess::Kill() {
    if (process_) {
        TerminateProcess(process_, 0xDEAD);
        WaitForSingleObject(process_, 30000);
    }
}

ProbeRun RunProbe(const std::string& folder, const std::vector<std::string>& commands, bool traceDebugOutput) {
    ProcessOptions options;
    options.traceDebugOutput = traceDebugOutput;
    const ProcessResult r = RunProcess(JoinPath(folder, "tcs_probe.exe"), commands, options);
    ProbeRun run;
    run.exitCode = r.exitCode;
    run.output = r.output;
    run.debugStrings = r.debugStrings;
    std::istringstream in(r.output);
    std::string line;
    size_t index = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("= ", 0) != 0) continue;
        ProbeLine p;
        p.command = index < commands.size() ? commands[index] : "";
        ++index;
        std::istringstream fields(line.substr(2));
        std::string result;
        std::getline(fields, result, '\t');
        p.result = std::strtoll(result.c_str(), nullptr, 10);
        std::getline(fields, p.text, '\t');
        std::getline(fields, p.bufferHex, '\t');
        run.lines.push_back(p);
    }
    return run;
}

}  // namespace tcs_test

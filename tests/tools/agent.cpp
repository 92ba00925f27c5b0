#include "agent.h"

#include "test_support.h"

#include <algorithm>
#include <utility>
#include <thread>

namespace tcs_tools_test {
namespace {

std::wstring Widen(const std::string& s, UINT codePage) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

// Quoted the way the C runtime splits a command line.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring q = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') { ++backslashes; continue; }
        q.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        q += c;
    }
    q.append(backslashes * 2, L'\\');
    return q + L"\"";
}

struct Handle {
    HANDLE h = nullptr;
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h); }
};

void Drain(HANDLE pipe, std::string* out) {
    char chunk[4096];
    DWORD n;
    while (ReadFile(pipe, chunk, sizeof chunk, &n, nullptr) && n > 0) out->append(chunk, n);
}

bool SameName(const std::wstring& entry, const std::wstring& name) {
    return entry.size() > name.size() && entry[name.size()] == L'=' &&
           CompareStringOrdinal(entry.c_str(), static_cast<int>(name.size()), name.c_str(),
                                static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

// This process's environment with the given variables replaced.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::wstring, std::wstring>>& vars) {
    std::vector<std::wstring> entries;
    wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
        const std::wstring entry = p;
        const bool replaced = std::any_of(vars.begin(), vars.end(),
                                          [&](const auto& v) { return SameName(entry, v.first); });
        if (!replaced) entries.push_back(entry);
    }
    FreeEnvironmentStringsW(block);
    for (const auto& v : vars) entries.push_back(v.first + L"=" + v.second);
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    std::wstring out;
    for (const auto& e : entries) out += e + L'\0';
    return out + L'\0';
}

}  // namespace

Agent::Agent(const std::string& name) {
    dir_ = tcs_test::JoinPath(tcs_test::ThisProgramDirectory(), "agents\\" + name);
    storeDir_ = dir_ + "\\store";
    tcs_test::RemoveTree(dir_);
    tcs_test::CopyBesideMe({"tavixcfg.exe", "TavixConfigSet.dll", "environment.dll", "tcs_probe.exe"}, dir_);
}

ToolRun Agent::Tool(const std::vector<std::string>& args) const { return Run("tavixcfg.exe", args); }

ToolRun Agent::Probe(const std::vector<std::string>& commands) const { return Run("tcs_probe.exe", commands); }

ToolRun Agent::Run(const std::string& program, const std::vector<std::string>& args) const {
    ToolRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    Handle outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(&outRead.h, &outWrite.h, &inherit, 0) || !CreatePipe(&errRead.h, &errWrite.h, &inherit, 0))
        return run;
    SetHandleInformation(outRead.h, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead.h, HANDLE_FLAG_INHERIT, 0);

    const std::wstring exe = Widen(dir_ + "\\" + program, CP_ACP);
    std::wstring line = Quote(exe);
    for (const std::string& a : args) line += L" " + Quote(Widen(a, CP_ACP));
    std::wstring env = EnvironmentBlock({{L"TAVIX_ENVIRONMENT_DIR", Widen(storeDir_, CP_ACP)}});

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = outWrite.h;
    si.hStdError = errWrite.h;
    PROCESS_INFORMATION pi = {};
    const std::wstring cwd = Widen(dir_, CP_ACP);
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT, &env[0],
                        cwd.c_str(), &si, &pi))
        return run;
    Handle process, thread;
    process.h = pi.hProcess;
    thread.h = pi.hThread;
    CloseHandle(outWrite.h);
    outWrite.h = nullptr;
    CloseHandle(errWrite.h);
    errWrite.h = nullptr;
    std::thread drainErr(Drain, errRead.h, &run.err);
    Drain(outRead.h, &run.out);
    drainErr.join();
    if (WaitForSingleObject(process.h, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(process.h, &run.exitCode);
    else TerminateProcess(process.h, 0xFFFFFFFF);
    return run;
}

}  // namespace tcs_tools_test

// Figures for NetbarCfg.ini: what GetLogServerPort and SetLastActiveTime
// cost per call beside the bare profile call on the same file in the same
// run, with the ratio, and what the library adds around that call (its file
// lock, the module name, the debugger line). It prints figures and nothing
// else: it never fails on speed.
//
// Run it from its own folder, which is the library's host directory, e.g.
//   build/wine-run.sh build/bench_config/bench_config.exe

#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TavixConfigSet.h"
#include "bench_timing.h"

namespace {

// Time per call in microseconds, the median over rounds. The library call
// and its bare counterpart alternate round by round, and the ratio is the
// median of the ratios of neighbouring rounds: a machine shared with other
// work slows both sides of a pair alike.
struct Pair {
    double library;
    double bare;
    double ratio;
    double libraryBest;  // the least disturbed rounds
    double bareBest;
};

template <typename L, typename B>
Pair PerCallUs(L library, B bare, int calls, int rounds = 31) {
    const bench::Rounds t = bench::Alternate(library, calls, bare, calls, rounds);
    const std::vector<double>& l = t.first;
    const std::vector<double>& b = t.second;
    std::vector<double> ratio;
    for (size_t r = 0; r < l.size(); ++r) ratio.push_back(l[r] / b[r]);
    return {bench::Median(l), bench::Median(b), bench::Median(ratio), *std::min_element(l.begin(), l.end()),
            *std::min_element(b.begin(), b.end())};
}

template <typename F>
double PerCallUs(F f, int calls, int rounds = 31) {
    return PerCallUs(f, [](int) {}, calls, rounds).library;
}

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

struct Handle {
    HANDLE h;
    ~Handle() { if (h) CloseHandle(h); }
};

}  // namespace

int main() {
    const std::string dir = OwnFolder();
    const std::string file = dir + "\\NetbarCfg.ini";
    const char* path = file.c_str();
    DeleteFileA(path);
    WritePrivateProfileStringA("Network", "LogServerPort", "514", path);
    WritePrivateProfileStringA("HANDSHAKE", "LastActiveTime", "0", path);
    printf("NetbarCfg.ini benchmark (file %s)\n", path);
    if (tavixconfig::GetLogServerPort() != 514 || tavixconfig::SetLastActiveTime(1) != 0) {
        printf("the library does not use this file: is TavixConfigSet.dll beside the program?\n");
        return 1;
    }

    volatile int sink = 0;
    const Pair read = PerCallUs([&](int) { sink = tavixconfig::GetLogServerPort(); },
                                [&](int) { sink = GetPrivateProfileIntA("Network", "LogServerPort", 0, path); }, 200);
    char text[32];
    const Pair write = PerCallUs([&](int i) { sink = tavixconfig::SetLastActiveTime(i); },
                                 [&](int i) {
                                     snprintf(text, sizeof text, "%d", i);
                                     sink = WritePrivateProfileStringA("HANDSHAKE", "LastActiveTime", text, path);
                                 },
                                 40);

    // What the library adds around the profile call.
    const double lock = PerCallUs([&](int) {
        Handle m{CreateMutexA(nullptr, FALSE, "Local\\TavixConfigSet.bench.lock")};
        if (WaitForSingleObject(m.h, INFINITE) == WAIT_OBJECT_0) ReleaseMutex(m.h);
    }, 500);
    const double ownedLock = PerCallUs([&](int) {
        Handle m{CreateMutexA(nullptr, TRUE, "Local\\TavixConfigSet.bench.lock")};
        if (GetLastError() != ERROR_ALREADY_EXISTS || WaitForSingleObject(m.h, INFINITE) == WAIT_OBJECT_0)
            ReleaseMutex(m.h);
    }, 500);
    const double moduleName = PerCallUs([&](int) {
        char name[4 * MAX_PATH];
        sink = GetModuleFileNameA(nullptr, name, sizeof name);
    }, 500);
    const double debugLine = PerCallUs([&](int) { OutputDebugStringA(path); }, 500);

    printf("  GetLogServerPort                                %10.2f us/call\n", read.library);
    printf("  GetPrivateProfileIntA, same file and key        %10.2f us/call\n", read.bare);
    printf("  ratio (median of paired rounds)                 %10.2f x\n", read.ratio);
    printf("  best rounds: %.2f us beside %.2f us, ratio %.2f x\n", read.libraryBest, read.bareBest,
           read.libraryBest / read.bareBest);
    printf("  SetLastActiveTime                               %10.2f us/call\n", write.library);
    printf("  WritePrivateProfileStringA, same file and key   %10.2f us/call\n", write.bare);
    printf("  ratio (median of paired rounds)                 %10.2f x\n", write.ratio);
    printf("  best rounds: %.2f us beside %.2f us, ratio %.2f x\n", write.libraryBest, write.bareBest,
           write.libraryBest / write.bareBest);
    printf("  parts: named mutex create+wait+release+close    %10.2f us\n", lock);
    printf("         named mutex created owned+release+close  %10.2f us\n", ownedLock);
    printf("         GetModuleFileNameA                       %10.2f us\n", moduleName);
    printf("         OutputDebugStringA (no debugger)         %10.2f us\n", debugLine);
    printf("  target: ratio <= 2.0 for both: %s\n",
           read.ratio <= 2.0 && write.ratio <= 2.0 ? "met" : "NOT met");
    DeleteFileA(path);
    return 0;
}

// The benchmark report: one table of what a call of each family costs
// through TavixConfigSet.dll beside the bare platform calls it rests on,
// measured in the same run, and how environment-store reads share the store
// between threads and processes. It prints figures and nothing else: it
// never fails on speed.
//
// Its folder is the library's host directory (NetbarCfg.ini goes there). The
// store is the one TAVIX_ENVIRONMENT_DIR names; when that is unset it is
// "bench-store" beside the program, never the PC's own store.
//
//   bench_report.exe                    the table
//   bench_report.exe --reader MODE N E  (internal) one reading process:
//                                       waits for event E, makes N reads
#include <windows.h>
#include <winsock2.h>

#include "TavixConfigSet.h"
#include "environment.h"
#include "bench_timing.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kPortKey[] = "Network.CenterPort";
constexpr std::int32_t kPort = 8080;

using bench::Median;
using bench::Now;

// How many calls make one round of about `seconds`.
template <typename F>
int CallsFor(F f, double seconds) {
    for (int n = 1;; n *= 2) {
        const double start = Now();
        for (int i = 0; i < n; ++i) f();
        const double took = Now() - start;
        if (took >= seconds / 4 || n >= (1 << 24))
            return std::max(1, static_cast<int>(n * seconds / std::max(took, 1e-9)));
    }
}

struct Pair {
    double library = 0;  // microseconds per call, median over rounds
    double bare = 0;
};

// The library call and its bare counterpart take turns round by round
// (bench::Alternate), each with the calls that fill its own round.
template <typename L, typename B>
Pair Measure(L library, B bare, double roundSeconds = 0.05, int rounds = 7) {
    const int nl = CallsFor(library, roundSeconds);
    const int nb = CallsFor(bare, roundSeconds);
    const bench::Rounds t = bench::Alternate(library, nl, bare, nb, rounds);
    return {Median(t.first), Median(t.second)};
}

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

std::string OwnFolder() {
    const std::string path = OwnPath();
    return path.substr(0, path.find_last_of('\\'));
}

struct Handle {
    HANDLE h = nullptr;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h); }
};

// The store sequence a getter or setter of the library runs.
int BareGet(std::int32_t* value) {
    if (EnvOpen() == ENV_FAILED) return -1;
    unsigned int length = sizeof *value;
    const int r = EnvRead(kPortKey, value, &length);
    EnvClose();
    return r;
}

int BareSet(std::int32_t value) {
    if (EnvOpen() == ENV_FAILED) return -1;
    const int r = EnvWrite(kPortKey, &value, sizeof value);
    EnvClose();
    return r;
}

std::atomic<long> g_wrong{0};

void LibraryRead() { if (tavixconfig::GetCenterPort() != kPort) ++g_wrong; }
void BareRead() {
    std::int32_t v = 0;
    if (BareGet(&v) != ENV_OK || v != kPort) ++g_wrong;
}

// What a process-local getter or setter of the library costs at the least:
// a call that is not inlined, on a plain word.
int g_flag = 0;
volatile int g_sink = 0;
__attribute__((noinline)) int WINAPI PlainGet() { return g_flag; }
__attribute__((noinline)) int WINAPI PlainSet(int v) {
    g_flag = v > 0;
    return 0;
}

struct Spread {
    double perCall = 0;     // microseconds per call, mean over readers
    double callsPerSec = 0; // all readers together
};

// `threads` readers at once, each making `calls` reads.
Spread Threads(void (*read)(), int threads, int calls) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<double> took(threads);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            ++ready;
            while (!go) std::this_thread::yield();
            const double start = Now();
            for (int i = 0; i < calls; ++i) read();
            took[t] = Now() - start;
        });
    while (ready < threads) std::this_thread::yield();
    go = true;
    for (auto& th : pool) th.join();
    double sum = 0, longest = 0;
    for (double s : took) { sum += s; longest = std::max(longest, s); }
    return {sum / threads * 1e6 / calls, threads * calls / longest};
}

// Two reading processes started together: this program in --reader mode.
Spread Processes(const char* mode, int processes, int calls) {
    char eventName[64];
    std::snprintf(eventName, sizeof eventName, "TavixBenchGo-%lu-%s", GetCurrentProcessId(), mode);
    Handle go(CreateEventA(nullptr, TRUE, FALSE, eventName));
    Handle ready(CreateSemaphoreA(nullptr, 0, processes, (std::string(eventName) + "-ready").c_str()));
    struct Child { Handle process, out; };
    std::vector<Child> children(processes);
    for (Child& c : children) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        Handle writeEnd;  // the child's copy is all that must stay open
        if (!CreatePipe(&c.out.h, &writeEnd.h, &inherit, 0)) continue;
        SetHandleInformation(c.out.h, HANDLE_FLAG_INHERIT, 0);
        std::string line = "\"" + OwnPath() + "\" --reader " + mode + " " + std::to_string(calls) + " " + eventName;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = writeEnd.h;
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
            c.process.h = pi.hProcess;
            Handle thread(pi.hThread);
        }
    }
    // Each reader has loaded the library and opened the store once before it
    // says it is ready, so only the reads are timed.
    for (Child& c : children)
        if (c.process.h) WaitForSingleObject(ready.h, 60000);
    SetEvent(go.h);
    double sum = 0, longest = 0;
    int counted = 0;
    for (Child& c : children) {
        std::string text;
        char chunk[256];
        DWORD n;
        while (c.out.h && ReadFile(c.out.h, chunk, sizeof chunk, &n, nullptr) && n > 0) text.append(chunk, n);
        if (c.process.h) WaitForSingleObject(c.process.h, 120000);
        const double seconds = std::atof(text.c_str());
        if (seconds > 0) { sum += seconds; longest = std::max(longest, seconds); ++counted; }
    }
    if (counted == 0) return {};
    return {sum / counted * 1e6 / calls, counted * calls / longest};
}

int Reader(const char* mode, int calls, const char* eventName) {
    void (*read)() = std::strcmp(mode, "library") == 0 ? LibraryRead : BareRead;
    read();
    Handle go(OpenEventA(SYNCHRONIZE, FALSE, eventName));
    Handle ready(OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, (std::string(eventName) + "-ready").c_str()));
    if (!go.h || !ready.h) return 1;
    ReleaseSemaphore(ready.h, 1, nullptr);
    WaitForSingleObject(go.h, 60000);
    const double start = Now();
    for (int i = 0; i < calls; ++i) read();
    std::printf("%.9f\n", Now() - start);
    return g_wrong ? 1 : 0;
}

std::string Us(double us) {
    char text[32];
    std::snprintf(text, sizeof text, us < 0.1 ? "%.4f" : us < 10 ? "%.3f" : us < 1000 ? "%.1f" : "%.0f", us);
    return text;
}

std::string Ratio(double library, double bare) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", library / bare);
    return text;
}

std::string Rate(double perSecond) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", perSecond / 1e6);
    return text;
}

struct Row {
    std::string family, call, library, bare, ratio, bareCalls;
};

void PrintTable(const std::vector<Row>& rows) {
    std::printf("| Family | Call | Library us/call | Bare us/call | Ratio | Bare platform calls |\n");
    std::printf("|---|---|--:|--:|--:|---|\n");
    for (const Row& r : rows)
        std::printf("| %s | %s | %s | %s | %s | %s |\n", r.family.c_str(), r.call.c_str(), r.library.c_str(),
                    r.bare.c_str(), r.ratio.c_str(), r.bareCalls.c_str());
}

std::string MachineLine() {
    SYSTEM_INFO si;
    GetNativeSystemInfo(&si);
    std::string line = std::to_string(si.dwNumberOfProcessors) + " processors";
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    using Version = const char*(CDECL*)();
    using Host = void(CDECL*)(const char**, const char**);
    auto wine = reinterpret_cast<Version>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    auto host = reinterpret_cast<Host>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_host_version")));
    if (wine) line += ", Wine " + std::string(wine());
    if (host) {
        const char* sys = nullptr;
        const char* release = nullptr;
        host(&sys, &release);
        if (sys && release) line += " on " + std::string(sys) + " " + release;
    }
    return line;
}

int Report() {
    const std::string folder = OwnFolder();
    char dir[MAX_PATH];
    if (GetEnvironmentVariableA("TAVIX_ENVIRONMENT_DIR", dir, sizeof dir) == 0) {
        std::snprintf(dir, sizeof dir, "%s\\bench-store", folder.c_str());
        SetEnvironmentVariableA("TAVIX_ENVIRONMENT_DIR", dir);  // for this process and the readers
    }
    const std::string ini = folder + "\\NetbarCfg.ini";
    std::printf("TavixConfigSet benchmark: %s\n", MachineLine().c_str());
    std::printf("host directory %s, store %s\n\n", folder.c_str(), dir);

    if (tavixconfig::SetCenterPort(kPort) != 0 || tavixconfig::GetCenterPort() != kPort) {
        std::printf("the environment store cannot be used: SetCenterPort/GetCenterPort failed\n");
        return 1;
    }
    if (!tavixconfig::SetLogServerPort(514) || tavixconfig::GetLogServerPort() != 514) {
        std::printf("NetbarCfg.ini cannot be used in %s\n", folder.c_str());
        return 1;
    }
    std::vector<Row> rows;
    auto add = [&](const char* family, const char* call, const Pair& p, const char* bareCalls) {
        rows.push_back({family, call, Us(p.library), Us(p.bare), Ratio(p.library, p.bare), bareCalls});
    };

    // Configuration file: one profile call on the same file and key.
    const Pair cfgGet = Measure([] { tavixconfig::GetLogServerPort(); },
                                [&] { GetPrivateProfileIntA("Network", "LogServerPort", 0, ini.c_str()); });
    add("configuration file", "GetLogServerPort", cfgGet, "GetPrivateProfileIntA");
    const Pair cfgSet = Measure([] { tavixconfig::SetLogServerPort(514); },
                                [&] { WritePrivateProfileStringA("Network", "LogServerPort", "514", ini.c_str()); });
    add("configuration file", "SetLogServerPort", cfgSet, "WritePrivateProfileStringA");

    // Environment store: the open, read or write, close sequence.
    const Pair envGet = Measure(LibraryRead, BareRead);
    add("environment store", "GetCenterPort", envGet, "EnvOpen + EnvRead + EnvClose");
    const Pair envSet = Measure([] { if (tavixconfig::SetCenterPort(kPort) != 0) ++g_wrong; },
                                [] { if (BareSet(kPort) != ENV_OK) ++g_wrong; }, 0.2, 5);
    add("environment store", "SetCenterPort", envSet, "EnvOpen + EnvWrite + EnvClose (durable)");

    // Derived: the module name (with the debugger line when one listens), or
    // the socket layer.
    char buffer[MAX_PATH];
    const Pair setupPath = Measure([&] { tavixconfig::GetSetupPath(buffer, sizeof buffer); },
                                   [&] {
                                       GetModuleFileNameA(nullptr, buffer, sizeof buffer);
                                       if (IsDebuggerPresent()) OutputDebugStringA(buffer);
                                   });
    add("derived", "GetSetupPath", setupPath, "GetModuleFileNameA (+ OutputDebugStringA under a debugger)");
    const Pair localAddr = Measure([&] { tavixconfig::GetLocalAddr(buffer, sizeof buffer); },
                                   [&] {
                                       WSADATA data;
                                       if (WSAStartup(MAKEWORD(2, 0), &data) != 0) return;
                                       char name[155];
                                       if (gethostname(name, sizeof name) == 0) gethostbyname(name);
                                       WSACleanup();
                                   }, 0.1, 7);
    add("derived", "GetLocalAddr", localAddr, "WSAStartup + gethostname + gethostbyname + WSACleanup");
    rows.push_back({"derived", "(no setter)", "-", "-", "-", ""});

    // Process-local: a plain word behind a call.
    const Pair qqGet = Measure([] { g_sink = tavixconfig::GetQQFunc(); }, [] { g_sink = PlainGet(); });
    add("process-local", "GetQQFunc", qqGet, "an out-of-line call reading a word");
    const Pair qqSet = Measure([] { g_sink = tavixconfig::SetQQFunc(1); }, [] { g_sink = PlainSet(1); });
    add("process-local", "SetQQFunc", qqSet, "an out-of-line call writing a word");

    // Environment-store reads side by side: per reader, and in all.
    const int calls = std::max(2000, CallsFor(LibraryRead, 0.2));
    for (int threads : {1, 2, 4}) {
        // Library and bare readers take turns; medians of three rounds each.
        std::vector<double> lPer, lRate, bPer;
        for (int round = 0; round < 3; ++round) {
            const Spread ls = Threads(LibraryRead, threads, calls);
            const Spread bs = Threads(BareRead, threads, calls);
            lPer.push_back(ls.perCall);
            lRate.push_back(ls.callsPerSec);
            bPer.push_back(bs.perCall);
        }
        const Spread l = {Median(lPer), Median(lRate)};
        const Spread b = {Median(bPer), 0};
        char what[96];
        std::snprintf(what, sizeof what, "GetCenterPort, %d thread%s (%s M calls/s in all)", threads,
                      threads == 1 ? "" : "s", Rate(l.callsPerSec).c_str());
        rows.push_back({"environment store", what, Us(l.perCall), Us(b.perCall), Ratio(l.perCall, b.perCall),
                        "the same store sequence"});
    }
    const Spread pl = Processes("library", 2, calls);
    const Spread pb = Processes("bare", 2, calls);
    if (pl.perCall > 0 && pb.perCall > 0) {
        char what[96];
        std::snprintf(what, sizeof what, "GetCenterPort, 2 processes (%s M calls/s in all)", Rate(pl.callsPerSec).c_str());
        rows.push_back({"environment store", what, Us(pl.perCall), Us(pb.perCall), Ratio(pl.perCall, pb.perCall),
                        "the same store sequence"});
    } else {
        rows.push_back({"environment store", "GetCenterPort, 2 processes", "failed", "failed", "-", ""});
    }

    PrintTable(rows);
    std::printf("\nus/call: median over rounds (readers side by side: mean per reader); ratio = library / bare.\n");
    if (g_wrong) std::printf("%ld calls failed or read a wrong value\n", static_cast<long>(g_wrong));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--reader") == 0) return Reader(argv[2], std::atoi(argv[3]), argv[4]);
    return Report();
}

// Figures for the library's settings in the environment store: what one
// GetCenterPort and one SetCenterPort cost through TavixConfigSet.dll, beside
// the raw store sequence each of them runs (EnvOpen, EnvRead or EnvWrite,
// EnvClose), measured in the same run. It only prints; it never fails on
// speed.
//
// The store is the one TAVIX_ENVIRONMENT_DIR names; when that is unset the
// benchmark uses "bench-envstore" beside itself, never the PC's own store.
#include <windows.h>

#include "TavixConfigSet.h"
#include "environment.h"
#include "bench_timing.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kKey[] = "Network.CenterPort";

struct Pair {
    double raw, library;  // microseconds per call, median over rounds
};

// The two take turns round by round (bench::Alternate).
template <typename Raw, typename Library>
Pair PerCallUs(Raw raw, Library library, int calls, int rounds) {
    const bench::Rounds t = bench::Alternate(raw, calls, library, calls, rounds);
    return {bench::Median(t.first), bench::Median(t.second)};
}

int RawGet(std::int32_t* value) {
    if (EnvOpen() == ENV_FAILED) return -1;
    unsigned int length = sizeof *value;
    const int r = EnvRead(kKey, value, &length);
    EnvClose();
    return r;
}

int RawSet(std::int32_t value) {
    if (EnvOpen() == ENV_FAILED) return -1;
    const int r = EnvWrite(kKey, &value, sizeof value);
    EnvClose();
    return r;
}

}  // namespace

int main() {
    char dir[MAX_PATH];
    if (GetEnvironmentVariableA("TAVIX_ENVIRONMENT_DIR", dir, sizeof dir) == 0) {
        const DWORD n = GetModuleFileNameA(nullptr, dir, sizeof dir);
        char* slash = std::strrchr(dir, '\\');
        if (n == 0 || !slash) return 1;
        std::strcpy(slash + 1, "bench-envstore");
        SetEnvironmentVariableA("TAVIX_ENVIRONMENT_DIR", dir);
    }
    std::printf("environment store settings through TavixConfigSet (store in %s)\n", dir);

    if (tavixconfig::SetCenterPort(8080) != 0 || tavixconfig::GetCenterPort() != 8080) {
        std::printf("the store cannot be used: SetCenterPort/GetCenterPort failed\n");
        return 1;
    }

    long wrong = 0;
    std::int32_t value = 0;
    const int reads = 200000;
    const Pair get = PerCallUs([&] { if (RawGet(&value) != ENV_OK || value != 8080) ++wrong; },
                               [&] { if (tavixconfig::GetCenterPort() != 8080) ++wrong; }, reads, 7);

    // Writes are durable, so far slower: fewer of them. Both write the value
    // the getters expect, so a read never sees anything else.
    const int writes = 100;
    const Pair set = PerCallUs([&] { if (RawSet(8080) != ENV_OK) ++wrong; },
                               [&] { if (tavixconfig::SetCenterPort(8080) != 0) ++wrong; }, writes, 9);

    std::printf("  raw getter: EnvOpen+EnvRead+EnvClose, 4 bytes    %10.3f us/call\n", get.raw);
    std::printf("  GetCenterPort through the library                %10.3f us/call  (%+.3f us)\n", get.library,
                get.library - get.raw);
    std::printf("  raw setter: EnvOpen+EnvWrite+EnvClose, 4 bytes   %10.1f us/call (durable)\n", set.raw);
    std::printf("  SetCenterPort through the library                %10.1f us/call  (%+.1f us)\n", set.library,
                set.library - set.raw);
    if (wrong) std::printf("  %ld calls failed or read a wrong value\n", wrong);
    return 0;
}

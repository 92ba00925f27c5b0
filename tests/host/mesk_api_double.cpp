// A stand-in for the sibling library MeskApi.dll. It appends what happens
// to it to the file named by MESK_DOUBLE_LOG, one line each:
//   attach <full path of this module>
//   call <buffer pointer> <size> <third argument's text>
//   detach
// and its entry point, when built with one, returns MESK_DOUBLE_RESULT
// (0 when unset) after writing "10.20.30.40:8080" into the buffer, cut to
// the size it is given.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Log(const char* line) {
    char path[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("MESK_DOUBLE_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    char line[MAX_PATH + 16] = {};
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(self, path, sizeof path);
        std::snprintf(line, sizeof line, "attach %s", path);
        Log(line);
    } else if (reason == DLL_PROCESS_DETACH) {
        Log("detach");
    }
    return TRUE;
}

#ifdef MESK_WITH_ENTRY_POINT
extern "C" int WINAPI GetDornIpAndPortFromSureName(char* buffer, unsigned int size, const char* address) {
    char line[512];
    std::snprintf(line, sizeof line, "call %p %u %s", static_cast<void*>(buffer), size, address ? address : "<null>");
    Log(line);
    if (buffer && size > 0) {
        static const char kAnswer[] = "10.20.30.40:8080";
        const size_t n = sizeof kAnswer - 1 < size - 1 ? sizeof kAnswer - 1 : size - 1;
        std::memcpy(buffer, kAnswer, n);
        buffer[n] = 0;
    }
    char result[32] = {};
    const DWORD n = GetEnvironmentVariableA("MESK_DOUBLE_RESULT", result, sizeof result);
    return n > 0 && n < sizeof result ? std::atoi(result) : 0;
}
#endif

// An agent program built against the installed package only: the header and
// one of the import libraries. Built twice: by clang for the MSVC ABI with no
// C runtime at all (TCS_NO_CRT, entry point `start`), and by MinGW through
// find_package. It calls exports of each kind of name (namespace functions
// with char* and const char* texts, the lower-case setSyncTime, a plain
// alias) and prints what they return; exit code 0 when all is as expected.
#include "TavixConfigSet.h"

extern "C" {
__declspec(dllimport) void* __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* data, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) void __stdcall ExitProcess(unsigned int code);
}

namespace {

int g_failures = 0;

void Put(const char* text) {
    unsigned long length = 0;
    while (text[length]) ++length;
    unsigned long written;
    WriteFile(GetStdHandle(static_cast<unsigned long>(-11)), text, length, &written, nullptr);
}

// 32-bit arithmetic only: 64-bit division would need the C runtime's helpers.
void PutNumber(unsigned long magnitude, bool negative) {
    char digits[16];
    int i = 15;
    digits[i] = 0;
    do { digits[--i] = static_cast<char>('0' + magnitude % 10); magnitude /= 10; } while (magnitude);
    if (negative) digits[--i] = '-';
    Put(digits + i);
}

void PutSigned(long value) {
    PutNumber(value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value), value < 0);
}

bool Same(const char* a, const char* b) {
    while (*a && *a == *b) { ++a; ++b; }
    return *a == *b;
}

void CheckNumber(const char* what, long got, long expected) {
    Put(what); Put(" "); PutSigned(got);
    if (got != expected) { Put(" expected "); PutSigned(expected); ++g_failures; }
    Put("\n");
}

void CheckUnsigned(const char* what, unsigned long got, unsigned long expected) {
    Put(what); Put(" "); PutNumber(got, false);
    if (got != expected) { Put(" expected "); PutNumber(expected, false); ++g_failures; }
    Put("\n");
}

void CheckText(const char* what, const char* got, const char* expected) {
    Put(what); Put(" "); Put(got);
    if (!Same(got, expected)) { Put(" expected "); Put(expected); ++g_failures; }
    Put("\n");
}

int Run() {
    using namespace tavixconfig;
    char buffer[64];

    CheckNumber("SetCenterPort", SetCenterPort(514), 0);
    CheckNumber("GetCenterPort", GetCenterPort(), 514);

    for (char& c : buffer) c = 0;
    CheckNumber("SetCurrentUser", SetCurrentUser("client", 7), 0);
    CheckNumber("GetCurrentUser", GetCurrentUser(buffer, sizeof buffer), 0);
    CheckText("CurrentUser", buffer, "client");

    CheckNumber("SetLogServerAddr_API", SetLogServerAddr_API("log.example", 12) != 0, 1);
    for (char& c : buffer) c = 0;
    CheckNumber("GetLogServerAddr", GetLogServerAddr(buffer, sizeof buffer), 0);
    CheckText("LogServerAddr", buffer, "log.example");

    char host[] = "dl.example";
    CheckNumber("SetProberDownLoadHost", SetProberDownLoadHost(host, sizeof host) != 0, 1);
    for (char& c : buffer) c = 0;
    CheckNumber("GetProberDownLoadHost", GetProberDownLoadHost(buffer, sizeof buffer), 0);
    CheckText("ProberDownLoadHost", buffer, "dl.example");

    setSyncTime(-1);
    CheckUnsigned("GetSyncTimeMem", GetSyncTimeMem(), 4294967295ul);
    CheckNumber("SetLastActiveTime", SetLastActiveTime(-5), 0);
    CheckNumber("GetLastActiveTime", GetLastActiveTime(), -5);

    Put(g_failures == 0 ? "client: all as expected\n" : "client: FAILED\n");
    return g_failures == 0 ? 0 : 1;
}

}  // namespace

#ifdef TCS_NO_CRT
extern "C" void start() { ExitProcess(static_cast<unsigned>(Run())); }
#else
int main() { return Run(); }
#endif

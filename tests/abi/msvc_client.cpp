// An agent program as MSVC builds it: compiled by clang for the MSVC ABI,
// linked by lld-link against an import library of the MSVC names, with no C
// runtime. It calls every export through its import and checks that the
// stack pointer is where it was after each call (the callee pops its
// arguments), then shows that a value one process writes the next one reads.
#include "TavixConfigSet.h"

extern "C" {
typedef void* HANDLE;
__declspec(dllimport) void __stdcall ExitProcess(unsigned code);
__declspec(dllimport) HANDLE __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(HANDLE file, const void* data, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) char* __stdcall GetCommandLineA(void);
__declspec(dllimport) unsigned long __stdcall GetModuleFileNameA(HANDLE module, char* name, unsigned long size);
__declspec(dllimport) int __stdcall CreateProcessA(const char* app, char* cmd, void* pa, void* ta, int inherit,
                                                   unsigned long flags, void* env, const char* dir,
                                                   void* startup, void* info);
__declspec(dllimport) unsigned long __stdcall WaitForSingleObject(HANDLE h, unsigned long ms);
__declspec(dllimport) int __stdcall GetExitCodeProcess(HANDLE h, unsigned long* code);
__declspec(dllimport) int __stdcall CloseHandle(HANDLE h);
__declspec(dllimport) HANDLE __stdcall GetModuleHandleA(const char* name);
__declspec(dllimport) void* __stdcall GetProcAddress(HANDLE module, const char* name);

// The compiler may call these for plain loops and initialisers.
void* memset(void* d, int c, unsigned n) {
    unsigned char* p = static_cast<unsigned char*>(d);
    while (n--) *p++ = static_cast<unsigned char>(c);
    return d;
}
void* memcpy(void* d, const void* s, unsigned n) {
    unsigned char* p = static_cast<unsigned char*>(d);
    const unsigned char* q = static_cast<const unsigned char*>(s);
    while (n--) *p++ = *q++;
    return d;
}
int _fltused = 0;

// Calls fn with argc 32-bit arguments and returns how far the stack pointer
// moved over the call: 0 when the callee removed exactly its arguments.
__attribute__((naked)) int __cdecl CallStdcall(const void* fn, int argc, const unsigned* argv, unsigned* result) {
    __asm__(
        "pushl %ebp\n\t"
        "movl %esp, %ebp\n\t"
        "pushl %esi\n\t"
        "pushl %edi\n\t"
        "pushl %ebx\n\t"
        "movl 12(%ebp), %ecx\n\t"
        "movl 16(%ebp), %esi\n\t"
        "movl %esp, %edi\n\t"
        "1:\n\t"
        "testl %ecx, %ecx\n\t"
        "jz 2f\n\t"
        "decl %ecx\n\t"
        "pushl (%esi,%ecx,4)\n\t"
        "jmp 1b\n\t"
        "2:\n\t"
        "calll *8(%ebp)\n\t"
        "movl 20(%ebp), %ecx\n\t"
        "movl %eax, (%ecx)\n\t"
        "movl %edi, %eax\n\t"
        "subl %esp, %eax\n\t"
        "movl %edi, %esp\n\t"
        "popl %ebx\n\t"
        "popl %edi\n\t"
        "popl %esi\n\t"
        "popl %ebp\n\t"
        "retl\n\t");
}
}

namespace {

HANDLE Out() { return GetStdHandle(static_cast<unsigned long>(-11)); }

unsigned Length(const char* s) {
    unsigned n = 0;
    while (s[n]) ++n;
    return n;
}

void Print(const char* s) {
    unsigned long written;
    WriteFile(Out(), s, Length(s), &written, nullptr);
}

// Results are 32 bits wide; 64-bit division would need the C runtime.
void PrintNumber(long long wide) {
    const long v = static_cast<long>(wide);
    char text[16];
    int i = 15;
    text[i] = 0;
    const bool negative = v < 0;
    unsigned long u = negative ? 0ul - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
    do { text[--i] = static_cast<char>('0' + u % 10); u /= 10; } while (u);
    if (negative) text[--i] = '-';
    Print(text + i);
}

bool Same(const char* a, const char* b) {
    while (*a && *a == *b) { ++a; ++b; }
    return *a == *b;
}

int g_failures = 0;

void Fail(const char* what, long long got) {
    ++g_failures;
    Print("FAIL: ");
    Print(what);
    Print(" (");
    PrintNumber(got);
    Print(")\n");
}

char g_buffer[512];
char g_text[] = "msvc-client";

struct Call {
    const char* name;
    const void* fn;
    int argc;
    unsigned args[2];
};

#define BUF reinterpret_cast<unsigned>(g_buffer), 260u
#define TEXT reinterpret_cast<unsigned>(g_text), 12u
#define FN(f) #f, reinterpret_cast<const void*>(&f)

using namespace tavixconfig;

// Every export, in ordinal order.
const Call kCalls[] = {
    {FN(SetSetupPath_API), 2, {TEXT}},
    {FN(SetLogServerAddr_API), 2, {TEXT}},
    {FN(SetLogServerPort_API), 1, {514u}},
    {FN(GetCenterAddr), 2, {BUF}},
    {FN(GetCenterPort), 0, {}},
    {FN(GetCenterTimeSync), 0, {}},
    {FN(GetCenterUdpPort), 0, {}},
    {FN(GetCommuAddr), 0, {}},
    {FN(GetCommuAddrStr), 2, {BUF}},
    {FN(GetCurrentUser), 2, {BUF}},
    {FN(GetCurrentUserInfo), 2, {BUF}},
    {FN(GetDownFileServerPort), 0, {}},
    {FN(GetDuplicateAlarmSwitch), 0, {}},
    {FN(GetDuplicateAlarmTime), 0, {}},
    {FN(GetHandshakeInterval), 0, {}},
    {FN(GetLastActiveTime), 0, {}},
    {FN(GetLastFaiLedTime), 0, {}},
    {FN(GetLocalAddr), 2, {BUF}},
    {FN(GetLocalHostName), 2, {BUF}},
    {FN(GetLogServerAddr), 2, {BUF}},
    {FN(GetLogServerPort), 0, {}},
    {FN(GetOnlineMachineNo), 0, {}},
    {FN(GetOutsideIP), 0, {}},
    {FN(GetP2POnLineStatus), 0, {}},
    {FN(GetProberDownLoadHost), 2, {BUF}},
    {FN(GetProberDownLoadHostPortFromSureName), 2, {BUF}},
    {FN(GetProberDownLoadPort), 0, {}},
    {FN(GetQQFunc), 0, {}},
    {FN(GetRserviceFunctionFlag), 0, {}},
    {FN(GetSetupPath), 2, {BUF}},
    {FN(GetSnapScreenFrequency), 0, {}},
    {FN(GetSyncTime), 0, {}},
    {FN(GetSyncTimeMem), 0, {}},
    {FN(GetTerminalOnline), 0, {}},
    {FN(GetTimeOffset), 0, {}},
    {FN(GetUnitIdentity), 2, {BUF}},
    {FN(GetUnitRegistCode), 2, {BUF}},
    {FN(GetUpLoadFilePath), 2, {BUF}},
    {FN(SetCenterAddr), 2, {TEXT}},
    {FN(SetCenterPort), 1, {4242u}},
    {FN(SetCenterTimeSync), 1, {0u}},
    {FN(SetCenterUdpPort), 1, {8001u}},
    {FN(SetCommuAddrStr), 2, {TEXT}},
    {FN(SetCurrentUser), 2, {TEXT}},
    {FN(SetDownFileServerPort), 1, {10023u}},
    {FN(SetDuplicateAlarmSwitch), 1, {1u}},
    {FN(SetDuplicateAlarmTime), 1, {61u}},
    {FN(SetHandshakeInterval), 1, {30u}},
    {FN(SetLastActiveTime), 1, {static_cast<unsigned>(-5)}},
    {FN(SetLastFaiLedTime), 1, {7u}},
    {FN(SetLogServerAddr), 2, {TEXT}},
    {FN(SetLogServerPort), 1, {515u}},
    {FN(SetOnlineMachineNo), 1, {3u}},
    {FN(SetP2POnLineStatus), 1, {1u}},
    {FN(SetProberDownLoadHost), 2, {TEXT}},
    {FN(SetProberDownLoadPort), 1, {8080u}},
    {FN(SetQQFunc), 1, {1u}},
    {FN(SetRserviceFunctionFlag), 1, {5u}},
    {FN(SetSetupPath), 2, {TEXT}},
    {FN(SetSnapScreenFrequency), 1, {20u}},
    {FN(SetUnitIdentity), 2, {TEXT}},
    {FN(SetUnitRegistCode), 2, {TEXT}},
    {FN(SetUpLoadFilePath), 2, {TEXT}},
    {FN(setSyncTime), 1, {99u}},
};

int CallEveryExport() {
    int calls = 0;
    for (const Call& call : kCalls) {
        unsigned result = 0;
        const int moved = CallStdcall(call.fn, call.argc, call.args, &result);
        if (moved != 0) Fail(call.name, moved);
        ++calls;
    }
    Print("called ");
    PrintNumber(calls);
    Print(" exports, stack balanced after each\n");
    return calls;
}

void Expect(const char* what, long long got, long long want) {
    if (got != want) Fail(what, got);
}

// Values this process set, read back in this process.
void CheckOwnValues() {
    Expect("GetCenterPort", GetCenterPort(), 4242);
    Expect("GetLogServerPort", GetLogServerPort(), 515);
    Expect("GetLastActiveTime", GetLastActiveTime(), -5);
    Expect("GetQQFunc", GetQQFunc(), 1);
    Expect("GetSyncTimeMem", static_cast<long long>(GetSyncTimeMem()), 99);
    char unit[32] = {};
    Expect("GetUnitIdentity", GetUnitIdentity(unit, sizeof unit), 0);
    if (!Same(unit, g_text)) Fail("GetUnitIdentity text", 0);
    Expect("ordinal 1 is SetSetupPath",
           GetProcAddress(GetModuleHandleA("TavixConfigSet.dll"), reinterpret_cast<const char*>(1)) ==
               reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("TavixConfigSet.dll"),
                                                       "?SetSetupPath@tavixconfig@@YGHPBDI@Z")),
           1);
}

// What the first process left in the shared stores, seen by the second.
void CheckNextProcess() {
    Expect("next process GetCenterPort", GetCenterPort(), 4242);
    Expect("next process GetHandshakeInterval", GetHandshakeInterval(), 30);
    Expect("next process GetLogServerPort", GetLogServerPort(), 515);
    char unit[32] = {};
    Expect("next process GetUnitIdentity", GetUnitIdentity(unit, sizeof unit), 0);
    if (!Same(unit, g_text)) Fail("next process GetUnitIdentity text", 0);
    Expect("next process GetQQFunc", GetQQFunc(), 0);
}

int RunNextProcess() {
    char self[260] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    char command[300] = {};
    unsigned n = 0;
    for (const char* p = "msvc_client.exe next"; *p; ++p) command[n++] = *p;
    struct { unsigned long cb; char rest[64]; } startup = {};
    startup.cb = sizeof startup;
    struct { HANDLE process, thread; unsigned long pid, tid; } info = {};
    if (!CreateProcessA(self, command, nullptr, nullptr, 1, 0, nullptr, nullptr, &startup, &info)) {
        Fail("start the next process", 0);
        return 1;
    }
    WaitForSingleObject(info.process, 0xFFFFFFFFu);
    unsigned long code = 1;
    GetExitCodeProcess(info.process, &code);
    CloseHandle(info.process);
    CloseHandle(info.thread);
    if (code != 0) Fail("next process", code);
    return static_cast<int>(code);
}

bool IsNextProcess() {
    const char* line = GetCommandLineA();
    for (; *line; ++line)
        if (line[0] == ' ' && Same(line + 1, "next")) return true;
    return false;
}

}  // namespace

extern "C" void mainCRTStartup() {
    if (IsNextProcess()) {
        CheckNextProcess();
    } else {
        CallEveryExport();
        CheckOwnValues();
        RunNextProcess();
    }
    Print(g_failures == 0 ? "msvc client: ok\n" : "msvc client: FAILED\n");
    ExitProcess(g_failures == 0 ? 0 : 1);
}

// config_child: a host program of the library for the configuration tests,
// bound to it at load time, so that it runs from folders whose path is too
// long for an explicit load by full name.
//
//   writer <key> <count> <tag> [raw]   values 1..count of one key (see
//                                      config_workers.h), read back each time
//   reader <tag> [raw]                 reads the constant key until <tag>'s
//                                      stop event is set
//   call <op>...                       one call per op: GetSetupPath|size,
//                                      SetLastActiveTime|n, SetLogServerAddr|text,
//                                      GetLogServerPort, ...; prints "= result\ttext"
//   --report <file> <mode> ...         any of these, with the output and the exit
//                                      code written to file at the end (for starts
//                                      that no pipe reaches, and for children that
//                                      must not inherit each other's pipes)
//
// Writers and readers first report ready on the semaphore "<tag>-ready" and
// wait for the event "<tag>-go", so that they all start at once.
#include "config_workers.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace tcs_config;

namespace {

struct Handle {
    HANDLE h;
    ~Handle() { if (h) CloseHandle(h); }
};

std::string SyncName(const char* tag, const char* what) { return std::string("Local\\") + tag + "-" + what; }

bool WaitForGo(const char* tag) {
    Handle go{OpenEventA(SYNCHRONIZE, FALSE, SyncName(tag, "go").c_str())};
    Handle ready{OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, SyncName(tag, "ready").c_str())};
    if (!go.h || !ready.h) return false;
    ReleaseSemaphore(ready.h, 1, nullptr);
    return WaitForSingleObject(go.h, 60000) == WAIT_OBJECT_0;
}

void Print(std::string* out, const char* format, ...) {
    char line[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    *out += line;
}

int Writer(int argc, char** argv, std::string* out) {
    WriterKey key;
    if (argc < 5 || !ParseWriterKey(argv[2], &key)) return 1;
    const int count = std::atoi(argv[3]);
    const bool raw = argc > 5 && std::strcmp(argv[5], "raw") == 0;
    if (!WaitForGo(argv[4])) return 2;
    const DWORD start = GetTickCount();
    const WriterResult r = RunWriter(key, count, raw);
    Print(out, "last=%d failed=%d lost=%d ms=%lu\n", r.last, r.failed, r.lost, GetTickCount() - start);
    return 0;
}

int Reader(int argc, char** argv, std::string* out) {
    if (argc < 3) return 1;
    const bool raw = argc > 3 && std::strcmp(argv[3], "raw") == 0;
    Handle stop{OpenEventA(SYNCHRONIZE, FALSE, SyncName(argv[2], "stop").c_str())};
    if (!stop.h || !WaitForGo(argv[2])) return 2;
    const ReaderResult r = RunReader(raw, [&] { return WaitForSingleObject(stop.h, 0) == WAIT_OBJECT_0; });
    Print(out, "reads=%d defaults=%d wrong=%d\n", r.reads, r.defaults, r.wrong);
    return 0;
}

using Buffer = int(WINAPI*)(char*, unsigned);
using Number = long(WINAPI*)(long);
using Text = int(WINAPI*)(const char*, unsigned);
using Plain = long(WINAPI*)();

long WINAPI SetLogServerPortL(long v) { return tavixconfig::SetLogServerPort(v); }
long WINAPI SetProberDownLoadPortL(long v) { return tavixconfig::SetProberDownLoadPort(v); }
long WINAPI SetLastActiveTimeL(long v) { return tavixconfig::SetLastActiveTime(v); }
long WINAPI SetLastFaiLedTimeL(long v) { return tavixconfig::SetLastFaiLedTime(v); }
long WINAPI GetLogServerPortL() { return tavixconfig::GetLogServerPort(); }
long WINAPI GetProberDownLoadPortL() { return tavixconfig::GetProberDownLoadPort(); }
int WINAPI SetProberDownLoadHostC(const char* t, unsigned n) {
    return tavixconfig::SetProberDownLoadHost(const_cast<char*>(t), n);
}

struct Op {
    const char* name;
    Buffer buffer;
    Number number;
    Text text;
    Plain plain;
};

const Op kOps[] = {
    {"GetSetupPath", tavixconfig::GetSetupPath, nullptr, nullptr, nullptr},
    {"GetUpLoadFilePath", tavixconfig::GetUpLoadFilePath, nullptr, nullptr, nullptr},
    {"GetLogServerAddr", tavixconfig::GetLogServerAddr, nullptr, nullptr, nullptr},
    {"GetProberDownLoadHost", tavixconfig::GetProberDownLoadHost, nullptr, nullptr, nullptr},
    {"SetLogServerPort", nullptr, SetLogServerPortL, nullptr, nullptr},
    {"SetProberDownLoadPort", nullptr, SetProberDownLoadPortL, nullptr, nullptr},
    {"SetLastActiveTime", nullptr, SetLastActiveTimeL, nullptr, nullptr},
    {"SetLastFaiLedTime", nullptr, SetLastFaiLedTimeL, nullptr, nullptr},
    {"SetLogServerAddr", nullptr, nullptr, tavixconfig::SetLogServerAddr, nullptr},
    {"SetProberDownLoadHost", nullptr, nullptr, SetProberDownLoadHostC, nullptr},
    {"GetLogServerPort", nullptr, nullptr, nullptr, GetLogServerPortL},
    {"GetProberDownLoadPort", nullptr, nullptr, nullptr, GetProberDownLoadPortL},
    {"GetLastActiveTime", nullptr, nullptr, nullptr, tavixconfig::GetLastActiveTime},
    {"GetLastFaiLedTime", nullptr, nullptr, nullptr, tavixconfig::GetLastFaiLedTime},
};

int Call(int argc, char** argv, std::string* out) {
    for (int i = 2; i < argc; ++i) {
        std::string command = argv[i];
        const size_t bar = command.find('|');
        const std::string name = command.substr(0, bar);
        const std::string arg = bar == std::string::npos ? "" : command.substr(bar + 1);
        const Op* op = nullptr;
        for (const Op& o : kOps)
            if (name == o.name) op = &o;
        if (!op) {
            Print(out, "! no op %s\n", name.c_str());
            return 1;
        }
        if (op->buffer) {
            std::vector<char> buffer(arg.empty() ? 260 : std::strtoul(arg.c_str(), nullptr, 10) + 1, 'A');
            const unsigned size = static_cast<unsigned>(buffer.size() - 1);
            const int r = op->buffer(buffer.data(), size);
            buffer.back() = 0;
            Print(out, "= %d\t%s\n", r, buffer.data());
        } else if (op->number) {
            Print(out, "= %ld\n", op->number(std::strtol(arg.c_str(), nullptr, 10)));
        } else if (op->text) {
            Print(out, "= %d\n", op->text(arg.c_str(), static_cast<unsigned>(arg.size())));
        } else {
            Print(out, "= %ld\n", op->plain());
        }
    }
    return 0;
}

// Written whole under another name first, so that a reader polling for the
// file never sees half of it.
void WriteReport(const std::string& path, const std::string& text) {
    const std::string part = path + ".part";
    if (FILE* f = std::fopen(part.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* report = nullptr;
    if (argc > 2 && std::strcmp(argv[1], "--report") == 0) {
        report = argv[2];
        argc -= 2;
        argv += 2;
    }
    if (argc < 2) return 1;
    std::string out;
    int rc = 1;
    if (std::strcmp(argv[1], "writer") == 0) rc = Writer(argc, argv, &out);
    else if (std::strcmp(argv[1], "reader") == 0) rc = Reader(argc, argv, &out);
    else if (std::strcmp(argv[1], "call") == 0) rc = Call(argc, argv, &out);
    if (report) WriteReport(report, out + "exit " + std::to_string(rc) + "\n");
    else std::fputs(out.c_str(), stdout);
    return rc;
}

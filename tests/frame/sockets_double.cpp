// Socket start-up and message box of the framework, scripted: TCS_SOCKETS
// ("fail" or anything else) decides AfxSocketInit, and every call is logged
// as one line to the file named by TCS_FRAME_LOG.
#include "afx.h"
#include "afx_internal.h"

#include <cstdio>
#include <cstring>

namespace {

long g_started = 0;

void Log(const char* line) {
    char path[MAX_PATH] = {};
    if (GetEnvironmentVariableA("TCS_FRAME_LOG", path, sizeof path) == 0)
        return;
    if (FILE* f = std::fopen(path, "ab")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

}  // namespace

BOOL AfxSocketInit(WSADATA* startupData) {
    char mode[16] = {};
    GetEnvironmentVariableA("TCS_SOCKETS", mode, sizeof mode);
    const bool fail = std::strcmp(mode, "fail") == 0;
    char line[64];
    std::snprintf(line, sizeof line, "socket-init %s %s", startupData ? "data" : "null", fail ? "fail" : "ok");
    Log(line);
    if (fail)
        return FALSE;
    ++g_started;
    return TRUE;
}

void AfxSocketTerm() {
    char line[32];
    std::snprintf(line, sizeof line, "socket-term %ld", g_started);
    Log(line);
    g_started = 0;
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpContextId) {
    char text[256] = {};
    LoadStringA(AfxGetResourceHandle(), promptId, text, sizeof text);
    char line[400];
    std::snprintf(line, sizeof line, "message-box %u %u %d %s", promptId, type, static_cast<int>(helpContextId), text);
    Log(line);
    return IDOK;
}

#include "afx.h"

#include <winsock2.h>

#include <atomic>

namespace {

CWinApp* g_application = nullptr;
HINSTANCE g_module = nullptr;
std::atomic<long> g_socketStartups{0};

const AFX_MSGMAP g_cmdTargetMap = {nullptr};
const AFX_MSGMAP g_winAppMap = {&g_cmdTargetMap};

void CleanUpSockets() {
    for (long n = g_socketStartups.exchange(0); n > 0; --n)
        WSACleanup();
}

}  // namespace

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return &g_cmdTargetMap; }

BOOL CWinThread::InitInstance() { return FALSE; }
int CWinThread::ExitInstance() { return 0; }

CWinApp::CWinApp(LPCSTR appName) : m_pszAppName(appName) { g_application = this; }

CWinApp::~CWinApp() {
    if (g_application == this)
        g_application = nullptr;
}

const AFX_MSGMAP* CWinApp::GetMessageMap() const { return &g_winAppMap; }
BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

CWinApp* AfxGetApp() { return g_application; }
HINSTANCE AfxGetResourceHandle() { return g_module; }

BOOL AfxSocketInit(WSADATA* startupData) {
    WSADATA local;
    if (WSAStartup(MAKEWORD(1, 1), startupData ? startupData : &local) != 0)
        return FALSE;
    ++g_socketStartups;
    return TRUE;
}

int AfxMessageBox(UINT promptId, UINT type, UINT /*helpContextId*/) {
    char text[512] = {};
    if (LoadStringA(g_module, promptId, text, sizeof text) == 0)
        return 0;
    char title[MAX_PATH] = {};
    const CWinApp* app = AfxGetApp();
    if (app && app->m_pszAppName) {
        lstrcpynA(title, app->m_pszAppName, sizeof title);
    } else if (GetModuleFileNameA(g_module, title, sizeof title) != 0) {
        // The module's base name, as the framework titles an unnamed application.
        const char* base = title;
        for (const char* p = title; *p; ++p)
            if (*p == '\\') base = p + 1;
        lstrcpynA(title, base, sizeof title);
        for (char* p = title; *p; ++p)
            if (*p == '.') { *p = 0; break; }
    }
    return MessageBoxA(nullptr, text, title, type);
}

// The entry code of a regular DLL: the C runtime has run the static
// constructors (the application object among them) before attach and runs
// the destructors after detach.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        g_module = module;
        DisableThreadLibraryCalls(module);
        CWinApp* app = AfxGetApp();
        if (!app)
            return FALSE;
        if (!app->InitInstance()) {
            app->ExitInstance();
            CleanUpSockets();
            return FALSE;
        }
        return TRUE;
    }
    case DLL_PROCESS_DETACH:
        if (CWinApp* app = AfxGetApp())
            app->ExitInstance();
        CleanUpSockets();
        return TRUE;
    default:
        return TRUE;
    }
}

#include "afx.h"
#include "afx_internal.h"

namespace {

CWinApp* g_application = nullptr;
HINSTANCE g_module = nullptr;

const AFX_MSGMAP g_cmdTargetMap = {nullptr};
const AFX_MSGMAP g_winAppMap = {&g_cmdTargetMap};

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

// The entry code of a regular DLL: the C runtime has run the static
// constructors (the application object among them) before attach and runs
// the destructors after detach.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        g_module = module;
        DisableThreadLibraryCalls(module);
        CWinApp* app = AfxGetApp();
        if (!app)
            return FALSE;
        if (!app->InitInstance()) {
            app->ExitInstance();
            AfxSocketTerm();
            return FALSE;
        }
        return TRUE;
    }
    case DLL_PROCESS_DETACH:
        if (CWinApp* app = AfxGetApp())
            app->ExitInstance();
        // At an unload the start-up is undone. When the process ends, other
        // threads may have died inside the socket layer; the system reclaims
        // it then.
        if (reserved == nullptr)
            AfxSocketTerm();
        return TRUE;
    default:
        return TRUE;
    }
}

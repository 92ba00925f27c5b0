#include "app.h"

#include "resource.h"

CTavixConfigSetApp theApp;

CTavixConfigSetApp::CTavixConfigSetApp() : CWinApp(nullptr) {}
CTavixConfigSetApp::~CTavixConfigSetApp() = default;

// No handlers of our own: the map only chains to the framework's.
const AFX_MSGMAP* CTavixConfigSetApp::GetMessageMap() const {
    static const AFX_MSGMAP map = {CWinApp::GetMessageMap()};
    return &map;
}

BOOL CTavixConfigSetApp::InitInstance() {
    CWinApp::InitInstance();
    if (!AfxSocketInit(nullptr)) {
        AfxMessageBox(IDP_SOCKETS_INIT_FAILED, MB_OK, static_cast<UINT>(-1));
        return FALSE;
    }
    return TRUE;
}

int CTavixConfigSetApp::ExitInstance() { return CWinApp::ExitInstance(); }

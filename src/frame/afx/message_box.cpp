#include "afx.h"

#include <cstring>

int AfxMessageBox(UINT promptId, UINT type, UINT /*helpContextId*/) {
    char text[512] = {};
    if (LoadStringA(AfxGetResourceHandle(), promptId, text, sizeof text) == 0)
        return 0;
    char title[MAX_PATH] = {};
    const CWinApp* app = AfxGetApp();
    if (app && app->m_pszAppName) {
        lstrcpynA(title, app->m_pszAppName, sizeof title);
    } else if (GetModuleFileNameA(AfxGetResourceHandle(), title, sizeof title) != 0) {
        // The module's base name, as the framework titles an unnamed application.
        const char* base = title;
        for (const char* p = title; *p; ++p)
            if (*p == '\\') base = p + 1;
        memmove(title, base, lstrlenA(base) + 1);
        for (char* p = title; *p; ++p)
            if (*p == '.') { *p = 0; break; }
    }
    return MessageBoxA(nullptr, text, title, type);
}

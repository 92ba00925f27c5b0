// The slice of the MFC application framework this library is built on: an
// application object whose InitInstance and ExitInstance the DLL entry code
// calls at attach and detach, the socket start-up and the message box.
#pragma once

#include <winsock2.h>
#include <windows.h>

class CObject {
public:
    virtual ~CObject() = default;

protected:
    CObject() = default;

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

// A message map with no handlers; it only names the map it chains to.
struct AFX_MSGMAP {
    const AFX_MSGMAP* baseMap;
};

class CCmdTarget : public CObject {
public:
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

class CWinThread : public CCmdTarget {
public:
    virtual BOOL InitInstance();
    virtual int ExitInstance();
};

class CWinApp : public CWinThread {
public:
    // The one CWinApp of the module becomes its application object.
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    const AFX_MSGMAP* GetMessageMap() const override;
    BOOL InitInstance() override;
    int ExitInstance() override;

    LPCSTR m_pszAppName;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();

// Starts Windows Sockets for the process; the start-up is undone once when
// the module unloads. Non-zero when the socket layer is usable.
BOOL AfxSocketInit(WSADATA* startupData = nullptr);

// Shows the string resource promptId in a modal message box.
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpContextId = static_cast<UINT>(-1));

// The application object of the library: one per process that loads it.
#pragma once

#include "afx/afx.h"

class CTavixConfigSetApp : public CWinApp {
public:
    CTavixConfigSetApp();
    ~CTavixConfigSetApp() override;

    const AFX_MSGMAP* GetMessageMap() const override;
    BOOL InitInstance() override;
    int ExitInstance() override;
};

#include "afx.h"
#include "afx_internal.h"

#include <winsock2.h>

#include <atomic>

namespace {
std::atomic<long> g_socketStartups{0};
}  // namespace

BOOL AfxSocketInit(WSADATA* startupData) {
    WSADATA local;
    if (WSAStartup(MAKEWORD(1, 1), startupData ? startupData : &local) != 0)
        return FALSE;
    ++g_socketStartups;
    return TRUE;
}

void AfxSocketTerm() {
    for (long n = g_socketStartups.exchange(0); n > 0; --n)
        WSACleanup();
}

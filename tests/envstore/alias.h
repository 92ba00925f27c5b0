// The plain-name alias of SetSetupPath, looked up by name in the loaded
// library: the MinGW import library binds no symbol to it.
#pragma once

#include <windows.h>

namespace envstore_test {

using TextSetterEntry = int(WINAPI*)(const char*, unsigned int);

inline TextSetterEntry SetSetupPathApi() {
    return reinterpret_cast<TextSetterEntry>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("TavixConfigSet.dll"), "SetSetupPath_API")));
}

}  // namespace envstore_test

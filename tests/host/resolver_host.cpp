// A host program for the resolver from a folder of any length. It loads
// TavixConfigSet.dll from the full path it is given (with that folder's
// environment.dll), so only its own path has to fit the platform's limit;
// its own folder is the library's host directory.
//
//   tcs_resolver_host.exe <path of TavixConfigSet.dll>
//
// Calls the resolver once with a 32-byte buffer filled with cc and prints
// "= <result>\t<buffer hex>".
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const HMODULE library = LoadLibraryExA(argv[1], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) {
        std::printf("! cannot load %s (%lu)\n", argv[1], GetLastError());
        return 1;
    }
    using Resolve = int(WINAPI*)(char*, unsigned int);
    const auto resolve = reinterpret_cast<Resolve>(reinterpret_cast<void*>(
        GetProcAddress(library, "?GetProberDownLoadHostPortFromSureName@tavixconfig@@YGHPADI@Z")));
    if (!resolve) return 1;
    unsigned char buffer[32];
    std::memset(buffer, 0xcc, sizeof buffer);
    const int result = resolve(reinterpret_cast<char*>(buffer), sizeof buffer);
    std::printf("= %d\t", result);
    for (unsigned char b : buffer) std::printf("%02x", b);
    std::printf("\n");
    FreeLibrary(library);
    return 0;
}

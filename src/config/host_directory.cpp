#include "host_directory.h"

#include "TavixConfigSet.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstring>

namespace tavixconfig {
namespace {

constexpr char kConfigFileName[] = "NetbarCfg.ini";
constexpr char kUploadSuffix[] = "\\Files";

// Room for a module name longer than the narrow path limit, so that such a
// name is seen whole (and refused) rather than cut.
constexpr unsigned kModuleNameCapacity = 4 * kPathBufferSize;

struct HostDirectory {
    char text[kModuleNameCapacity];
    unsigned length;  // 0 when the module name could not be had whole
};

// One call, one trace: the directory goes to the debugger output once.
void FindHostDirectory(HostDirectory& dir) {
    const DWORD n = GetModuleFileNameA(nullptr, dir.text, sizeof dir.text);
    if (n == 0 || n >= sizeof dir.text)
        dir.text[0] = 0;  // unknown or cut: no directory at all
    else if (char* slash = std::strrchr(dir.text, '\\'))
        *slash = 0;
    dir.length = static_cast<unsigned>(std::strlen(dir.text));
    // The trace is for a debugger; without one, Wine and Windows still pay
    // for an exception and a shared-buffer check on every call.
    if (IsDebuggerPresent())
        OutputDebugStringA(dir.text);
}

// Text into a caller's buffer, zero-filled to its end; all zeros when the
// text and its terminator do not fit.
void CopyWhole(char* buffer, unsigned size, const char* text, unsigned length) {
    if (buffer == nullptr || size == 0)
        return;
    std::memset(buffer, 0, size);
    if (length < size)
        std::memcpy(buffer, text, length);
}

bool Exists(const char* path) { return _access(path, 0) == 0; }

}  // namespace

void CopyHostDirectory(char* buffer, unsigned size) {
    HostDirectory dir;
    FindHostDirectory(dir);
    CopyWhole(buffer, size, dir.text, dir.length);
}

int BuildHostFilePath(char* path, unsigned size, const char* fileName) {
    std::memset(path, 0, size);
    HostDirectory dir;
    FindHostDirectory(dir);
    const size_t needed = dir.length + 1 + std::strlen(fileName) + 1;
    if (dir.length == 0 || needed > size)
        return -1;
    std::snprintf(path, size, "%s\\%s", dir.text, fileName);
    return 0;
}

int BuildConfigFilePath(char (&path)[kPathBufferSize]) {
    return BuildHostFilePath(path, sizeof path, kConfigFileName);
}

void CreatePathDirectories(const char* path) {
    if (path == nullptr)
        return;
    const size_t length = std::strlen(path);
    for (size_t i = 0; i < length; ++i)
        if (path[i] == '\\' && i >= kPathBufferSize)
            return;

    char prefix[kPathBufferSize];
    for (const char* slash = std::strchr(path, '\\'); slash; slash = std::strchr(slash + 1, '\\')) {
        std::memset(prefix, 0, sizeof prefix);
        std::memcpy(prefix, path, static_cast<size_t>(slash - path));
        if (prefix[0] != 0 && !Exists(prefix))
            CreateDirectoryA(prefix, nullptr);
    }
    if (!Exists(path))
        CreateDirectoryA(path, nullptr);
}

}  // namespace tavixconfig

int WINAPI tavixconfig::GetSetupPath(char* buffer, unsigned int size) {
    CopyHostDirectory(buffer, size);
    return 0;
}

int WINAPI tavixconfig::GetUpLoadFilePath(char* buffer, unsigned int size) {
    HostDirectory dir;
    FindHostDirectory(dir);
    char upload[kModuleNameCapacity + sizeof kUploadSuffix] = {};
    unsigned length = 0;
    if (dir.length != 0) {
        std::snprintf(upload, sizeof upload, "%s%s", dir.text, kUploadSuffix);
        length = static_cast<unsigned>(std::strlen(upload));
        if (!Exists(upload))
            CreatePathDirectories(upload);
    }
    CopyWhole(buffer, size, upload, length);
    return 0;
}

#include "config_file.h"

#include "host_directory.h"
#include "../frame/scoped.h"

#include <cstdint>
#include <cstdio>

namespace tavixconfig {
namespace {

// The profile functions read and rewrite the whole file, so two processes
// at once lose each other's writes and a reader can catch the file empty.
// Every operation of this library on one file therefore holds a mutex named
// after that file, for the length of the one operation.
constexpr DWORD kLockWaitMs = 5000;

// Named after the file so that unrelated agent folders never wait for each
// other; upper-cased because the file system ignores case.
void LockName(const char* path, char (&name)[96]) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p; ++p) {
        unsigned char c = *p;
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
        if (c == '/') c = '\\';
        hash = (hash ^ c) * 1099511628211ull;
    }
    std::snprintf(name, sizeof name, "Global\\TavixConfigSet.NetbarCfg.%08lx%08lx",
                  static_cast<unsigned long>(hash >> 32), static_cast<unsigned long>(hash));
}

// Programs of any account on the PC share the file, so any of them may take
// the lock.
SECURITY_ATTRIBUTES* OpenToEveryone() {
    static SECURITY_DESCRIPTOR descriptor;
    static SECURITY_ATTRIBUTES attributes;
    static const bool ready = [] {
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
        attributes.nLength = sizeof attributes;
        attributes.lpSecurityDescriptor = &descriptor;
        attributes.bInheritHandle = FALSE;
        return true;
    }();
    (void)ready;
    return &attributes;
}

class ConfigFileLock {
public:
    explicit ConfigFileLock(const char* path) {
        char name[96];
        LockName(path, name);
        // Asked for owned: when no other program has the mutex open, as
        // between most calls, it is made ours at once. That saves the wait,
        // one of the four round trips to the kernel that the lock costs.
        SetLastError(ERROR_SUCCESS);
        mutex_ = UniqueHandle(CreateMutexA(OpenToEveryone(), TRUE, name));
        if (!mutex_)
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            held_ = true;
            return;
        }
        // An abandoned mutex is ours now: its holder died between operations
        // of whole files, so the file is as the last write left it.
        const DWORD wait = WaitForSingleObject(mutex_.get(), kLockWaitMs);
        held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~ConfigFileLock() {
        if (held_)
            ReleaseMutex(mutex_.get());
    }
    ConfigFileLock(const ConfigFileLock&) = delete;
    ConfigFileLock& operator=(const ConfigFileLock&) = delete;

    bool held() const { return held_; }

private:
    UniqueHandle mutex_;
    bool held_ = false;
};

}  // namespace

int ReadConfigText(const ConfigKey& key, char* buffer, unsigned size) {
    char path[kPathBufferSize];
    if (BuildConfigFilePath(path) != 0) {
        if (buffer && size) buffer[0] = 0;
        return 0;
    }
    if (buffer == nullptr || size == 0)
        return 0;
    // A lock that cannot be had makes a read no worse than an unlocked one.
    ConfigFileLock lock(path);
    return static_cast<int>(GetPrivateProfileStringA(key.section, key.key, nullptr, buffer, size, path));
}

int ReadConfigInt(const ConfigKey& key, int fallback) {
    char path[kPathBufferSize];
    if (BuildConfigFilePath(path) != 0)
        return fallback;
    ConfigFileLock lock(path);
    return static_cast<int>(GetPrivateProfileIntA(key.section, key.key, fallback, path));
}

BOOL WriteConfigText(const ConfigKey& key, const char* text) {
    char path[kPathBufferSize];
    if (BuildConfigFilePath(path) != 0)
        return FALSE;
    // Unlocked, a write could drop another program's keys: report it failed.
    ConfigFileLock lock(path);
    if (!lock.held())
        return FALSE;
    return WritePrivateProfileStringA(key.section, key.key, text, path);
}

}  // namespace tavixconfig

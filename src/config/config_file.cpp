#include "config_file.h"

#include "host_directory.h"
#include "../frame/scoped.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tavixconfig {
namespace {

// The profile functions read and rewrite the whole file, so two processes
// at once lose each other's writes and a reader can catch the file empty.
// Every operation of this library on one file therefore holds a mutex named
// after that file, for the length of the one operation.
constexpr DWORD kLockWaitMs = 5000;

// Named after the file so that unrelated agent folders never wait for each
// other; upper-cased in the system's code page because the file system
// ignores case.
void LockName(const char* path, char (&name)[96]) {
    char folded[kPathBufferSize] = {};
    lstrcpynA(folded, path, sizeof folded);
    // A program started under a short (8.3) name sees its folder spelled so;
    // short names always hold a '~', so only then is the long form asked for.
    if (std::strchr(folded, '~')) {
        if (char* slash = std::strrchr(folded, '\\')) {
            const char* fileName = path + (slash - folded) + 1;
            *slash = 0;
            char longForm[kPathBufferSize] = {};
            const DWORD n = GetLongPathNameA(folded, longForm, sizeof longForm);
            if (n != 0 && n + 1 + std::strlen(fileName) < sizeof folded)
                std::snprintf(folded, sizeof folded, "%s\\%s", longForm, fileName);
            else
                *slash = '\\';
        }
    }
    CharUpperBuffA(folded, static_cast<DWORD>(lstrlenA(folded)));
    std::uint64_t hash = 1469598103934665603ull;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(folded); *p; ++p) {
        const unsigned char c = *p == '/' ? '\\' : *p;
        hash = (hash ^ c) * 1099511628211ull;
    }
    std::snprintf(name, sizeof name, "Global\\TavixConfigSet.NetbarCfg.%08lx%08lx",
                  static_cast<unsigned long>(hash >> 32), static_cast<unsigned long>(hash));
}

// Programs of every account on the PC share the file, so every signed-in
// account may wait on and release the lock; only the system and
// administrators may change it. Built once, in static storage.
SECURITY_ATTRIBUTES* SharedLockAttributes() {
    static SECURITY_ATTRIBUTES attributes;
    static const bool ready = [] {
        static SECURITY_DESCRIPTOR descriptor;
        static DWORD sids[3][SECURITY_MAX_SID_SIZE / sizeof(DWORD)];
        static DWORD acl[256 / sizeof(DWORD)];
        const struct { WELL_KNOWN_SID_TYPE who; DWORD rights; } grants[] = {
            {WinLocalSystemSid, MUTEX_ALL_ACCESS},
            {WinBuiltinAdministratorsSid, MUTEX_ALL_ACCESS},
            {WinAuthenticatedUserSid, SYNCHRONIZE | MUTEX_MODIFY_STATE},
        };
        bool ok = InitializeAcl(reinterpret_cast<ACL*>(acl), sizeof acl, ACL_REVISION) &&
                  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        for (int i = 0; ok && i < 3; ++i) {
            DWORD size = sizeof sids[i];
            ok = CreateWellKnownSid(grants[i].who, nullptr, sids[i], &size) &&
                 AddAccessAllowedAce(reinterpret_cast<ACL*>(acl), ACL_REVISION, grants[i].rights, sids[i]);
        }
        ok = ok && SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<ACL*>(acl), FALSE);
        attributes.nLength = sizeof attributes;
        attributes.lpSecurityDescriptor = ok ? &descriptor : nullptr;
        attributes.bInheritHandle = FALSE;
        return true;
    }();
    (void)ready;
    return &attributes;
}

// Only what taking and releasing needs, so a mutex made by another account
// opens for an ordinary user too.
constexpr DWORD kLockAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

class ConfigFileLock {
public:
    explicit ConfigFileLock(const char* path) {
        char name[96];
        LockName(path, name);
        // Asked for owned: when no other program has the mutex open, as
        // between most calls, it is made ours at once. That saves the wait,
        // one of the four round trips to the kernel that the lock costs.
        SetLastError(ERROR_SUCCESS);
        mutex_ = UniqueHandle(CreateMutexExA(SharedLockAttributes(), name, CREATE_MUTEX_INITIAL_OWNER, kLockAccess));
        if (!mutex_)
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            held_ = true;
            return;
        }
        // An abandoned mutex is ours now. Its holder died during a profile
        // operation; the file is whatever that operation left, and waiting
        // longer would not mend it.
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

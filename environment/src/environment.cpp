// environment.dll: the four operations over a file-backed store that each
// process maps once. The layout and the checks live in store_format.cpp; this
// file finds the store, opens, locks, flushes and keeps damaged files aside.

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "environment.h"
#include "store_format.h"
#include "win32_scope.h"

using namespace envstore;

namespace {

// Every signed-in account shares the store, services included.
const char kFolderSddl[] = "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)";
const char kMutexSddl[] = "D:(A;;0x1f0001;;;SY)(A;;0x1f0001;;;BA)(A;;0x100001;;;AU)";

#ifdef ENV_TEST_HOOKS
// Test builds: TAVIX_ENVIRONMENT_TEST_STOP names a point of EnvWrite where the
// writer leaves a marker file "hook-reached" in the store's folder and then
// dies with exit code 77, as a killed process would ("hang": it stops for
// good after writing the spare slot, holding the lock).
enum class Hook { kNone, kSlotWritten, kSlotFlushed, kPublished, kHang };
#endif

struct Process {
  SRWLOCK open_lock = SRWLOCK_INIT;
  bool ready = false;  // the members below are set, for good
  LONG refs = 0;
  Handle file;
  Handle mapping;
  Handle mutex;
  MappedView memory;
  View view;
  char dir[MAX_PATH] = {};
  char path[MAX_PATH] = {};
#ifdef ENV_TEST_HOOKS
  Hook hook = Hook::kNone;
#endif
};

Process g;

#ifdef ENV_TEST_HOOKS
void ReadHook() {
  char v[32] = {};
  GetEnvironmentVariableA("TAVIX_ENVIRONMENT_TEST_STOP", v, sizeof v);
  g.hook = !strcmp(v, "slot-written")   ? Hook::kSlotWritten
           : !strcmp(v, "slot-flushed") ? Hook::kSlotFlushed
           : !strcmp(v, "published")    ? Hook::kPublished
           : !strcmp(v, "hang")         ? Hook::kHang
                                        : Hook::kNone;
}

void HookAt(Hook point) {
  if (g.hook == Hook::kNone || (g.hook != point && !(g.hook == Hook::kHang && point == Hook::kSlotWritten)))
    return;
  char marker[MAX_PATH];
  snprintf(marker, sizeof marker, "%s\\hook-reached", g.dir);
  Handle marker_file(CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  marker_file.Reset();
  if (g.hook == Hook::kHang) Sleep(INFINITE);
  TerminateProcess(GetCurrentProcess(), 77);
}
#else
#define HookAt(point) ((void)0)
#endif

bool IsOpen() { return __atomic_load_n(&g.refs, __ATOMIC_ACQUIRE) > 0; }

bool KeyLength(const char* key, uint32_t* len) {
  if (!key) return false;
  *len = static_cast<uint32_t>(strnlen(key, kKeyField));
  return *len >= 1 && *len <= ENV_MAX_KEY;
}

// ---- location --------------------------------------------------------------

bool IsDirectory(const char* path) {
  const DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates every missing folder of a full path ("C:\a\b" or "\\server\share\a").
bool CreateFolders(char* path) {
  LocalMemory sd;
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, FALSE};
  if (ConvertStringSecurityDescriptorToSecurityDescriptorA(kFolderSddl, SDDL_REVISION_1, sd.out(), nullptr))
    sa.lpSecurityDescriptor = sd.get();
  char* p = path;
  if (p[0] == '\\' && p[1] == '\\') {  // skip \\server\share
    p = strchr(p + 2, '\\');
    if (p) p = strchr(p + 1, '\\');
  } else {
    p = strchr(p, '\\');  // skip the drive's root
  }
  while (p) {
    p = strchr(p + 1, '\\');
    if (p) *p = 0;
    if (!IsDirectory(path) && !CreateDirectoryA(path, &sa) && GetLastError() != ERROR_ALREADY_EXISTS) {
      if (p) *p = '\\';
      return false;
    }
    if (p) *p = '\\';
  }
  return IsDirectory(path);
}

// Sets g.dir and g.path, creating the folder when missing.
bool ResolveLocation() {
  char dir[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("TAVIX_ENVIRONMENT_DIR", dir, sizeof dir);
  if (n >= sizeof dir) return false;
  if (n == 0) {
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, dir)))
      return false;
    if (strlen(dir) + sizeof "\\Tavix\\environment" > sizeof dir) return false;
    strcat(dir, "\\Tavix\\environment");
  }
  const DWORD full = GetFullPathNameA(dir, sizeof g.dir, g.dir, nullptr);
  if (full == 0 || full > ENV_MAX_DIR) return false;
  size_t len = strlen(g.dir);
  while (len > 3 && g.dir[len - 1] == '\\') g.dir[--len] = 0;
  if (!CreateFolders(g.dir)) return false;
  snprintf(g.path, sizeof g.path, "%s%sstore.dat", g.dir, g.dir[len - 1] == '\\' ? "" : "\\");
  return true;
}

// The writers' mutex is named after the folder, so two stores never share it.
HANDLE CreateWritersMutex() {
  uint64_t h = 14695981039346656037ull;  // FNV-1a over the upper-cased path
  for (const char* p = g.dir; *p; ++p) {
    const char c = (*p >= 'a' && *p <= 'z') ? *p - 'a' + 'A' : *p;
    h = (h ^ static_cast<uint8_t>(c)) * 1099511628211ull;
  }
  char name[64];
  snprintf(name, sizeof name, "Global\\TavixEnvironment-%08lx%08lx",
           static_cast<unsigned long>(h >> 32), static_cast<unsigned long>(h));
  LocalMemory sd;
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, FALSE};
  if (ConvertStringSecurityDescriptorToSecurityDescriptorA(kMutexSddl, SDDL_REVISION_1, sd.out(), nullptr))
    sa.lpSecurityDescriptor = sd.get();
  HANDLE m = CreateMutexA(&sa, FALSE, name);
  if (!m && GetLastError() == ERROR_ACCESS_DENIED) m = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name);
  return m;
}

// ---- the file --------------------------------------------------------------

HANDLE OpenStoreFile() {
  // No FILE_SHARE_DELETE: nobody renames or deletes the store under us.
  return CreateFileA(g.path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool SetSize(HANDLE file, uint32_t size) {
  LARGE_INTEGER at;
  at.QuadPart = size;
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// A sound header of another layout: a newer store's file, left as it is.
bool IsForeign(HANDLE file) {
  alignas(8) uint8_t page[kHeaderSize] = {};
  OVERLAPPED at = {};
  DWORD got = 0;
  if (!ReadFile(file, page, sizeof page, &got, &at)) return false;
  return View(page).CheckHeader() == HeaderCheck::kForeign;
}

bool SizeIsRight(HANDLE file) {
  LARGE_INTEGER size;
  return GetFileSizeEx(file, &size) && size.QuadPart == kFileSize;
}

// A new store is made complete under another name and then renamed into
// place, so store.dat is never seen half made.
bool CreateStoreFile() {
  char fresh[MAX_PATH];
  snprintf(fresh, sizeof fresh, "%s.new", g.path);
  bool ok;
  {
    Handle f(CreateFileA(fresh, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) return false;
    uint8_t page[kHeaderSize];
    InitHeaderPage(page);
    DWORD written = 0;
    ok = SetSize(f.get(), kFileSize) && SetFilePointer(f.get(), 0, nullptr, FILE_BEGIN) == 0 &&
         WriteFile(f.get(), page, kHeaderSize, &written, nullptr) && written == kHeaderSize &&
         FlushFileBuffers(f.get());
  }
  if (ok) ok = MoveFileExA(fresh, g.path, MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(fresh);
  return ok;
}

// Copies the store, as it stands, to store.corrupt-<n> before any repair.
bool KeepAside(HANDLE file, bool* kept) {
  if (*kept) return true;
  char name[MAX_PATH];
  Handle copy;
  for (int n = 1; n < 10000 && !copy.valid(); ++n) {
    snprintf(name, sizeof name, "%s\\store.corrupt-%d", g.dir, n);
    copy.Reset(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!copy.valid() && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (!copy.valid()) return false;
  static uint8_t buffer[64 * 1024];  // only ever used under the writers' lock
  bool ok = true;
  for (uint64_t at = 0; ok;) {
    OVERLAPPED o = {};
    o.Offset = static_cast<DWORD>(at);
    o.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0, put = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, &o)) {
      ok = GetLastError() == ERROR_HANDLE_EOF;
      break;
    }
    if (got == 0) break;
    ok = WriteFile(copy.get(), buffer, got, &put, nullptr) && put == got;
    at += got;
  }
  ok = ok && FlushFileBuffers(copy.get());
  copy.Reset();
  if (!ok) {
    DeleteFileA(name);  // a partial copy would only mislead
    return false;
  }
  *kept = true;
  return true;
}

bool FlushRange(const void* p, size_t n) { return FlushViewOfFile(p, n) != 0; }

bool FlushAll(HANDLE file, const View& v) {
  return FlushRange(v.base(), kFileSize) && FlushFileBuffers(file);
}

bool StoreIsClean(const View& v) {
  if (v.CheckHeader() != HeaderCheck::kOk) return false;
  for (uint32_t i = 0; i < ENV_MAX_KEYS; ++i)
    if (IsDamage(v.Check(i))) return false;
  return true;
}

// Under the writers' lock: checks the whole store and repairs what fails,
// after keeping a copy aside. ENV_FAILED when the store must not be used.
int RepairLocked(HANDLE file, const View& v, const MutexHold& lock, bool* kept) {
  const HeaderCheck header = v.CheckHeader();
  if (header == HeaderCheck::kForeign) return ENV_FAILED;
  bool changed = false;
  if (header == HeaderCheck::kDamaged) {
    if (!KeepAside(file, kept)) return ENV_FAILED;
    v.Reset();
    changed = true;
  } else {
    for (uint32_t i = 0; i < ENV_MAX_KEYS; ++i) {
      const EntryCheck c = v.Check(i);
      if (!IsDamage(c)) continue;
      if (!KeepAside(file, kept)) return ENV_FAILED;
      v.Fix(i, c);
      changed = true;
    }
  }
  // A writer that died may have left its last value unflushed.
  if ((changed || *kept || lock.abandoned()) && !FlushAll(file, v)) return ENV_FAILED;
  return *kept ? ENV_REPAIRED : ENV_OK;
}

// First EnvOpen of the process: find, create or check the store and map it.
int OpenStore() {
  if (!ResolveLocation()) return ENV_FAILED;
  Handle mutex(CreateWritersMutex());
  if (!mutex.valid()) return ENV_FAILED;
  MutexHold lock(mutex.get());
  auto locked = [&lock] {
    const DWORD w = lock.Acquire(ENV_LOCK_TIMEOUT_MS);
    return w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
  };
  bool kept = false;

  Handle file(OpenStoreFile());
  if (!file.valid() && GetLastError() == ERROR_FILE_NOT_FOUND) {
    if (!locked()) return ENV_FAILED;
    file.Reset(OpenStoreFile());
    if (!file.valid() && GetLastError() == ERROR_FILE_NOT_FOUND) {
      if (!CreateStoreFile()) return ENV_FAILED;
      file.Reset(OpenStoreFile());
    }
  }
  if (!file.valid()) return ENV_FAILED;
  if (IsForeign(file.get())) return ENV_FAILED;

  // Mapping extends a short file, so the size is checked (and the file kept
  // aside) first.
  if (!SizeIsRight(file.get())) {
    if (!locked()) return ENV_FAILED;
    if (!SizeIsRight(file.get()) && (!KeepAside(file.get(), &kept) || !SetSize(file.get(), kFileSize)))
      return ENV_FAILED;
  }

  Handle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READWRITE, 0, kFileSize, nullptr));
  if (!mapping.valid()) return ENV_FAILED;
  MappedView memory;
  memory.Reset(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, kFileSize));
  if (!memory.get()) return ENV_FAILED;
  const View view(memory.get());
  if (view.CheckHeader() == HeaderCheck::kForeign) return ENV_FAILED;

  int result = ENV_OK;
  if (lock.held() || !StoreIsClean(view)) {
    if (!locked()) return ENV_FAILED;
    result = RepairLocked(file.get(), view, lock, &kept);
    if (result == ENV_FAILED) return ENV_FAILED;
  }

#ifdef ENV_TEST_HOOKS
  ReadHook();
#endif
  g.file = static_cast<Handle&&>(file);
  g.mapping = static_cast<Handle&&>(mapping);
  g.mutex = static_cast<Handle&&>(mutex);
  g.memory = static_cast<MappedView&&>(memory);
  g.view = view;
  return result;
}

// A reader that met a damaged value has the store repaired now if the lock
// is free; otherwise the next writer of that key or the next process does it.
void RepairIfLockFree() {
  MutexHold lock(g.mutex.get());
  const DWORD w = lock.Acquire(0);
  bool kept = false;
  if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED) RepairLocked(g.file.get(), g.view, lock, &kept);
}

}  // namespace

extern "C" {

int __cdecl EnvOpen(void) {
  int result = ENV_OK;
  if (!__atomic_load_n(&g.ready, __ATOMIC_ACQUIRE)) {
    ExclusiveLock guard(&g.open_lock);
    if (!g.ready) {
      result = OpenStore();
      if (result == ENV_FAILED) return ENV_FAILED;
      __atomic_store_n(&g.ready, true, __ATOMIC_RELEASE);
    }
  }
  __atomic_add_fetch(&g.refs, 1, __ATOMIC_ACQ_REL);
  return result;
}

int __cdecl EnvClose(void) {
  LONG refs = __atomic_load_n(&g.refs, __ATOMIC_ACQUIRE);
  while (refs > 0)
    if (__atomic_compare_exchange_n(&g.refs, &refs, refs - 1, true, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
      return ENV_OK;
  return ENV_FAILED;
}

int __cdecl EnvWrite(const char* key, const void* data, unsigned int length) {
  uint32_t key_len = 0;
  if (!IsOpen() || !KeyLength(key, &key_len) || length > ENV_MAX_VALUE || (length && !data))
    return ENV_FAILED;
  const uint32_t hash = KeyHash(key, key_len);

  MutexHold lock(g.mutex.get());
  const DWORD w = lock.Acquire(ENV_LOCK_TIMEOUT_MS);
  if (w == WAIT_TIMEOUT) return ENV_BUSY;
  if (!lock.held()) return ENV_FAILED;
  bool kept = false;
  if (lock.abandoned() && RepairLocked(g.file.get(), g.view, lock, &kept) == ENV_FAILED) return ENV_FAILED;

  bool found = false;
  int i = g.view.FindForWrite(key, key_len, hash, &found);
  // The old value stays in the file until the next write: if it is damaged,
  // the file goes aside before anything replaces it. A repair may drop the
  // entry, so the key is looked up again.
  if (i >= 0 && found && IsDamage(g.view.Check(i))) {
    if (RepairLocked(g.file.get(), g.view, lock, &kept) == ENV_FAILED) return ENV_FAILED;
    i = g.view.FindForWrite(key, key_len, hash, &found);
  }
  if (i < 0) return ENV_FAILED;  // every entry is taken

  const uint32_t state = g.view.Prepare(i, found, key, key_len, hash, data, length);
  HookAt(Hook::kSlotWritten);
  // The new copy reaches the disk before the state that makes it current,
  // and the state before the call returns.
  Entry* e = g.view.entry(i);
  const Slot* s = g.view.slot(i, StateSlot(state));
  if (!FlushRange(s, offsetof(Slot, data) + length) || (!found && !FlushRange(e, sizeof *e)) ||
      !FlushFileBuffers(g.file.get()))
    return ENV_IO_ERROR;
  HookAt(Hook::kSlotFlushed);
  g.view.Publish(i, state);
  HookAt(Hook::kPublished);
  if (!FlushRange(&e->state, sizeof e->state) || !FlushFileBuffers(g.file.get())) return ENV_IO_ERROR;
  return ENV_OK;
}

int __cdecl EnvRead(const char* key, void* buffer, unsigned int* length) {
  uint32_t key_len = 0;
  if (!IsOpen() || !KeyLength(key, &key_len) || !length || (!buffer && *length)) return ENV_FAILED;
  const int i = g.view.Find(key, key_len, KeyHash(key, key_len));
  if (i < 0) return ENV_NOT_FOUND;
  // Checked in a copy of our own: the caller's buffer only ever gets a
  // whole, verified value.
  uint8_t value[ENV_MAX_VALUE];
  uint32_t n = 0;
  switch (g.view.Read(i, value, &n)) {
    case ReadResult::kOk: break;
    case ReadResult::kFree: return ENV_NOT_FOUND;
    case ReadResult::kBusy: return ENV_BUSY;
    case ReadResult::kLost: return ENV_CORRUPT;
    case ReadResult::kCorrupt: RepairIfLockFree(); return ENV_CORRUPT;
  }
  if (n > *length) {
    *length = n;
    return ENV_TOO_LONG;
  }
  if (n) memcpy(buffer, value, n);
  *length = n;
  return ENV_OK;
}

}  // extern "C"

// Test helpers: child processes, environment variables and files, each
// behind a scope object that undoes it.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

namespace envtest {

class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE h = nullptr) : h_(h) {}
  ~OwnedHandle() {
    if (valid()) CloseHandle(h_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

inline std::string ExeDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.rfind('\\'));
}

inline std::string GetEnv(const char* name) {
  char v[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA(name, v, sizeof v);
  return n && n < sizeof v ? std::string(v, n) : std::string();
}

// The folder of this test program's own store (set by the test runner).
inline std::string OwnStoreDir() {
  char full[MAX_PATH];
  GetFullPathNameA(GetEnv("TAVIX_ENVIRONMENT_DIR").c_str(), sizeof full, full, nullptr);
  return full;
}

// Sets (or, with nullptr, removes) a variable for the children started in
// its scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    char old[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = n > 0 && n < sizeof old;
    if (had_) old_ = old;
    SetEnvironmentVariableA(name, value);
  }
  ~ScopedEnv() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

// env_store_child.exe, started from this program's folder; killed when the
// scope ends with it still running.
class Child {
 public:
  explicit Child(const std::string& args) {
    std::string cmd = "\"" + ExeDir() + "\\env_store_child.exe\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      CloseHandle(pi.hThread);
      process_ = pi.hProcess;
    }
  }
  ~Child() {
    if (process_) {
      Kill();
      CloseHandle(process_);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return process_ != nullptr; }
  // The exit code, or -1 when the child did not start or end in time.
  int Wait(DWORD ms = 120000) {
    DWORD code = 0;
    if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(process_, &code))
      return -1;
    return static_cast<int>(code);
  }
  void Kill() {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, INFINITE);
    }
  }

 private:
  HANDLE process_ = nullptr;
};

inline int RunChild(const std::string& args) { return Child(args).Wait(); }

// Runs a child against the store in dir.
inline int RunChildIn(const std::string& dir, const std::string& args) {
  ScopedEnv env("TAVIX_ENVIRONMENT_DIR", dir.c_str());
  return RunChild(args);
}

inline bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::vector<std::string> FilesIn(const std::string& dir, const char* pattern = "*") {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\" + pattern).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

inline std::vector<std::string> CorruptCopies(const std::string& dir) { return FilesIn(dir, "store.corrupt-*"); }

inline void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(dir + "\\" + name);
      else
        DeleteFileA((dir + "\\" + name).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

// A store folder of its own for one test, beside this program, gone at the
// start so that every run begins from nothing.
inline std::string FreshDir(const std::string& name) {
  const std::string dir = ExeDir() + "\\stores\\" + name;
  RemoveTree(dir);
  return dir;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  OwnedHandle f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr));
  std::vector<uint8_t> bytes;
  if (!f.valid()) return bytes;
  bytes.resize(GetFileSize(f.get(), nullptr));
  DWORD got = 0;
  if (!bytes.empty() && !ReadFile(f.get(), bytes.data(), bytes.size(), &got, nullptr)) got = 0;
  bytes.resize(got);
  return bytes;
}

// Overwrites bytes at an offset of an existing file, as a fault would.
inline bool PatchBytes(const std::string& path, size_t offset, const void* data, size_t n) {
  OwnedHandle f(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr));
  if (!f.valid()) return false;
  OVERLAPPED o = {};
  o.Offset = static_cast<DWORD>(offset);
  DWORD put = 0;
  return WriteFile(f.get(), data, n, &put, &o) && put == n && FlushFileBuffers(f.get());
}

inline bool TruncateFile(const std::string& path, size_t size) {
  OwnedHandle f(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr));
  if (!f.valid()) return false;
  LARGE_INTEGER at;
  at.QuadPart = size;
  return SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(f.get());
}

// Offset of the first occurrence of needle in the file's bytes, or -1.
inline long long FindBytes(const std::vector<uint8_t>& hay, const void* needle, size_t n) {
  const uint8_t* p = static_cast<const uint8_t*>(needle);
  for (size_t i = 0; i + n <= hay.size(); ++i)
    if (memcmp(&hay[i], p, n) == 0) return static_cast<long long>(i);
  return -1;
}

}  // namespace envtest

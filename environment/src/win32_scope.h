// Scope objects for the system resources the store takes: each releases its
// resource on every path out of the scope that owns it.
#pragma once

#include <windows.h>

namespace envstore {

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle& operator=(Handle&& o) {
    if (this != &o) {
      Reset();
      h_ = o.h_;
      o.h_ = nullptr;
    }
    return *this;
  }

  HANDLE get() const { return h_; }
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  void Reset(HANDLE h = nullptr) {
    if (valid()) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_;
};

class MappedView {
 public:
  MappedView() = default;
  ~MappedView() { Reset(); }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  MappedView& operator=(MappedView&& o) {
    if (this != &o) {
      Reset(o.p_);
      o.p_ = nullptr;
    }
    return *this;
  }

  void* get() const { return p_; }
  void Reset(void* p = nullptr) {
    if (p_) UnmapViewOfFile(p_);
    p_ = p;
  }

 private:
  void* p_ = nullptr;
};

// Ownership of the writers' mutex for one scope. Acquire may be called again
// in the same scope; the mutex is released once, on leaving.
class MutexHold {
 public:
  explicit MutexHold(HANDLE mutex) : mutex_(mutex) {}
  ~MutexHold() {
    if (held_) ReleaseMutex(mutex_);
  }
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;

  // WAIT_OBJECT_0 or WAIT_ABANDONED when held, else WAIT_TIMEOUT / WAIT_FAILED.
  DWORD Acquire(DWORD timeout_ms) {
    if (held_) return WAIT_OBJECT_0;
    const DWORD r = WaitForSingleObject(mutex_, timeout_ms);
    held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    if (r == WAIT_ABANDONED) abandoned_ = true;
    return r;
  }
  bool held() const { return held_; }
  bool abandoned() const { return abandoned_; }

 private:
  HANDLE mutex_;
  bool held_ = false;
  bool abandoned_ = false;
};

class ExclusiveLock {
 public:
  explicit ExclusiveLock(SRWLOCK* lock) : lock_(lock) { AcquireSRWLockExclusive(lock_); }
  ~ExclusiveLock() { ReleaseSRWLockExclusive(lock_); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;

 private:
  SRWLOCK* lock_;
};

class LocalMemory {
 public:
  LocalMemory() = default;
  ~LocalMemory() {
    if (p_) LocalFree(p_);
  }
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;

  void** out() { return reinterpret_cast<void**>(&p_); }
  void* get() const { return p_; }

 private:
  HLOCAL p_ = nullptr;
};

}  // namespace envstore

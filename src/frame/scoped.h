// Scope objects for what an export acquires: released on every path.
#pragma once

#include <windows.h>

namespace tavixconfig {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) { reset(); handle_ = other.release(); }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { HANDLE h = handle_; handle_ = nullptr; return h; }
    void reset() {
        if (*this) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

class UniqueModule {
public:
    explicit UniqueModule(HMODULE module) : module_(module) {}
    ~UniqueModule() { if (module_) FreeLibrary(module_); }
    UniqueModule(const UniqueModule&) = delete;
    UniqueModule& operator=(const UniqueModule&) = delete;

    HMODULE get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }

private:
    HMODULE module_;
};

}  // namespace tavixconfig

// A file handle that closes itself.
#pragma once

#include "base/platform.h"

class ClFileHandle {
  public:
    ClFileHandle() = default;
    explicit ClFileHandle(HANDLE handle) : handle_(handle) {}
    ~ClFileHandle() { Close(); }
    ClFileHandle(const ClFileHandle&) = delete;
    ClFileHandle& operator=(const ClFileHandle&) = delete;
    ClFileHandle(ClFileHandle&& other) noexcept : handle_(other.handle_) {
        other.handle_ = INVALID_HANDLE_VALUE;
    }
    ClFileHandle& operator=(ClFileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }

    HANDLE get() const { return handle_; }
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

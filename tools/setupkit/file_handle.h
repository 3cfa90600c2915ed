// An open file of the platform layer (the handle the portable core reads and writes), closed
// with the object; opening failures throw ToolError naming the file.
#pragma once

#include <filesystem>
#include <string>

#include "base/platform.h"

// A path as the platform layer's ANSI calls take it: the system code page on Windows (where
// std::filesystem would give UTF-8), the bytes themselves elsewhere.
std::string AnsiPath(const std::filesystem::path& path);

class FileHandle {
  public:
    static FileHandle OpenRead(const std::filesystem::path& path);
    static FileHandle Create(const std::filesystem::path& path);  // read and write, truncated

    FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) {
        other.handle_ = INVALID_HANDLE_VALUE;
    }
    FileHandle& operator=(FileHandle&&) = delete;
    FileHandle(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    HANDLE get() const { return handle_; }
    void Close();

  private:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    HANDLE handle_;
};

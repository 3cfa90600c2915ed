// EncodeWindow: a sliding view of an input range of a file, for encoders that look ahead of
// their position. One fixed buffer holds the bytes from the position last slid to onward, as
// many as fit; positions count from the start of the range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/platform.h"

class EncodeWindow {
  public:
    // The range is size bytes of file from offset on; the buffer holds capacity bytes, or the
    // whole range if that is smaller.
    EncodeWindow(HANDLE file, std::uint64_t offset, std::uint64_t size, std::size_t capacity);
    EncodeWindow(const EncodeWindow&) = delete;
    EncodeWindow& operator=(const EncodeWindow&) = delete;

    // Drops the bytes before from (which may not lie before the previous from, nor past End)
    // and fills the buffer behind the kept ones. 1, or 0 if the buffer is missing or a read
    // fails.
    int Slide(std::uint64_t from);
    std::uint8_t* At(std::uint64_t position) { return buffer_.get() + (position - base_); }
    // One past the last buffered position.
    std::uint64_t End() const { return base_ + filled_; }

  private:
    HANDLE file_;
    std::uint64_t offset_;
    std::uint64_t size_;
    std::size_t capacity_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::uint64_t base_ = 0;
    std::size_t filled_ = 0;
};

// Hands the size bytes of file from offset on to visit(bytes, count), front to back, one
// buffer of capacity bytes at a time. 1, or 0 if the buffer is missing or a read fails.
template <typename Visit>
int WalkInput(HANDLE file, std::uint64_t offset, std::uint64_t size, std::size_t capacity,
              Visit visit) {
    EncodeWindow window(file, offset, size, capacity);
    while (window.End() < size) {
        const std::uint64_t from = window.End();
        if (!window.Slide(from))
            return 0;
        visit(window.At(from), static_cast<std::size_t>(window.End() - from));
    }
    return 1;
}

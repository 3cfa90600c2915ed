#include "package/encode/encode_window.h"

#include <cstring>
#include <new>

#include "base/file_io.h"

EncodeWindow::EncodeWindow(HANDLE file, std::uint64_t offset, std::uint64_t size,
                           std::size_t capacity)
    : file_(file),
      offset_(offset),
      size_(size),
      // A small input needs no more than its own size.
      capacity_(size < capacity ? static_cast<std::size_t>(size) : capacity),
      buffer_(new (std::nothrow) std::uint8_t[capacity_]) {}

int EncodeWindow::Slide(std::uint64_t from) {
    if (!buffer_)
        return 0;
    const auto kept = static_cast<std::size_t>(End() - from);
    std::memmove(buffer_.get(), At(from), kept);
    base_ = from;
    filled_ = kept;
    std::uint64_t wanted = size_ - End();
    if (wanted > capacity_ - filled_)
        wanted = capacity_ - filled_;
    if (wanted == 0)
        return 1;
    if (!SetFilePosition(file_, offset_ + End()) ||
        !ReadFileAll(file_, buffer_.get() + filled_, static_cast<std::uint32_t>(wanted)))
        return 0;
    filled_ += static_cast<std::size_t>(wanted);
    return 1;
}

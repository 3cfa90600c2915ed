// EncodeSink: the encoder's buffered output to a file. Bytes gather in one fixed buffer and go
// to the file whenever it fills. A sink without a file only counts what it is given, for the
// parsers' trial runs. A failed write sticks: later bytes are dropped and Flush reports it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/platform.h"

class EncodeSink {
  public:
    // file may be INVALID_HANDLE_VALUE: the sink then counts without writing.
    explicit EncodeSink(HANDLE file);
    EncodeSink(const EncodeSink&) = delete;
    EncodeSink& operator=(const EncodeSink&) = delete;

    void Put(std::uint8_t byte) {
        if (used_ == kSize)
            Drain();
        if (buffer_)
            buffer_[used_++] = byte;
        ++count_;
    }
    void Write(const std::uint8_t* bytes, std::size_t size);
    // Writes what is buffered; 1 if every byte so far reached the file (or there is no file).
    int Flush();
    std::uint64_t Count() const { return count_; }

  private:
    static constexpr std::size_t kSize = 0x20000;
    void Drain();

    HANDLE file_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t used_ = 0;
    std::uint64_t count_ = 0;
    bool failed_ = false;
};

#include "package/decode/encode_sink.h"

#include <cstring>
#include <new>

#include "base/file_io.h"

EncodeSink::EncodeSink(HANDLE file) : file_(file) {
    if (file_ != INVALID_HANDLE_VALUE) {
        buffer_.reset(new (std::nothrow) std::uint8_t[kSize]);
        failed_ = !buffer_;
    }
}

void EncodeSink::Write(const std::uint8_t* bytes, std::size_t size) {
    count_ += size;
    if (!buffer_)
        return;
    while (size > 0) {
        if (used_ == kSize)
            Drain();
        std::size_t piece = size < kSize - used_ ? size : kSize - used_;
        std::memcpy(buffer_.get() + used_, bytes, piece);
        used_ += piece;
        bytes += piece;
        size -= piece;
    }
}

int EncodeSink::Flush() {
    Drain();
    return !failed_;
}

void EncodeSink::Drain() {
    if (buffer_ && used_ > 0 && !failed_)
        failed_ = !WriteFileAll(file_, buffer_.get(), static_cast<std::uint32_t>(used_));
    used_ = 0;
}

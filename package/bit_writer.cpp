#include "package/bit_writer.h"

void BitWriter::Put(std::uint32_t value, int width) {
    if (width <= 0)
        return;
    std::uint64_t bits = width < 32 ? value & ((std::uint64_t{1} << width) - 1) : value;
    // At most 7 + 32 bits are pending here, well inside 64.
    pending_ = (pending_ << width) | bits;
    pendingBits_ += width;
    bitCount_ += static_cast<std::uint64_t>(width);
    while (pendingBits_ >= 8) {
        pendingBits_ -= 8;
        sink_->Put(static_cast<std::uint8_t>(pending_ >> pendingBits_));
    }
    pending_ &= (std::uint64_t{1} << pendingBits_) - 1;
}

void BitWriter::Finish() {
    if (pendingBits_ > 0)
        sink_->Put(static_cast<std::uint8_t>(pending_ << (8 - pendingBits_)));
    pending_ = 0;
    pendingBits_ = 0;
}

// BitWriter: the encoder's side of BitReader. Fields go out most significant bit first; every
// completed byte is handed to a sink at once, so a token section of any length streams through
// a few bytes of state. Finish pads the last byte with zero bits.
#pragma once

#include <cstdint>

#include "package/decode/encode_sink.h"

class BitWriter {
  public:
    explicit BitWriter(EncodeSink* sink) : sink_(sink) {}

    // Appends the low width bits of value (width 0-32), most significant first. Inline: the
    // parsers and the bit-plane split call it for almost every byte they write.
    void Put(std::uint32_t value, int width) {
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
    std::uint64_t BitCount() const { return bitCount_; }
    // Writes the open last byte, if any, padded with zero bits.
    void Finish();

  private:
    EncodeSink* sink_;
    std::uint64_t pending_ = 0;  // the low pendingBits_ bits are not written yet
    int pendingBits_ = 0;        // 0-7 between calls
    std::uint64_t bitCount_ = 0;
};

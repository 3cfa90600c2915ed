// BitWriter: the encoder's side of BitReader. Fields go out most significant bit first; every
// completed byte is handed to a sink at once, so a token section of any length streams through
// a few bytes of state. Finish pads the last byte with zero bits.
#pragma once

#include <cstdint>

#include "package/encode_sink.h"

class BitWriter {
  public:
    explicit BitWriter(EncodeSink* sink) : sink_(sink) {}

    // Appends the low width bits of value (width 0-32), most significant first.
    void Put(std::uint32_t value, int width);
    std::uint64_t BitCount() const { return bitCount_; }
    // Writes the open last byte, if any, padded with zero bits.
    void Finish();

  private:
    EncodeSink* sink_;
    std::uint64_t pending_ = 0;  // the low pendingBits_ bits are not written yet
    int pendingBits_ = 0;        // 0-7 between calls
    std::uint64_t bitCount_ = 0;
};

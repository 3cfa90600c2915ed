// BitWriter: the encoder's side of BitReader. Collects fields most significant bit first into
// a growing byte vector; the last byte is padded with zero bits.
#pragma once

#include <cstdint>
#include <vector>

class BitWriter {
  public:
    // Appends the low width bits of value (width 0-32), most significant first.
    void Put(std::uint32_t value, int width);
    std::uint64_t BitCount() const { return bitCount_; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint64_t bitCount_ = 0;
};

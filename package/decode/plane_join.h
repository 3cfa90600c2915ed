// PlaneJoin: the bit-plane join as a byte source. The n bytes of its input hold eight planes
// of n bits each, back to back without padding (a plane may begin inside a byte): plane k holds
// bit 7 - k of every joined byte. One bit reader per plane walks the eight planes side by side,
// so the join is a single pass over its input; an input in a file is read through an eighth of
// one buffer per plane.
#pragma once

#include <cstdint>

#include "package/decode/bit_reader.h"
#include "package/decode/byte_source.h"
#include "package/decode/stage_input.h"

class PlaneJoin final : public ByteSource {
  public:
    static constexpr int kPlaneCount = 8;

    // Joins the whole input. 0 if a plane cannot be read.
    int Open(const StageInput& planes, CodecBuffer buffer);
    int Read(std::uint8_t* into, std::uint32_t count) override;

  private:
    BitReader planes_[kPlaneCount];
    std::uint64_t remaining_ = 0;  // joined bytes still to come
};

// ByteSource: bytes handed out front to back in pieces of the caller's choosing: a section of
// a stage's data, or the bit-plane join of one.
#pragma once

#include <cstdint>

class ByteSource {
  public:
    // The next count bytes into `into`; 0 if fewer are left or a read fails.
    virtual int Read(std::uint8_t* into, std::uint32_t count) = 0;

  protected:
    ~ByteSource() = default;
};

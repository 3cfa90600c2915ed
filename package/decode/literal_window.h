// LiteralWindow: literal bytes (a section of the stage, or a bit-plane join) read ahead, in
// large pieces, into the codec's literal window. Literal tokens then take their bytes from memory
// instead of one read each. For literal LZ the bytes taken stay in the window as the history that
// matches copy from; when the window runs out of room, the last `keep` bytes taken move to its
// start.
#pragma once

#include <cstdint>

#include "package/decode/byte_source.h"

struct LiteralWindow {
    ByteSource* source;
    std::uint64_t unread;  // bytes of the source not yet read into the window
    std::uint8_t* window;
    std::uint32_t size;
    std::uint32_t keep;
    std::uint32_t taken = 0;  // end of the bytes handed out (the history's end)
    std::uint32_t ahead = 0;  // end of the bytes read

    // The bytes ready to be taken, reading more when none are; 0 when the source is exhausted
    // or a read fails.
    std::uint32_t Available();
    // Hands out count bytes (at most Available()).
    const std::uint8_t* Take(std::uint32_t count) {
        const std::uint8_t* bytes = window + taken;
        taken += count;
        return bytes;
    }
};

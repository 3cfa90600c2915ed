// CodecOutput: the decoder's buffered sequential writer over a destination stream. Methods
// collect output in the codec's output buffer and write it out in whole pieces.
#pragma once

#include <cstdint>

#include "base/file_stream.h"
#include "package/decode/literal_window.h"

struct CodecOutput {
    SFileStream* destination;
    std::uint8_t* buffer;
    std::uint32_t size;
    std::uint32_t fill;

    int Flush();
    // Appends bytes; flushes first when they would reach the buffer's end.
    int Write(const std::uint8_t* bytes, std::uint64_t count);
    // Appends count copies of one byte.
    int Repeat(std::uint8_t value, std::uint64_t count);
    // Appends the next count literal bytes; fails if the literal section runs out.
    int CopyFrom(LiteralWindow* literals, std::uint64_t count);
    // Flushes and ends the destination behind the last byte written.
    int Finish();
};

// CodecOutput: the decoder's buffered sequential writer over a destination stream. Methods
// collect output in one of the codec's buffers and write it out in whole pieces. An
// intermediate result (one the next step reads back) may be held: if it never fills the
// buffer, it stays there and is not written at all, and the next step reads it from memory.
#pragma once

#include <cstdint>
#include <cstring>

#include "base/file_stream.h"
#include "package/decode/byte_source.h"
#include "package/decode/literal_window.h"
#include "package/decode/stage_input.h"

struct CodecOutput {
    SFileStream* destination;
    std::uint8_t* buffer;
    std::uint32_t size;
    std::uint32_t fill = 0;
    // Set before decoding for a result the next step reads back, by its length: Finish keeps
    // it in the buffer if it never left it, and does not cut the file behind it.
    bool intermediate = false;
    // After Finish: the whole result is buffer[0, fill); the destination was not written.
    bool held = false;
    bool flushed = false;  // some of the result has gone to the destination

    int Flush();
    // Appends bytes; flushes first when they would reach the buffer's end.
    int Write(const std::uint8_t* bytes, std::uint64_t count) {
        if (fill + count >= size)
            return WriteInPieces(bytes, count);
        std::memcpy(buffer + fill, bytes, count);
        fill += static_cast<std::uint32_t>(count);
        return 1;
    }
    // Appends count copies of one byte.
    int Repeat(std::uint8_t value, std::uint64_t count);
    // Appends the next count literal bytes; fails if the literals run out.
    int CopyFrom(LiteralWindow* literals, std::uint64_t count);
    // Appends the next count bytes of a source, read straight into the buffer.
    int Take(ByteSource* source, std::uint64_t count);
    // Flushes and ends the destination behind the last byte written; holds or just flushes an
    // intermediate result.
    int Finish();
    // Where a finished intermediate result is read back: the buffer if it was held, else
    // `file` (the destination's handle, written from its start).
    int Result(HANDLE file, StageInput* result) const;

  private:
    int WriteInPieces(const std::uint8_t* bytes, std::uint64_t count);
};

// StageInput: where the data of one decoding stage lies: a range of a file (the package entry,
// or the temporary file that the previous stage wrote), or the buffer that the previous stage's
// result fitted in. Offsets are counted from the stage's first byte; nothing beyond the
// stage's length is ever read.
#pragma once

#include <cstdint>

#include "base/platform.h"
#include "package/decode/bit_reader.h"
#include "package/decode/byte_source.h"

// One of the codec's fixed buffers.
struct CodecBuffer {
    std::uint8_t* bytes;
    std::uint32_t size;
};

struct StageInput {
    HANDLE file;
    std::uint64_t start;        // file position of the stage's first byte
    const std::uint8_t* bytes;  // not null: the stage is in memory, and file is not used
    std::uint64_t length;

    static StageInput InFile(HANDLE file, std::uint64_t start, std::uint64_t length) {
        return {file, start, nullptr, length};
    }
    static StageInput InMemory(const std::uint8_t* bytes, std::uint64_t length) {
        return {INVALID_HANDLE_VALUE, 0, bytes, length};
    }

    // The count bytes at offset; 0 if they reach past the stage or cannot be read.
    int ReadAt(std::uint64_t offset, std::uint8_t* into, std::uint32_t count) const;
    // A bit reader over the section of sectionLength bytes at offset. A stage in a file is read
    // through the buffer; one in memory is read where it lies.
    int OpenBits(BitReader* reader, std::uint64_t offset, std::uint64_t sectionLength,
                 CodecBuffer buffer) const;
};

// A section of a stage, read front to back.
class SectionSource final : public ByteSource {
  public:
    SectionSource(const StageInput& input, std::uint64_t offset, std::uint64_t length)
        : input_(input), offset_(offset), remaining_(length) {}
    int Read(std::uint8_t* into, std::uint32_t count) override;

  private:
    StageInput input_;
    std::uint64_t offset_;
    std::uint64_t remaining_;
};

// Literal LZ (method 5) and the three-level literal LZ built on it (method 1).
#include "package/decode/bit_reader.h"
#include "package/decode/borrowed_stream.h"
#include "package/decode/codec_format.h"
#include "package/decode/codec_output.h"
#include "package/decode/compress.h"
#include "package/decode/count_codes.h"
#include "package/decode/plane_join.h"
#include "package/decode/stage_input.h"

int SCompress::DecodeLzLevel(const StageInput& input, std::uint64_t tokenOffset,
                             std::uint64_t tokenLength, ByteSource* literals,
                             std::uint64_t literalLength, CodecBuffer readBuffer,
                             CodecOutput* output) {
    BitReader reader;
    std::uint8_t shortDistances = 0;
    if (!input.OpenBits(&reader, tokenOffset, tokenLength, readBuffer) ||
        !reader.ReadBit(&shortDistances))
        return 0;
    // The literal history is the literals taken so far, not the output: matches reach back
    // over literals only, and the window keeps the last 256 of them when it starts over.
    LiteralWindow history{literals, literalLength, literalWindow, windowSize, kHistoryKeep};
    std::uint64_t historyLength = 0;
    for (;;) {
        std::uint8_t isMatch = 0;
        if (!reader.ReadBit(&isMatch))
            return 0;
        if (!isMatch) {
            std::uint32_t count = 0;
            if (!ReadLiteralCount(&reader, &count))
                return 0;
            if (count == 0)
                return output->Finish();
            historyLength += count;
            if (!output->CopyFrom(&history, count))
                return 0;
            continue;
        }
        std::uint32_t length = 0, distance = 0, repeat = 0;
        if (!ReadMatch(&reader, shortDistances, &length, &distance, &repeat))
            return 0;
        // A match may copy only literals already taken: a distance of 0, one beyond the
        // history, or a length beyond the distance would read bytes the history does not hold.
        if (distance == 0 || distance > historyLength || length > distance)
            return 0;
        const std::uint8_t* from = literalWindow + history.taken - distance;
        for (std::uint32_t i = 0; i < repeat; ++i)
            if (!output->Write(from, length))
                return 0;
    }
}

int SCompress::DecodeLiteralLz(const StageInput& input, CodecOutput* output,
                               CodecBuffer readBuffer) {
    std::uint32_t sizes[2];  // tokens, literals
    if (!ReadHeader(input, sizes, 2))
        return 0;
    SectionSource literals(input, kTwoSectionHeaderBytes + sizes[0], sizes[1]);
    return DecodeLzLevel(input, kTwoSectionHeaderBytes, sizes[0], &literals, sizes[1], readBuffer,
                         output);
}

int SCompress::DecodeThreeLevelLz(const StageInput& input, CodecOutput* output,
                                  CodecBuffer readBuffer) {
    std::uint32_t sizes[4];  // level-1, level-2 and level-3 tokens, raw literals
    if (!ReadHeader(input, sizes, 4))
        return 0;
    const std::uint64_t level1Tokens = 4 * kSectionLengthBytes;
    const std::uint64_t level2Tokens = level1Tokens + sizes[0];
    const std::uint64_t level3Tokens = level2Tokens + sizes[1];
    const std::uint64_t rawLiterals = level3Tokens + sizes[2];
    // The literals of each level are the bit-plane join of the level below it: level 3 reads
    // the raw literals; its output, joined, feeds level 2, and so on up to level 1. A level is
    // held in the buffer it was written through while it fits, and else goes to its temporary
    // file and is joined from there through the same buffer. Level 3 uses the stage's output
    // buffer, which level 1 needs only once level 3 has been joined. Level 2 uses the read
    // buffer behind a slice left to the token readers, so that a stage in a file touches no
    // more memory than the output, read and literal buffers; a stage in memory lies in the
    // read buffer and needs no token buffer, and its level 2 uses the auxiliary buffer.
    BorrowedStream level3File(tempHandles[3]);
    BorrowedStream level2File(tempHandles[2]);
    if (level3File.get() == nullptr || level2File.get() == nullptr || !level3File.Rewind() ||
        !level2File.Rewind())
        return 0;
    constexpr std::uint32_t kTokenSlice = 0x4000;
    const bool stageInMemory = input.bytes != nullptr;
    const CodecBuffer tokenBuffer{readBuffer.bytes, stageInMemory ? 0 : kTokenSlice};
    const CodecBuffer level2Buffer =
        stageInMemory ? CodecBuffer{auxiliaryBuffer, auxiliarySize}
                      : CodecBuffer{readBuffer.bytes + kTokenSlice, readBuffer.size - kTokenSlice};
    const CodecBuffer level3Buffer{output->buffer, output->size};
    CodecOutput level3{level3File.get(), level3Buffer.bytes, level3Buffer.size};
    level3.intermediate = true;
    SectionSource raw(input, rawLiterals, sizes[3]);
    if (!DecodeLzLevel(input, level3Tokens, sizes[2], &raw, sizes[3], tokenBuffer, &level3))
        return 0;
    CodecOutput level2{level2File.get(), level2Buffer.bytes, level2Buffer.size};
    level2.intermediate = true;
    StageInput planes3{};
    PlaneJoin join3;
    if (!level3.Result(tempHandles[3], &planes3) || !join3.Open(planes3, level3Buffer) ||
        !DecodeLzLevel(input, level2Tokens, sizes[1], &join3, planes3.length, tokenBuffer, &level2))
        return 0;
    StageInput planes2{};
    PlaneJoin join2;
    return level2.Result(tempHandles[2], &planes2) && join2.Open(planes2, level2Buffer) &&
           DecodeLzLevel(input, level1Tokens, sizes[0], &join2, planes2.length, tokenBuffer,
                         output);
}

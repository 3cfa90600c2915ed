// Literal LZ (method 5) and the three-level literal LZ built on it (method 1).
#include "base/file_io.h"
#include "package/decode/bit_reader.h"
#include "package/decode/borrowed_stream.h"
#include "package/decode/codec_format.h"
#include "package/decode/codec_output.h"
#include "package/decode/compress.h"
#include "package/decode/count_codes.h"

int SCompress::DecodeLzLevel(HANDLE tokens, std::uint64_t tokenLength, SFileStream* literals,
                             std::uint64_t literalLength, SFileStream* destination) {
    BitReader reader;
    if (!reader.Open(inputBuffer, inputBufferSize, auxiliaryBuffer, auxiliarySize, tokens,
                     static_cast<std::int64_t>(tokenLength)))
        return 0;
    std::uint8_t shortDistances = 0;
    if (!reader.ReadBit(&shortDistances))
        return 0;
    CodecOutput output{destination, outputBuffer, outputBufferSize, 0};
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
                return output.Finish();
            historyLength += count;
            if (!output.CopyFrom(&history, count))
                return 0;
            continue;
        }
        std::uint32_t length = 0, distance = 0, repeat = 0;
        if (!ReadMatchLength(&reader, &length) ||
            !ReadMatchDistance(&reader, shortDistances, &distance) ||
            !ReadRepeatCount(&reader, &repeat))
            return 0;
        // A match may copy only literals already taken: a distance of 0, one beyond the
        // history, or a length beyond the distance would read bytes the history does not hold.
        if (distance == 0 || distance > historyLength || length > distance)
            return 0;
        const std::uint8_t* from = literalWindow + history.taken - distance;
        for (std::uint32_t i = 0; i < repeat; ++i)
            if (!output.Write(from, length))
                return 0;
    }
}

int SCompress::DecodeLiteralLz(HANDLE source, SFileStream* destination, std::uint64_t stageLength) {
    std::uint32_t sizes[2];  // tokens, literals
    if (!OpenTokensAndLiterals(source, stageLength, sizes))
        return 0;
    BorrowedStream literals(tempHandles[2]);
    return literals.get() != nullptr &&
           DecodeLzLevel(source, sizes[0], literals.get(), sizes[1], destination);
}

int SCompress::DecodeThreeLevelLz(HANDLE source, SFileStream* destination,
                                  std::uint64_t stageLength) {
    std::uint32_t sizes[4];  // level-1, level-2 and level-3 tokens, raw literals
    std::uint64_t start = 0;
    if (!ReadHeader(source, sizes, 4, stageLength, &start) ||
        !LoadLastSection(source, start + sizes[0] + sizes[1] + sizes[2], sizes[3]))
        return 0;
    // The literals of each level are the bit-plane join of the level below it: level 3 reads
    // the raw literals; its output, joined, feeds level 2, and so on up to level 1.
    BorrowedStream literals(tempHandles[2]);
    BorrowedStream level(tempHandles[3]);
    if (literals.get() == nullptr || level.get() == nullptr)
        return 0;
    const std::uint64_t tokenStarts[2] = {start + sizes[0] + sizes[1], start + sizes[0]};
    const std::uint32_t tokenLengths[2] = {sizes[2], sizes[1]};
    std::uint64_t literalLength = sizes[3];
    for (int i = 0; i < 2; ++i) {
        std::uint64_t levelLength = 0;
        if (!SetFilePosition(source, tokenStarts[i]) || !level.Clear() ||
            !DecodeLzLevel(source, tokenLengths[i], literals.get(), literalLength, level.get()) ||
            !FileStreamTell(level.get(), &levelLength) || !level.Rewind() || !literals.Clear() ||
            !JoinBitPlanes(tempHandles[3], levelLength, literals.get()) || !literals.Rewind())
            return 0;
        literalLength = levelLength;
    }
    return SetFilePosition(source, start) &&
           DecodeLzLevel(source, sizes[0], literals.get(), literalLength, destination);
}

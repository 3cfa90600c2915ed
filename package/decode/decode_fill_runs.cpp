// Fill-run coding: methods 2 (runs of 0x00) and 3 (runs of 0xCC).
#include "base/file_io.h"
#include "package/decode/bit_reader.h"
#include "package/decode/borrowed_stream.h"
#include "package/decode/codec_format.h"
#include "package/decode/codec_output.h"
#include "package/decode/compress.h"
#include "package/decode/count_codes.h"

int SCompress::DecodeZeroRuns(HANDLE source, SFileStream* destination, std::uint64_t stageLength) {
    return DecodeFillRuns(source, destination, stageLength, kZeroRunFill);
}

int SCompress::DecodeCcRuns(HANDLE source, SFileStream* destination, std::uint64_t stageLength) {
    return DecodeFillRuns(source, destination, stageLength, kCcRunFill);
}

int SCompress::DecodeFillRuns(HANDLE source, SFileStream* destination, std::uint64_t stageLength,
                              std::uint8_t fill) {
    std::uint32_t sizes[2];  // tokens, literals
    if (!OpenTokensAndLiterals(source, stageLength, sizes))
        return 0;
    BorrowedStream literals(tempHandles[2]);
    BitReader reader;
    if (literals.get() == nullptr || !reader.Open(inputBuffer, inputBufferSize, auxiliaryBuffer,
                                                  auxiliarySize, source, sizes[0]))
        return 0;
    CodecOutput output{destination, outputBuffer, outputBufferSize, 0};
    LiteralWindow pending{literals.get(), sizes[1], literalWindow, windowSize, 0};
    for (;;) {
        std::uint8_t isRun = 0;
        if (!reader.ReadBit(&isRun))
            return 0;
        if (isRun) {
            std::uint64_t length = 0;
            if (!ReadFillRun(&reader, &length) || !output.Repeat(fill, length))
                return 0;
            continue;
        }
        std::uint32_t count = 0;
        if (!ReadLiteralCount(&reader, &count))
            return 0;
        if (count == 0)
            return output.Finish();
        if (!output.CopyFrom(&pending, count))
            return 0;
    }
}

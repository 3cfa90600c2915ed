// Fill-run coding: methods 2 (runs of 0x00) and 3 (runs of 0xCC).
#include "package/decode/bit_reader.h"
#include "package/decode/codec_format.h"
#include "package/decode/codec_output.h"
#include "package/decode/compress.h"
#include "package/decode/count_codes.h"
#include "package/decode/stage_input.h"

int SCompress::DecodeFillRuns(const StageInput& input, CodecOutput* output, CodecBuffer readBuffer,
                              std::uint8_t fill) {
    std::uint32_t sizes[2];  // tokens, literals
    BitReader reader;
    if (!ReadHeader(input, sizes, 2) ||
        !input.OpenBits(&reader, kTwoSectionHeaderBytes, sizes[0], readBuffer))
        return 0;
    SectionSource literals(input, kTwoSectionHeaderBytes + sizes[0], sizes[1]);
    LiteralWindow pending{&literals, sizes[1], literalWindow, windowSize, 0};
    for (;;) {
        std::uint8_t isRun = 0;
        if (!reader.ReadBit(&isRun))
            return 0;
        if (isRun) {
            std::uint64_t length = 0;
            if (!ReadFillRun(&reader, &length) || !output->Repeat(fill, length))
                return 0;
            continue;
        }
        std::uint32_t count = 0;
        if (!ReadLiteralCount(&reader, &count))
            return 0;
        if (count == 0)
            return output->Finish();
        if (!output->CopyFrom(&pending, count))
            return 0;
    }
}

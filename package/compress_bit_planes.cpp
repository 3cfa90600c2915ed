// The bit-plane join (method 0): n input bytes hold eight planes of n bits, back to back;
// plane k carries bit 7 - k of every output byte. Eight passes over the destination keep the
// memory use at one buffer: the first writes the top bits, each later one reads back what
// is there, ORs in its plane and writes it over.
#include "base/file_io.h"
#include "package/bit_reader.h"
#include "package/codec_output.h"
#include "package/compress.h"

int SCompress::DecodeBitPlanes(HANDLE source, SFileStream* destination, std::uint64_t stageLength) {
    return JoinBitPlanes(source, stageLength, destination);
}

int SCompress::JoinBitPlanes(HANDLE input, std::uint64_t length, SFileStream* destination) {
    std::uint64_t start = 0;
    FileStreamTell(destination, &start);
    // Eight empty planes join to an empty result; the bit reader cannot open an empty section.
    if (length == 0)
        return FileStreamTruncate(destination);
    BitReader reader;
    if (!reader.Open(inputBuffer, inputBufferSize, auxiliaryBuffer, auxiliarySize, input,
                     static_cast<std::int64_t>(length)))
        return 0;
    CodecOutput output{destination, outputBuffer, outputBufferSize, 0};
    for (std::uint64_t i = 0; i < length; ++i) {
        std::uint8_t bit = 0;
        if (!reader.ReadBit(&bit))
            return 0;
        std::uint8_t top = static_cast<std::uint8_t>(bit << 7);
        if (!output.Write(&top, 1))
            return 0;
    }
    if (!output.Flush())
        return 0;
    const std::uint32_t block = outputBufferSize & ~7u;
    for (int plane = 1; plane < 8; ++plane) {
        for (std::uint64_t done = 0; done < length;) {
            std::uint32_t piece =
                length - done < block ? static_cast<std::uint32_t>(length - done) : block;
            if (!FileStreamSeek(destination, start + done) ||
                !FileStreamRead(destination, outputBuffer, piece, nullptr))
                return 0;
            for (std::uint32_t i = 0; i < piece; ++i) {
                std::uint8_t bit = 0;
                if (!reader.ReadBit(&bit))
                    return 0;
                outputBuffer[i] = static_cast<std::uint8_t>(outputBuffer[i] | bit << (7 - plane));
            }
            if (!FileStreamSeek(destination, start + done) ||
                !FileStreamWrite(destination, outputBuffer, piece, nullptr))
                return 0;
            done += piece;
        }
    }
    return FileStreamTruncate(destination);
}

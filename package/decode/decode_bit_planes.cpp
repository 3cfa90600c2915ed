// The bit-plane join (method 0): n input bytes hold eight planes of n bits, back to back;
// plane k carries bit 7 - k of every output byte. Eight passes over the destination keep the
// memory use at one buffer: the first writes the top bits, each later one reads back what
// is there, ORs in its plane and writes it over.
#include "base/file_io.h"
#include "package/decode/bit_reader.h"
#include "package/decode/compress.h"

int SCompress::DecodeBitPlanes(HANDLE source, SFileStream* destination, std::uint64_t stageLength) {
    return JoinBitPlanes(source, stageLength, destination);
}

namespace {

// The plane bits for count output bytes (count <= 8), most significant first in bits. Whole
// groups of eight take one 8-bit read, except the section's very last group: an 8-bit read
// at a byte boundary moves past its byte at once and would fail on the section's last byte.
int ReadPlaneBits(BitReader* reader, std::uint32_t count, bool lastOfSection, std::uint8_t* bits) {
    if (count == 8 && !lastOfSection)
        return reader->ReadBits(8, bits);
    std::uint8_t gathered = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t bit = 0;
        if (!reader->ReadBit(&bit))
            return 0;
        gathered = static_cast<std::uint8_t>(gathered | bit << (7 - i));
    }
    *bits = gathered;
    return 1;
}

}  // namespace

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
    // Blocks of a multiple of eight bytes let every plane's bits be taken eight at a time.
    const std::uint32_t block = outputBufferSize & ~7u;
    for (int plane = 0; plane < 8; ++plane) {
        for (std::uint64_t done = 0; done < length;) {
            std::uint32_t piece =
                length - done < block ? static_cast<std::uint32_t>(length - done) : block;
            if (plane > 0 && (!FileStreamSeek(destination, start + done) ||
                              !FileStreamRead(destination, outputBuffer, piece, nullptr)))
                return 0;
            for (std::uint32_t i = 0; i < piece; i += 8) {
                std::uint32_t count = piece - i < 8 ? piece - i : 8;
                bool last = plane == 7 && done + i + count == length;
                std::uint8_t bits = 0;
                if (!ReadPlaneBits(&reader, count, last, &bits))
                    return 0;
                for (std::uint32_t j = 0; j < count; ++j) {
                    std::uint8_t bit = (bits >> (7 - j)) & 1;
                    std::uint8_t old = plane > 0 ? outputBuffer[i + j] : 0;
                    outputBuffer[i + j] = static_cast<std::uint8_t>(old | bit << (7 - plane));
                }
            }
            if (!FileStreamSeek(destination, start + done) ||
                !FileStreamWrite(destination, outputBuffer, piece, nullptr))
                return 0;
            done += piece;
        }
    }
    return FileStreamSeek(destination, start + length) && FileStreamTruncate(destination);
}

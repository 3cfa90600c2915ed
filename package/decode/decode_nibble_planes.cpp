// Nibble-plane block coding (method 4). The output's N bytes are decoded as two planes of N
// nibbles, high halves first, then low halves, from one token stream and one nibble source.
// A plane is a series of literal runs and blocks; a block covers w interleaved columns of H
// positions each and is described column after column by runs and literal sub-runs.
#include <cstring>

#include "package/decode/bit_reader.h"
#include "package/decode/codec_format.h"
#include "package/decode/codec_output.h"
#include "package/decode/compress.h"
#include "package/decode/count_codes.h"
#include "package/decode/stage_input.h"

namespace {

// The nibble source, read through the literal window. Every step first makes sure that all
// the bytes it needs are buffered at once.
struct NibbleSource {
    ByteSource* source;
    std::uint64_t unreadInSource;
    std::uint8_t* buffer;
    std::uint32_t capacity;
    std::uint32_t cursor;
    std::uint32_t end;
    std::uint8_t lowHalf;

    int Ensure(std::uint64_t nibbles) {
        std::uint64_t needed = (lowHalf + nibbles + 1) / 2;
        std::uint32_t unread = end - cursor;
        if (unread >= needed)
            return 1;
        if (unread == capacity)
            return 0;
        std::memmove(buffer, buffer + cursor, unread);
        cursor = 0;
        end = unread;
        std::uint64_t room = capacity - unread;
        std::uint32_t amount =
            static_cast<std::uint32_t>(unreadInSource < room ? unreadInSource : room);
        if (amount == 0 || !source->Read(buffer + end, amount))
            return 0;
        end += amount;
        unreadInSource -= amount;
        return end - cursor >= needed ? 1 : 0;
    }

    // The caller has ensured the nibble.
    std::uint8_t Next() {
        std::uint8_t byte = buffer[cursor];
        if (lowHalf) {
            ++cursor;
            lowHalf = 0;
            return byte & 0x0F;
        }
        lowHalf = 1;
        return byte >> 4;
    }
};

// Collects one plane's nibbles in the output buffer. The first plane writes each nibble as a
// byte's high half. The second ORs its low halves into those: from the auxiliary buffer when
// the whole first plane fitted there, else read back from the destination through it. Either
// plane may end before the other; where the first did not reach, the high halves are 0.
struct PlaneWriter {
    SFileStream* destination;
    std::uint64_t start;
    std::uint8_t* buffer;
    std::uint32_t size;
    std::uint8_t* auxiliary;
    std::uint32_t auxiliarySize;
    int lowPlane;
    std::uint64_t base;  // plane position of buffer[0]
    std::uint32_t fill;
    std::uint64_t highLength;  // where the first plane ended
    int highInAuxiliary;

    int Flush() {
        if (fill == 0)
            return 1;
        if (lowPlane && !OrHighHalves())
            return 0;
        if (!FileStreamWrite(destination, buffer, fill, nullptr))
            return 0;
        base += fill;
        fill = 0;
        return 1;
    }

    int OrHighHalves() {
        const std::uint64_t reached = highLength > base ? highLength - base : 0;
        const std::uint32_t covered = reached < fill ? static_cast<std::uint32_t>(reached) : fill;
        if (highInAuxiliary) {
            for (std::uint32_t i = 0; i < covered; ++i)
                buffer[i] |= auxiliary[base + i];
            return 1;
        }
        if (covered == 0)
            return 1;
        if (!FileStreamSeek(destination, start + base))
            return 0;
        for (std::uint32_t done = 0; done < covered;) {
            std::uint32_t piece = covered - done < auxiliarySize ? covered - done : auxiliarySize;
            if (!FileStreamRead(destination, auxiliary, piece, nullptr))
                return 0;
            for (std::uint32_t i = 0; i < piece; ++i)
                buffer[done + i] |= auxiliary[i];
            done += piece;
        }
        return FileStreamSeek(destination, start + base);
    }

    // The second plane starts over at the destination's start.
    int EndHighPlane() {
        highLength = base + fill;
        if (base == 0 && fill <= auxiliarySize) {
            std::memcpy(auxiliary, buffer, fill);
            highInAuxiliary = 1;
            fill = 0;
        } else if (!Flush()) {
            return 0;
        }
        lowPlane = 1;
        base = 0;
        return FileStreamSeek(destination, start);
    }

    // The destination ends where the second plane ended.
    int EndLowPlane() { return Flush() && FileStreamTruncate(destination); }

    std::uint8_t Shape(std::uint8_t nibble) const {
        return lowPlane ? nibble : static_cast<std::uint8_t>(nibble << 4);
    }

    int Put(std::uint8_t nibble) {
        if (fill == size && !Flush())
            return 0;
        buffer[fill++] = Shape(nibble);
        return 1;
    }
};

struct PlaneDecoder {
    BitReader* reader;
    NibbleSource* nibbles;
    PlaneWriter* writer;
    std::uint32_t remaining;

    int PutLiterals(std::uint32_t count) {
        if (count > remaining)
            return 0;
        for (std::uint32_t i = 0; i < count; ++i)
            if (!writer->Put(nibbles->Next()))
                return 0;
        remaining -= count;
        return 1;
    }

    // A block of w columns of up to H positions, cut at the plane's end. Its positions are
    // visited column after column; sub-runs flow from the end of one column into the next.
    int Block() {
        std::uint8_t channelBits = 0;
        std::uint32_t height = 0;
        if (!reader->ReadBits(2, &channelBits) || !ReadBlockCount(reader, &height))
            return 0;
        const std::uint32_t channels = channelBits + 1u;
        const std::uint64_t span = std::uint64_t{channels} * height;
        // Packages never hold a block with an empty column or one larger than the output
        // buffer; refusing them keeps every position inside the buffer.
        if (channels > remaining || span >= writer->size)
            return 0;
        if (writer->fill + span >= writer->size && !writer->Flush())
            return 0;
        const std::uint32_t total = static_cast<std::uint32_t>(span < remaining ? span : remaining);
        std::uint8_t* blockStart = writer->buffer + writer->fill;
        std::uint32_t column = 0, row = 0, visited = 0;
        auto place = [&](std::uint8_t nibble) {
            blockStart[column + row * channels] = writer->Shape(nibble);
            ++visited;
            if (++row == height || column + row * channels >= total) {
                ++column;
                row = 0;
            }
        };
        std::uint32_t overflow = 0;
        std::uint64_t runLength = height;  // the first sub-run is an implicit run of H
        for (;;) {
            if (runLength > 0) {
                if (runLength > total - visited || !nibbles->Ensure(1))
                    return 0;
                std::uint8_t nibble = nibbles->Next();
                for (std::uint64_t i = 0; i < runLength; ++i)
                    place(nibble);
            }
            if (visited == total)
                break;
            std::uint8_t isRun = 0;
            if (!reader->ReadBit(&isRun))
                return 0;
            if (isRun) {
                std::uint32_t count = 0;
                if (!ReadBlockCount(reader, &count))
                    return 0;
                runLength = count;
                continue;
            }
            std::uint32_t count = 0;
            // A literal count of 0 inside a block is never written by packages; ending the
            // plane there would drop the positions the block has filled, so it is an error.
            if (!ReadLiteralCount(reader, &count) || count == 0 || !nibbles->Ensure(count))
                return 0;
            std::uint32_t inBlock = count < total - visited ? count : total - visited;
            for (std::uint32_t i = 0; i < inBlock; ++i)
                place(nibbles->Next());
            overflow = count - inBlock;
            runLength = 0;
        }
        writer->fill += total;
        remaining -= total;
        // A literal sub-run that goes past the block continues behind it.
        return PutLiterals(overflow);
    }

    // One plane: literal runs and blocks up to the end marker (bit 0, literal count 0). The
    // plane may end before it is full; once full, it takes nothing but the end marker.
    int Run() {
        for (;;) {
            std::uint8_t isBlock = 0;
            if (!reader->ReadBit(&isBlock))
                return 0;
            if (isBlock) {
                if (!Block())
                    return 0;
                continue;
            }
            std::uint32_t count = 0;
            if (!ReadLiteralCount(reader, &count))
                return 0;
            if (count == 0)
                return 1;
            if (count > remaining || !nibbles->Ensure(count) || !PutLiterals(count))
                return 0;
        }
    }
};

}  // namespace

int SCompress::DecodeNibblePlanes(const StageInput& input, CodecOutput* output,
                                  CodecBuffer readBuffer) {
    std::uint32_t sizes[2];  // tokens, nibble source
    BitReader reader;
    if (!ReadHeader(input, sizes, 2) ||
        !input.OpenBits(&reader, kTwoSectionHeaderBytes, sizes[0], readBuffer))
        return 0;
    SectionSource nibbleSection(input, kTwoSectionHeaderBytes + sizes[0], sizes[1]);
    NibbleSource nibbles{&nibbleSection, sizes[1], literalWindow, windowSize, 0, 0, 0};
    if (!nibbles.Ensure(8))
        return 0;
    const std::uint32_t length = LoadLe32(nibbles.buffer + nibbles.cursor);
    nibbles.cursor += 4;
    // The second plane reads back what the first wrote, so the result is always written out.
    std::uint64_t outputStart = 0;
    if (!FileStreamTell(output->destination, &outputStart))
        return 0;
    PlaneWriter writer{output->destination,
                       outputStart,
                       output->buffer,
                       output->size,
                       auxiliaryBuffer,
                       auxiliarySize,
                       0,
                       0,
                       0,
                       0,
                       0};
    PlaneDecoder high{&reader, &nibbles, &writer, length};
    PlaneDecoder low{&reader, &nibbles, &writer, length};
    return high.Run() && writer.EndHighPlane() && low.Run() && writer.EndLowPlane();
}

#include "package/decode/bit_reader.h"

#include "base/file_io.h"
#include "package/decode/codec_format.h"

int BitReader::Open(std::uint8_t* sectionBuffer, std::uint64_t sectionBufferSize,
                    std::uint8_t* auxiliary, std::uint32_t auxiliaryBytes, HANDLE sectionFile,
                    std::int64_t sectionLength) {
    if (auxiliaryBytes < kBitReaderMinAuxiliarySize)
        return 0;
    scratch = 0;
    remaining = sectionLength;
    cursor = buffer = sectionBuffer;
    end = sectionBuffer + sectionBufferSize;
    bufferSize = sectionBufferSize;
    auxiliaryBuffer = auxiliary;
    auxiliarySize = auxiliaryBytes;
    reserved = 0;
    file = sectionFile;
    spare = 0;
    bitPosition = 0;
    return Refill();
}

int BitReader::Refill() {
    if (remaining <= 0)
        return 0;
    std::uint64_t amount = static_cast<std::uint64_t>(remaining);
    if (amount > bufferSize)
        amount = bufferSize;
    // ReadFileAll takes 32-bit counts; the codec's buffers are far below that.
    if (amount == 0 || amount > 0xFFFFFFFFu)
        return 0;
    if (!ReadFileAll(file, buffer, static_cast<std::uint32_t>(amount)))
        return 0;
    remaining -= static_cast<std::int64_t>(amount);
    cursor = buffer;
    if (remaining == 0)
        end = buffer + amount;
    return 1;
}

int BitReader::MoveToNextByte() {
    ++cursor;
    return cursor == end ? Refill() : 1;
}

int BitReader::Normalize() {
    if (bitPosition != 8)
        return 1;
    bitPosition = 0;
    return MoveToNextByte();
}

int BitReader::ReadBit(std::uint8_t* out) {
    if (!Normalize())
        return 0;
    *out = (*cursor >> (7 - bitPosition)) & 1;
    ++bitPosition;
    return 1;
}

int BitReader::ReadBits(int width, std::uint8_t* out) {
    if (width < 1 || width > 8 || !Normalize())
        return 0;
    int available = 8 - bitPosition;
    if (width == 8) {
        if (bitPosition == 0) {
            *out = *cursor;
            return MoveToNextByte();
        }
        unsigned high = (*cursor & ((1u << available) - 1)) << bitPosition;
        if (!MoveToNextByte())
            return 0;
        *out = static_cast<std::uint8_t>(high | (*cursor >> available));
        return 1;
    }
    if (available >= width) {
        *out = (*cursor >> (available - width)) & ((1u << width) - 1);
        bitPosition = static_cast<std::uint8_t>(bitPosition + width);
        return 1;
    }
    int lowWidth = width - available;
    unsigned high = (*cursor & ((1u << available) - 1)) << lowWidth;
    if (!MoveToNextByte())
        return 0;
    *out = static_cast<std::uint8_t>(high | (*cursor >> (8 - lowWidth)));
    bitPosition = static_cast<std::uint8_t>(lowWidth);
    return 1;
}

#include "package/decode/bit_reader.h"

#include "base/file_io.h"

int BitReader::Open(std::uint8_t* sectionBuffer, std::uint32_t sectionBufferSize,
                    HANDLE sectionFile, std::uint64_t sectionOffset, std::uint64_t sectionLength) {
    bits = 0;
    bitCount = 0;
    cursor = end = sectionBuffer;
    buffer = sectionBuffer;
    bufferSize = sectionBufferSize;
    file = sectionFile;
    offset = sectionOffset;
    remaining = sectionLength;
    return Refill();
}

int BitReader::OpenBytes(const std::uint8_t* bytes, std::uint64_t length) {
    bits = 0;
    bitCount = 0;
    cursor = bytes;
    end = bytes + length;
    buffer = nullptr;
    bufferSize = 0;
    file = INVALID_HANDLE_VALUE;
    offset = 0;
    remaining = 0;
    return length > 0 ? 1 : 0;
}

int BitReader::Refill() {
    if (remaining == 0 || bufferSize == 0)
        return 0;
    std::uint32_t amount =
        remaining < bufferSize ? static_cast<std::uint32_t>(remaining) : bufferSize;
    if (!SetFilePosition(file, offset) || !ReadFileAll(file, buffer, amount))
        return 0;
    offset += amount;
    remaining -= amount;
    cursor = buffer;
    end = buffer + amount;
    return 1;
}

int BitReader::FillByBytes(int count) {
    while (bitCount < count) {
        if (end - cursor >= 8)
            return Need(count);
        if (cursor == end && !Refill())
            return 0;
        bits |= static_cast<std::uint64_t>(*cursor++) << (56 - bitCount);
        bitCount += 8;
    }
    return 1;
}

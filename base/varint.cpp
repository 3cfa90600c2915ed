#include "base/varint.h"

#include "base/file_io.h"

namespace {

// Gathers the value from the last byte backwards, in 32 bits.
std::uint32_t GatherVarint(const std::uint8_t* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 7) + (bytes[i] & 0x7F);
    return value;
}

}  // namespace

int DecodeVarint(const std::uint8_t* bytes, std::uint32_t* value) {
    int count = 1;
    while (bytes[count - 1] & 0x80)
        ++count;
    *value = GatherVarint(bytes, count);
    return count;
}

int ReadVarint(HANDLE file, std::uint32_t* value, std::int64_t* budget) {
    std::uint8_t scratch[8];
    for (int count = 0; count < 8; ++count) {
        if (budget) {
            if (*budget < 1)
                return 0;
            --*budget;
        }
        if (!ReadFileAll(file, &scratch[count], 1))
            return 0;
        if (!(scratch[count] & 0x80)) {
            *value = GatherVarint(scratch, count + 1);
            return 1;
        }
    }
    return 0;
}

int EncodeVarint(std::uint32_t value, std::uint8_t* out) {
    int count = 0;
    while (value >= 0x80) {
        out[count++] = static_cast<std::uint8_t>(value | 0x80);
        value >>= 7;
    }
    out[count++] = static_cast<std::uint8_t>(value);
    return count;
}

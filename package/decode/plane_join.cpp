#include "package/decode/plane_join.h"

#include <cstring>

namespace {

void StoreBe64(std::uint8_t* bytes, std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (56 - 8 * i));
}

// Transposes the 8 x 8 bit matrix whose row r is byte r from the top and whose column c is bit
// 7 - c of each row: row k of planes becomes column k of the joined bytes.
std::uint64_t Transpose(std::uint64_t matrix) {
    std::uint64_t t = (matrix ^ (matrix >> 7)) & 0x00AA00AA00AA00AAull;
    matrix ^= t ^ (t << 7);
    t = (matrix ^ (matrix >> 14)) & 0x0000CCCC0000CCCCull;
    matrix ^= t ^ (t << 14);
    t = (matrix ^ (matrix >> 28)) & 0x00000000F0F0F0F0ull;
    matrix ^= t ^ (t << 28);
    return matrix;
}

}  // namespace

int PlaneJoin::Open(const StageInput& input, CodecBuffer buffer) {
    const std::uint64_t n = input.length;
    remaining_ = n;
    if (n == 0)
        return 1;
    const std::uint32_t share = buffer.size / kPlaneCount;
    for (int k = 0; k < kPlaneCount; ++k) {
        const std::uint64_t firstBit = k * n;
        const std::uint64_t firstByte = firstBit / 8;
        const std::uint64_t endByte = ((k + 1) * n + 7) / 8;
        const int skip = static_cast<int>(firstBit % 8);
        BitReader& plane = planes_[k];
        if (!input.OpenBits(&plane, firstByte, endByte - firstByte,
                            {buffer.bytes + k * share, share}) ||
            !plane.Need(skip))
            return 0;
        plane.Skip(skip);
    }
    return 1;
}

int PlaneJoin::Read(std::uint8_t* into, std::uint32_t count) {
    if (count > remaining_)
        return 0;
    remaining_ -= count;
    // 32 joined bytes at a time: 32 bits of every plane, joined as four 8 x 8 transposes.
    constexpr int kWide = 32;
    for (; count >= kWide; count -= kWide, into += kWide) {
        std::uint32_t rows[kPlaneCount];
        for (int k = 0; k < kPlaneCount; ++k) {
            if (!planes_[k].Need(kWide))
                return 0;
            rows[k] = static_cast<std::uint32_t>(planes_[k].Peek(kWide));
            planes_[k].Skip(kWide);
        }
        for (int group = 0; group < kWide / 8; ++group) {
            std::uint64_t matrix = 0;
            for (int k = 0; k < kPlaneCount; ++k)
                matrix |= std::uint64_t{(rows[k] >> (24 - 8 * group)) & 0xFF} << (56 - 8 * k);
            StoreBe64(into + 8 * group, Transpose(matrix));
        }
    }
    while (count > 0) {
        const int group = count < 8 ? static_cast<int>(count) : 8;
        std::uint64_t matrix = 0;
        for (int k = 0; k < kPlaneCount; ++k) {
            if (!planes_[k].Need(group))
                return 0;
            matrix |= planes_[k].Peek(group) << (64 - 8 * k - group);
            planes_[k].Skip(group);
        }
        std::uint8_t joined[8];
        StoreBe64(joined, Transpose(matrix));
        std::memcpy(into, joined, static_cast<std::size_t>(group));
        into += group;
        count -= static_cast<std::uint32_t>(group);
    }
    return 1;
}

// Little-endian fields of the file formats, read and written byte by byte, so that neither
// the host's byte order nor its alignment matters.
#pragma once

#include <cstdint>

inline std::uint16_t LoadLe16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t LoadLe32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline std::uint64_t LoadLe64(const std::uint8_t* bytes) {
    return LoadLe32(bytes) | static_cast<std::uint64_t>(LoadLe32(bytes + 4)) << 32;
}

inline void StoreLe32(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void StoreLe64(std::uint8_t* bytes, std::uint64_t value) {
    StoreLe32(bytes, static_cast<std::uint32_t>(value));
    StoreLe32(bytes + 4, static_cast<std::uint32_t>(value >> 32));
}

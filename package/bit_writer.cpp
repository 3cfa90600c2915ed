#include "package/bit_writer.h"

void BitWriter::Put(std::uint32_t value, int width) {
    if (width <= 0)
        return;
    std::uint64_t bits = width < 32 ? value & ((std::uint64_t{1} << width) - 1) : value;
    int used = static_cast<int>(bitCount_ & 7);
    bitCount_ += static_cast<std::uint64_t>(width);
    // Fill the open last byte first, then whole bytes, then the start of a new one.
    if (used != 0) {
        int room = 8 - used;
        int take = width < room ? width : room;
        bytes_.back() =
            static_cast<std::uint8_t>(bytes_.back() | ((bits >> (width - take)) << (room - take)));
        width -= take;
    }
    while (width >= 8) {
        width -= 8;
        bytes_.push_back(static_cast<std::uint8_t>(bits >> width));
    }
    if (width > 0)
        bytes_.push_back(static_cast<std::uint8_t>((bits << (8 - width)) & 0xFF));
}

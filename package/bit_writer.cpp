#include "package/bit_writer.h"

void BitWriter::Put(std::uint32_t value, int width) {
    for (int bit = width - 1; bit >= 0; --bit) {
        int used = static_cast<int>(bitCount_ & 7);
        if (used == 0)
            bytes_.push_back(0);
        if ((value >> bit) & 1)
            bytes_.back() |= static_cast<std::uint8_t>(0x80u >> used);
        ++bitCount_;
    }
}

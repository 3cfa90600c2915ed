#include "package/encode_methods.h"

ByteVector EncodeBitPlanes(const std::uint8_t* data, std::size_t size) {
    ByteVector planes(size, 0);
    std::size_t bit = 0;
    for (int plane = 0; plane < 8; ++plane) {
        for (std::size_t i = 0; i < size; ++i, ++bit)
            if ((data[i] >> (7 - plane)) & 1)
                planes[bit >> 3] =
                    static_cast<std::uint8_t>(planes[bit >> 3] | (0x80 >> (bit & 7)));
    }
    return planes;
}

#include "package/encode_methods.h"

ByteVector EncodeBitPlanes(const std::uint8_t* data, std::size_t size) {
    ByteVector planes;
    planes.reserve(size);
    // Bits gather most significant first; planes follow each other without padding.
    unsigned gathered = 0;
    int count = 0;
    for (int plane = 0; plane < 8; ++plane) {
        const int shift = 7 - plane;
        for (std::size_t i = 0; i < size; ++i) {
            gathered = (gathered << 1) | ((data[i] >> shift) & 1u);
            if (++count == 8) {
                planes.push_back(static_cast<std::uint8_t>(gathered));
                gathered = 0;
                count = 0;
            }
        }
    }
    return planes;
}

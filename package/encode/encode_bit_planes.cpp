#include "package/decode/bit_writer.h"
#include "package/decode/codec_format.h"
#include "package/encode/encode_methods.h"
#include "package/encode/encode_window.h"

int EncodeBitPlanes(HANDLE input, std::uint64_t offset, std::uint64_t size, HANDLE output) {
    EncodeSink sink(output);
    BitWriter planes(&sink);
    // One pass over the input per plane; planes follow each other without padding, so only
    // the last byte of all is padded.
    for (int plane = 0; plane < 8; ++plane) {
        const int shift = 7 - plane;
        auto putPlaneBits = [&](const std::uint8_t* bytes, std::size_t count) {
            std::size_t i = 0;
            for (; i + 8 <= count; i += 8) {
                unsigned gathered = 0;
                for (std::size_t k = 0; k < 8; ++k)
                    gathered = (gathered << 1) | ((bytes[i + k] >> shift) & 1u);
                planes.Put(gathered, 8);
            }
            for (; i < count; ++i)
                planes.Put((bytes[i] >> shift) & 1u, 1);
        };
        if (!WalkInput(input, offset, size, kCodecInputBufferSize, putPlaneBits))
            return 0;
    }
    planes.Finish();
    return sink.Flush();
}

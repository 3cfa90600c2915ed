#include "base/varint.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Varint, KnownBytesBothWays) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::uint32_t value;
    };
    const Case cases[] = {{{0x7F}, 127},
                          {{0x80, 0x01}, 128},
                          {{0xE5, 0x8E, 0x26}, 624485},
                          {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, 0xFFFFFFFFu}};
    for (const Case& c : cases) {
        std::uint32_t value = 1;
        EXPECT_EQ(DecodeVarint(c.bytes.data(), &value), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(value, c.value);
        std::uint8_t encoded[5];
        int length = EncodeVarint(c.value, encoded);
        EXPECT_EQ(std::vector<std::uint8_t>(encoded, encoded + length), c.bytes);
    }
}

}  // namespace

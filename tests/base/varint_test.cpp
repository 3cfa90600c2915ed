#include "base/varint.h"

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(Varint, KnownBytesBothWays) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::uint32_t value;
    };
    const Case cases[] = {{{0x00}, 0},
                          {{0x7F}, 127},
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

TEST(Varint, ReadsFromFilesWithinEightBytesAndTheBudget) {
    struct Case {
        std::string bytes;
        std::int64_t budget;  // -1: none
        int result;
        std::uint32_t value;
    };
    const Case cases[] = {
        {std::string("\xFF\xFF\xFF\xFF\x0F", 5), -1, 1, 0xFFFFFFFFu},
        {"", -1, 0, 0},                               // end of file
        {std::string(7, '\x80') + "\x01", -1, 1, 0},  // seven continuation bytes
        {std::string(8, '\x80') + "\x01", -1, 0, 0},  // eight are too many
        {"\x80\x01", 2, 1, 128},                      // the budget covers them
        {"\x80\x01", 1, 0, 0},                        // the budget ends before the last
        {"\x05", 0, 0, 0},                            // a budget below 1 at the start
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string label = testing::PrintToString(c.bytes);
        ASSERT_TRUE(WriteWholeFile(dir.File("v.bin"), c.bytes));
        ClFileHandle file = OpenScratchFile(dir.File("v.bin"), GENERIC_READ);
        std::uint32_t value = 0;
        std::int64_t budget = c.budget;
        EXPECT_EQ(ReadVarint(file.get(), &value, c.budget < 0 ? nullptr : &budget), c.result)
            << label;
        if (c.result) {
            EXPECT_EQ(value, c.value) << label;
            EXPECT_EQ(ReadVarint(file.get(), &value, nullptr), 0) << "every byte taken: " << label;
            EXPECT_EQ(budget, c.budget < 0 ? -1 : 0) << "each byte costs one: " << label;
        }
    }
}

}  // namespace

#include "package/decode/bit_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/package/codec_test_support.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"

namespace {

class BitReaderTest : public ::testing::Test {
  protected:
    // Opens a reader over bytes written to a real file, with a buffer of bufferSize bytes.
    int OpenOver(const std::string& bytes, std::uint64_t bufferSize, std::int64_t length,
                 std::uint32_t auxiliarySize = 0x10000) {
        std::string path = dir_.File("section.bin");
        file_.Close();
        if (!WriteWholeFile(path, bytes))
            return 0;
        file_ = OpenScratchFile(path, GENERIC_READ);
        buffer_.assign(bufferSize, 0);
        return reader_.Open(buffer_.data(), bufferSize, auxiliary_, auxiliarySize, file_.get(),
                            length);
    }
    int Field(int width) {
        std::uint8_t value = 0;
        if (!(width == 1 ? reader_.ReadBit(&value) : reader_.ReadBits(width, &value)))
            return -1;
        return value;
    }

    TempDir dir_;
    ClFileHandle file_;
    std::vector<std::uint8_t> buffer_;
    std::uint8_t auxiliary_[1] = {};
    BitReader reader_{};
};

TEST_F(BitReaderTest, OpenRefusesSmallAuxiliaryAndEmptySections) {
    EXPECT_EQ(OpenOver("ab", 16, 2, 0xFFFF), 0) << "auxiliary size below 0x10000";
    EXPECT_EQ(OpenOver("ab", 16, 0), 0) << "a section of length 0 cannot be opened";
}

TEST_F(BitReaderTest, FieldsStraddleBytesMostSignificantFirst) {
    ASSERT_EQ(OpenOver(Bits("1010 11 10 1 0110 100 00011110 1") + "\xA5\x3C\xFF", 16, 7), 1);
    EXPECT_EQ(Field(4), 0xA);
    EXPECT_EQ(Field(2), 3);
    EXPECT_EQ(Field(3), 5) << "a 3-bit field at position 6 takes 2 bits here and 1 from the next";
    EXPECT_EQ(Field(4), 6);
    EXPECT_EQ(Field(8), 0x83) << "8 bits at position 5: low 3 bits of one byte, high 5 of the next";
    EXPECT_EQ(Field(1), 1);
    EXPECT_EQ(Field(4), 0xA);
    EXPECT_EQ(Field(2), 0) << "padding up to the byte boundary";
    EXPECT_EQ(Field(4), 0);
    EXPECT_EQ(Field(8), 0xA5) << "at position 0 the whole byte";
    EXPECT_EQ(Field(4), 0x3);
    EXPECT_EQ(Field(1), 1);
    EXPECT_EQ(Field(8), 0x9F) << "at position 5: low 3 bits 100, then the high 5 bits 11111";
}

TEST_F(BitReaderTest, RefillsAcrossSmallBuffersAndStopsAtTheSectionEnd) {
    std::string bytes = PseudoRandomBytes(11, 7) + "trailing bytes of the next section";
    ASSERT_EQ(OpenOver(bytes, 4, 11), 1);
    for (int i = 0; i < 11 * 8; ++i) {
        int expected = (static_cast<unsigned char>(bytes[i / 8]) >> (7 - i % 8)) & 1;
        ASSERT_EQ(Field(1), expected) << "bit " << i;
    }
    EXPECT_EQ(Field(1), -1) << "the section is exhausted; the next section is not read";

    // A section of exactly the buffer size: taking the last byte at a byte boundary moves past
    // it at once, so the refill finds nothing.
    ASSERT_EQ(OpenOver("\x01\x02\x03\x04", 4, 4), 1);
    EXPECT_EQ(reader_.remaining, 0);
    for (int value : {1, 2, 3, -1})
        EXPECT_EQ(Field(8), value);
    // A narrow field that ends at the last bit keeps the cursor on it.
    ASSERT_EQ(OpenOver("\xF0", 16, 1), 1);
    for (int value : {0xF, 0x0})
        EXPECT_EQ(Field(4), value);
    EXPECT_EQ(Field(1), -1);
}

}  // namespace

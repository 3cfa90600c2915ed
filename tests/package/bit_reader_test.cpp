#include "package/decode/bit_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/package/codec_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

class BitReaderTest : public ::testing::Test {
  protected:
    // Opens a reader over bytes written to a real file, with a buffer of bufferSize bytes.
    int OpenOver(const std::string& bytes, std::uint64_t bufferSize, std::int64_t length,
                 std::uint32_t auxiliarySize = 0x10000) {
        std::string path = dir_.File("section.bin");
        if (!WriteWholeFile(path, bytes))
            return 0;
        TearDown();
        file_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        buffer_.assign(bufferSize, 0);
        return reader_.Open(buffer_.data(), bufferSize, auxiliary_, auxiliarySize, file_, length);
    }
    void TearDown() override {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
    int Field(int width) {
        std::uint8_t value = 0;
        if (!(width == 1 ? reader_.ReadBit(&value) : reader_.ReadBits(width, &value)))
            return -1;
        return value;
    }

    TempDir dir_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::vector<std::uint8_t> buffer_;
    std::uint8_t auxiliary_[1] = {};
    BitReader reader_{};
};

TEST_F(BitReaderTest, OpenRefusesSmallAuxiliaryAndEmptySections) {
    EXPECT_EQ(OpenOver("ab", 16, 2, 0xFFFF), 0) << "auxiliary size below 0x10000";
    EXPECT_EQ(OpenOver("ab", 16, 0), 0) << "a section of length 0 cannot be opened";
}

TEST_F(BitReaderTest, FieldsStraddleBytesMostSignificantFirst) {
    ASSERT_EQ(OpenOver(Bits("1010 11 10 1 0110 100 00011110 1"), 16, 4), 1);
    EXPECT_EQ(Field(4), 0xA);
    EXPECT_EQ(Field(2), 3);
    EXPECT_EQ(Field(3), 5) << "a 3-bit field at position 6 takes 2 bits here and 1 from the next";
    EXPECT_EQ(Field(4), 6);
    EXPECT_EQ(Field(8), 0x83) << "8 bits at position 5: low 3 bits of one byte, high 5 of the next";
    EXPECT_EQ(Field(1), 1);
    EXPECT_EQ(Field(4), 0xA);
}

TEST_F(BitReaderTest, EightBitFieldsAtAndOffByteBoundaries) {
    ASSERT_EQ(OpenOver(std::string("\xA5\x3C\xFF\x00", 4), 16, 4), 1);
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
}

TEST_F(BitReaderTest, SectionOfExactlyTheBufferSize) {
    ASSERT_EQ(OpenOver("\x01\x02\x03\x04", 4, 4), 1);
    EXPECT_EQ(reader_.remaining, 0);
    EXPECT_EQ(Field(8), 1);
    EXPECT_EQ(Field(8), 2);
    EXPECT_EQ(Field(8), 3);
    // Taking the last byte at a byte boundary moves past it at once; the refill finds nothing.
    EXPECT_EQ(Field(8), -1);
}

TEST_F(BitReaderTest, NarrowFieldEndingAtTheLastBitKeepsTheCursor) {
    ASSERT_EQ(OpenOver("\xF0", 16, 1), 1);
    EXPECT_EQ(Field(4), 0xF);
    EXPECT_EQ(Field(4), 0x0);
    EXPECT_EQ(Field(1), -1);
}

}  // namespace

#include "package/decode/bit_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/package/codec_test_support.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"

namespace {

class BitReaderTest : public ::testing::Test {
  protected:
    // Opens a reader over the length bytes at offset of a real file holding bytes, with a
    // buffer of bufferSize bytes.
    int OpenOver(const std::string& bytes, std::uint32_t bufferSize, std::uint64_t length,
                 std::uint64_t offset = 0) {
        std::string path = dir_.File("section.bin");
        file_.Close();
        if (!WriteWholeFile(path, bytes))
            return 0;
        file_ = OpenScratchFile(path, GENERIC_READ);
        buffer_.assign(bufferSize, 0);
        return reader_.Open(buffer_.data(), bufferSize, file_.get(), offset, length);
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
    BitReader reader_{};
};

TEST_F(BitReaderTest, EmptySectionsCannotBeOpened) {
    EXPECT_EQ(OpenOver("ab", 16, 0), 0);
    EXPECT_EQ(reader_.OpenBytes(reinterpret_cast<const std::uint8_t*>("ab"), 0), 0);
}

TEST_F(BitReaderTest, SectionsEndAtTheirLastBit) {
    // A section of exactly the buffer size is read to its last byte, by 8-bit fields at byte
    // boundaries; only a read past it fails.
    ASSERT_EQ(OpenOver("\x01\x02\x03\x04", 4, 4), 1);
    EXPECT_EQ(reader_.remaining, 0u);
    for (int value : {1, 2, 3, 4})
        EXPECT_EQ(Field(8), value);
    EXPECT_EQ(Field(1), -1);
    // A narrow field that ends at the last bit keeps the cursor on it.
    ASSERT_EQ(OpenOver("\xF0", 16, 1), 1);
    for (int value : {0xF, 0x0})
        EXPECT_EQ(Field(4), value);
    EXPECT_EQ(Field(1), -1);
}

TEST_F(BitReaderTest, FieldsOfEveryWidthAcrossRefillsWhileAnotherReaderMovesTheFile) {
    // 300 bytes at offset 5 of a file, taken as fields of 1 to 32 bits in turn, through
    // buffers of several sizes; a second reader of the same file moves the file position
    // between the first one's refills. Then the same bytes from memory.
    const std::string bytes = PseudoRandomBytes(400, 11);
    const std::uint64_t sectionBits = 300 * 8;
    auto readAll = [&](BitReader* other) {
        std::uint64_t position = 0;
        int width = 1;
        for (; position + width <= sectionBits; position += width, width = width % 32 + 1) {
            std::uint64_t expected = 0;
            for (std::uint64_t i = position; i < position + width; ++i)
                expected = expected << 1 |
                           ((static_cast<unsigned char>(bytes[5 + i / 8]) >> (7 - i % 8)) & 1);
            ASSERT_TRUE(reader_.Need(width)) << position;
            ASSERT_EQ(reader_.Peek(width), expected) << "bit " << position << ", width " << width;
            reader_.Skip(width);
            std::uint8_t ignored = 0;
            if (other != nullptr)
                other->ReadBits(2, &ignored);
        }
        EXPECT_FALSE(reader_.Need(width)) << "only " << sectionBits - position << " bits left";
    };
    for (std::uint32_t bufferSize : {1u, 3u, 8u, 9u, 64u, 4096u}) {
        SCOPED_TRACE(bufferSize);
        ASSERT_EQ(OpenOver(bytes, bufferSize, 300, 5), 1);
        std::uint8_t otherBuffer[7];
        BitReader other{};
        ASSERT_EQ(other.Open(otherBuffer, sizeof otherBuffer, file_.get(), 350, 50), 1);
        readAll(&other);
    }
    ASSERT_EQ(reader_.OpenBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 5, 300), 1);
    readAll(nullptr);
}

}  // namespace

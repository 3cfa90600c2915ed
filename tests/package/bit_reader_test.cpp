#include "package/decode/bit_reader.h"

#include <gtest/gtest.h>

#include <vector>

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

}  // namespace

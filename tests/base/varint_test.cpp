#include "base/varint.h"

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(Varint, DecodesKnownBytes) {
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

class VarintFile : public testing::Test {
  protected:
    HANDLE Open(const std::string& bytes) {
        std::string path = dir_.File("v.bin");
        WriteWholeFile(path, bytes);
        file_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        return file_;
    }
    ~VarintFile() override {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
    }
    TempDir dir_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

TEST_F(VarintFile, ReadsWithinLimits) {
    HANDLE file = Open(std::string("\xFF\xFF\xFF\xFF\x0F\x05", 6));
    std::uint32_t value = 0;
    ASSERT_EQ(ReadVarint(file, &value, nullptr), 1);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    ASSERT_EQ(ReadVarint(file, &value, nullptr), 1);
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(ReadVarint(file, &value, nullptr), 0) << "end of file";
}

TEST_F(VarintFile, RefusesEightContinuationBytes) {
    HANDLE file = Open(std::string(8, '\x80') + std::string(1, '\x01'));
    std::uint32_t value = 0;
    EXPECT_EQ(ReadVarint(file, &value, nullptr), 0);
}

TEST_F(VarintFile, SevenContinuationBytesThenEndAreAccepted) {
    HANDLE file = Open(std::string(7, '\x80') + std::string(1, '\x01'));
    std::uint32_t value = 7;
    EXPECT_EQ(ReadVarint(file, &value, nullptr), 1);
}

TEST_F(VarintFile, BudgetIsChargedPerByteAndMustCoverTheLast) {
    HANDLE file = Open(std::string("\x80\x01\x05", 3));
    std::uint32_t value = 0;
    std::int64_t budget = 1;
    EXPECT_EQ(ReadVarint(file, &value, &budget), 0) << "budget ends before the last byte";
    ASSERT_EQ(SetFilePosition(file, 0), 1);
    budget = 2;
    EXPECT_EQ(ReadVarint(file, &value, &budget), 1);
    EXPECT_EQ(value, 128u);
    EXPECT_EQ(budget, 0);
    budget = 0;
    EXPECT_EQ(ReadVarint(file, &value, &budget), 0) << "a budget below 1 at the start fails";
}

}  // namespace

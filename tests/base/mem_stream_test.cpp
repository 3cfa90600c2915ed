#include <gtest/gtest.h>

#include <cstring>

#include "base/file_io.h"
#include "base/file_stream.h"
#include "base/mem.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(ClMem, ReserveKeepsContentAndClampsCounts) {
    ClMem mem;
    ASSERT_EQ(mem.Reserve(16), 1) << "an empty block allocates exactly the size";
    EXPECT_EQ(mem.capacity, 16);
    std::uint8_t* first = mem.block;
    std::memcpy(mem.block, "0123456789ABCDEF", 16);
    mem.used = 10;
    mem.mark = 4;
    EXPECT_EQ(mem.Reserve(16), 1);
    EXPECT_EQ(mem.block, first) << "an equal size allocates nothing";
    ASSERT_EQ(mem.Reserve(64), 1);
    EXPECT_EQ(mem.capacity, 64);
    EXPECT_EQ(mem.used, 10);
    EXPECT_EQ(mem.mark, 4);
    EXPECT_EQ(std::memcmp(mem.block, "0123456789", 10), 0);
    EXPECT_EQ(mem.Reserve(0), 0);
    EXPECT_EQ(mem.capacity, 64) << "a refused size keeps the block";
    mem.Free();
    EXPECT_EQ(mem.block, nullptr);
    EXPECT_EQ(mem.capacity, 0);
    EXPECT_EQ(mem.owned, 1);
}

TEST(ClMem, AllocResetsCounts) {
    ClMem mem;
    ASSERT_EQ(mem.Alloc(8), 1);
    mem.used = 8;
    mem.mark = 3;
    ASSERT_EQ(mem.Alloc(4), 1);
    EXPECT_EQ(mem.capacity, 4);
    EXPECT_EQ(mem.used, 0);
    EXPECT_EQ(mem.mark, 0);
}

TEST(FileStream, OwnershipAndPositions) {
    TempDir dir;
    std::string path = dir.File("stream.bin");
    SFileStream* out = FileStreamOpen(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(out, nullptr);
    std::uint32_t written = 0;
    ASSERT_EQ(FileStreamWrite(out, "abcdefgh", 8, &written), 1);
    EXPECT_EQ(written, 8u);
    ASSERT_EQ(FileStreamSeek(out, 5), 1);
    ASSERT_EQ(FileStreamTruncate(out), 1);
    std::uint64_t position = 0;
    ASSERT_EQ(FileStreamTell(out, &position), 1);
    EXPECT_EQ(position, 5u);
    FileStreamClose(out);
    EXPECT_EQ(ReadWholeFile(path), "abcde");

    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    SFileStream* borrowed = FileStreamAttach(handle, 0);
    char buffer[8] = {};
    std::uint32_t read = 0;
    EXPECT_EQ(FileStreamRead(borrowed, buffer, 5, &read), 1);
    EXPECT_EQ(FileStreamRead(borrowed, buffer, 0, &read), 1) << "zero bytes at the end succeed";
    EXPECT_EQ(FileStreamRead(borrowed, buffer, 1, &read), 0);
    EXPECT_EQ(FileStreamClose(borrowed), handle);
    // The borrowed handle stays open and usable.
    EXPECT_EQ(SetFilePosition(handle, 1), 1);
    EXPECT_EQ(ReadFileAll(handle, buffer, 2), 1);
    EXPECT_EQ(std::string(buffer, 2), "bc");
    CloseHandle(handle);

    EXPECT_EQ(FileStreamOpen(dir.File("missing").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr),
              nullptr);
}

TEST(FileIo, SizesAndPositionsBeyondFourGigabytesAreExact) {
    TempDir dir;
    std::string path = dir.File("sparse.bin");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::uint64_t pastFourGiB = 0x100000010ULL;  // just past 4 GiB
    ASSERT_EQ(SetFilePosition(file, pastFourGiB), 1);
    ASSERT_EQ(WriteFileAll(file, "z", 1), 1);
    std::uint64_t size = 0;
    ASSERT_EQ(GetFileSize64(file, &size), 1);
    EXPECT_EQ(size, pastFourGiB + 1);
    std::uint64_t position = 0;
    GetFilePosition(file, &position);
    EXPECT_EQ(position, pastFourGiB + 1);
    ASSERT_EQ(SetFilePosition(file, 0), 1);
    SetEndOfFile(file);
    CloseHandle(file);
}

}  // namespace

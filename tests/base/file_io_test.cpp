#include <gtest/gtest.h>

#include "base/file_io.h"
#include "base/file_stream.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(FileStream, OwnershipAndPositions) {
    TempDir dir;
    std::string path = dir.File("stream.bin");
    SFileStream* out = FileStreamOpen(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::uint32_t done = 0;
    ASSERT_EQ(FileStreamWrite(out, "abcdefgh", 8, &done), 1);
    EXPECT_EQ(done, 8u);
    ASSERT_EQ(FileStreamSeek(out, 5), 1);
    ASSERT_EQ(FileStreamTruncate(out), 1);
    std::uint64_t position = 0;
    ASSERT_EQ(FileStreamTell(out, &position), 1);
    EXPECT_EQ(position, 5u);
    FileStreamClose(out);
    EXPECT_EQ(ReadWholeFile(path), "abcde");

    ClFileHandle file = OpenScratchFile(path, GENERIC_READ);
    SFileStream* borrowed = FileStreamAttach(file.get(), 0);
    char buffer[8] = {};
    EXPECT_EQ(FileStreamRead(borrowed, buffer, 5, &done), 1);
    EXPECT_EQ(FileStreamRead(borrowed, buffer, 0, &done), 1) << "zero bytes at the end succeed";
    EXPECT_EQ(FileStreamRead(borrowed, buffer, 1, &done), 0);
    EXPECT_EQ(FileStreamClose(borrowed), file.get());
    // The borrowed handle stays open and usable.
    EXPECT_EQ(SetFilePosition(file.get(), 1), 1);
    EXPECT_EQ(ReadFileAll(file.get(), buffer, 2), 1);
    EXPECT_EQ(std::string(buffer, 2), "bc");
    EXPECT_EQ(FileStreamOpen(dir.File("missing").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr),
              nullptr);
}

TEST(FileIo, SizesAndPositionsBeyondFourGigabytesAreExact) {
    TempDir dir;
    ClFileHandle handle =
        OpenScratchFile(dir.File("sparse.bin"), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE file = handle.get();
    const std::uint64_t pastFourGiB = 0x100000010ULL;
    ASSERT_EQ(SetFilePosition(file, pastFourGiB), 1);
    ASSERT_EQ(WriteFileAll(file, "z", 1), 1);
    std::uint64_t size = 0, position = 0;
    ASSERT_EQ(GetFileSize64(file, &size), 1);
    EXPECT_EQ(size, pastFourGiB + 1);
    ASSERT_EQ(GetFilePosition(file, &position), 1);
    EXPECT_EQ(position, pastFourGiB + 1);
    // A low part of 0xFFFFFFFF is a position like any other, whatever error came before.
    SetLastError(ERROR_ACCESS_DENIED);
    ASSERT_EQ(SetFilePosition(file, 0xFFFFFFFFULL), 1);
    SetLastError(ERROR_ACCESS_DENIED);
    ASSERT_EQ(GetFilePosition(file, &position), 1);
    EXPECT_EQ(position, 0xFFFFFFFFULL);
    ASSERT_EQ(SetFilePosition(file, 0), 1);
    EXPECT_EQ(SetEndOfFile(file), TRUE);
}

TEST(FileIo, FailuresAreReportedNotTakenForSuccess) {
    TempDir dir;
    std::string path = dir.File("decoded.bin");
    ASSERT_TRUE(WriteWholeFile(path, "stale bytes"));
    std::uint64_t value = 7;
    EXPECT_EQ(GetFilePosition(INVALID_HANDLE_VALUE, &value), 0);
    EXPECT_EQ(GetFileSize64(INVALID_HANDLE_VALUE, &value), 0);
    EXPECT_EQ(value, 7u) << "a failed query stores nothing";
    SFileStream* invalid = FileStreamAttach(INVALID_HANDLE_VALUE, 0);
    EXPECT_EQ(FileStreamTell(invalid, &value), 0);
    FileStreamClose(invalid);

    // A stream that cannot end its file says so: the caller would keep the stale tail.
    ClFileHandle source = OpenScratchFile(path, GENERIC_READ);
    SFileStream* stream = FileStreamAttach(source.get(), 0);
    ASSERT_EQ(FileStreamSeek(stream, 5), 1);
    EXPECT_EQ(FileStreamTruncate(stream), 0);
    FileStreamClose(stream);

    // A copy without buffer room fails at once instead of copying nothing forever.
    ClFileHandle target = OpenScratchFile(dir.File("copy.bin"), GENERIC_WRITE, CREATE_ALWAYS);
    char buffer[4];
    ASSERT_EQ(SetFilePosition(source.get(), 0), 1);
    EXPECT_EQ(CopyFileBytes(target.get(), source.get(), 5, buffer, 0), 0);
    EXPECT_EQ(CopyFileBytes(target.get(), source.get(), 0, buffer, 0), 1) << "nothing to copy";
    EXPECT_EQ(CopyFileBytes(target.get(), source.get(), 11, buffer, sizeof buffer), 1);
    EXPECT_EQ(CopyFileBytes(target.get(), source.get(), 1, buffer, sizeof buffer), 0)
        << "a short read";
    target.Close();
    EXPECT_EQ(ReadWholeFile(dir.File("copy.bin")), "stale bytes");
}

}  // namespace

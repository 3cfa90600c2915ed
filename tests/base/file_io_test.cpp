#include <gtest/gtest.h>

#include "base/file_io.h"
#include "base/file_stream.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"

namespace {

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
}

TEST(FileIo, FailuresAreReportedNotTakenForSuccess) {
    TempDir dir;
    std::string path = dir.File("decoded.bin");
    ASSERT_TRUE(WriteWholeFile(path, "stale bytes"));
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

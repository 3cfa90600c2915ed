// The file API of the platform seam, run natively over POSIX and under Wine over Windows: both
// must agree on creation modes, sharing and the last-error codes that the install engine tests.
#include "base/platform.h"

#include <gtest/gtest.h>

#include <string>

#include "base/file_io.h"
#include "base/win_handles.h"
#include "tests/support/temp_dir.h"

namespace {

// A CreateFileA result together with the last error it left.
struct Opened {
    ClFileHandle file;
    DWORD error;
};

Opened Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
            DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    SetLastError(ERROR_INVALID_FUNCTION);
    HANDLE file =
        CreateFileA(path.c_str(), access, share, nullptr, disposition, attributes, nullptr);
    DWORD error = GetLastError();
    return Opened{ClFileHandle(file), error};
}

DWORD FailureOf(BOOL result) {
    return result ? NO_ERROR : GetLastError();
}

std::uint64_t SizeOf(const ClFileHandle& file) {
    std::uint64_t size = 0;
    EXPECT_EQ(GetFileSize64(file.get(), &size), 1);
    return size;
}

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

TEST(PlatformFiles, CreationModesAndTheirLastErrors) {
    TempDir dir;
    const std::string path = dir.File("file.bin");
    const std::string missing = dir.File("missing.bin");
    const std::string noFolder = dir.File("no-folder") + (dir.File("x").substr(dir.path().size()));
    ASSERT_TRUE(WriteWholeFile(path, "content"));

    Opened created = Open(dir.File("new.bin"), kReadWrite, 0, CREATE_NEW);
    ASSERT_TRUE(created.file.ok());
    EXPECT_EQ(Open(path, kReadWrite, 0, CREATE_NEW).error, ERROR_FILE_EXISTS);
    EXPECT_FALSE(Open(path, kReadWrite, 0, CREATE_NEW).file.ok());

    Opened always = Open(path, kReadWrite, 0, CREATE_ALWAYS);
    ASSERT_TRUE(always.file.ok());
    EXPECT_EQ(always.error, ERROR_ALREADY_EXISTS) << "an existing file is said so";
    EXPECT_EQ(SizeOf(always.file), 0u) << "and emptied";
    ASSERT_EQ(WriteFileAll(always.file.get(), "content", 7), 1);
    always.file.Close();
    EXPECT_EQ(Open(dir.File("fresh.bin"), kReadWrite, 0, CREATE_ALWAYS).error, NO_ERROR);

    Opened existing = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(existing.file.ok());
    EXPECT_EQ(SizeOf(existing.file), 7u);
    existing.file.Close();
    EXPECT_EQ(Open(missing, GENERIC_READ, 0, OPEN_EXISTING).error, ERROR_FILE_NOT_FOUND);

    Opened openAlways = Open(path, kReadWrite, 0, OPEN_ALWAYS);
    EXPECT_EQ(openAlways.error, ERROR_ALREADY_EXISTS);
    EXPECT_EQ(SizeOf(openAlways.file), 7u) << "kept";
    openAlways.file.Close();
    Opened madeByOpenAlways = Open(dir.File("made.bin"), kReadWrite, 0, OPEN_ALWAYS);
    EXPECT_TRUE(madeByOpenAlways.file.ok());
    EXPECT_EQ(madeByOpenAlways.error, NO_ERROR);

    Opened truncated = Open(path, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    ASSERT_TRUE(truncated.file.ok());
    EXPECT_EQ(SizeOf(truncated.file), 0u);
    truncated.file.Close();
    EXPECT_EQ(Open(missing, GENERIC_WRITE, 0, TRUNCATE_EXISTING).error, ERROR_FILE_NOT_FOUND);

    const DWORD dispositions[] = {CREATE_NEW, CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS,
                                  TRUNCATE_EXISTING};
    for (DWORD disposition : dispositions)
        EXPECT_EQ(Open(noFolder, kReadWrite, 0, disposition).error, ERROR_PATH_NOT_FOUND)
            << "disposition " << disposition;
    EXPECT_EQ(Open(path, kReadWrite, 0, 0).error, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Open(dir.path(), GENERIC_READ, kShareAll, OPEN_EXISTING).error, ERROR_ACCESS_DENIED)
        << "a folder is no file";
}

TEST(PlatformFiles, ReadOnlyFilesAndWrongAccess) {
    TempDir dir;
    const std::string path = dir.File("readonly.txt");
    Opened made = Open(path, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(made.file.ok());
    ASSERT_EQ(WriteFileAll(made.file.get(), "kept", 4), 1) << "the creating handle may write";
    made.file.Close();
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    // Opening it for writing is refused by Windows, but not by Wine or POSIX for an
    // administrator, who runs these tests; deleting it is refused everywhere.
    EXPECT_EQ(FailureOf(DeleteFileA(path.c_str())), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadWholeFile(path), "kept");

    Opened reader = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(reader.file.ok());
    DWORD done = 0;
    EXPECT_EQ(FailureOf(WriteFile(reader.file.get(), "x", 1, &done, nullptr)), ERROR_ACCESS_DENIED);
    EXPECT_NE(FailureOf(SetEndOfFile(reader.file.get())), NO_ERROR);
    Opened writer = Open(dir.File("w.txt"), GENERIC_WRITE, 0, CREATE_NEW);
    char byte = 0;
    EXPECT_EQ(FailureOf(ReadFile(writer.file.get(), &byte, 1, &done, nullptr)),
              ERROR_ACCESS_DENIED);
}

TEST(PlatformFiles, SharingIsEnforcedBetweenOpenHandles) {
    TempDir dir;
    const std::string path = dir.File("lock.dat");
    ASSERT_TRUE(WriteWholeFile(path, "pending"));

    // The instance lock: held without sharing, no other open gets through, however it asks.
    Opened lock = Open(path, kReadWrite, 0, OPEN_ALWAYS);
    ASSERT_TRUE(lock.file.ok());
    EXPECT_EQ(Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING).error, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Open(path, GENERIC_WRITE, kShareAll, OPEN_ALWAYS).error, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Open(path, kReadWrite, 0, CREATE_ALWAYS).error, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(FailureOf(DeleteFileA(path.c_str())), ERROR_SHARING_VIOLATION);
    lock.file.Close();
    EXPECT_EQ(ReadWholeFile(path), "pending") << "a refused CREATE_ALWAYS truncates nothing";

    // Readers that share reading meet; a writer needs every holder to share writing, and a
    // reader that shares nothing keeps later writers out.
    Opened reader = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(reader.file.ok());
    Opened second = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_TRUE(second.file.ok());
    EXPECT_EQ(Open(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING).error, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Open(path, GENERIC_READ, 0, OPEN_EXISTING).error, ERROR_SHARING_VIOLATION)
        << "an open that shares nothing meets the readers already there";
    reader.file.Close();
    second.file.Close();

    Opened writer = Open(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    ASSERT_TRUE(writer.file.ok());
    EXPECT_EQ(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).error,
              ERROR_SHARING_VIOLATION)
        << "this reader would not share the writer already there";
    Opened sharing = Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
    EXPECT_TRUE(sharing.file.ok());
    writer.file.Close();
    sharing.file.Close();
    EXPECT_EQ(FailureOf(DeleteFileA(path.c_str())), NO_ERROR) << "nobody holds it any more";
}

TEST(PlatformFiles, FolderOperationsAndMissingPaths) {
    TempDir dir;
    const std::string folder = dir.File("folder");
    const std::string deeper = folder + dir.File("a").substr(dir.path().size());
    const std::string file = dir.File("file.txt");
    ASSERT_TRUE(WriteWholeFile(file, "x"));

    EXPECT_EQ(FailureOf(CreateDirectoryA(deeper.c_str(), nullptr)), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(FailureOf(CreateDirectoryA(folder.c_str(), nullptr)), NO_ERROR);
    EXPECT_EQ(FailureOf(CreateDirectoryA(folder.c_str(), nullptr)), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(FailureOf(CreateDirectoryA(file.c_str(), nullptr)), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(FailureOf(CreateDirectoryA(deeper.c_str(), nullptr)), NO_ERROR);
    EXPECT_EQ(FailureOf(RemoveDirectoryA(folder.c_str())), ERROR_DIR_NOT_EMPTY);
    EXPECT_EQ(FailureOf(DeleteFileA(folder.c_str())), ERROR_ACCESS_DENIED);
    EXPECT_EQ(FailureOf(RemoveDirectoryA(deeper.c_str())), NO_ERROR);
    EXPECT_EQ(FailureOf(RemoveDirectoryA(deeper.c_str())), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FailureOf(DeleteFileA(deeper.c_str())), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FailureOf(DeleteFileA((deeper + deeper.substr(folder.size())).c_str())),
              ERROR_PATH_NOT_FOUND);

    EXPECT_EQ(GetFileAttributesA(deeper.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA((deeper + deeper.substr(folder.size())).c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              DWORD{FILE_ATTRIBUTE_DIRECTORY});
}

}  // namespace

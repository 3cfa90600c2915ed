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

constexpr DWORD kUnchecked = 0xFFFFFFFF;

TEST(PlatformFiles, CreationModesAndTheirLastErrors) {
    TempDir dir;
    // Each row opens a file of its own, which holds 7 bytes when it exists beforehand.
    const struct {
        bool exists;
        DWORD disposition;
        DWORD error;
        int size;  // after the open; -1: the open fails
    } rows[] = {
        {false, CREATE_NEW, NO_ERROR, 0},
        {true, CREATE_NEW, ERROR_FILE_EXISTS, -1},
        {true, CREATE_ALWAYS, ERROR_ALREADY_EXISTS, 0},
        {false, CREATE_ALWAYS, NO_ERROR, 0},
        {true, OPEN_EXISTING, kUnchecked, 7},
        {false, OPEN_EXISTING, ERROR_FILE_NOT_FOUND, -1},
        {true, OPEN_ALWAYS, ERROR_ALREADY_EXISTS, 7},
        {false, OPEN_ALWAYS, NO_ERROR, 0},
        {true, TRUNCATE_EXISTING, kUnchecked, 0},
        {false, TRUNCATE_EXISTING, ERROR_FILE_NOT_FOUND, -1},
        {true, 0, ERROR_INVALID_PARAMETER, -1},
    };
    int index = 0;
    for (const auto& row : rows) {
        const std::string path = dir.File("file" + std::to_string(index++));
        SCOPED_TRACE(testing::Message() << "disposition " << row.disposition << " on "
                                        << (row.exists ? "a file" : "nothing"));
        ASSERT_TRUE(!row.exists || WriteWholeFile(path, "content"));
        Opened opened = Open(path, kReadWrite, 0, row.disposition);
        EXPECT_EQ(opened.file.ok(), row.size >= 0);
        if (row.error != kUnchecked) {
            EXPECT_EQ(opened.error, row.error);
        }
        if (opened.file.ok()) {
            EXPECT_EQ(SizeOf(opened.file), std::uint64_t(row.size));
        }
    }
    const std::string noFolder = dir.File("no-folder") + dir.File("x").substr(dir.path().size());
    for (DWORD disposition :
         {CREATE_NEW, CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING})
        EXPECT_EQ(Open(noFolder, kReadWrite, 0, disposition).error, ERROR_PATH_NOT_FOUND)
            << "disposition " << disposition;
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
    // A second open while the first is held: a writer needs every holder to share writing, and
    // an open that shares nothing meets every holder already there.
    const struct {
        DWORD heldAccess, heldShare, access, share, disposition;
        bool shared;
    } rows[] = {
        // The instance lock: held without sharing, no other open gets through.
        {kReadWrite, 0, GENERIC_READ, kShareAll, OPEN_EXISTING, false},
        {kReadWrite, 0, GENERIC_WRITE, kShareAll, OPEN_ALWAYS, false},
        {kReadWrite, 0, kReadWrite, 0, CREATE_ALWAYS, false},
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, true},
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, kShareAll, OPEN_EXISTING, false},
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, 0, OPEN_EXISTING, false},
        {GENERIC_WRITE, kShareAll, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, false},
        {GENERIC_WRITE, kShareAll, GENERIC_READ, kShareAll, OPEN_EXISTING, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "held " << row.heldAccess << "/" << row.heldShare
                                        << ", then " << row.access << "/" << row.share);
        Opened held = Open(path, row.heldAccess, row.heldShare, OPEN_EXISTING);
        ASSERT_TRUE(held.file.ok());
        Opened second = Open(path, row.access, row.share, row.disposition);
        EXPECT_EQ(second.file.ok(), row.shared);
        if (!row.shared) {
            EXPECT_EQ(second.error, ERROR_SHARING_VIOLATION);
        }
        if (row.heldShare == 0) {
            EXPECT_EQ(FailureOf(DeleteFileA(path.c_str())), ERROR_SHARING_VIOLATION);
        }
    }
    EXPECT_EQ(ReadWholeFile(path), "pending") << "a refused CREATE_ALWAYS truncates nothing";
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

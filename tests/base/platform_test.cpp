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

Opened Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    SetLastError(ERROR_INVALID_FUNCTION);
    HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = GetLastError();
    return Opened{ClFileHandle(file), error};
}

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kUnchecked = 0xFFFFFFFF;

TEST(PlatformFiles, CreationModesAndTheirLastErrors) {
    TempDir dir;
    enum Before { NOTHING, A_FILE, NO_FOLDER, A_FOLDER };
    // Each row opens a path of its own; a file there beforehand holds 7 bytes.
    const struct {
        Before before;
        DWORD disposition;
        DWORD error;
        int size;  // after the open; -1: the open fails
    } rows[] = {
        {NOTHING, CREATE_NEW, NO_ERROR, 0},
        {A_FILE, CREATE_NEW, ERROR_FILE_EXISTS, -1},
        {A_FILE, CREATE_ALWAYS, ERROR_ALREADY_EXISTS, 0},
        {NOTHING, CREATE_ALWAYS, NO_ERROR, 0},
        {A_FILE, OPEN_EXISTING, kUnchecked, 7},
        {NOTHING, OPEN_EXISTING, ERROR_FILE_NOT_FOUND, -1},
        {A_FILE, OPEN_ALWAYS, ERROR_ALREADY_EXISTS, 7},
        {NOTHING, OPEN_ALWAYS, NO_ERROR, 0},
        {A_FILE, TRUNCATE_EXISTING, kUnchecked, 0},
        {NOTHING, TRUNCATE_EXISTING, ERROR_FILE_NOT_FOUND, -1},
        {A_FILE, 0, ERROR_INVALID_PARAMETER, -1},
        {NO_FOLDER, OPEN_ALWAYS, ERROR_PATH_NOT_FOUND, -1},
        {NO_FOLDER, OPEN_EXISTING, ERROR_PATH_NOT_FOUND, -1},
        {A_FOLDER, OPEN_EXISTING, ERROR_ACCESS_DENIED, -1},
    };
    int index = 0;
    for (const auto& row : rows) {
        std::string path = dir.File("file" + std::to_string(index++));
        SCOPED_TRACE(testing::Message()
                     << "disposition " << row.disposition << ", before " << row.before);
        if (row.before == NO_FOLDER)
            path += dir.File("x").substr(dir.path().size());
        ASSERT_TRUE(row.before != A_FILE || WriteWholeFile(path, "content"));
        ASSERT_TRUE(row.before != A_FOLDER || CreateDirectoryA(path.c_str(), nullptr));
        Opened opened = Open(path, kReadWrite, 0, row.disposition);
        EXPECT_EQ(opened.file.ok(), row.size >= 0);
        if (row.error != kUnchecked) {
            EXPECT_EQ(opened.error, row.error);
        }
        std::uint64_t size = 0;
        if (opened.file.ok()) {
            EXPECT_EQ(GetFileSize64(opened.file.get(), &size), 1);
            EXPECT_EQ(size, std::uint64_t(row.size));
        }
    }
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
        EXPECT_EQ(second.error == ERROR_SHARING_VIOLATION, !row.shared);
        if (row.heldShare == 0) {
            EXPECT_FALSE(DeleteFileA(path.c_str()));
            EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        }
    }
    EXPECT_EQ(ReadWholeFile(path), "pending") << "a refused CREATE_ALWAYS truncates nothing";
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "nobody holds it any more";
}

}  // namespace

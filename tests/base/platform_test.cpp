// The file API of the platform seam, run natively over POSIX and under Wine over Windows: both
// must agree on creation modes, sharing and the last-error codes that the install engine tests.
#include "base/platform.h"

#include <gtest/gtest.h>

#include <string>

#include "base/file_io.h"
#include "base/win_handles.h"
#include "tests/support/temp_dir.h"

namespace {

ClFileHandle Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return ClFileHandle(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

constexpr DWORD kRW = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kUnchecked = 0xFFFFFFFF;

TEST(PlatformFiles, CreationModesSharingAndTheirLastErrors) {
    TempDir dir;
    enum Before { NOTHING, A_FILE, NO_FOLDER, A_FOLDER };
    // Each row opens a path of its own, where a file holds 7 bytes beforehand, while a handle
    // opened first (held access not 0) is held. Sharing: a writer needs every holder to share
    // writing, and an open that shares nothing meets every holder already there.
    const struct {
        Before before;
        DWORD heldAccess, heldShare, access, share, disposition, error;
        int size;  // after the open; -1: the open fails
    } rows[] = {
        {NOTHING, 0, 0, kRW, 0, CREATE_NEW, NO_ERROR, 0},
        {A_FILE, 0, 0, kRW, 0, CREATE_NEW, ERROR_FILE_EXISTS, -1},
        {A_FILE, 0, 0, kRW, 0, CREATE_ALWAYS, ERROR_ALREADY_EXISTS, 0},
        {NOTHING, 0, 0, kRW, 0, CREATE_ALWAYS, NO_ERROR, 0},
        {A_FILE, 0, 0, kRW, 0, OPEN_EXISTING, kUnchecked, 7},
        {NOTHING, 0, 0, kRW, 0, OPEN_EXISTING, ERROR_FILE_NOT_FOUND, -1},
        {A_FILE, 0, 0, kRW, 0, OPEN_ALWAYS, ERROR_ALREADY_EXISTS, 7},
        {NOTHING, 0, 0, kRW, 0, OPEN_ALWAYS, NO_ERROR, 0},
        {A_FILE, 0, 0, kRW, 0, TRUNCATE_EXISTING, kUnchecked, 0},
        {NOTHING, 0, 0, kRW, 0, TRUNCATE_EXISTING, ERROR_FILE_NOT_FOUND, -1},
        {A_FILE, 0, 0, kRW, 0, 0, ERROR_INVALID_PARAMETER, -1},
        {NO_FOLDER, 0, 0, kRW, 0, OPEN_ALWAYS, ERROR_PATH_NOT_FOUND, -1},
        {NO_FOLDER, 0, 0, kRW, 0, OPEN_EXISTING, ERROR_PATH_NOT_FOUND, -1},
        {A_FOLDER, 0, 0, GENERIC_READ, kShareAll, OPEN_EXISTING, ERROR_ACCESS_DENIED, -1},
        // The instance lock: held without sharing, no other open gets through.
        {A_FILE, kRW, 0, GENERIC_READ, kShareAll, OPEN_EXISTING, ERROR_SHARING_VIOLATION, -1},
        {A_FILE, kRW, 0, kRW, 0, CREATE_ALWAYS, ERROR_SHARING_VIOLATION, -1},
        {A_FILE, GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
         kUnchecked, 7},
        {A_FILE, GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, kShareAll, OPEN_EXISTING,
         ERROR_SHARING_VIOLATION, -1},
        {A_FILE, GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, 0, OPEN_EXISTING,
         ERROR_SHARING_VIOLATION, -1},
        {A_FILE, GENERIC_WRITE, kShareAll, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
         ERROR_SHARING_VIOLATION, -1},
        {A_FILE, GENERIC_WRITE, kShareAll, GENERIC_READ, kShareAll, OPEN_EXISTING, kUnchecked, 7},
    };
    int index = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << index);
        std::string path = dir.File("file" + std::to_string(index++));
        if (row.before == NO_FOLDER)
            path += dir.File("x").substr(dir.path().size());
        ASSERT_TRUE(row.before != A_FILE || WriteWholeFile(path, "content"));
        ASSERT_TRUE(row.before != A_FOLDER || CreateDirectoryA(path.c_str(), nullptr));
        ClFileHandle held = row.heldAccess
                                ? Open(path, row.heldAccess, row.heldShare, OPEN_EXISTING)
                                : ClFileHandle();
        SetLastError(ERROR_INVALID_FUNCTION);
        ClFileHandle opened = Open(path, row.access, row.share, row.disposition);
        const DWORD error = GetLastError();
        EXPECT_EQ(opened.ok(), row.size >= 0);
        if (row.error != kUnchecked) {
            EXPECT_EQ(error, row.error);
        }
        std::uint64_t size = 7;
        if (opened.ok()) {
            EXPECT_EQ(GetFileSize64(opened.get(), &size), 1);
            EXPECT_EQ(size, std::uint64_t(row.size));
        }
        if (row.heldAccess && row.heldShare == 0) {
            EXPECT_FALSE(DeleteFileA(path.c_str()));
            EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        }
        opened.Close();
        held.Close();
        if (row.before == A_FILE && size == 7) {
            EXPECT_EQ(ReadWholeFile(path), "content") << "a refused open truncates nothing";
        }
    }
}

}  // namespace

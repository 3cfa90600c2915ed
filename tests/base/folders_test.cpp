#include "base/folders.h"

#include <gtest/gtest.h>

#include <string>

#include "base/platform.h"
#include "tests/support/temp_dir.h"

namespace {

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(CreateFolderPath, CreatesEveryMissingLevel) {
    TempDir dir;
    // 表\ソ\能: every level's last byte is 0x5C, none of them a separator.
    std::string path = dir.path() + "\\\x95\x5C\\\x83\x5C\\\x94\x5C";
    ASSERT_EQ(CreateFolderPath(path.c_str(), nullptr), 1);
    EXPECT_TRUE(IsFolder(path));

    ASSERT_EQ(CreateFolderPath(path.c_str(), "sub"), 1);
    ASSERT_EQ(CreateFolderPath((path + "\\").c_str(), "sub2"), 1);
    EXPECT_TRUE(IsFolder(path + "\\sub") && IsFolder(path + "\\sub2"));
}

TEST(CreateFolderPath, RefusesTooLongPaths) {
    TempDir dir;
    std::string base = dir.path() + "\\";
    std::string tooLong = base + std::string(261 - base.size(), 'x');
    EXPECT_EQ(CreateFolderPath(tooLong.c_str(), nullptr), 0);
    std::string edge = base + std::string(250 - base.size(), 'y');
    ASSERT_EQ(CreateFolderPath(edge.c_str(), nullptr), 1);
    EXPECT_EQ(CreateFolderPath(edge.c_str(), "123456789"), 1) << "250 + 1 + 9 = 260 bytes";
    EXPECT_EQ(CreateFolderPath(edge.c_str(), "1234567890"), 0) << "261 bytes";
}

}  // namespace

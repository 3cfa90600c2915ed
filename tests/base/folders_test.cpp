#include "base/folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/platform.h"
#include "base/win_handles.h"
#include "tests/support/temp_dir.h"

namespace {

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Names inside folder, sorted.
std::vector<std::string> Children(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    ClFindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search.ok())
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search.get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CreateFolderPath, CreatesEveryMissingLevel) {
    TempDir dir;
    // 表\ソ\能: every level's last byte is 0x5C, none of them a separator.
    std::string path = dir.path() + "\\\x95\x5C\\\x83\x5C\\\x94\x5C";
    ASSERT_EQ(CreateFolderPath(path.c_str(), nullptr), 1);
    EXPECT_TRUE(IsFolder(dir.path() + "\\\x95\x5C"));
    EXPECT_TRUE(IsFolder(dir.path() + "\\\x95\x5C\\\x83\x5C"));
    EXPECT_TRUE(IsFolder(path));
    EXPECT_EQ(Children(dir.path()), std::vector<std::string>{"\x95\x5C"})
        << "no folder was cut at a trail byte";

    ASSERT_EQ(CreateFolderPath(path.c_str(), "sub"), 1);
    EXPECT_TRUE(IsFolder(path + "\\sub"));
    ASSERT_EQ(CreateFolderPath((path + "\\").c_str(), "sub2"), 1);
    EXPECT_TRUE(IsFolder(path + "\\sub2"));
    EXPECT_EQ(Children(path), (std::vector<std::string>{"sub", "sub2"}));
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

TEST(CreateTempFolder, MakesANewEmptyFolder) {
    char folder[MAX_PATH] = {}, file[MAX_PATH] = {};
    ASSERT_EQ(CreateTempFolder(folder, file, MAX_PATH), 1);
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_EQ(std::string(file), std::string(folder) + "\\0");
    EXPECT_EQ(GetFileAttributesA(file), INVALID_FILE_ATTRIBUTES) << "the probe file is gone";
    EXPECT_TRUE(RemoveDirectoryA(folder)) << "the folder is empty";
}

}  // namespace

#include "base/temp_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "base/file_io.h"
#include "tests/support/temp_dir.h"

namespace {

// Names in folder other than the ones the test made itself.
int StrayFiles(const std::string& folder) {
    int stray = 0;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        stray += item.path().filename() != "copy";
    return stray;
}

TEST(ClTempFile, HoldsItsDataUntilClosedAndLeavesNothingBehind) {
    TempDir dir;
    TempFolderOverride temporaries(dir.path());
    ClTempFile first, second;
    ASSERT_EQ(first.Create(), 1);
    ASSERT_EQ(second.Create(), 1) << "two at once get files of their own";
    ASSERT_EQ(WriteFileAll(first.handle(), "section", 7), 1);
    ASSERT_EQ(WriteFileAll(second.handle(), "other", 5), 1);
    std::uint64_t size = 0;
    ASSERT_EQ(first.Size(&size), 1);
    EXPECT_EQ(size, 7u);

    ClFileHandle copy(CreateFileA(dir.File("copy").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_EQ(WriteFileAll(copy.get(), ">", 1), 1);
    ASSERT_EQ(first.CopyTo(copy.get()), 1) << "from its start, to the output's position";
    copy.Close();
    EXPECT_EQ(ReadWholeFile(dir.File("copy")), ">section");

    ClTempFile moved(std::move(first));
    EXPECT_FALSE(first.ok());
    EXPECT_EQ(moved.Size(&size), 1);
    ASSERT_EQ(second.Create(), 1) << "a new file in place of the one held";
    ASSERT_EQ(second.Size(&size), 1);
    EXPECT_EQ(size, 0u);
    moved.Close();
    second.Close();
    EXPECT_EQ(StrayFiles(dir.path()), 0);
}

TEST(ClTempFile, FailsWithoutATemporaryFolder) {
    TempDir dir;
    TempFolderOverride temporaries(dir.File("missing"));
    ClTempFile file;
    EXPECT_EQ(file.Create(), 0);
    EXPECT_FALSE(file.ok());
    std::uint64_t size = 0;
    EXPECT_EQ(file.Size(&size), 0);
    EXPECT_EQ(file.CopyTo(INVALID_HANDLE_VALUE), 0);
}

}  // namespace

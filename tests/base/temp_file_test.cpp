#include "base/temp_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/file_io.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(ClTempFile, HoldsItsDataUntilClosedAndLeavesNothingBehind) {
    TempDir dir;
    TempFolderOverride temporaries(dir.path());
    ClTempFile first, second;
    ASSERT_EQ(first.Create(), 1);
    ASSERT_EQ(second.Create(), 1) << "two at once get files of their own";
    ASSERT_EQ(WriteFileAll(first.handle(), "section", 7), 1);
    ASSERT_EQ(WriteFileAll(second.handle(), "other", 5), 1);
    {
        ClFileHandle copy(CreateFileA(dir.File("copy").c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_EQ(WriteFileAll(copy.get(), ">", 1), 1);
        ASSERT_EQ(first.CopyTo(copy.get()), 1) << "from its start, to the output's position";
    }
    EXPECT_EQ(ReadWholeFile(dir.File("copy")), ">section");
    first.Close();
    second.Close();
    ASSERT_TRUE(std::filesystem::remove(dir.File("copy")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "the closed files are gone";
}

}  // namespace

#include "package/layout/disk_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const CMakeDiskList& list) {
    return std::vector<std::string>(list.names, list.names + list.count);
}

TEST(DiskList, NamesAreUniqueIgnoringAsciiCase) {
    CMakeDiskList list;
    ASSERT_EQ(list.Add("Disk1"), 1);
    ASSERT_EQ(list.Add("DISK1"), 1);
    ASSERT_EQ(list.Add("disk2"), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Disk1", "disk2"}));
    EXPECT_EQ(list.Find("disk1"), 0);
    EXPECT_EQ(list.Find("Disk2"), 1);
    EXPECT_EQ(list.Find("Disk3"), -1);
    // Double-byte names: ア (83 41) and ヂ (83 61) are different disks.
    ASSERT_EQ(list.Add("\x83\x41"), 1);
    ASSERT_EQ(list.Add("\x83\x61"), 1);
    EXPECT_EQ(list.count, 4u);
}

TEST(DiskList, GrowsPastItsCapacityKeepingFlags) {
    CMakeDiskList list;
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(list.Add(("Disk" + std::to_string(i)).c_str()), 1);
        ASSERT_EQ(list.AllocateFlags(i, static_cast<std::uint32_t>(i + 1)), 1);
        list.flags[i][i] = static_cast<std::uint8_t>(i);
    }
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(list.flagSizes[i], static_cast<std::uint32_t>(i + 1));
        EXPECT_EQ(list.flags[i][i], i);
        if (i > 0) {
            EXPECT_EQ(list.flags[i][0], 0) << "fresh flags are zero";
        }
    }
    EXPECT_EQ(list.AllocateFlags(40, 4), 0) << "index not below the count";
    EXPECT_EQ(list.AllocateFlags(-1, 4), 0);
    list.Clear();
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.Find("Disk1"), -1);
}

}  // namespace

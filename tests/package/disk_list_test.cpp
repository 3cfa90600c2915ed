#include "package/layout/disk_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DiskList, NamesAreUniqueIgnoringAsciiCase) {
    CMakeDiskList list;
    for (const char* name : {"Disk1", "DISK1", "disk2", "\x83\x41", "\x83\x61"})
        ASSERT_EQ(list.Add(name), 1) << name;
    // Double-byte names: ア (83 41) and ヂ (83 61) are different disks.
    EXPECT_EQ(std::vector<std::string>(list.names, list.names + list.count),
              (std::vector<std::string>{"Disk1", "disk2", "\x83\x41", "\x83\x61"}));
    EXPECT_EQ(list.Find("disk1"), 0);
    EXPECT_EQ(list.Find("Disk3"), -1);
}

}  // namespace

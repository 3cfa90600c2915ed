#include "base/path_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Cut(std::string path, int* result) {
    char buffer[300];
    std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
    *result = CutLastPathPart(buffer);
    return buffer;
}

TEST(CutLastPathPart, CutsAtTheLastRealSeparator) {
    struct Case {
        std::string path;
        int result;
        std::string after;
    };
    const Case cases[] = {
        {"C:\\Folder\\setup.exe", 1, "C:\\Folder"},
        {"C:\\a/b", 1, "C:\\a"},
        {"C:\\\x95\x5C", 1, "C:"},                      // ends in 表 (trail byte 0x5C)
        {"C:\\\x95\x5C\\\x83\x5C", 1, "C:\\\x95\x5C"},  // 表\ソ
        {"C:\\\x95\x5C\\", 1, "C:"},
        {"abc", 0, "abc"},
        {"ab\\", 0, "ab"},  // the trailing separator goes, then there is none
        {"a\\", 0, "a\\"},  // shorter than 3 bytes: untouched
    };
    for (const Case& c : cases) {
        int result = -1;
        EXPECT_EQ(Cut(c.path, &result), c.after) << c.path;
        EXPECT_EQ(result, c.result) << c.path;
    }
}

}  // namespace

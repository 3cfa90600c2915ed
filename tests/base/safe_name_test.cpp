#include "base/safe_name.h"

#include <gtest/gtest.h>

namespace {

TEST(PathNameProblem, EveryWayANameCanLeaveItsFolderOrChange) {
    struct Case {
        const char* name;
        NameProblem problem;
    };
    const Case cases[] = {
        {"kakeibo.exe", NAME_SAFE},
        {"\x95\x5C", NAME_SAFE},              // 表: its trail byte is no separator
        {"\x83\x5C\x83\x7C.txt", NAME_SAFE},  // ソ and ポ end in 5C and 7C ('|')
        {"...a", NAME_SAFE},
        {"CONSOLE", NAME_SAFE},
        {"COM10", NAME_SAFE},
        {"", NAME_EMPTY},
        {nullptr, NAME_EMPTY},
        {".", NAME_DOTS},
        {"..", NAME_DOTS},
        {"C:\\x", NAME_SEPARATOR},
        {"C:x", NAME_SEPARATOR},
        {"\\\\?\\C:", NAME_SEPARATOR},
        {"a/b", NAME_SEPARATOR},
        {"file:stream", NAME_SEPARATOR},
        {"a\x95\x5C\\", NAME_SEPARATOR},  // a real separator behind 表
        {"a?b", NAME_INVALID_CHARACTER},
        {"a\tb", NAME_INVALID_CHARACTER},
        {"name.", NAME_TRAILING_DOT_OR_SPACE},
        {"...", NAME_TRAILING_DOT_OR_SPACE},
        {"name ", NAME_TRAILING_DOT_OR_SPACE},
        {"CON", NAME_DEVICE},
        {"nul.txt", NAME_DEVICE},
        {"Com1", NAME_DEVICE},
        {"lpt9.log", NAME_DEVICE},
        {"AUX .c", NAME_DEVICE},
        {"conout$", NAME_DEVICE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathNameProblem(c.name), c.problem) << (c.name ? c.name : "(null)");
        EXPECT_EQ(IsSafePathName(c.name), c.problem == NAME_SAFE) << (c.name ? c.name : "(null)");
    }
}

}  // namespace

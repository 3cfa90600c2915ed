#include "base/safe_name.h"

#include <gtest/gtest.h>

namespace {

// The damaged-package test reports the common cases ("..", ".", "C:\x", "C:x", "\\?\", "CON",
// "nul.txt", "", "a.", 表) through setupkit verify; these are the rest.
TEST(PathNameProblem, EveryWayANameCanLeaveItsFolderOrChange) {
    struct Case {
        const char* name;
        NameProblem problem;
    };
    const Case cases[] = {
        {"\x83\x5C\x83\x7C.txt", NAME_SAFE},  // ソ and ポ end in 5C and 7C ('|')
        {"...a", NAME_SAFE},
        {"CONSOLE", NAME_SAFE},
        {"COM10", NAME_SAFE},
        {nullptr, NAME_EMPTY},
        {"a/b", NAME_SEPARATOR},
        {"file:stream", NAME_SEPARATOR},
        {"a\x95\x5C\\", NAME_SEPARATOR},  // a real separator behind 表
        {"a?b", NAME_INVALID_CHARACTER},
        {"a\tb", NAME_INVALID_CHARACTER},
        {"...", NAME_TRAILING_DOT_OR_SPACE},
        {"name ", NAME_TRAILING_DOT_OR_SPACE},
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

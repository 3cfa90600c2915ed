#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "base/run_flags.h"

namespace {

TEST(CommandTail, SwitchesAndAQuotedArgumentOfAt258Characters) {
    const std::string fits(258, 'a'), tooLong(259, 'b');
    struct Case {
        std::string tail;
        int result;
        std::uint8_t flags;
        std::string argument;  // or, when refused, the rest after the opening quote
    };
    const Case cases[] = {
        {"", 1, RUN_MODE_INSTALL, ""},
        {"/U \"C:\\App\\uninst.dat\"", 1, RUN_MODE_UNINSTALL, "C:\\App\\uninst.dat"},
        {"/u\"C:\\App\\uninst.dat\"", 1, RUN_MODE_UNINSTALL, "C:\\App\\uninst.dat"},
        {"\"C:\\App\\uninst.dat\" /U", 1, RUN_MODE_UNINSTALL, "C:\\App\\uninst.dat"},
        {"/U", 1, RUN_MODE_UNINSTALL, ""},
        {"/R", 1, RUN_MODE_RESTART, ""},
        {"/rfoo", 1, RUN_MODE_RESTART, ""},
        {"/Ufoo", 1, RUN_MODE_UNINSTALL, ""},
        {"/x / words and more /", 1, RUN_MODE_INSTALL, ""},
        {"\"first\" \"second\"", 1, RUN_MODE_INSTALL, "second"},
        {"\"unclosed", 1, RUN_MODE_INSTALL, "unclosed"},
        {"\"\"", 1, RUN_MODE_INSTALL, ""},
        {"/U /R", 1, RUN_UNINSTALL | RUN_RESTART, ""},
        {"\"C:\\\x95\x5C\\\x83\x5C.dat\" /u", 1, RUN_MODE_UNINSTALL, "C:\\\x95\x5C\\\x83\x5C.dat"},
        {"/U \"" + fits + "\"", 1, RUN_MODE_UNINSTALL, fits},
        {"\"" + fits, 1, RUN_MODE_INSTALL, fits},
        {"/U \"" + tooLong + "\" /R", 0, 0, tooLong + "\" /R"},
        {"\"" + tooLong, 0, 0, tooLong},  // unclosed: the length runs to the end of the line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        char argument[310] = "";
        SCommandTail parsed;
        ASSERT_EQ(ParseCommandTail(c.tail.c_str(), argument, &parsed), c.result);
        if (c.result) {
            EXPECT_EQ(parsed.runFlags, c.flags);
            EXPECT_EQ(argument, c.argument);
        } else {
            EXPECT_EQ(parsed.tooLongRest ? parsed.tooLongRest : "", c.argument);
        }
    }
}

TEST(SplitCommandLine, FirstTokenOfAt309CharactersAndItsFolder) {
    const std::string fits = "C:\\" + std::string(306, 'p');
    struct Case {
        std::string line;
        int result;
        std::string path;
        std::string folder;
    };
    const Case cases[] = {
        {"\"C:\\Setup Files\\setup.exe\" /U", 1, "C:\\Setup Files\\setup.exe", "C:\\Setup Files\\"},
        {"C:\\SETUP\\setup.exe /R", 1, "C:\\SETUP\\setup.exe", "C:\\SETUP\\"},
        {"setup.exe", 1, "setup.exe", ""},
        {" C:\\setup.exe", 1, "", ""},
        {"\"D:\\\x95\x5C\\setup.exe\"", 1, "D:\\\x95\x5C\\setup.exe", "D:\\\x95\x5C\\"},
        {"\"D:\\\x95\x5C\"", 1, "D:\\\x95\x5C", "D:\\"},  // trail byte 0x5C is no separator
        {"D:setup.exe", 1, "D:setup.exe", "D:"},
        {fits, 1, fits, "C:\\"},
        {fits + "q", 0, "", ""},
        {"\"" + fits + "q\" /U", 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        char folder[310] = "x", path[310] = "x";
        ASSERT_EQ(SplitCommandLine(folder, 310, path, 310, 310, c.line.c_str()), c.result);
        if (c.result) {
            EXPECT_EQ(path, c.path);
            EXPECT_EQ(folder, c.folder);
        }
    }
}

}  // namespace

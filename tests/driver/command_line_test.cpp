#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "base/run_flags.h"

namespace {

struct Parsed {
    int result;
    std::uint8_t flags;
    std::string argument;
    std::string tooLongRest;
};

Parsed Parse(const std::string& tail) {
    char argument[310] = "";
    SCommandTail parsed;
    Parsed out;
    out.result = ParseCommandTail(tail.c_str(), argument, &parsed);
    out.flags = parsed.runFlags;
    out.argument = argument;
    out.tooLongRest = parsed.tooLongRest ? parsed.tooLongRest : "";
    return out;
}

TEST(CommandTail, SwitchesAndQuotedArgument) {
    struct Case {
        std::string tail;
        std::uint8_t flags;
        std::string argument;
    };
    const Case cases[] = {
        {"", RUN_MODE_INSTALL, ""},
        {"/U \"C:\\App\\uninst.dat\"", RUN_MODE_UNINSTALL, "C:\\App\\uninst.dat"},
        {"/u\"C:\\App\\uninst.dat\"", RUN_MODE_UNINSTALL, "C:\\App\\uninst.dat"},
        {"\"C:\\App\\uninst.dat\" /U", RUN_MODE_UNINSTALL, "C:\\App\\uninst.dat"},
        {"/U", RUN_MODE_UNINSTALL, ""},
        {"/R", RUN_MODE_RESTART, ""},
        {"/rfoo", RUN_MODE_RESTART, ""},
        {"/Ufoo", RUN_MODE_UNINSTALL, ""},
        {"/x / words and more /", RUN_MODE_INSTALL, ""},
        {"\"first\" \"second\"", RUN_MODE_INSTALL, "second"},
        {"\"unclosed", RUN_MODE_INSTALL, "unclosed"},
        {"\"\"", RUN_MODE_INSTALL, ""},
        {"/U /R", RUN_UNINSTALL | RUN_RESTART, ""},
        {"\"C:\\\x95\x5C\\\x83\x5C.dat\" /u", RUN_MODE_UNINSTALL, "C:\\\x95\x5C\\\x83\x5C.dat"},
    };
    for (const Case& c : cases) {
        Parsed parsed = Parse(c.tail);
        EXPECT_EQ(parsed.result, 1) << c.tail;
        EXPECT_EQ(parsed.flags, c.flags) << c.tail;
        EXPECT_EQ(parsed.argument, c.argument) << c.tail;
    }
}

TEST(CommandTail, QuotedArgumentOf259CharactersIsRefused) {
    std::string ok(258, 'a');
    Parsed accepted = Parse("/U \"" + ok + "\"");
    EXPECT_EQ(accepted.result, 1);
    EXPECT_EQ(accepted.argument, ok);

    std::string tooLong(259, 'b');
    Parsed refused = Parse("/U \"" + tooLong + "\" /R");
    EXPECT_EQ(refused.result, 0);
    EXPECT_EQ(refused.tooLongRest, tooLong + "\" /R") << "the rest after the opening quote";
    // Unclosed: the length runs to the end of the line.
    EXPECT_EQ(Parse("\"" + tooLong).result, 0);
    EXPECT_EQ(Parse("\"" + ok).result, 1);
}

TEST(SplitCommandLine, FirstTokenAndItsFolder) {
    struct Case {
        std::string line;
        std::string path;
        std::string folder;
    };
    const Case cases[] = {
        {"\"C:\\Setup Files\\setup.exe\" /U", "C:\\Setup Files\\setup.exe", "C:\\Setup Files\\"},
        {"C:\\SETUP\\setup.exe /R", "C:\\SETUP\\setup.exe", "C:\\SETUP\\"},
        {"setup.exe", "setup.exe", ""},
        {" C:\\setup.exe", "", ""},
        {"\"D:\\\x95\x5C\\setup.exe\"", "D:\\\x95\x5C\\setup.exe", "D:\\\x95\x5C\\"},
        {"\"D:\\\x95\x5C\"", "D:\\\x95\x5C", "D:\\"},  // trail byte 0x5C is no separator
        {"D:setup.exe", "D:setup.exe", "D:"},
    };
    for (const Case& c : cases) {
        char folder[310] = "x", path[310] = "x";
        ASSERT_EQ(SplitCommandLine(folder, 310, path, 310, 310, c.line.c_str()), 1) << c.line;
        EXPECT_EQ(path, c.path) << c.line;
        EXPECT_EQ(folder, c.folder) << c.line;
    }
}

TEST(SplitCommandLine, TokenLimitIs309Characters) {
    char folder[310], path[310];
    std::string fits = "C:\\" + std::string(306, 'p');  // 309 characters
    EXPECT_EQ(SplitCommandLine(folder, 310, path, 310, 310, fits.c_str()), 1);
    EXPECT_EQ(SplitCommandLine(folder, 310, path, 310, 310, (fits + "q").c_str()), 0);
    EXPECT_EQ(SplitCommandLine(folder, 310, path, 310, 310, ("\"" + fits + "q\" /U").c_str()), 0);
}

}  // namespace

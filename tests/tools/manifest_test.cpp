// Manifest reading and checking: the problems that would spoil an install are reported with
// their line and column, and names and lists are kept as the setup program looks them up.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_dir.h"
#include "tests/tools/setupkit_test_support.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/manifest.h"
#include "tools/setupkit/package_plan.h"

namespace {

TEST(Manifest, EveryProblemNamesItsPosition) {
    struct Case {
        const char* what;
        std::string body;      // behind kHead, which takes lines 1-4
        const char* expected;  // "line:column: error: start of the message"
    };
    const std::string component = "[[component]]\nname = \"c\"\n";  // lines 5-6
    const Case cases[] = {
        {"duplicate destination",
         component + "files = [{ source = \"a.txt\", name = \"x.txt\" },\n"
                     "         { source = \"b.txt\", name = \"x.txt\" }]\n",
         "8:21: error: duplicate destination 'IF\\x.txt' (first given at line 7)"},
        {"unknown macro", component + "files = [{ source = \"a.txt\", dest = 'ZZ\\x' }]\n",
         "7:37: error: unknown folder macro 'ZZ'"},
        {"dot-dot component", component + "files = [{ source = \"a.txt\", dest = 'IF\\..\\x' }]\n",
         "7:37: error: 'dest' has the name '..' would leave its folder"},
        {"reserved name", component + "files = [{ source = \"a.txt\", name = \"con.txt\" }]\n",
         "7:37: error: 'name' has the reserved device name 'con.txt'"},
        {"unmappable character", component + "description = \"café\"\n",
         "7:15: error: 'description': the character U+00E9 'é' cannot be written in code page "
         "932"},
        {"unknown key", component + "fils = []\n", "7:1: error: unknown key 'fils' in a component"},
        {"text too long", "[texts]\nlicence = \"" + std::string(70000, 'x') + "\"\n" + component,
         "6:11: error: 'licence' is 70000 bytes in code page 932; a text holds at most 65535"},
        {"NUL in a source", component + "files = [{ source = \"a.txt\\u0000x\" }]\n",
         "7:21: error: 'source' must not contain a NUL character"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const Checked checked = Check(dir, kHead + c.body);
        EXPECT_NE(Joined(checked.lines).find(std::string("setup.toml:") + c.expected),
                  std::string::npos)
            << Joined(checked.lines);
        EXPECT_EQ(checked.plan, nullptr);
    }
}

// Names and lists as the setup program looks them up: a registry key name keeps its "/", a
// folder source keeps its empty folders, disk names differing in case are one disk, the
// programs to run are the flagged files then the listed paths.
TEST(Manifest, NamesAndListsAreKeptAsTheRunsLookThemUp) {
    TempDir dir;
    fs::create_directories(fs::path(dir.path()) / "tree" / "empty" / "deeper");
    std::ofstream(fs::path(dir.path()) / "tree" / "a.txt") << "a";
    const Checked checked = Check(
        dir, std::string(kHead) +
                 "run = ['WF\\notepad.exe', 'IF\\B.TXT']\n"
                 "[[component]]\nname = \"c\"\ndisk = \"Disk2\"\n"
                 "files = [{ source = \"b.txt\", run_after_install = true },\n"
                 "         { source = \"a.txt\", run_after_install = true, disk = \"DISK2\" },\n"
                 "         { source = \"tree\", dest = 'IF\\t' }]\n"
                 "registry = [{ key = 'CR\\MIME\\Database\\Content Type\\text/x-kakeibo' }]\n");
    ASSERT_NE(checked.plan, nullptr) << Joined(checked.lines);
    EXPECT_TRUE(checked.lines.empty()) << Joined(checked.lines);
    ClTree* files = checked.plan->fileTree.get();
    EXPECT_NE(
        ClTreeFindPath(files, nullptr, "CR\\MIME\\Database\\Content Type\\text/x-kakeibo", "\\", 1),
        nullptr);
    ClTreeNode* empty = ClTreeFindPath(files, nullptr, "IF\\t\\empty\\deeper", "\\", 1);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(ClTreeNodeGetInfo(empty)->length, 8u);  // a folder record
    EXPECT_EQ(checked.plan->files.size(), 3u);

    ClTreeNode* component = ClTreeFindChild(checked.plan->setupTree.get(), nullptr, "c", 1, 1);
    ASSERT_NE(component, nullptr);
    ClTreeNode* list = ClTreeNavigate(component, TN_FIRST_VALUE, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_STREQ(ClTreeNodeGetInfo(list)->name, "Disk2");
    EXPECT_EQ(ClTreeNavigate(list, TN_NEXT, nullptr), nullptr);  // one list for all files

    const SSetupInfo& info = checked.plan->info;
    ASSERT_EQ(info.listCount, 3);  // IF\B.TXT is b.txt, listed once
    EXPECT_STREQ(info.list[0], "IF\\b.txt");
    EXPECT_STREQ(info.list[1], "IF\\a.txt");
    EXPECT_STREQ(info.list[2], "WF\\notepad.exe");
}

TEST(Cp932, ConvertsJapaneseAndNamesWhatItCannot) {
    EXPECT_EQ(Utf8ToCp932("かな〜①").text, "\x82\xa9\x82\xc8\x81\x60\x87\x40");
    const Cp932Result bad = Utf8ToCp932("ab\xC3\xA9z");
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.offset, 2u);
    EXPECT_EQ(DescribeCharacter(bad.offender), "U+00E9 'é'");
    EXPECT_EQ(Cp932ToUtf8("\x82\xa9\x82\xc8"), "かな");
    EXPECT_EQ(Cp932ToUtf8("a\x82"), "a\\x82");  // a lead byte without its trail byte
}

}  // namespace

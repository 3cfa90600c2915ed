// Manifest reading and checking: every kind of problem is reported with its line and column,
// a small manifest builds on defaults, and nothing is written when a problem is found.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>

#include "base/little_endian.h"
#include "package/layout/package_layout.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/setupkit_test_support.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/manifest.h"
#include "tools/setupkit/package_plan.h"

namespace {

TEST(Manifest, EveryProblemNamesItsPosition) {
    struct Case {
        const char* what;
        std::string body;       // behind kHead, which takes lines 1-4
        const char* expected;   // "line:column: error: start of the message"
        const char* head = "";  // more lines of [install], behind kHead
    };
    const std::string component = "[[component]]\nname = \"c\"\n";  // lines 5-6
    const Case cases[] = {
        {"glob without match", component + "files = [{ source = \"*.dat\" }]\n",
         "7:21: error: no file matches '*.dat'"},
        {"duplicate destination",
         component + "files = [{ source = \"a.txt\", name = \"x.txt\" },\n"
                     "         { source = \"b.txt\", name = \"x.txt\" }]\n",
         "8:21: error: duplicate destination 'IF\\x.txt' (first given at line 7)"},
        {"unknown macro", component + "files = [{ source = \"a.txt\", dest = 'ZZ\\x' }]\n",
         "7:37: error: unknown folder macro 'ZZ'"},
        {"registry root as folder", component + "files = [{ source = \"a.txt\", dest = 'LM' }]\n",
         "7:37: error: the macro 'LM' cannot be a destination folder"},
        {"path too long",
         component + "files = [{ source = \"a.txt\", dest = 'IF\\" + std::string(240, 'd') +
             "' }]\n",
         "7:21: error: 'IF\\ddd"},
        {"forbidden character", component + "files = [{ source = \"a.txt\", name = \"a|b\" }]\n",
         "7:37: error: 'name' has the character '|'"},
        {"dot-dot component", component + "files = [{ source = \"a.txt\", dest = 'IF\\..\\x' }]\n",
         "7:37: error: 'dest' has the name '..' would leave its folder"},
        {"reserved name", component + "files = [{ source = \"a.txt\", name = \"con.txt\" }]\n",
         "7:37: error: 'name' has the reserved device name 'con.txt'"},
        {"unmappable character", component + "description = \"café\"\n",
         "7:15: error: 'description': the character U+00E9 'é' cannot be written in code page "
         "932"},
        {"conflicting options",
         component + "files = [{ source = \"a.txt\", shortcut = { name = \"A\", program_menu = "
                     "true } }]\n",
         "8:41: error: a program-menu shortcut is asked for, but 'group_locked'",
         "options = [\"group_locked\"]\n"},
        {"licence page without licence", component,
         "5:9: error: the licence page is shown but there is no 'licence' text",
         "pages = [\"licence\", \"start\"]\n"},
        {"unknown key", component + "fils = []\n", "7:1: error: unknown key 'fils' in a component"},
        {"registry value with recursion",
         component + "registry = [{ key = 'LM\\Software\\T', value = \"v\", recursive = true }]\n",
         "7:13: error: 'recursive' and 'check' apply to keys"},
        {"text too long", "[texts]\nlicence = \"" + std::string(70000, 'x') + "\"\n" + component,
         "6:11: error: 'licence' is 70000 bytes in code page 932; a text holds at most 65535"},
        {"toml syntax", component + "files = [\n", "7:11: error: Error while parsing array"},
        {"NUL in a source", component + "files = [{ source = \"a.txt\\u0000x\" }]\n",
         "7:21: error: 'source' must not contain a NUL character"},
        {"folder as text file", "[texts]\nlicence = { file = \".\" }\n" + component,
         "6:11: error: the text file '.' is not a file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const Checked checked = Check(dir, kHead + std::string(c.head) + c.body);
        EXPECT_NE(Joined(checked.lines).find(std::string("setup.toml:") + c.expected),
                  std::string::npos)
            << Joined(checked.lines);
        EXPECT_EQ(checked.plan, nullptr);
    }
}

// Problems are all reported at once, and a name that is given but cannot be used is one
// problem, not also a missing name.
TEST(Manifest, EveryProblemIsReportedOnce) {
    const std::string component = "[[component]]\nname = \"c\"\n";
    const struct {
        std::string text;
        std::size_t problems;
    } cases[] = {
        {kHead + component +
             "files = [{ source = \"a.txt\", name = \"a|b\" },\n"
             "         { source = \"a.txt\", dest = 'QQ' }]\ndescription = \"é\"\n",
         3},
        {"[product]\nname = \"P😀\"\n" + component, 1},
        {kHead + std::string("[[component]]\nname = \"c😀\"\n") +
             "files = [{ source = \"a.txt\", shortcut = { name = \"s\\u0000\", desktop = true } "
             "}]\n",
         2},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const Checked checked = Check(dir, c.text);
        EXPECT_EQ(checked.lines.size(), c.problems) << Joined(checked.lines);
    }
}

// A text file is read only as far as a text can go: 65535 bytes in code page 932, which
// half-width katakana take three times over in UTF-8.
TEST(Manifest, TextFilesAreReadOnlyAsFarAsATextCanGo) {
    TempDir dir;
    std::string longest = "\xEF\xBB\xBF";  // a BOM
    for (int i = 0; i < 0xFFFF; ++i)
        longest += "\xEF\xBD\xB1";  // U+FF71, one byte in code page 932
    const std::string manifest =
        std::string(kHead) +
        "[texts]\nlicence = { file = \"licence.txt\" }\n[[component]]\nname = \"c\"\n";
    std::ofstream(fs::path(dir.path()) / "licence.txt", std::ios::binary) << longest;
    const Checked fits = Check(dir, manifest);
    ASSERT_NE(fits.plan, nullptr) << Joined(fits.lines);
    EXPECT_EQ(std::strlen(fits.plan->info.texts[TEXT_LICENCE]), 0xFFFFu);
    std::ofstream(fs::path(dir.path()) / "licence.txt", std::ios::app) << "x";
    const Checked tooLong = Check(dir, manifest);
    EXPECT_NE(Joined(tooLong.lines).find("6:11: error: the text file 'licence.txt' is larger"),
              std::string::npos)
        << Joined(tooLong.lines);
}

// A small manifest builds on defaults. The check tree counts every checked item and every
// complete group below a group, so a group's sub-item count is the number of all components
// below it, at any depth.
TEST(Manifest, SmallManifestBuildsOnDefaultsWithSubItemCounts) {
    TempDir dir;
    const Checked checked = Check(dir, std::string(kHead) +
                                           "[[component]]\nname = \"top\"\n"
                                           "[[component.component]]\nname = \"mid\"\n"
                                           "[[component.component.component]]\nname = \"leaf1\"\n"
                                           "files = [{ source = \"a.txt\" }]\n"
                                           "[[component.component.component]]\nname = \"leaf2\"\n"
                                           "files = [{ source = \"b.txt\" }]\n"
                                           "[[component.component]]\nname = \"side\"\n"
                                           "files = [{ source = \"a.txt\" }]\n");
    ASSERT_NE(checked.plan, nullptr) << Joined(checked.lines);
    const SSetupInfo& info = checked.plan->info;
    EXPECT_EQ(Cp932ToUtf8(info.texts[TEXT_INSTALL_TITLE]), "テスト セットアップ");
    EXPECT_EQ(Cp932ToUtf8(info.texts[TEXT_UNINSTALL_KEY]), "テスト");
    EXPECT_STREQ(info.texts[TEXT_INSTALL_PATH], "\\Test");
    EXPECT_STREQ(info.texts[TEXT_DATA_FILE], "Uninstall.dat");
    EXPECT_EQ(info.installFolderMacro, 20);  // "64"
    EXPECT_EQ(info.pageBits,                 // components to choose from: the mode and items pages
              1u << PAGE_MODE | 1u << PAGE_ITEMS | 1u << PAGE_START | 1u << PAGE_PROGRESS |
                  1u << PAGE_FINISH | 1u << PAGE_DEST_FOLDER);
    std::map<std::string, std::uint32_t> counts;
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(checked.plan->setupTree.get()); node;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
        if ((info->flags & TN_KEY) && info->name && info->length >= kComponentDescription)
            counts[info->name] = LoadLe32(info->data + kComponentSubItems);
    }
    EXPECT_EQ(counts, (std::map<std::string, std::uint32_t>{
                          {"top", 4}, {"mid", 2}, {"leaf1", 0}, {"leaf2", 0}, {"side", 0}}));
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
    EXPECT_FALSE(Utf8ToCp932("a\xFF").ok);      // not UTF-8
    EXPECT_FALSE(Utf8ToCp932("a\xE3\x81").ok);  // cut short
    EXPECT_EQ(Cp932ToUtf8("\x82\xa9\x82\xc8"), "かな");
    EXPECT_EQ(Cp932ToUtf8("a\x82"), "a\\x82");  // a lead byte without its trail byte
}

}  // namespace

// Manifest reading and checking: every kind of problem is reported with its line and column,
// a small manifest builds on defaults, and nothing is written when a problem is found.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

#include "base/little_endian.h"
#include "package/layout/package_layout.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/setupkit_test_support.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/manifest.h"
#include "tools/setupkit/package_plan.h"
#include "tools/setupkit/sources.h"

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
        {"missing source", component + "files = [{ source = \"nope.txt\" }]\n",
         "7:21: error: source file not found: 'nope.txt'"},
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

TEST(Manifest, ProblemsAreAllReportedAtOnce) {
    TempDir dir;
    const Checked checked = Check(dir, std::string(kHead) +
                                           "[[component]]\nname = \"c\"\n"
                                           "files = [{ source = \"a.txt\", name = \"a|b\" },\n"
                                           "         { source = \"a.txt\", dest = 'QQ' }]\n"
                                           "description = \"é\"\n");
    EXPECT_EQ(checked.lines.size(), 3u) << Joined(checked.lines);
}

// A name that is given but cannot be used is one problem, not also a missing name.
TEST(Manifest, ANameWithAProblemIsReportedOnce) {
    TempDir dir;
    const Checked checked = Check(dir, "[product]\nname = \"P😀\"\n[[component]]\nname = \"c\"\n");
    EXPECT_EQ(checked.lines.size(), 1u) << Joined(checked.lines);
    const Checked names = Check(dir, std::string(kHead) +
                                         "[[component]]\nname = \"c😀\"\n"
                                         "files = [{ source = \"a.txt\", shortcut = { name = "
                                         "\"s\\u0000\", desktop = true } }]\n");
    EXPECT_EQ(names.lines.size(), 2u) << Joined(names.lines);
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

TEST(Manifest, SmallManifestBuildsOnDefaults) {
    TempDir dir;
    const Checked checked = Check(dir, std::string(kHead) +
                                           "[[component]]\nname = \"c\"\n"
                                           "files = [{ source = \"*.txt\" }]\n");
    ASSERT_NE(checked.plan, nullptr) << Joined(checked.lines);
    const SSetupInfo& info = checked.plan->info;
    EXPECT_EQ(Cp932ToUtf8(info.texts[TEXT_INSTALL_TITLE]), "テスト セットアップ");
    EXPECT_EQ(Cp932ToUtf8(info.texts[TEXT_UNINSTALL_KEY]), "テスト");
    EXPECT_STREQ(info.texts[TEXT_INSTALL_PATH], "\\Test");
    EXPECT_STREQ(info.texts[TEXT_DATA_FILE], "Uninstall.dat");
    EXPECT_EQ(info.installFolderMacro, 20);  // "64"
    EXPECT_EQ(info.pageBits,
              1u << PAGE_START | 1u << PAGE_PROGRESS | 1u << PAGE_FINISH | 1u << PAGE_DEST_FOLDER);
    EXPECT_EQ(checked.plan->files.size(), 2u);
}

// The records of every item kind, byte by byte, as the install and uninstall runs read them.
TEST(Manifest, RecordsCarryTheirFieldsWhereTheRunsReadThem) {
    TempDir dir;
    const Checked checked = Check(
        dir,
        std::string(kHead) +
            "[[component]]\nname = \"c\"\n"
            "[[component.files]]\nsource = \"a.txt\"\ndest = 'IF\\bin'\nshared_dll = true\n"
            "shortcut = { name = \"A\", description = \"D\", arguments = \"/x\", desktop = true, "
            "program_menu = true }\n"
            "[[component.folders]]\ndest = 'IF\\logs'\nnever_remove = true\n"
            "[[component.registry]]\nkey = 'LM\\Software\\T'\n"
            "check = { mode = \"parent_nocase\", text = \"v\" }\n"
            "[[component.registry]]\nkey = 'CU\\Software\\T'\nvalue = \"Dir\"\n"
            "uninstall_only = true\n");
    ASSERT_NE(checked.plan, nullptr) << Joined(checked.lines);
    std::map<std::string, std::vector<std::uint8_t>> records;
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(checked.plan->fileTree.get()); node;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
        if (!(info->flags & TN_DATA))
            continue;
        std::string path(ClTreeGetPath(node, nullptr, "\\"), '\0');
        ClTreeGetPath(node, path.data(), "\\");
        path.pop_back();
        records[path].assign(info->data, info->data + info->length);
    }
    using Bytes = std::vector<std::uint8_t>;
    // Walk order: CU, IF (folders bin, logs, then the file), LM.
    EXPECT_EQ(records["CU\\Software\\T\\Dir"], (Bytes{0x50, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(records["IF\\bin"], (Bytes{0, 0, 0, 0, 2, 0, 0, 0}));
    EXPECT_EQ(records["IF\\logs"], (Bytes{0x20, 0, 0, 0, 4, 0, 0, 0}));
    EXPECT_EQ(records["LM\\Software\\T"],
              (Bytes{0x11, 0, 0, 0, 5, 0, 0, 0, 3, 'v', 0, 0, 0, 0, 0}));
    const Bytes& file = records["IF\\bin\\a.txt"];
    ASSERT_EQ(file.size(), 48u + 6 + 2 + 3 + 4);
    EXPECT_EQ(file[0], 0x07);  // desktop, program menu, shared DLL
    EXPECT_EQ(file[4], 3);
    EXPECT_EQ(std::string(file.begin() + 48, file.end() - 4), std::string("A.lnk\0D\0/x\0", 11));
    std::uint8_t written[8];
    StoreLe64(written, FileWriteTime(fs::path(dir.path()) / "a.txt"));
    for (std::size_t at : {12u, 20u, 28u})
        EXPECT_TRUE(std::equal(written, written + 8, file.begin() + at)) << at;
}

// The check tree counts every checked item and every complete group below a group, so a
// group's sub-item count is the number of all components below it, at any depth.
TEST(Manifest, SubItemCountsCoverAllComponentsBelow) {
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
// programs to run are the flagged files then the listed paths, and ソ (83 5C), whose second
// byte is the separator's, stays inside its name.
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
                 "         { source = \"a.txt\", dest = 'IF\\ソフト' },\n"
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
    EXPECT_NE(ClTreeFindPath(files, nullptr, "IF\\\x83\x5C\x83\x74\x83\x67\\a.txt", "\\", 0),
              nullptr);
    EXPECT_EQ(checked.plan->files.size(), 4u);

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

TEST(Manifest, FailedBuildWritesNothing) {
    TempDir dir;
    fs::path manifest = fs::path(dir.path()) / "setup.toml";
    std::ofstream(manifest) << kHead
                            << "[[component]]\nname = \"c\"\nfiles = [{ source = \"x\" }]\n";
    const fs::path stub = fs::path(dir.path()) / "stub.exe";
    WriteStub(stub);
    const fs::path output = fs::path(dir.path()) / "setup.exe";
    EXPECT_EQ(BuildQuietly(manifest, output, stub), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);  // the inputs only
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

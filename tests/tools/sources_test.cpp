// Source patterns: which files a manifest's source names, in which order, below which folders.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_dir.h"
#include "tests/tools/setupkit_test_support.h"
#include "tools/setupkit/diagnostics.h"
#include "tools/setupkit/sources.h"

namespace {

// "sub/name" for each match ("sub/name/" for an empty folder), in the order given.
std::vector<std::string> Matches(const fs::path& base, const std::string& pattern) {
    std::vector<std::string> out;
    for (const SourceFile& file : ExpandSource(base, pattern)) {
        std::string path;
        for (const std::string& folder : file.subfolders)
            path += folder + "/";
        out.push_back(path + file.name + (file.emptyFolder ? "/" : ""));
    }
    return out;
}

TEST(ExpandSource, PatternsMatchInNameOrderWithTheirFolders) {
    TempDir dir;
    const fs::path base = dir.path();
    // Created out of order: the listing order must not show.
    for (const char* name : {"d/b.txt", "d/a1.txt", "d/x/z.txt", "d/x/y/c.txt", "d/a.bin",
                             "d/x/y/a.bin", "d/a22.txt"}) {
        fs::create_directories((base / name).parent_path());
        std::ofstream(base / name) << name;
    }
    fs::create_directories(base / "d" / "x" / "none" / "empty");
    fs::create_directories(base / "d" / "void");
    using List = std::vector<std::string>;
    EXPECT_EQ(Matches(base, "d/*.txt"), (List{"a1.txt", "a22.txt", "b.txt"}));
    EXPECT_EQ(Matches(base, "d/**/*.txt"),
              (List{"a1.txt", "a22.txt", "b.txt", "x/y/c.txt", "x/z.txt"}));
    // A folder taken whole keeps its empty folders; patterns name files only.
    const List whole = {"none/empty/", "y/a.bin", "y/c.txt", "z.txt"};
    EXPECT_EQ(Matches(base, "d\\x\\**"), whole);
    EXPECT_EQ(Matches(base, "d/x"), whole);
    EXPECT_THROW(Matches(base, "d/void"), ToolError);  // an empty folder as a whole
    EXPECT_EQ(Matches(base, "d/b.txt"), (List{"b.txt"}));
    EXPECT_EQ(Matches(base, (base / "d" / "b.txt").u8string()), (List{"b.txt"}));  // absolute
    EXPECT_TRUE(Matches(base, "d/*.doc").empty());
}

}  // namespace

// Where a build writes: never over one of its inputs, and through a file of its own beside the
// output, so that a failed build or another build to the same output cannot spoil it.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_dir.h"
#include "tests/tools/setupkit_test_support.h"
#include "tools/setupkit/commands.h"

namespace {

// The message of the ToolError a build throws; empty when it does not throw.
std::string BuildError(const fs::path& manifest, const fs::path& output, const fs::path& stub) {
    return ToolErrorOf([&] { BuildQuietly(manifest, output, stub); });
}

TEST(BuildOutput, IsNeverOneOfTheInputs) {
    TempDir dir;
    const fs::path example = fs::path(dir.path()) / "kakeibo";
    CopyTree(ExampleManifest().parent_path(), example, false);
    const fs::path stub = fs::path(dir.path()) / "stub.exe";
    WriteStub(stub);
    const fs::path manifest = example / "setup.toml";
    // Each input under another spelling of its path.
    const struct {
        fs::path output;
        const char* what;
    } inputs[] = {
        {example / "files" / ".." / "setup.toml", "is the manifest"},
        {example / ".." / "stub.exe", "is the stub"},
        {example / "files" / "help" / ".." / "kakeibo.ini", "is the source file"},
        {example / "." / "licence.txt", "is the text file"},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.output.u8string());
        const std::vector<char> before = ReadBytes(input.output);
        EXPECT_NE(BuildError(manifest, input.output, stub).find(input.what), std::string::npos);
        EXPECT_TRUE(ReadBytes(input.output) == before);
    }
}

// A build goes through a file of its own beside the output and leaves nothing behind when it
// fails, whether on a problem in the manifest or at the end, when a folder takes the output's
// place.
TEST(BuildOutput, IsWrittenThroughAFileOfItsOwn) {
    TempDir dir;
    const fs::path stub = fs::path(dir.path()) / "stub.exe";
    WriteStub(stub);
    const fs::path output = fs::path(dir.path()) / "setup.exe";
    const fs::path otherBuild = fs::path(output).concat(".part");
    WriteBytes(otherBuild, {'o', 't', 'h', 'e', 'r'});
    WriteBytes(output, {'o', 'l', 'd'});
    ASSERT_EQ(BuildQuietly(ExampleManifest(), output, stub), 0);
    OutputOf([&] { return CommandVerify(output); });
    EXPECT_EQ(ReadBytes(otherBuild), (std::vector<char>{'o', 't', 'h', 'e', 'r'}));

    const fs::path folder = fs::path(dir.path()) / "folder.exe";
    fs::create_directories(folder / "inside");
    EXPECT_NE(BuildError(ExampleManifest(), folder, stub).find("cannot rename"), std::string::npos);
    const fs::path manifest = fs::path(dir.path()) / "setup.toml";
    std::ofstream(manifest) << kHead
                            << "[[component]]\nname = \"c\"\nfiles = [{ source = \"x\" }]\n";
    EXPECT_EQ(BuildQuietly(manifest, fs::path(dir.path()) / "bad.exe", stub), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 5);
}

}  // namespace

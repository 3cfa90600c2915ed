// setupkit against what only a POSIX host lets a careless or hostile user make: devices, FIFOs
// and symbolic-link loops as sources, links planted in an extract folder, and a build stopped
// by a signal, which runs the native setupkit as a child process.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "tests/tools/setupkit_test_support.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/diagnostics.h"

namespace {

// Starts the native setupkit with args, stderr to a file, temporary files in tempDir.
pid_t StartSetupkit(std::vector<std::string> args, const fs::path& stderrFile,
                    const fs::path& tempDir) {
    args.insert(args.begin(), SETUPKIT_PATH);
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const int err = open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(err, 2);
    setenv("TMPDIR", tempDir.c_str(), 1);
    for (int signal : {SIGINT, SIGTERM})
        ::signal(signal, SIG_DFL);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

int WaitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PosixMisuse, SourcesThatAreNoFilesAreNamedAtTheirLine) {
    TempDir dir;
    const fs::path base = dir.path();
    ASSERT_EQ(mkfifo((base / "fifo").c_str(), 0644), 0);
    fs::create_symlink("loop2", base / "loop1");
    fs::create_symlink("loop1", base / "loop2");
    fs::create_directories(base / "tree" / "sub");
    std::ofstream(base / "tree" / "sub" / "x.txt") << "x";
    fs::create_directory_symlink("..", base / "tree" / "sub" / "up");
    const std::string component = "[[component]]\nname = \"c\"\n";
    const struct {
        std::string source;
        const char* expected;  // behind "7:21: error: '", the path
    } cases[] = {
        {"fifo", "fifo' is a device, FIFO or socket"},
        {"loop1", "loop1' leads into a loop of symbolic links"},
        {"tree", "tree/sub/up' leads back to"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const Checked checked =
            Check(dir, kHead + component + "files = [{ source = \"" + c.source + "\" }]\n");
        ASSERT_EQ(checked.lines.size(), 1u) << Joined(checked.lines);
        EXPECT_EQ(checked.lines[0].rfind("setup.toml:7:21: error: '", 0), 0u) << checked.lines[0];
        EXPECT_NE(checked.lines[0].find(c.expected), std::string::npos) << checked.lines[0];
    }
    const Checked zeros = Check(
        dir, kHead + std::string("[texts]\nlicence = { file = \"/dev/zero\" }\n") + component);
    EXPECT_NE(Joined(zeros.lines).find("6:11: error: the text file '/dev/zero' is not a file"),
              std::string::npos)
        << Joined(zeros.lines);
}

TEST(PosixMisuse, ExtractNeverWritesThroughASymbolicLink) {
    TempDir dir;
    const fs::path base = dir.path();
    WriteStub(base / "stub.exe");
    ASSERT_EQ(BuildQuietly(ExampleManifest(), base / "setup.exe", base / "stub.exe"), 0);
    const fs::path out = base / "out";
    const fs::path elsewhere = base / "elsewhere";
    fs::create_directories(out);
    fs::create_directories(elsewhere);
    fs::create_directory_symlink(elsewhere, out / "IF");
    EXPECT_THROW(CommandExtract(base / "setup.exe", out, "", true), ToolError);
    EXPECT_TRUE(fs::is_empty(elsewhere));

    fs::remove(out / "IF");
    testing::internal::CaptureStdout();
    ASSERT_EQ(CommandExtract(base / "setup.exe", out, "", false), 0);
    const fs::path planted = out / "IF" / "kakeibo.ini";
    fs::remove(planted);
    WriteBytes(elsewhere / "victim", {'v'});
    fs::create_symlink(elsewhere / "victim", planted);
    EXPECT_THROW(CommandExtract(base / "setup.exe", out, "", false), ToolError);
    EXPECT_EQ(CommandExtract(base / "setup.exe", out, "", true), 0);  // replaces the link
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadBytes(elsewhere / "victim"), std::vector<char>{'v'});
    EXPECT_FALSE(fs::is_symlink(planted));
    EXPECT_EQ(ReadBytes(planted),
              ReadBytes(ExampleManifest().parent_path() / "files" / "kakeibo.ini"));
}

// A build stopped by SIGINT while it encodes leaves neither its output file nor the encoder's
// temporary files behind. SIGTERM and SIGHUP go through the same handler.
TEST(PosixMisuse, InterruptedBuildLeavesNothingBehind) {
    TempDir dir;
    const fs::path base = dir.path();
    const fs::path product = base / "product";
    const fs::path temp = base / "temp";
    fs::create_directories(product);
    fs::create_directories(temp);
    // One file of random bytes: slow to encode, impossible to compress.
    std::mt19937 random(7);
    std::vector<char> bytes(12 << 20);
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    WriteBytes(product / "random.bin", bytes);
    const fs::path manifest = product / "setup.toml";
    std::ofstream(manifest)
        << kHead << "[[component]]\nname = \"c\"\nfiles = [{ source = \"random.bin\" }]\n";
    WriteStub(product / "stub.exe");
    const std::vector<std::string> inputs = Listing(product);
    const pid_t pid =
        StartSetupkit({"build", manifest.string(), "-q", "-o", (product / "setup.exe").string(),
                       "--stub", (product / "stub.exe").string()},
                      base / "stderr.txt", temp);
    // Once the stub is written, the encoder is at work.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    bool started = false;
    while (!started && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (const auto& entry : fs::directory_iterator(product))
            started = started || (entry.path().extension() == ".part" && entry.file_size());
    }
    ASSERT_TRUE(started);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, SIGINT);
    const int status = WaitFor(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_EQ(Listing(product), inputs);
    EXPECT_TRUE(fs::is_empty(temp)) << Listing(temp)[0];
}

}  // namespace

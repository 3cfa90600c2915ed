#include "tests/tools/setupkit_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "package/layout/package_layout.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/diagnostics.h"
#include "tools/setupkit/file_handle.h"
#include "tools/setupkit/manifest.h"

void WriteStub(const fs::path& path, std::size_t noticeAt) {
    std::vector<char> stub = {'M', 'Z'};
    stub.resize(noticeAt, '\x90');
    stub.insert(stub.end(), kPackageNotice, kPackageNotice + kPackageNoticeSize);
    stub.resize(stub.size() + 4 + 28, '\0');  // the slot, then the rest of the "image"
    WriteBytes(path, stub);
}

const char* const kHead = R"([product]
name = "テスト"
[install]
folder = '64\Test'
)";

Checked Check(const TempDir& dir, const std::string& text) {
    fs::path manifest = fs::path(dir.path()) / "setup.toml";
    std::ofstream(manifest, std::ios::binary) << text;
    std::ofstream(fs::path(dir.path()) / "a.txt") << "a";
    std::ofstream(fs::path(dir.path()) / "b.txt") << "b";
    Diagnostics diagnostics("setup.toml");
    Checked checked;
    Manifest parsed = ReadManifest(manifest, diagnostics);
    checked.plan = PlanPackage(parsed, diagnostics);
    checked.lines = diagnostics.Lines();
    return checked;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

fs::path ExampleManifest() {
    return fs::path(SETUP_EXAMPLES_DIR) / "kakeibo" / "setup.toml";
}

int BuildQuietly(const fs::path& manifest, const fs::path& output, const fs::path& stub) {
    BuildArgs args;
    args.manifest = manifest;
    args.output = output;
    args.stub = stub;
    args.quiet = true;
    return CommandBuild(args);
}

std::string OutputOf(const std::function<int()>& command) {
    testing::internal::CaptureStdout();
    const int result = command();
    std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, 0) << output;
    return output;
}

std::string ToolErrorOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const ToolError& error) {
        return error.what();
    }
    return {};
}

namespace {

// Through the platform layer: std::filesystem keeps only whole seconds with MinGW.
void CopyFileTimes(const fs::path& from, const fs::path& to) {
    FILETIME times[3];
    HANDLE source = CreateFileA(AnsiPath(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    GetFileTime(source, &times[0], &times[1], &times[2]);
    CloseHandle(source);
    HANDLE target = CreateFileA(AnsiPath(to).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    SetFileTime(target, &times[0], &times[1], &times[2]);
    CloseHandle(target);
}

}  // namespace

void CopyTree(const fs::path& from, const fs::path& to, bool reverseOrder) {
    std::vector<fs::path> entries;
    for (const auto& entry : fs::recursive_directory_iterator(from))
        entries.push_back(entry.path());
    // Creating the entries in another order gives the copy another directory listing order.
    std::sort(entries.begin(), entries.end());
    if (reverseOrder)
        std::reverse(entries.begin(), entries.end());
    for (const fs::path& source : entries) {
        const fs::path target = to / fs::relative(source, from);
        if (fs::is_directory(source)) {
            fs::create_directories(target);
            continue;
        }
        fs::create_directories(target.parent_path());
        fs::copy_file(source, target, fs::copy_options::overwrite_existing);
        CopyFileTimes(source, target);
    }
}

std::vector<char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

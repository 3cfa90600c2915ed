#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

// getpid: MinGW's unistd.h declares it too.
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Removes a folder with everything in it, read-only files too (Windows refuses to delete
// those until they are made writable).
void RemoveTree(const fs::path& folder) {
    std::error_code error;
    for (fs::recursive_directory_iterator item(folder, error), end; !error && item != end;
         item.increment(error)) {
        std::error_code ignored;
        fs::permissions(item->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(folder, error);
}

}  // namespace

TempDir::TempDir() {
    // The process id keeps test binaries that run side by side apart, the test's name and a
    // counter the folders of one binary. The folder holding them goes with the last of them.
    static int counter = 0;
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    base_ = fs::temp_directory_path() / ("setup-tests-" + std::to_string(getpid()));
    fs::path dir = base_ / (name + "-" + std::to_string(++counter));
    RemoveTree(dir);
    fs::create_directories(dir);
    path_ = dir.string();
}

TempDir::~TempDir() {
    RemoveTree(path_);
    std::error_code ignored;
    fs::remove(base_, ignored);  // only once it is empty
}

std::string TempDir::File(const std::string& name) const {
    return (fs::path(path_) / name).string();
}

namespace {

// TMPDIR is where the POSIX seam's GetTempPathA looks, TMP where Windows looks first.
constexpr const char* kTempVariables[2] = {"TMPDIR", "TMP"};

}  // namespace

TempFolderOverride::TempFolderOverride(const std::string& folder) {
    for (int i = 0; i < 2; ++i) {
        const char* old = std::getenv(kTempVariables[i]);
        saved_[i] = std::string(kTempVariables[i]) + "=" + (old ? old : "");
        set_[i] = std::string(kTempVariables[i]) + "=" + folder;
        putenv(set_[i].data());
    }
}

TempFolderOverride::~TempFolderOverride() {
    for (auto& saved : saved_)
        putenv(saved.data());
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

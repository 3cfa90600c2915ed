// Shared pieces of the setupkit tests: a stand-in stub, the example product, and builds of it.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/setupkit/package_plan.h"

namespace fs = std::filesystem;

// A small file shaped like the setup program where it matters to setupkit: "MZ", the package
// notice at noticeAt and its slot.
void WriteStub(const fs::path& path, std::size_t noticeAt = 64);

// The example product's manifest.
fs::path ExampleManifest();

// Builds a manifest quietly with the stand-in stub; the exit code of `setupkit build`.
int BuildQuietly(const fs::path& manifest, const fs::path& output, const fs::path& stub);

// What command writes to standard output; a test failure when it does not return 0.
std::string OutputOf(const std::function<int()>& command);

// The message of the ToolError that run throws; empty when it throws none.
std::string ToolErrorOf(const std::function<void()>& run);

// Copies a folder tree, keeping the files' last write times.
void CopyTree(const fs::path& from, const fs::path& to, bool reverseOrder);

std::vector<char> ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::vector<char>& bytes);

// The head of a small manifest: [product] and [install], lines 1-4.
extern const char* const kHead;

struct Checked {
    std::vector<std::string> lines;     // the diagnostics, "setup.toml:line:column: ..."
    std::unique_ptr<PackagePlan> plan;  // null when there was an error
};

// Reads and plans a manifest written into dir as setup.toml, with files a.txt and b.txt beside
// it.
Checked Check(const TempDir& dir, const std::string& text);

// Lines joined, each ending in a line feed.
std::string Joined(const std::vector<std::string>& lines);

// Shared pieces of the setupkit tests: a stand-in stub, the example product, and builds of it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A small file shaped like the setup program where it matters to setupkit: "MZ", the package
// notice and its slot.
void WriteStub(const fs::path& path);

// The example product's manifest.
fs::path ExampleManifest();

// Builds a manifest quietly with the stand-in stub; the exit code of `setupkit build`.
int BuildQuietly(const fs::path& manifest, const fs::path& output, const fs::path& stub);

// Copies a folder tree, keeping the files' last write times.
void CopyTree(const fs::path& from, const fs::path& to, bool reverseOrder);

std::vector<char> ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::vector<char>& bytes);

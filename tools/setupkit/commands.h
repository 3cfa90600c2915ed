// The setupkit commands. Each returns the process exit code (0 success, 1 failure) and writes
// its own report; ToolError thrown inside is printed once by main.
#pragma once

#include <filesystem>
#include <string>

struct BuildArgs {
    std::filesystem::path manifest;
    std::filesystem::path output = "setup.exe";
    std::filesystem::path stub;  // empty: next to the tool, else in the Windows build
    bool quiet = false;
};

int CommandBuild(const BuildArgs& args);
// sizes: decode every entry to show the installed sizes instead of the stored ones.
int CommandList(const std::filesystem::path& file, bool sizes);
int CommandVerify(const std::filesystem::path& file);
// overwrite: replace files that exist below dir (never writing through a symbolic link);
// without it an existing file stops the extraction before anything is written.
int CommandExtract(const std::filesystem::path& file, const std::filesystem::path& dir,
                   const std::string& component, bool overwrite);
int CommandDump(const std::filesystem::path& file, bool json);
